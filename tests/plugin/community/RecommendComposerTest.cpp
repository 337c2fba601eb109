// The texts of a cafe recommendation, byte for byte, per kind for domestic, overseas and coin
// stocks; the automatic comments and the free flag; the standing of the user in a cafe.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/support/TextConv.h"
#include "plugin/community/CafeReplies.h"
#include "plugin/community/RecommendComposer.h"

namespace {

RecStock_s Stock(const wchar_t* code, const wchar_t* name, char letter, double price) {
  RecStock_s stock;
  stock.found = true;
  stock.market = 1;
  stock.marketLetter = letter;
  stock.code = code;
  stock.name = name;
  stock.curPrice = price;
  return stock;
}
const RecStock_s kSamsung = Stock(L"005930", L"삼성전자", '1', 70000);
const RecStock_s kApple = Stock(L"AAPL", L"애플", 'N', 200);
const RecStock_s kBitcoin = Stock(L"BTC", L"비트코인", 'b', 95000000);

RecComposeInput_s Input(const RecStock_s& stock, double recommended, int freeFlag,
                        const wchar_t* comment) {
  RecComposeInput_s in;
  in.stock = stock;
  in.recommended = recommended;
  in.freeFlag = freeFlag;
  in.comment = comment;
  in.sender.host = L"cafe.example.com";
  in.sender.managerIndex = 501;
  in.sender.authorName = L"홍길동";
  in.sender.smsFooter = L"[오르벨라]";
  return in;
}

struct KindCase {
  const char* what;
  RecStock_s stock;
  int kind;
  int freeFlag;
  double recommended;
  const wchar_t* comment;
  const wchar_t* title;
  const wchar_t* shortText;
  const wchar_t* longText;
};

const KindCase kKindCases[] = {
    {"buy, domestic, free", kSamsung, kRecKindBuy, 1, 0, L"실적 개선",
     L"삼성전자(005930)/현재가 : 70,000원/매수구간 : ±3 %/최저익절 : 5% 이상(73,500)/손절가 : -10% "
     L"이하(63,000)/비중:10% /기간 : 30일 이내",
     L"●주식매수: cafe.example.com\n*삼성전자(005930)\n현재: 70,000원\n매수: ±3 %\n최저익: 5%",
     L"@@(주식) 주식매수 종목 "
     L"추천\nhttp://cafe.example.com/cafe/?man=501\n\n종목:삼성전자(005930)\n"
     L"◈현재가 : 70,000원\n매수구간 : *7,900~*2,100\n※최저익절 : 5% 이상(73,500)\n손절가 : -10% "
     L"이하(63,000)\n비중:10% /투자기간 : 30일\n▶추천사유 : 실적 개선"},
    {"buy, domestic, VIP", kSamsung, kRecKindBuy, 0, 0, L"실적 개선",
     L"삼성전자(005930)/현재가 : 70,000원/매수구간 : ±3 %/최저익절 : 5% 이상(73,500)/손절가 : -10% "
     L"이하(63,000)/비중:10% /기간 : 30일 이내",
     L"★주식매수: cafe.example.com\n*삼성전자(005930)\n현재: 70,000원\n매수: ±3 %\n최저익: 5%",
     L"@@(VIP 주식) 주식매수 종목 추천\nhttp://cafe.example.com/cafe/?man=501\n\n종목: "
     L"***(005***)\n◈현재가 : *0,000원\n매수구간 : ±3 %\n※최저익절 : 5% 이상(*3,500)\n손절가 : "
     L"-10% 이하(*3,000)\n비중:10% /투자기간 : 30일\n▶추천사유 : 실적 개선"},
    {"buy, overseas, free", kApple, kRecKindBuy, 1, 0, L"실적 개선",
     L"애플(AAPL)/현재가 : 200.00$/매수구간 : 194.00~206.00/최저익절 : 5% 이상(210.00)/손절가 : "
     L"-10% 이하(180.00)/비중:10% /기간 : 30일 이내",
     L"●해외주식매수: cafe.example.com\n*애플(AAPL)\n현재: 200.00$\n매수: 194.00~206.00\n최저익: "
     L"5%",
     L"@@(해외주식) 해외주식매수 종목 "
     L"추천\nhttp://cafe.example.com/cafe/?man=501\n\n종목:애플(AAPL)"
     L"\n◈현재가 : 200.00$\n매수구간 : *94.00~*06.00\n※최저익절 : 5% 이상(210.00)\n손절가 : -10% "
     L"이하(180.00)\n비중:10% /투자기간 : 30일\n▶추천사유 : 실적 개선"},
    {"buy, coin, free", kBitcoin, kRecKindBuy, 1, 0, L"실적 개선",
     L"비트코인(BTC)/현재가 : 95,000,000원/매수구간 : ±3 %/최저익절 : 5% 이상(99,750,000)/손절가 "
     L": -10% 이하(85,500,000)/비중:10% /기간 : 30일 이내",
     L"●주식매수: cafe.example.com\n*비트코인(BTC)\n현재: 95,000,000원\n매수: ±3 %\n최저익: 5%",
     L"@@(주식) 주식매수 종목 추천\nhttp://cafe.example.com/cafe/?man=501\n\n종목:비트코인(BTC)\n"
     L"◈현재가 : 95,000,000원\n매수구간 : *2,150,000~*7,850,000\n※최저익절 : 5% 이상(99,750,000)"
     L"\n손절가 : -10% 이하(85,500,000)\n비중:10% /투자기간 : 30일\n▶추천사유 : 실적 개선"},
    {"sell, domestic, with profit", kSamsung, kRecKindSell, 1, 50000, L"실적 개선",
     L"삼성전자(005930)/◈현재가 : 70000.00원/♥추천가 : 50000.00원/ 매도 실시 (특허등록된 오르벨라 "
     L"매도 권장)",
     L"주식매도: cafe.example.com\n*삼성전자(005930)\n매도: 70,000(수익: 40.0%)\n추천: "
     L"50,000\n비중:100%",
     L"@@(주식) 주식종목 매도\nhttp://cafe.example.com/cafe/?man=501\n\n▶종목 : 삼성전자(005930)\n"
     L"◈현재가 : 70,000원 (수익 : 40.0%)\n♥추천가 : 50,000원\n매도 실시(특허등록된 오르벨라 매도 "
     L"권장)\n▶매도사유 : 고 수익 축하드립니다"},
    {"sell, overseas, VIP with a loss", kApple, kRecKindSell, 0, 250, L"",
     L"애플(AAPL)/◈현재가 : 200.00$/♥추천가 : 250.00$/ 매도 실시 (특허등록된 오르벨라 매도 권장)",
     L"해외주식매도: cafe.example.com\n*애플(AAPL)\n매도: 200.00(손실: -20.0%)\n추천: "
     L"250.00\n비중:100%",
     L"@@(VIP 해외주식) 해외주식종목 매도\nhttp://cafe.example.com/cafe/?man=501\n\n▶종목 : "
     L"애플(AAPL)\n◈현재가 : 200.00원 (손실 : -20.0%)\n♥추천가 : 250.00원\n매도 실시(특허등록된 "
     L"오르벨라 매도 권장)\n▶매도사유 : 손절하여 죄송합니다"},
    {"hold, domestic", kSamsung, kRecKindHold, 1, 50000, L"실적 개선",
     L"삼성전자(005930)/현재가 : 70,000원/홀딩/유효 매수구간 : ±3 %원/최저익절 : 5% "
     L"이상(73,500)/손절가 : -10% 이하(63,000)/비중:10% /기간 : 30일 이내",
     L"(주식) ◆홀딩◆ 신호 (by 홍길동)\n\n▶종목 : 삼성전자(005930)\n◈현재가 : 70,000원\n유효 "
     L"매수구간 : ±3 %원\n최저익절 : 5% 이상(73,500)\n손절가 : -10% 이하(63,000)\n비중:10% "
     L"/투자기간 : 30일\n▶홀딩사유 : 실적 개선\n\n[오르벨라]",
     L"@@(주식) 종목 홀딩\nhttp://cafe.example.com/cafe/?man=501\n\n▶종목 : 삼성전자(005930)\n"
     L"◈현재가 : 70,000원 (수익중 : 40.0%)\n매수구간 : ±3 %원\n홀딩 실시\n(적은 금액(50만원)으로 "
     L"시장가 분할 매수/매도 권장)\n▶홀딩사유 : 실적 개선"},
    {"hold, coin, at a loss", kBitcoin, kRecKindHold, 1, 100000000, L"실적 개선",
     L"비트코인(BTC)/현재가 : 95,000,000원/홀딩/유효 매수구간 : ±3 %원/최저익절 : 5% "
     L"이상(99,750,000)/손절가 : -10% 이하(85,500,000)/비중:10% /기간 : 30일 이내",
     L"(주식) ◆홀딩◆ 신호 (by 홍길동)\n\n▶종목 : 비트코인(BTC)\n◈현재가 : 95,000,000원\n유효 "
     L"매수구간 : ±3 %원\n최저익절 : 5% 이상(99,750,000)\n손절가 : -10% 이하(85,500,000)\n비중:10% "
     L"/투자기간 : 30일\n▶홀딩사유 : 실적 개선\n\n[오르벨라]",
     L"@@(주식) 종목 홀딩\nhttp://cafe.example.com/cafe/?man=501\n\n▶종목 : 비트코인(BTC)\n"
     L"◈현재가 : 95,000,000원 (손실중 : -5.0%)\n매수구간 : ±3 %원\n홀딩 실시\n(적은 "
     L"금액(50만원)으로 시장가 분할 매수/매도 권장)\n▶홀딩사유 : 실적 개선"},
    {"review, domestic", kSamsung, kRecKindReview, 1, 50000, L"목표 근접",
     L"삼성전자(005930)/현재가 : 70,000원/♥추천가 : 50,000원/리뷰 : 목표 근접",
     L"(주식) ◆리뷰◆ (by 홍길동)\n\n종목 : 삼성전자(005930)\n◈현재가 : 70,000원\n♥추천가 : "
     L"50,000원\n수익중 리뷰 : 목표 근접\n\n[오르벨라]",
     L"@@(주식) 종목 리뷰\nhttp://cafe.example.com/cafe/?man=501\n\n▶종목 : 삼성전자(005930)\n"
     L"◈현재가 : 70,000원 (수익중 : 40.0%)\n♥추천가 : 50,000원\n수익중 리뷰 : 목표 근접"},
    {"review, overseas, even", kApple, kRecKindReview, 0, 200, L"목표 근접",
     L"애플(AAPL)/현재가 : 200.00원/♥추천가 : 200.00원/리뷰 : 목표 근접",
     L"(VIP 해외주식) ◆리뷰◆ (by 홍길동)\n\n종목 : 애플(AAPL)\n◈현재가 : 200.00원\n♥추천가 : "
     L"200.00원\n보합 리뷰 : 목표 근접\n\n[오르벨라]",
     L"@@(VIP 해외주식) 종목 리뷰\nhttp://cafe.example.com/cafe/?man=501\n\n▶종목 : 애플(AAPL)\n"
     L"◈현재가 : 200.00원 (보합 : 0.0%)\n♥추천가 : 200.00원\n보합 리뷰 : 목표 근접"},
};

TEST(RecommendComposer, ComposesTheExactTextsOfEveryKind) {
  for (const KindCase& c : kKindCases) {
    SCOPED_TRACE(c.what);
    RecComposed_s out;
    std::wstring error;
    const RecComposeInput_s in = Input(c.stock, c.recommended, c.freeFlag, c.comment);
    ASSERT_EQ(ComposeMessages(in, c.kind, kRecomputeAll, &out, &error), 1) << WideToUtf8(error);
    EXPECT_EQ(WideToUtf8(out.title), WideToUtf8(c.title));
    EXPECT_EQ(WideToUtf8(out.shortText), WideToUtf8(c.shortText));
    EXPECT_EQ(WideToUtf8(out.longText), WideToUtf8(c.longText));
    // The preview: a buy shows both messages, the others the short one.
    const std::wstring preview = c.kind == kRecKindBuy
                                     ? std::wstring(c.shortText) + L"\n-------\n" + c.longText
                                     : std::wstring(c.shortText);
    EXPECT_EQ(out.preview, preview);
    // The preview edit takes CR LF line ends.
    std::wstring crlf = RecToCrLf(out.preview);
    for (size_t at = crlf.find(L'\n'); at != std::wstring::npos; at = crlf.find(L'\n', at + 1))
      EXPECT_TRUE(at > 0 && crlf[at - 1] == L'\r') << at;
    crlf.erase(std::remove(crlf.begin(), crlf.end(), L'\r'), crlf.end());
    EXPECT_EQ(crlf, preview);
  }
}

TEST(RecommendComposer, TheBriefingFillsItsTextsAndStillAnswersZero) {
  RecComposed_s out;
  const RecComposeInput_s in = Input(kSamsung, 0, 1, L"장 마감 시황");
  EXPECT_EQ(ComposeMessages(in, kRecKindBriefing, 0, &out, nullptr), 0);
  EXPECT_EQ(WideToUtf8(out.shortText),
            WideToUtf8(L"(주식) ★시황★ (by 홍길동)\n\n장 마감 시황\n[오르벨라]"));
  EXPECT_EQ(WideToUtf8(out.longText),
            WideToUtf8(L"(주식) ★시황★\nhttp://cafe.example.com/cafe/?man=501\n장 마감 시황"));
  EXPECT_EQ(out.preview, out.shortText);
}

TEST(RecommendComposer, WithoutAStockOrAPriceNothingIsComposed) {
  RecComposed_s out;
  out.title = L"earlier";
  std::wstring error;
  EXPECT_EQ(ComposeMessages(Input(RecStock_s(), 0, 1, L"x"), kRecKindBuy, 0, &out, &error), -1);
  EXPECT_EQ(WideToUtf8(error), "종목을 찾지 못했습니다");
  EXPECT_EQ(ComposeMessages(Input(Stock(L"000001", L"무가", '1', 0), 0, 1, L"x"), kRecKindBuy, 0,
                            &out, &error),
            -2);
  EXPECT_EQ(WideToUtf8(error), "종목의 현재 가격(추천가)을 적지 않았습니다.\n적어주세요");
  EXPECT_EQ(out.title, L"earlier");
  // A price typed in the edit stands in for a stock without one.
  RecComposeInput_s typed = Input(Stock(L"000001", L"무가", '1', 0), 0, 1, L"x");
  typed.price = 1000;
  EXPECT_EQ(ComposeMessages(typed, kRecKindBuy, kRecomputeAll, &out, &error), 1);
  EXPECT_EQ(out.price, 1000);
}

TEST(RecommendComposer, ASellPicksItsCommentFromTheProfitAndFreesBigWins) {
  const struct {
    double price;
    int freeBefore;
    const char* comment;
    int freeAfter;
  } cases[] = {
      {150, 0, "대박 수익 축하드립니다", 1}, {115, 0, "고 수익 축하드립니다", 1},
      {110, 0, "수익 축하드립니다", 0},      {105, 0, "수익 축하드립니다", 0},
      {104, 0, "종목 교체를 위한 매도", 0},  {95.5, 1, "종목 교체를 위한 매도", 1},
      {95, 0, "손절하여 죄송합니다", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.price);
    RecComposeInput_s in =
        Input(Stock(L"000100", L"테스트", '1', c.price), 100, c.freeBefore, L"제가 쓴 이유");
    RecComposed_s out;
    ASSERT_EQ(ComposeMessages(in, kRecKindSell, 0, &out, nullptr), 1);
    EXPECT_EQ(WideToUtf8(out.comment), c.comment);
    EXPECT_EQ(out.freeFlag, c.freeAfter);
  }
}

TEST(RecommendComposer, AnotherKindReplacesOnlyAnAutomaticSellComment) {
  RecComposed_s out;
  ASSERT_EQ(ComposeMessages(Input(kSamsung, 50000, 1, L"고 수익 축하드립니다  "), kRecKindBuy, 0,
                            &out, nullptr),
            1);
  EXPECT_EQ(WideToUtf8(out.comment), "신규 추천");
  ASSERT_EQ(ComposeMessages(Input(kSamsung, 50000, 1, L"반도체 업황 회복  \n"), kRecKindHold, 0,
                            &out, nullptr),
            1);
  EXPECT_EQ(WideToUtf8(out.comment), "반도체 업황 회복");
}

TEST(RecommendComposer, WithoutRecomputeTheEditsPricesStand) {
  RecComposeInput_s in = Input(kSamsung, 0, 1, L"x");
  in.target1 = 77000;
  in.stopPrice = 66500;
  in.bandLow = 69000;
  in.bandHigh = 71000;
  in.rates.buyBand = 5;
  RecComposed_s out;
  ASSERT_EQ(ComposeMessages(in, kRecKindBuy, 0, &out, nullptr), 1);
  EXPECT_DOUBLE_EQ(out.minProfitRate, 10);
  EXPECT_DOUBLE_EQ(out.lossCutRate, -5);
  EXPECT_TRUE(out.target1Edit.empty());
  EXPECT_DOUBLE_EQ(out.bandLow, 69000);
  // A stop above the price is no loss: the rate stays at 0.
  in.stopPrice = 72000;
  ASSERT_EQ(ComposeMessages(in, kRecKindBuy, 0, &out, nullptr), 1);
  EXPECT_DOUBLE_EQ(out.lossCutRate, 0);
  // With the stop flag the stop is worked out again from the rate and written to its edit.
  ASSERT_EQ(ComposeMessages(in, kRecKindBuy, kRecomputeStop, &out, nullptr), 1);
  EXPECT_EQ(WideToUtf8(out.stopEdit), "63,000");
  EXPECT_DOUBLE_EQ(out.stopPrice, 63000);
}

TEST(RecommendComposer, CafeMessagesUseTheirOwnTemplates) {
  RecCafeComposeInput_s in;
  in.stock = kSamsung;
  in.kind = kRecKindBuy;
  in.freeFlag = 0;
  in.comment = L"실적 개선";
  in.sender.host = L"cafe.example.com";
  in.sender.managerIndex = 501;
  RecComposed_s out;
  ASSERT_EQ(ComposeCafeMessages(in, &out), 1);
  EXPECT_EQ(WideToUtf8(out.title),
            WideToUtf8(L"삼성전자(005930)/현재가 : 70,000원/매수구간 : ±3 %/최저익절 : 5% "
                       L"이상(73,500)/손절가 : -10% 이하(63,000)/비중:10% /기간 : 30일 이내"));
  EXPECT_EQ(
      WideToUtf8(out.longText),
      WideToUtf8(L"@@(VIP 주식) 매수 종목 추천\nhttp://cafe.example.com/cafe/?man=501\n\n종목: "
                 L"***(005***)\n◈현재가 : *0,000원\n매수구간 : ±3 %\n※최저익절 : 5% "
                 L"이상(*3,500)\n손절가 : -10% 이하(*3,000)\n비중:10% /투자기간 : 30일\n▶추천사유 "
                 L": 실적 개선"));
  // A sell at a gain against the recommended price.
  in.kind = kRecKindSell;
  in.recommended = 56000;
  ASSERT_EQ(ComposeCafeMessages(in, &out), 1);
  EXPECT_EQ(WideToUtf8(out.shortText),
            WideToUtf8(L"매도:주식 cafe.example.com\n*삼성전자(005930)\n매도: 70,000(★수익: "
                       L"25.0%)\n추천가: 56,000"));
  EXPECT_EQ(WideToUtf8(out.title),
            WideToUtf8(L"삼성전자(005930)/◈현재가 : 70000원/♥추천가 : 56000원/ 매도 실시 "
                       L"(특허등록된 오르벨라 매도 권장)"));
  EXPECT_EQ(out.freeFlag, 1);
  // No stock, or no price anywhere: nothing.
  in.stock = RecStock_s();
  EXPECT_EQ(ComposeCafeMessages(in, &out), 0);
  in.stock = Stock(L"000001", L"무가", '1', 0);
  in.recommended = 0;
  EXPECT_EQ(ComposeCafeMessages(in, &out), 0);
}

TEST(RecommendComposer, KindsNumbersAndAddresses) {
  const int callers[][2] = {{1, 1}, {2, 2}, {3, 7}, {4, 8}, {5, 9}, {0, 1}, {6, 1}};
  for (const auto& c : callers) EXPECT_EQ(RecKindOfCaller(c[0]), c[1]) << c[0];
  for (int index = 0; index < 5; ++index)
    EXPECT_EQ(RecRadioIndexOfKind(RecKindOfRadioIndex(index)), index);
  EXPECT_EQ(WideToUtf8(RecKindLabel(kRecKindProfitCheck)), "수익체크");
  EXPECT_EQ(WideToUtf8(RecButtonText(kRecKindHold, true)), "홀딩 (&Holding)");
  EXPECT_EQ(WideToUtf8(RecButtonText(kRecKindHold, false)), "보유 (홀딩&Hold)");

  const struct {
    double value;
    int decimals;
    const char* text;
  } numbers[] = {{0, 0, "0"},
                 {999, 0, "999"},
                 {1000, 0, "1,000"},
                 {-1234567, 0, "-1,234,567"},
                 {1234.567, 2, "1,234.57"},
                 {0.5, 2, "0.50"}};
  for (const auto& n : numbers) EXPECT_EQ(WideToUtf8(RecFormatNumber(n.value, n.decimals)), n.text);
  EXPECT_DOUBLE_EQ(RecParsePrice(L"1,234,500"), 1234500);
  EXPECT_DOUBLE_EQ(RecParsePrice(L"12.5"), 12.5);
  EXPECT_DOUBLE_EQ(RecParsePrice(L""), 0);
  EXPECT_DOUBLE_EQ(RecParsePrice(L"abc"), 0);
  EXPECT_EQ(RecNegativeRate(7), -7);
  EXPECT_EQ(RecNegativeRate(-7), -7);
  EXPECT_EQ(WideToUtf8(RecHostOfUrl("https://web.example.com:8443/api/")), "web.example.com:8443");
  EXPECT_EQ(WideToUtf8(RecHostOfUrl("web.example.com")), "web.example.com");
  for (char letter : {'A', 'D', 'H', 'N'}) EXPECT_TRUE(RecIsOverseasMarket(letter)) << letter;
  for (char letter : {'1', '2', 'b', 'B', '9'}) EXPECT_FALSE(RecIsOverseasMarket(letter)) << letter;
}

TEST(RecommendComposer, TheUsersStandingInACafe) {
  CafeRecord_s cafe;
  cafe.cafeIndex = 4;
  cafe.managerIndex = 10;
  cafe.subManagerIndex = 11;
  cafe.subManagerIds = L"20;21";
  const struct {
    int user;
    int role;
    bool manager;
  } cases[] = {{20, 0, true},  {21, 0, true},  {10, 1, true}, {11, 1, true},
               {10, 0, false}, {12, 1, false}, {0, 1, false}};
  for (const auto& c : cases)
    EXPECT_EQ(RecIsCafeManager(&cafe, c.user, c.role), c.manager) << c.user << "/" << c.role;
  EXPECT_FALSE(RecIsCafeManager(nullptr, 10, 1));
  cafe.managerIndex = 0;
  EXPECT_FALSE(RecIsCafeManager(&cafe, 11, 1));

  const struct {
    bool manager, leader;
    int user, loginCafe, cafe;
    const char* text;
    bool join;
    COLORREF back;
  } levels[] = {
      {true, true, 10, 4, 4, "★대표 관리자", false, RGB(255, 0, 0)},
      {true, false, 11, 4, 4, "※중간 관리자", false, RGB(0, 0, 255)},
      {false, false, 12, 3, 4, "멤버가 아니거나, 승인 전입니다", true, 0xdcf8ff},
      {false, false, 12, 4, 4, "승인됨", false, 0xdcf8ff},
      {false, false, 0, 0, 4, "--", false, 0xdcf8ff},
  };
  for (const auto& l : levels) {
    const RecMemberLevel_s level =
        RecMemberLevelOf(l.manager, l.leader, l.user, l.loginCafe, l.cafe);
    EXPECT_EQ(WideToUtf8(level.text), l.text);
    EXPECT_EQ(level.joinEnabled, l.join) << l.text;
    EXPECT_EQ(level.back_colour, l.back) << l.text;
  }
}

}  // namespace
