#include "plugin/community/RecommendComposer.h"

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <cwctype>

#include "platform/support/TextConv.h"
#include "plugin/community/CafeReplies.h"
#include "plugin/community/WebText.h"

namespace {

constexpr size_t kTitleLimit = 500;
constexpr size_t kShortLimit = 1000;
constexpr size_t kCommentLimit = 500;
constexpr const wchar_t* kNewRecommendation = L"신규 추천";

std::wstring Cut(std::wstring text, size_t limit) {
  if (text.size() > limit) text.resize(limit);
  return text;
}

std::wstring RightTrimmed(std::wstring text) {
  while (!text.empty() && std::iswspace(static_cast<wint_t>(text.back()))) text.pop_back();
  return text;
}

// The profit word of a kind for a profit rate above, below or at 0.
const wchar_t* ProfitLabel(int kind, double rate) {
  if (kind == kRecKindSell) return rate > 0 ? L"수익" : rate < 0 ? L"손실" : L"보합";
  if (kind == kRecKindHold) return rate > 0 ? L"수익중" : rate < 0 ? L"손실중" : L"보합중";
  return rate > 0 ? L"수익중" : rate < 0 ? L"손실중" : L"보합";
}
// The messenger's sell words.
const wchar_t* CafeSellLabel(double rate) {
  return rate > 0 ? L"★수익" : rate < 0 ? L"손실률" : L"보합";
}

// The values both compositions share once the price is known.
struct Derived {
  bool overseas = false;
  int decimals = 0;
  std::wstring P, U, M, H, S, SL, RP, T1, SP, link;
  double price = 0;
  double profitRate = 0;
  double minProfit = 0, lossCut = 0;
};

std::wstring Price(const Derived& d, double value) { return RecFormatNumber(value, d.decimals); }

// Steps shared by both compositions: price texts, profit rate, the automatic comment, header
// words and the stock line. Answers the comment to use.
std::wstring Begin(const RecStock_s& stock, double price, double recommended, int kind,
                   const std::wstring& comment, int* freeFlag, const RecSender_s& sender,
                   Derived* d) {
  d->overseas = RecIsOverseasMarket(stock.marketLetter);
  d->decimals = d->overseas ? 2 : 0;
  d->price = price;
  d->P = Price(*d, price);
  d->U = d->overseas ? L"$" : L"원";
  d->profitRate = recommended > 0 ? (price - recommended) * 100 / recommended : 0;
  std::wstring text = comment;
  if (kind == kRecKindSell) {
    text = RecSellComment(d->profitRate);
    if (d->profitRate > 10) *freeFlag = 1;
  } else if (RecIsAutomaticComment(RightTrimmed(text))) {
    text = kNewRecommendation;
  }
  text = RightTrimmed(Cut(text, kCommentLimit));
  d->M = d->overseas ? L"해외주식" : L"주식";
  const bool free = *freeFlag != 0;
  d->H = free ? FormatW(L"(%ls) ", d->M.c_str()) : FormatW(L"(VIP %ls) ", d->M.c_str());
  d->S = free ? L"●" : L"★";
  d->SL = free ? FormatW(L"종목:%ls(%ls)\n", stock.name.c_str(), stock.code.c_str())
               : FormatW(L"종목: ***(%ls***)\n", stock.code.substr(0, 3).c_str());
  d->RP = recommended > 0 ? Price(*d, recommended) : std::wstring();
  d->link = L"http://" + sender.host + FormatW(L"/cafe/?man=%d", sender.managerIndex);
  return text;
}

void Finish(const Derived& d, double target1, double stop, RecComposed_s* out) {
  out->price = d.price;
  out->profitRate = d.profitRate;
  out->recPriceText = d.RP;
  out->unit = d.U;
  out->target1 = target1;
  out->stopPrice = stop;
  out->minProfitRate = d.minProfit;
  out->lossCutRate = d.lossCut;
}

void Rates(double price, double target1, double stop, Derived* d) {
  d->minProfit = (target1 - price) * 100 / price;
  d->lossCut = std::min(0.0, (stop - price) * 100 / price);
  d->T1 = Price(*d, target1);
  d->SP = Price(*d, stop);
}

// The band text of the long buy message: a free buy shows the band prices without their first
// digits, else the band text.
std::wstring LongBand(const Derived& d, int kind, bool free, double low, double high,
                      const std::wstring& band) {
  if (kind != kRecKindBuy || !free) return band;
  const std::wstring l = Price(d, low), h = Price(d, high);
  return L"*" + l.substr(std::min<size_t>(1, l.size())) + L"~*" +
         h.substr(std::min<size_t>(1, h.size()));
}

// The price, target and stop texts of the long buy message: a VIP recommendation hides their
// first digit.
struct LongPrices {
  LongPrices(const Derived& d, bool free)
      : P(free ? d.P : RecMaskFirst(d.P)),
        T1(free ? d.T1 : RecMaskFirst(d.T1)),
        SP(free ? d.SP : RecMaskFirst(d.SP)) {}
  std::wstring P, T1, SP;
};

void Preview(int kind, RecComposed_s* out) {
  out->preview =
      kind == kRecKindBuy ? out->shortText + L"\n-------\n" + out->longText : out->shortText;
}

// The briefing texts (both compositions).
void Briefing(const Derived& d, const std::wstring& comment, const RecSender_s& sender,
              RecComposed_s* out) {
  out->shortText =
      Cut(FormatW(L"%ls★시황★ (by %ls)\n\n%ls\n%ls", d.H.c_str(), sender.authorName.c_str(),
                  comment.c_str(), sender.smsFooter.c_str()),
          kShortLimit);
  out->longText = FormatW(L"%ls★시황★\n%ls\n%ls", d.H.c_str(), d.link.c_str(), comment.c_str());
  out->preview = out->shortText;
}

// The hold short message and the review texts, which both compositions share.
std::wstring HoldShort(const Derived& d, const RecStock_s& s, const std::wstring& R,
                       const std::wstring& comment, int weight, int days,
                       const RecSender_s& sender) {
  return Cut(FormatW(L"%ls◆홀딩◆ 신호 (by %ls)\n\n▶종목 : %ls(%ls)\n◈현재가 : %ls원\n유효 "
                     L"매수구간 : %ls원\n최저익절 : %.0f%% 이상(%ls)\n손절가 : %.0f%% "
                     L"이하(%ls)\n비중:%d%% /투자기간 : %d일\n▶홀딩사유 : %ls\n\n%ls",
                     d.H.c_str(), sender.authorName.c_str(), s.name.c_str(), s.code.c_str(),
                     d.P.c_str(), R.c_str(), d.minProfit, d.T1.c_str(), d.lossCut, d.SP.c_str(),
                     weight, days, comment.c_str(), sender.smsFooter.c_str()),
             kShortLimit);
}

void Review(const Derived& d, const RecStock_s& s, const std::wstring& comment,
            const RecSender_s& sender, RecComposed_s* out) {
  const wchar_t* PL = ProfitLabel(kRecKindReview, d.profitRate);
  out->title = Cut(FormatW(L"%ls(%ls)/현재가 : %ls원/♥추천가 : %ls원/리뷰 : %ls", s.name.c_str(),
                           s.code.c_str(), d.P.c_str(), d.RP.c_str(), comment.c_str()),
                   kTitleLimit);
  out->shortText =
      Cut(FormatW(L"%ls◆리뷰◆ (by %ls)\n\n종목 : %ls(%ls)\n◈현재가 : %ls원\n♥추천가 : %ls원\n%ls "
                  L"리뷰 : %ls\n\n%ls",
                  d.H.c_str(), sender.authorName.c_str(), s.name.c_str(), s.code.c_str(),
                  d.P.c_str(), d.RP.c_str(), PL, comment.c_str(), sender.smsFooter.c_str()),
          kShortLimit);
  out->longText = FormatW(L"@@%ls종목 리뷰\n", d.H.c_str()) + d.link +
                  FormatW(
                      L"\n\n▶종목 : %ls(%ls)\n◈현재가 : %ls원 (%ls : %.1f%%)\n♥추천가 : "
                      L"%ls원\n%ls 리뷰 : %ls",
                      s.name.c_str(), s.code.c_str(), d.P.c_str(), PL, d.profitRate, d.RP.c_str(),
                      PL, comment.c_str());
}

}  // namespace

int RecKindOfCaller(int callerKind) {
  switch (callerKind) {
    case 2:
      return kRecKindSell;
    case 3:
      return kRecKindHold;
    case 4:
      return kRecKindReview;
    case 5:
      return kRecKindBriefing;
    default:
      return kRecKindBuy;
  }
}

int RecRadioIndexOfKind(int kind) {
  switch (kind) {
    case kRecKindSell:
      return 1;
    case kRecKindHold:
      return 2;
    case kRecKindReview:
      return 3;
    case kRecKindBriefing:
      return 4;
    default:
      return 0;
  }
}

int RecKindOfRadioIndex(int index) {
  static const int kKinds[] = {kRecKindBuy, kRecKindSell, kRecKindHold, kRecKindReview,
                               kRecKindBriefing};
  return index >= 0 && index < 5 ? kKinds[index] : kRecKindBuy;
}

const wchar_t* RecKindLabel(int kind) {
  switch (kind) {
    case kRecKindSell:
      return L"매도";
    case kRecKindHold:
      return L"홀딩";
    case kRecKindReview:
      return L"리뷰";
    case kRecKindBriefing:
      return L"시황";
    case kRecKindProfitCheck:
      return L"수익체크";
    default:
      return L"매수";
  }
}

const wchar_t* RecButtonText(int kind, bool fromCaller) {
  switch (kind) {
    case kRecKindSell:
      return L"매도 (&Sell)";
    case kRecKindHold:
      return fromCaller ? L"홀딩 (&Holding)" : L"보유 (홀딩&Hold)";
    case kRecKindReview:
      return L"리뷰 (&Review)";
    case kRecKindBriefing:
      return L"시황 (브리핑)";
    default:
      return L"매수 (&Buy)";
  }
}

const wchar_t kRecLossCutOptions[] =
    L"-3:-3%;-5:-5%;-7:-7%;-8:-8%;-9:-9%;-10:-10%;-11:-11%;-12:-12%;-13:-13%;-14:-14%;-15:-15%;"
    L"-20:-20%;-25:-25%;-30:-30%;-50:-50%;-70:-70%;-90:-90%;-100:*손절안함";
const wchar_t kRecInvestRateOptions[] =
    L"5:5%;10:10%;15:15%;20:20%;25:25%;30:30%;35:35%;40:40%;50:50%;60:60%;70:70%;80:80%;90:90%;"
    L"100:100%";
const wchar_t kRecInvestDaysOptions[] =
    L"3:3일;5:5일;7:7일;15:15일;20:20일;30:30일;45:45일(6주);60:60일(2개월);90:91일(3개월);"
    L"183:183일(6개월);365:365일(1년);";
const wchar_t kRecPlusRateOptions[] =
    L"3:3%;5:5%;7:7%;9:9%;10:10%;15:15%;20:20%;25:25%;30:30%;35:35%;40:40%;50:50%;60:60%;70:70%;"
    L"80:80%;90:90%;100:100%;150:150%;200:200%;250:250%;300:300%";
const wchar_t kRecSellRateOptions[] = L"20:20%;50:50%;70:70%;90:90%;100:100%;";
const wchar_t kRecBuyBandOptions[] =
    L"1:±1%이하;2:±2%이하;3:±3%이하;5:±5%이하;7:±7%이하;10:±10%이하";
const wchar_t kRecCountryOptions[] = L"1:국내 주식;2:미국(해외) 주식";

int RecNegativeRate(int rate) { return rate > 0 ? -rate : rate; }

bool RecIsOverseasMarket(char marketLetter) {
  return marketLetter == 'A' || marketLetter == 'D' || marketLetter == 'H' || marketLetter == 'N';
}

std::wstring RecFormatNumber(double value, int decimals) {
  if (!std::isfinite(value)) return L"0";
  wchar_t digits[64];
  std::swprintf(digits, 64, L"%.*f", decimals, value);
  std::wstring text(digits);
  const bool negative = !text.empty() && text[0] == L'-';
  const size_t start = negative ? 1 : 0;
  size_t end = text.find(L'.');
  if (end == std::wstring::npos) end = text.size();
  for (size_t at = end; at > start + 3; at -= 3) text.insert(at - 3, 1, L',');
  return text;
}

double RecParsePrice(const std::wstring& text) {
  std::wstring digits;
  for (wchar_t c : text)
    if (c != L',' && c != L' ') digits += c;
  if (digits.empty()) return 0;
  wchar_t* end = nullptr;
  const double value = std::wcstod(digits.c_str(), &end);
  return std::isfinite(value) ? value : 0;
}

std::wstring RecMaskFirst(const std::wstring& text) {
  if (text.empty()) return text;
  return L"*" + text.substr(1);
}

std::wstring RecHostOfUrl(const std::string& url) {
  size_t start = url.find("://");
  start = start == std::string::npos ? 0 : start + 3;
  const size_t end = url.find_first_of("/?#", start);
  return Utf8ToWide(url.substr(start, end == std::string::npos ? std::string::npos : end - start));
}

const wchar_t* RecSellComment(double profitRate) {
  if (profitRate >= 50) return L"대박 수익 축하드립니다";
  if (profitRate >= 15) return L"고 수익 축하드립니다";
  if (profitRate >= 5) return L"수익 축하드립니다";
  if (profitRate > -5) return L"종목 교체를 위한 매도";
  return L"손절하여 죄송합니다";
}

bool RecIsAutomaticComment(const std::wstring& comment) {
  for (const wchar_t* text :
       {L"대박 수익 축하드립니다", L"고 수익 축하드립니다", L"수익 축하드립니다",
        L"종목 교체를 위한 매도", L"손절하여 죄송합니다"})
    if (comment == text) return true;
  return false;
}

std::wstring RecToCrLf(const std::wstring& text) {
  std::wstring out;
  out.reserve(text.size() + text.size() / 8);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\n' && (i == 0 || text[i - 1] != L'\r')) out += L'\r';
    out += text[i];
  }
  return out;
}

int ComposeMessages(const RecComposeInput_s& in, int kind, int recomputeFlags, RecComposed_s* out,
                    std::wstring* error) {
  const RecStock_s& s = in.stock;
  double price = in.price;
  if (price <= 0 && s.found) price = s.curPrice;
  const wchar_t* failure = nullptr;
  int result = 0;
  if (!s.found) {
    failure = L"종목을 찾지 못했습니다";
    result = -1;
  } else if (!(price > 0)) {
    failure = L"종목의 현재 가격(추천가)을 적지 않았습니다.\n적어주세요";
    result = -2;
  }
  if (failure) {
    if (error) *error = failure;
    return result;
  }
  RecComposed_s composed;
  composed.freeFlag = in.freeFlag;
  Derived d;
  composed.comment =
      Begin(s, price, in.recommended, kind, in.comment, &composed.freeFlag, in.sender, &d);
  const std::wstring& comment = composed.comment;
  const bool free = composed.freeFlag != 0;
  Finish(d, 0, 0, &composed);
  if (kind == kRecKindBriefing) {
    Briefing(d, comment, in.sender, &composed);
    *out = composed;
    return 0;
  }
  if (kind == kRecKindProfitCheck) {
    *out = composed;
    return 0;
  }
  const RecRates_s& r = in.rates;
  // The buy band.
  double low = in.bandLow, high = in.bandHigh;
  if ((recomputeFlags & kRecomputeBand) || (low <= 0 && high <= 0)) {
    low = (1 - r.buyBand / 100.0) * price;
    high = (1 + r.buyBand / 100.0) * price;
  }
  const std::wstring R =
      d.overseas ? Price(d, low) + L"~" + Price(d, high) : FormatW(L"±%d %%", r.buyBand);
  composed.bandLow = low;
  composed.bandHigh = high;
  composed.bandText = R;
  // Targets and stop: recomputed ones are written into their edits, then all are read back.
  auto target = [&](int flag, double rate, double given, std::wstring* edit) {
    if (!(recomputeFlags & flag)) return given;
    *edit = Price(d, (1 + rate / 100.0) * price);
    return RecParsePrice(*edit);
  };
  const double t1 = target(kRecomputeTarget1, r.plusRate, in.target1, &composed.target1Edit);
  composed.target2 = target(kRecomputeTarget2, r.plusRate2, in.target2, &composed.target2Edit);
  const double stop =
      target(kRecomputeStop, RecNegativeRate(r.lossCutRate), in.stopPrice, &composed.stopEdit);
  Rates(price, t1, stop, &d);
  Finish(d, t1, stop, &composed);
  const int weight = r.investRate, days = r.investDays;
  const double PR = d.profitRate;

  switch (kind) {
    case kRecKindBuy: {
      composed.title = Cut(
          FormatW(L"%ls(%ls)/현재가 : %ls%ls/매수구간 : %ls/최저익절 : %.0f%% 이상(%ls)/손절가 : "
                  L"%.0f%% 이하(%ls)/비중:%d%% /기간 : %d일 이내",
                  s.name.c_str(), s.code.c_str(), d.P.c_str(), d.U.c_str(), R.c_str(), d.minProfit,
                  d.T1.c_str(), d.lossCut, d.SP.c_str(), weight, days),
          kTitleLimit);
      composed.shortText =
          Cut(FormatW(L"%ls%ls매수: %ls\n*%ls(%ls)\n현재: %ls%ls\n매수: %ls\n최저익: %.0f%%",
                      d.S.c_str(), d.M.c_str(), in.sender.host.c_str(), s.name.c_str(),
                      s.code.c_str(), d.P.c_str(), d.U.c_str(), R.c_str(), d.minProfit),
              kShortLimit);
      const LongPrices lp(d, free);
      composed.longText =
          FormatW(L"@@%ls%ls매수 종목 추천\n", d.H.c_str(), d.M.c_str()) + d.link +
          FormatW(
              L"\n\n%ls◈현재가 : %ls%ls\n매수구간 : %ls\n※최저익절 : %.0f%% 이상(%ls)\n손절가 "
              L": %.0f%% 이하(%ls)\n비중:%d%% /투자기간 : %d일\n▶추천사유 : %ls",
              d.SL.c_str(), lp.P.c_str(), d.U.c_str(),
              LongBand(d, kind, free, low, high, R).c_str(), d.minProfit, lp.T1.c_str(), d.lossCut,
              lp.SP.c_str(), weight, days, comment.c_str());
      break;
    }
    case kRecKindSell: {
      const wchar_t* PL = ProfitLabel(kind, PR);
      composed.title = Cut(
          FormatW(L"%ls(%ls)/◈현재가 : %.2f%ls/♥추천가 : %.2f%ls/ 매도 실시 (특허등록된 "
                  L"오르벨라 매도 권장)",
                  s.name.c_str(), s.code.c_str(), price, d.U.c_str(), in.recommended, d.U.c_str()),
          kTitleLimit);
      composed.shortText =
          Cut(FormatW(L"%ls매도: %ls\n*%ls(%ls)\n매도: %ls(%ls: %.1f%%)\n추천: %ls\n비중:%d%%",
                      d.M.c_str(), in.sender.host.c_str(), s.name.c_str(), s.code.c_str(),
                      d.P.c_str(), PL, PR, d.RP.c_str(), r.sellRate),
              kShortLimit);
      composed.longText =
          FormatW(L"@@%ls%ls종목 매도\n", d.H.c_str(), d.M.c_str()) + d.link +
          FormatW(
              L"\n\n▶종목 : %ls(%ls)\n◈현재가 : %ls원 (%ls : %.1f%%)\n♥추천가 : %ls원\n매도 "
              L"실시(특허등록된 오르벨라 매도 권장)\n▶매도사유 : %ls",
              s.name.c_str(), s.code.c_str(), d.P.c_str(), PL, PR, d.RP.c_str(), comment.c_str());
      break;
    }
    case kRecKindHold: {
      const wchar_t* PL = ProfitLabel(kind, PR);
      composed.title =
          Cut(FormatW(L"%ls(%ls)/현재가 : %ls원/홀딩/유효 매수구간 : %ls원/최저익절 : %.0f%% "
                      L"이상(%ls)/손절가 : %.0f%% 이하(%ls)/비중:%d%% /기간 : %d일 이내",
                      s.name.c_str(), s.code.c_str(), d.P.c_str(), R.c_str(), d.minProfit,
                      d.T1.c_str(), d.lossCut, d.SP.c_str(), weight, days),
              kTitleLimit);
      composed.shortText = HoldShort(d, s, R, comment, weight, days, in.sender);
      composed.longText =
          FormatW(L"@@%ls종목 홀딩\n", d.H.c_str()) + d.link +
          FormatW(
              L"\n\n▶종목 : %ls(%ls)\n◈현재가 : %ls원 (%ls : %.1f%%)\n매수구간 : %ls원\n홀딩 "
              L"실시\n(적은 금액(50만원)으로 시장가 분할 매수/매도 권장)\n▶홀딩사유 : %ls",
              s.name.c_str(), s.code.c_str(), d.P.c_str(), PL, PR, R.c_str(), comment.c_str());
      break;
    }
    case kRecKindReview:
      Review(d, s, comment, in.sender, &composed);
      break;
    default:
      if (error) *error = L"알 수 없는 추천 종류입니다";
      return 0;
  }
  Preview(kind, &composed);
  *out = composed;
  return 1;
}

int ComposeCafeMessages(const RecCafeComposeInput_s& in, RecComposed_s* out) {
  const RecStock_s& s = in.stock;
  if (!s.found) return 0;
  const double price = in.price > 0 ? in.price : s.curPrice;
  const double recommended = in.recommended > 0 ? in.recommended : s.curPrice;
  if (!(price > 0)) return 0;
  RecComposed_s composed;
  composed.freeFlag = in.freeFlag;
  Derived d;
  composed.comment =
      Begin(s, price, recommended, in.kind, in.comment, &composed.freeFlag, in.sender, &d);
  const std::wstring& comment = composed.comment;
  const bool free = composed.freeFlag != 0;
  const wchar_t* nation = d.overseas ? L"해외" : L"";
  d.H = free ? FormatW(L"(%ls%ls) ", nation, L"주식") : FormatW(L"(VIP %ls%ls) ", nation, L"주식");
  const double low = (1 - in.bandRate / 100.0) * price;
  const double high = (1 + in.bandRate / 100.0) * price;
  const std::wstring R =
      d.overseas ? Price(d, low) + L"~" + Price(d, high) : FormatW(L"±%.0lf %%", in.bandRate);
  composed.bandLow = low;
  composed.bandHigh = high;
  composed.bandText = R;
  const double t1 = in.targetPrice > 0 ? in.targetPrice : (1 + in.takeProfitRate / 100.0) * price;
  const double stop =
      in.stopPrice > 0 ? in.stopPrice : (1 + std::min(0.0, in.lossCutRate) / 100.0) * price;
  Rates(price, t1, stop, &d);
  Finish(d, t1, stop, &composed);
  const double PR = d.profitRate;
  const int weight = in.investRate, days = in.investDays;
  const wchar_t* host = in.sender.host.c_str();
  const int man = in.sender.managerIndex;

  switch (in.kind) {
    case kRecKindBuy: {
      composed.title = Cut(
          FormatW(L"%ls(%ls)/현재가 : %ls원/매수구간 : %ls/최저익절 : %.0f%% 이상(%ls)/손절가 : "
                  L"%.0f%% 이하(%ls)/비중:%d%% /기간 : %d일 이내",
                  s.name.c_str(), s.code.c_str(), d.P.c_str(), R.c_str(), d.minProfit, d.T1.c_str(),
                  d.lossCut, d.SP.c_str(), weight, days),
          kTitleLimit);
      composed.shortText =
          Cut(FormatW(L"%ls매수:%ls %ls\n*%ls(%ls)\n현재: %ls(%ls)\n최저익: %.0f%%", d.S.c_str(),
                      d.M.c_str(), host, s.name.c_str(), s.code.c_str(), d.P.c_str(), R.c_str(),
                      d.minProfit),
              kShortLimit);
      const LongPrices lp(d, free);
      composed.longText = FormatW(
          L"@@%ls매수 종목 추천\nhttp://%ls/cafe/?man=%d\n\n%ls◈현재가 : %ls원\n매수구간 : "
          L"%ls\n※최저익절 : %.0f%% 이상(%ls)\n손절가 : %.0f%% 이하(%ls)\n비중:%d%% /투자기간 : "
          L"%d일\n▶추천사유 : %ls",
          d.H.c_str(), host, man, d.SL.c_str(), lp.P.c_str(),
          LongBand(d, in.kind, free, low, high, R).c_str(), d.minProfit, lp.T1.c_str(), d.lossCut,
          lp.SP.c_str(), weight, days, comment.c_str());
      break;
    }
    case kRecKindSell: {
      const wchar_t* PL = CafeSellLabel(PR);
      composed.title =
          Cut(FormatW(L"%ls(%ls)/◈현재가 : %.0f원/♥추천가 : %.0f원/ 매도 실시 (특허등록된 "
                      L"오르벨라 매도 권장)",
                      s.name.c_str(), s.code.c_str(), price, recommended),
              kTitleLimit);
      composed.shortText =
          Cut(FormatW(L"매도:%ls %ls\n*%ls(%ls)\n매도: %ls(%ls: %.1f%%)\n추천가: %ls", d.M.c_str(),
                      host, s.name.c_str(), s.code.c_str(), d.P.c_str(), PL, PR, d.RP.c_str()),
              kShortLimit);
      composed.longText = FormatW(
          L"@@%ls종목 매도\nhttp://%ls/cafe/?man=%d\n\n▶종목 : %ls(%ls)\n◈현재가 : %ls원 (%ls : "
          L"%.1f%%)\n♥추천가 : %ls원\n매도 실시(특허등록된 오르벨라 매도 권장)\n▶매도사유 : %ls",
          d.H.c_str(), host, man, s.name.c_str(), s.code.c_str(), d.P.c_str(), PL, PR, d.RP.c_str(),
          comment.c_str());
      break;
    }
    case kRecKindHold: {
      const wchar_t* PL = ProfitLabel(kRecKindHold, PR);
      composed.title =
          Cut(FormatW(L"%ls(%ls)/현재가 : %ls원/홀딩/유효 매수구간 : %ls/최저익절 : %.0f%% "
                      L"이상(%ls)/손절가 : %.0f%% 이하(%ls)/비중:%d%% /기간 : %d일 이내",
                      s.name.c_str(), s.code.c_str(), d.P.c_str(), R.c_str(), d.minProfit,
                      d.T1.c_str(), d.lossCut, d.SP.c_str(), weight, days),
              kTitleLimit);
      composed.shortText = HoldShort(d, s, R, comment, weight, days, in.sender);
      composed.longText = FormatW(
          L"@@%ls종목 홀딩\nhttp://%ls/cafe/?man=%d\n\n▶종목 : %ls(%ls)\n◈현재가 : %ls원 (%ls : "
          L"%.1f%%)\n매수구간 : %ls원\n홀딩 실시\n(적은 금액(50만원)으로 시장가 분할 매수/매도 "
          L"권장)\n▶홀딩사유 : %ls",
          d.H.c_str(), host, man, s.name.c_str(), s.code.c_str(), d.P.c_str(), PL, PR, R.c_str(),
          comment.c_str());
      break;
    }
    case kRecKindReview:
      Review(d, s, comment, in.sender, &composed);
      break;
    case kRecKindBriefing:
      Briefing(d, comment, in.sender, &composed);
      *out = composed;
      return 1;
    default:
      return 0;
  }
  Preview(in.kind, &composed);
  *out = composed;
  return 1;
}

bool RecIsCafeManager(const CafeRecord_s* cafe, int32_t userIndex, int role) {
  if (!cafe || userIndex == 0) return false;
  if (CafeIdListHasMember(cafe->subManagerIds, userIndex)) return true;
  return role == 1 && cafe->managerIndex > 0 &&
         (userIndex == cafe->managerIndex || userIndex == cafe->subManagerIndex);
}

RecMemberLevel_s RecMemberLevelOf(bool manager, bool leader, int32_t userIndex, int32_t loginCafe,
                                  int32_t thisCafe) {
  RecMemberLevel_s level;
  constexpr COLORREF kWhite = RGB(255, 255, 255);
  if (manager) {
    level.text = leader ? L"★대표 관리자" : L"※중간 관리자";
    level.text_colour = kWhite;
    level.back_colour = leader ? RGB(255, 0, 0) : RGB(0, 0, 255);
    level.joinEnabled = false;
    return level;
  }
  level.text_colour = RGB(0, 0, 0);
  level.back_colour = 0xdcf8ff;  // cornsilk
  if (userIndex == 0) {
    level.text = L"--";
    level.joinEnabled = false;
  } else if (loginCafe != thisCafe) {
    level.text = L"멤버가 아니거나, 승인 전입니다";
    level.joinEnabled = true;
  } else {
    level.text = L"승인됨";
    level.joinEnabled = false;
  }
  return level;
}
