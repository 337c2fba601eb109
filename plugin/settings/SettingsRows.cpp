#include "plugin/settings/SettingsRows.h"

#include <cmath>
#include <cstdio>
#include <cwchar>
#include <cwctype>
#include <initializer_list>
#include <limits>

#include "platform/ui/model/OptionList.h"
#include "shared/AppRunSetting.h"
#include "shared/LoginInfo.h"
#include "shared/StockOption.h"

namespace {

constexpr wchar_t kDomesticBrokers[] = L"0:■없음;1:키움증권;11:DB증권;2:LS증권;14:한국투자증권";
constexpr wchar_t kDataBrokers[] = L"0:로그인 증권사;1:키움증권;11:DB증권;2:LS증권;14:한국투자증권";
constexpr wchar_t kForeignBrokers[] = L"0:없음;1:키움증권;11:DB증권;2:LS증권;14:한국투자증권";
constexpr wchar_t kCoinExchanges[] = L"0:■설정 안함;9:업비트(Upbit);8:빗썸(Bithumb)";
constexpr wchar_t kWonAmounts[] = L"5000:5,000원;10000:10,000원;20000:20,000원;";
constexpr wchar_t kAllTimes[] = L"*전체시간 허용*";
constexpr wchar_t kNoCondition[] = L"■설정 안함■";

std::wstring Format(const wchar_t* format, double value) {
  wchar_t buf[128];
  std::swprintf(buf, std::size(buf), format, value);
  return buf;
}
std::wstring Format(const wchar_t* format, int value) {
  wchar_t buf[256];
  std::swprintf(buf, std::size(buf), format, value);
  return buf;
}

// An option list of numbers, each labelled by `format` with its number (and "zero" first when
// given, valued 0).
std::wstring NumberList(std::initializer_list<int> values, const wchar_t* format,
                        const wchar_t* zero = nullptr) {
  std::wstring list;
  if (zero) list += std::wstring(L"0:") + zero + L";";
  for (int v : values) list += std::to_wstring(v) + L":" + Format(format, v) + L";";
  return list;
}

// The wide label of a fee row: "%s" is the market word, "%%" a percent sign.
std::wstring FeeLabel(const wchar_t* format, const wchar_t* market) {
  wchar_t buf[256];
  std::swprintf(buf, std::size(buf), format, market);
  return buf;
}

void CopyText(wchar_t* field, size_t len, const std::wstring& text, size_t limit) {
  size_t n = text.size();
  if (limit && n > limit) n = limit;
  if (n > len - 1) n = len - 1;
  std::wmemcpy(field, text.data(), n);
  std::wmemset(field + n, L'\0', len - n);
}

// The rows under construction, with helpers that add one row of each kind.
class RowBuilder {
 public:
  explicit RowBuilder(std::vector<SettingsRow>* rows) : rows_(rows) {}

  int Category(const std::wstring& label, bool expanded = false) {
    SettingsRow row;
    row.kind = RowKind::kCategory;
    row.label = label;
    row.expanded = expanded;
    return Add(std::move(row), -1);
  }
  int Sub(int parent, const std::wstring& label, bool expanded = false) {
    SettingsRow row;
    row.kind = RowKind::kSubCategory;
    row.label = label;
    row.expanded = expanded;
    return Add(std::move(row), parent);
  }
  SettingsRow& Switch(int parent, const std::wstring& label, uint8_t* value, const wchar_t* on,
                      const wchar_t* off, const wchar_t* description = L"") {
    SettingsRow row;
    row.kind = RowKind::kSwitch;
    row.label = label;
    row.byte = value;
    row.onText = on;
    row.offText = off;
    row.description = description;
    return At(Add(std::move(row), parent));
  }
  SettingsRow& ByteChoice(int parent, const std::wstring& label, uint8_t* value,
                          const std::wstring& options) {
    SettingsRow row;
    row.kind = RowKind::kByteChoice;
    row.label = label;
    row.byte = value;
    row.options = options;
    return At(Add(std::move(row), parent));
  }
  SettingsRow& NumberChoice(int parent, const std::wstring& label, int32_t* value,
                            const std::wstring& options, RowKind kind = RowKind::kNumberChoice) {
    SettingsRow row;
    row.kind = kind;
    row.label = label;
    row.number = value;
    row.options = options;
    return At(Add(std::move(row), parent));
  }
  SettingsRow& FlagChoice(int parent, const std::wstring& label, uint32_t* value,
                          const std::wstring& options) {
    SettingsRow row;
    row.kind = RowKind::kFlagChoice;
    row.label = label;
    row.flags = value;
    row.options = options;
    return At(Add(std::move(row), parent));
  }
  SettingsRow& Decimal(int parent, const std::wstring& label, double* value, int precision,
                       const wchar_t* description = L"") {
    SettingsRow row;
    row.kind = RowKind::kDecimal;
    row.label = label;
    row.decimal = value;
    row.precision = precision;
    row.description = description;
    return At(Add(std::move(row), parent));
  }
  SettingsRow& Small(int parent, const std::wstring& label, uint8_t* value) {
    SettingsRow row;
    row.kind = RowKind::kSmallNumber;
    row.label = label;
    row.byte = value;
    return At(Add(std::move(row), parent));
  }
  SettingsRow& Whole(int parent, const std::wstring& label, int32_t* value) {
    SettingsRow row;
    row.kind = RowKind::kWholeNumber;
    row.label = label;
    row.number = value;
    return At(Add(std::move(row), parent));
  }
  template <size_t N>
  SettingsRow& Text(int parent, const std::wstring& label, wchar_t (&field)[N],
                    RowKind kind = RowKind::kText) {
    SettingsRow row;
    row.kind = kind;
    row.label = label;
    row.text = field;
    row.textLen = N;
    return At(Add(std::move(row), parent));
  }
  SettingsRow& OwnText(int parent, const std::wstring& label, std::wstring* value) {
    SettingsRow row;
    row.kind = RowKind::kText;
    row.label = label;
    row.ownText = value;
    return At(Add(std::move(row), parent));
  }

  SettingsRow& At(int index) { return (*rows_)[static_cast<size_t>(index)]; }

 private:
  int Add(SettingsRow row, int parent) {
    row.parent = parent;
    rows_->push_back(std::move(row));
    return static_cast<int>(rows_->size()) - 1;
  }
  std::vector<SettingsRow>* rows_;
};

bool BothKeys(const wchar_t* key, const wchar_t* secret) { return key[0] && secret[0]; }

// The login, alias, access-key and secret-key rows of one account.
template <int N>
void AccountRows(RowBuilder& b, int parent, broker_slots_s<N>& slots, int slot, int account,
                 const std::wstring& login, const std::wstring& alias, const std::wstring& access,
                 const std::wstring& secret) {
  auto mark = [&](SettingsRow& row) {
    row.role = RowRole::kAccountText;
    row.account = account;
  };
  mark(b.Text(parent, login, slots.account[slot]));
  mark(b.Text(parent, alias, slots.name[slot]));
  SettingsRow& key = b.Text(parent, access, slots.app_key[slot], RowKind::kKeyText);
  mark(key);
  key.buttonId = kLoadButtonBase + account;
  mark(b.Text(parent, secret, slots.app_secret[slot], RowKind::kKeyText));
}

}  // namespace

void PrepareSettingsValues(SettingsSources& s) {
  stock_option_s& o = *s.options;
  if (o.macd_short < 1) o.macd_short = 12;
  if (o.macd_long < 1) o.macd_long = 26;
  if (o.macd_signal < 1) o.macd_signal = 9;
  if (o.min_profit_stop_band < 0.1) o.min_profit_stop_band = 0.1;
  if (o.split_buy_amount < 1) o.split_buy_amount = s.defaultSplitAmount;
  o.split_buy_amount_won = o.split_buy_amount * 10000.0;
  if (s.login && s.login->byUserLevel < kMemberLevelForAdmin) o.cafe_sell_sms = 0;
  StockCfgValues& v = *s.values;
  v.wideFactor10 = static_cast<int32_t>(std::lround(o.wide_step_factor * 10.0));
  v.remainderWon = static_cast<int32_t>(std::lround(o.remainder_amount));
  v.minProfitBand10 = static_cast<int32_t>(std::lround(o.min_profit_stop_band * 10.0));
  v.mainCode = o.main_code;
  v.subCode = o.sub_code;
  SplitModuleFlags(o.module_flags, &v);
  if (s.login) {
    v.nickname = s.login->szNickName;
    v.email = s.login->szEmail;
  }
  const int sets = o.buy_condition_sets > 4 ? 4 : o.buy_condition_sets;
  for (int k = 0; k < sets; ++k)
    if (o.buy_condition[k] > 0) ++o.chosen_buy_count;
}

std::vector<SettingsRow> BuildSettingsRows(const SettingsSources& s) {
  std::vector<SettingsRow> rows;
  RowBuilder b(&rows);
  stock_option_s& o = *s.options;
  StockCfgValues& v = *s.values;
  const bool admin = s.login && s.login->byUserLevel >= kMemberLevelForAdmin;
  const wchar_t* market = s.run && s.run->szModuleKind[0] ? s.run->szModuleKind : L"주식";

  const int customer = b.Category(L"고객 정보", true);

  const int fees = b.Category(L"증권사/거래소 별 세금/수수료 정보", true);
  b.Decimal(fees, L"국내 주식 세금(TAX, %)", &o.tax_rate, 4);
  b.Decimal(fees, FeeLabel(L"국내 %ls 매수(BUY) 수수료(%%)", market), &o.buy_fee_domestic, 4);
  b.Decimal(fees, FeeLabel(L"국내 %ls 매도(SELL) 수수료(%%)", market), &o.sell_fee_domestic, 4);
  b.Decimal(fees, FeeLabel(L"해외 %ls 매수(BUY) 수수료(%%)", market), &o.buy_fee_overseas, 4);
  b.Decimal(fees, FeeLabel(L"해외 %ls 매도(SELL) 수수료(%%)", market), &o.sell_fee_overseas, 4);
  b.Decimal(fees, FeeLabel(L"유럽 %ls 매수(SELL)/매도(BUY) 수수료(%%)", market), &o.europe_fee, 4);
  b.Decimal(fees, FeeLabel(L"코인(Coin) 매수(SELL)/매도(BUY) 수수료(%%)", market), &o.coin_fee, 4)
      .role = RowRole::kCoinFee;

  const int domestic = b.Category(L"국내 주식 모니터링 계좌/계정 설정", true);
  b.Switch(domestic, L"국내 주식 NXT 주문 거래 허용 (8~8:40, 15:30~20시 거래 허용)", &o.nxt_on,
           L"NXT 주문 거래 허용", L"■NXT 주문 안함");
  for (int i = 0; i < kDomesticBrokerSlots; ++i) {
    const int n = i + 1;
    const bool open = n == 1 || BothKeys(o.domestic.app_key[i], o.domestic.app_secret[i]);
    const int sub = b.Sub(domestic, Format(L"국내 주식 모니터링 계좌-[%d]", n), open);
    b.ByteChoice(sub, Format(L"[%d] 증권사", n), &o.domestic.broker_id[i], kDomesticBrokers);
    AccountRows(b, sub, o.domestic, i, kDomestic1 + i, Format(L"[%d] 로그인 계정", n),
                Format(L"[%d] 별칭(소유자)", n), Format(L"[%d] ACCESS-KEY", n),
                Format(L"[%d] SECRET-KEY", n));
  }

  const int data = b.Category(L"국내 주식 데이터 조회 증권사 설정", true);
  b.ByteChoice(data, L"1. 차트 데이터 조회 증권사", &o.data_broker, kDataBrokers);
  b.ByteChoice(data, L"2. 기관/외국인 추이 조회 증권사", &o.trend_broker, kDataBrokers);
  b.ByteChoice(data, L"3. 공매도 추이 조회 증권사", &o.short_broker, kDataBrokers);

  const int foreign = b.Category(L"해외 주식 거래 설정");
  b.Switch(foreign, L"1. 해외 주식 거래 사용 (DOW, NASDAQ) - 메모리 8GB이상 PC", &o.overseas_on,
           L"해외 주식 거래 사용", L"■해외 주식 안함")
      .role = RowRole::kForeignSwitch;
  b.Decimal(foreign, L"2. USD 원화 환율(자동 조회됨)", &o.exchange_rate, 2);
  b.Decimal(foreign, L"3. EURO 원화 환율(자동 조회됨)", &o.eur_rate, 2);
  const int us = b.Sub(foreign, L"미국주식 거래 설정",
                       BothKeys(o.overseas.app_key[0], o.overseas.app_secret[0]));
  b.Switch(us, L"1. 미국주식 자동 거래 모드로 전환 (22시 이후)", &o.us_auto_switch,
           L"해외 주식 모드로 자동 전환", L"■설정 안함")
      .hidden = true;
  b.ByteChoice(us, L"2. 미국주식 거래 증권사", &o.overseas.broker_id[0], kForeignBrokers);
  AccountRows(b, us, o.overseas, 0, kUsAccount, L"3. 미국주식 거래용 계정",
              L"4. 미국주식 거래용 별칭(소유자)", L"5. 미국주식 거래용 ACCESS-KEY",
              L"6. 미국주식 거래용 SECRET-KEY");
  const int eu = b.Sub(foreign, L"유럽주식 거래 설정",
                       BothKeys(o.europe.app_key[0], o.europe.app_secret[0]));
  // The times 17:00 and 17:30 are kept whole (hhmm) so they read back as chosen.
  b.NumberChoice(eu, L"1. 유럽주식 거래 모드로 자동 전환 (17시 이후 권장)", &o.europe_switch_time,
                 L"0:■설정 안함;1700:[17시] 유럽주식 모드로 자동 전환;1730:[17시 30분] 유럽주식 "
                 L"모드로 자동 전환;")
      .readOnly = !o.overseas_on;
  b.ByteChoice(eu, L"2. 유럽주식 거래 증권사", &o.europe.broker_id[0], kForeignBrokers);
  AccountRows(b, eu, o.europe, 0, kEuropeAccount, L"3. 유럽주식 거래용 계정",
              L"4. 유럽주식 거래용 별칭", L"5. 유럽주식 거래용 ACCESS-KEY",
              L"6. 유럽주식 거래용 SECRET-KEY");

  const int coin = b.Category(L"코인(Coin) 거래 설정", true);
  b.Switch(coin, L"1. 코인(Coin) 자동 거래 허용 (시작시)", &o.coin_on, L"코인(Coin) 거래 자동 허용",
           L"■설정 안함");
  for (int i = 0; i < kCoinBrokerSlots; ++i) {
    const int n = i + 1;
    const int sub = b.Sub(coin, Format(L"코인 모니터링 계좌-[%d]", n),
                          BothKeys(o.coin.app_key[i], o.coin.app_secret[i]));
    b.ByteChoice(sub, Format(L"[%d] 거래소", n), &o.coin.broker_id[i], kCoinExchanges);
    AccountRows(b, sub, o.coin, i, kCoin1 + i, Format(L"[%d] 로그인 계정", n),
                Format(L"[%d] 별칭(소유자)", n), Format(L"[%d] ACCESS-KEY", n),
                Format(L"[%d] SECRET-KEY", n));
  }

  const int heuristic = b.Category(L"휴리스틱 감시 설정", true);
  b.Switch(heuristic, L"1. 휴리스틱 모드 감시 허용 (빠른 적응 매매)", &o.heuristic_on,
           L"휴리스틱 모드 사용", L"■휴리스틱 중지");
  b.Decimal(heuristic, L"휴리스틱 반응 RATE(수익률 증감률, %)", &o.heuristic_rate, 2);

  const int ai = b.Category(L"생성형 AI 분석 설정 (투자의 판단은 스스로)");
  b.Switch(ai, L"1. 생성형 AI 분석 사용", &o.ai_on, L"생성형 AI 분석 사용", L"■설정 안함");
  b.ByteChoice(ai, L"2. 생성형 AI 엔진", &o.ai_engine,
               L"0:없음;1:CHAT-GPT;2:Perplexity;3:Gemini;4:Claude;5:DeepSeek;");
  SettingsRow& aiKey = b.Text(ai, L"3. 생성형 AI 분석용 SECRET-KEY", o.ai_key, RowKind::kKeyText);
  aiKey.role = RowRole::kAccountText;
  b.Text(ai, L"4. 생성형 AI 분석 주소(URL)", o.ai_url, RowKind::kText);

  const int stop = b.Category(L"자동 매도 스탑로스 설정(★특허등록된 기능★)", true);
  const int buy = b.Category(L"자동 매수 금액/시간 설정 (★꼭 확인 필요)", true);
  const int cond = b.Category(L"자동 매수(Buy) 조건식 실행 설정", true);
  if (o.sell_condition_sets > 0) b.Category(L"자동 매도(Sell) 조건식 실행 설정", true);
  if (s.login) {
    SettingsRow& nick = b.OwnText(customer, L"닉네임", &v.nickname);
    nick.itemId = kNicknameItemId;
    nick.role = RowRole::kNickname;
    SettingsRow& mail = b.OwnText(customer, L"전자우편", &v.email);
    mail.itemId = kEmailItemId;
    mail.role = RowRole::kEmail;
  }

  // Table A: stop-loss and selling.
  b.Switch(stop, L"A1-1. ★자동매도 ON 설정값 유지(주의: 시각 장애인 등 꼭 필요한 분만)",
           &o.keep_auto_sell_on, L"자동매도 ON 유지(편리.주의 필요)", L"직접 설정함(매번 ON 체크)");
  b.Switch(stop, L"A1-2. ★신규 매수(잔고편입) 종목, 자동 스탑-로스(단타시 ★설정 권장★)",
           &o.new_holding_stop_loss, L"신규 매수종목 스탑로스 적용", L"■설정 안함");
  b.ByteChoice(stop, L"A1-5. ◎기관/외국인 실시간 매매 조회(★최고★)", &o.investor_realtime,
               L"0:조회 안함;1:금액으로 조회;2:수량으로 조회;");
  b.Switch(stop, L"A2. ★신용융자 종목 ■날짜별■ 매도(매수 날짜별 매도 - 권장)",
           &o.credit_sell_by_date, L"신용종목 날짜별 매도 (권장)", L"■설정 안함");
  b.Switch(stop, L"A3. 장 종료 15분전 청산 매도 시작(종료전까지 분할매도 : 주의 필요)",
           &o.close_out_before_end, L"장 종료전, 분할 매도(주의 필요)", L"■설정 안함")
      .readOnly = true;
  b.ByteChoice(stop, L"A4. 보유종목 및 설정 WEB-싱크 설정 (핸드폰으로 제어 가능)",
               &o.web_sync_seconds,
               L"0:자동 싱크맞추지 않음;30:30초 간격으로 싱크 맞춤;60:1분 간격으로 싱크 맞춤;")
      .role = RowRole::kWebSync;
  SettingsRow& valuation =
      b.Switch(stop, L"A5-1. 계좌 평가액 서버에 저장(날짜별 개인별 수익 현황 관리)",
               &o.save_valuation, L"저장", L"저장 안함",
               L"계좌 평가액 서버에 저장(날짜별 개인별 수익 현황 관리)");
  valuation.readOnly = o.web_sync_seconds == 0;
  valuation.role = RowRole::kValuation;
  b.Switch(stop, L"A5-2. 증권사 경고/알림 팝업 자동 닫기", &o.close_broker_popups, L"팝업 닫기",
           L"유지하기", L"증권사 경고/알림 팝업 자동 닫기");
  b.NumberChoice(stop, L"A6. 보유 종목 조회 간격 (비트코인은 필수)", &o.holdings_query_ms,
                 L"0:자동 조회하지 않음;30000:30초 간격으로 조회;60000:1분 간격으로 조회;");
  b.Switch(stop, L"A7. ★종목 현재가 WEB 조회 (●지연 시세●, 유익한 설정)", &o.web_price_query,
           L"설정", L"■설정 안함");
  b.Switch(stop, L"A8. 최저이익 자동 보정(30%초과 수익시, 최저이익 자동 보정. ★권장★)",
           &o.min_profit_auto_adjust, L"설정", L"■설정 안함");
  b.NumberChoice(stop, L"A9. 스탑로스 간격 상단 구간 배로 확장(코인: 2배 이상 권장)",
                 &v.wideFactor10,
                 L"10:하단 구간 간격과 동일;15:1.5배 확장;20:2배 확장;25:2.5배 확장;30:3배 "
                 L"확장(권장);");
  b.Switch(stop, L"A10. 카페 추천종목 자동 가격 조회(종목수 적은 고객만 권장)",
           &o.cafe_price_query, L"보유종목과 함께 가격 조회", L"조회하지 않음");
  b.ByteChoice(stop, L"A11. 카페 추천 종목 자동 매도 문자 송출(관리자만 가능)", &o.cafe_sell_sms,
               L"0:자동 손절/익절 안함;1:수익권 자동 익절만 문자 송신(권장);2:손실시, 자동 "
               L"손절만 문자 송신;3:자동 익절+손절 모두 문자 송신;")
      .readOnly = !admin;
  b.Decimal(stop, L"A12. 원/달러 기준 환율  (비트코인시 필수)", &o.exchange_rate2, 2,
            L"원/달러 기준 환율  (비트코인시 필수)")
      .readOnly = true;
  b.NumberChoice(stop, L"A13-1. BTC 및 짜투리 합산 금액 (분할 매도시, 마지막 합산 금액)",
                 &v.remainderWon, kWonAmounts);
  b.NumberChoice(stop, L"A13-2. 주문 금지 금액(5,000원 권장. 설정금액 이하 주문 불가)",
                 &o.order_ban_amount, kWonAmounts);
  {
    std::wstring list;
    for (int tenth : {1, 3, 5, 7, 10, 15, 20, 25})
      list += std::to_wstring(tenth) + L":" + Format(L"%.1f%% 이하 수익, 매도 멈춤", tenth / 10.0) +
              L";";
    b.NumberChoice(stop, L"A14. 수익 매도(익절) 최저 멈춤 구간(익절 후, 최저 멈춤)",
                   &v.minProfitBand10, list);
  }
  b.NumberChoice(stop, L"A15. 최저 익절후, 멈춤 구간(주의: 급락시 매도 멈춤)",
                 &o.stop_after_profit,
                 NumberList({-2, -3, -4, -5, -6, -7, -8, -9}, L"%d%% 이하, 매도 멈춤", L"설정 안함"));
  b.NumberChoice(stop, L"A16. 최저 익절후, ★재매수 시작★(A17보다 높게)", &o.rebuy_start,
                 NumberList({-4, -5, -6, -7, -8, -9, -10, -11, -12, -15, -17, -20, -25},
                            L"%d%% 이하, 재매수", L"설정 안함"));
  b.NumberChoice(stop, L"A17. 최저 익절후, ★재매수 종료★(A16보다 낮게)", &o.rebuy_end,
                 NumberList({-5, -6, -7, -8, -9, -10, -11, -12, -14, -15, -17, -18, -20, -22, -25,
                             -27},
                            L"%d%% 이하, 재매수 멈춤", L"설정 안함"));
  b.OwnText(stop, L"A19-1. 핵심/대장(Main) 종목 코드", &v.mainCode).copyLimit = 15;
  b.OwnText(stop, L"A19-2. 부핵심(Sub) 종목 코드", &v.subCode).copyLimit = 15;
  b.Switch(stop, L"A20. 비교 마켓(BTC) 종목 조회(김치.프리미엄 체크. 필수 체크)",
           &o.compare_market, L"비교 마켓 시세 조회(재실행 필요)", L"■조회 안함")
      .hidden = true;
  b.Switch(stop, L"A21. 매도 완료 종목 숨김 처리(자동 + 수동 매도 병행시)", &o.hide_sold,
           L"종목 숨김 처리", L"숨기지 않음(버그 발생시)", L"매도 완료 종목 숨김 처리");
  b.Switch(stop, L"A22. 차트 데이터 날짜 순서", &o.chart_date_order, L"순차적(이전 날짜부터)",
           L"역순(최근 날짜부터 수신)", L"차트 데이터 날짜 순서");
  b.NumberChoice(stop, L"A23. 손절 기준 낮추는 간격(-3% 권장)", &o.stop_loss_lower_step,
                 L"-2:-2% 씩 낮춤;-3:-3% 씩 낮춤;-5:-5% 씩 낮춤");
  SettingsRow& a24 = b.NumberChoice(
      stop, L"A24. 보유 종목 낮은 수익종목 숨기기(전문가 전용)", &o.hide_low_profit,
      L"-100:■숨기지 않음;" +
          NumberList({-1, -3, -5, -7, -10, -15, -20, -30}, L"%d%% 미만 숨김"));
  a24.readOnly = !admin;
  a24.role = RowRole::kA24;

  // Table B.
  const int alerts = b.Sub(stop, L"거래 알림 팝업 설정 - 회사에서는 주의하세요.");
  b.Switch(alerts, L"B1. 전문가 추천 종목, ■알림■ (알림 권장)", &o.expert_alert, L"알림",
           L"■알림없음");
  b.Switch(alerts, L"B2. 매수/매도 체결시, ■팝업 표출■ (주의 필요)", &o.fill_popup, L"표출",
           L"■표출안함", L"매수/매도 체결시, ■팝업 표출■ (비밀거래를 원하시면, 체크하지 마세요)");
  b.ByteChoice(alerts, L"B3. 매수/매도 체결시, ■음성 알림■ (주의 필요)", &o.fill_voice,
               L"0:음성 알림 없음;1:매수/매도 음성 알림;3:매매 + 조건식 검출 알림;")
      .description = L"매수/매도 체결시, ■음성 알림■ (비밀거래를 원하시면, 체크하지 마세요)";
  if (s.run) {
    SettingsRow& sleep =
        b.Switch(alerts, L"B4. 윈도우 절전 모드 방지 : ■ 5분 간격 체크", &s.run->byHibernateOff,
                 L"5분 간격 체크", L"■설정안함",
                 L"윈도우 절전 모드를 제어합니다 (노트북 사용자는 꼭 체크를 권장합니다)");
    sleep.itemId = kSleepItemId;
    sleep.role = RowRole::kSleepSwitch;
  }
  b.NumberChoice(alerts, L"B5. 수익/손실 상태 문자 알림 - 권장/유익", &o.sms_alarm_time,
                 L"0:SMS 보내지 않음;1500:오후 3시에 알림;1600:오후 4시에 알림(지연 시작시);");

  // Table C.
  const int other = b.Sub(stop, L"기타 설정");
  b.Switch(other, L"C1. 매매내역, 서버에 저장 (디버깅 및 VOC 대응용으로 저장)",
           &o.save_trades_server, L"True", L"False", L"매매내역, 서버에 저장")
      .readOnly = true;
  b.Switch(other, L"C2. 종목별 코멘트 입력 열(Column) 표시", &o.comment_column, L"표시",
           L"표시 안함", L"종목별 코멘트 입력 열(Column) 표시 (숨기려면 체크하지 마세요)");
  b.Switch(other, L"C3. 타계좌 종목 모니터링 - (30개를 초과하면, 속도 느릴수 있습니다)",
           &o.other_account_watch, L"설정", L"■설정 안함")
      .hidden = true;
  b.Switch(other, L"C4. 보유종목 + 관심종목 모두 실시간 시세 감시", &o.watch_all_realtime,
           L"설정", L"설정안함",
           L"보유종목 + 관심종목 모두 실시간 시세 감시 (체크시 속도 느림) - 권장하지 않습니다")
      .hidden = true;
  b.Switch(other,
           L"B6. 기관/외국인 매수/매도 종목 30초단위 체크(체크시 속도 느림) - (키움 API 버그 "
           L"있습니다)",
           &o.investor_check_30s, L"설정", L"설정안함")
      .hidden = true;

  // Table D.
  b.Switch(buy, L"D1. 신용(Loan) 매수 허용", &o.credit_buy, L"신용 매수 허용(주의 필요)",
           L"허용 안함", L"신용(Loan) 매수 허용");
  b.Switch(buy, L"D2. 로그 파일 쓰기(검증용)", &o.write_log_file, L"쓰기(권장)", L"쓰기 안함",
           L"로그 파일 쓰기(검증용)");
  b.ByteChoice(buy, L"D3. *자동매수시, 보유종목 제외/한정 여부(★)", &o.held_stock_buy_rule,
               L"0:설정 안함;1:보유종목은 제외;");
  b.ByteChoice(buy, L"D4. 관심종목/보유종목 자동매수(주의)", &o.auto_buy_scope,
               L"0:전체종목 자동 매수;1:관심종목만 자동 매수;2:보유종목만 자동 매수;3:조건식 검출 "
               L"종목 자동 매수;");
  b.Switch(buy, L"D5. 조건식, 이탈후 재진입시 매수", &o.reentry_buy, L"이탈후 재진입시 매수",
           L"이탈/재진입 체크 안함", L"조건식, 이탈후 재진입시 매수");
  b.NumberChoice(buy, L"D6. 자동매수 허용 설정(주의)", &o.auto_buy_rise_limit,
                 NumberList({5, 6, 7, 8, 9, 10, 12, 15, 18, 20, 30}, L"상승폭 %d%% 이하 종목"));
  b.NumberChoice(buy, L"D6-2. 자동매수 허용 설정(최소)", &o.auto_buy_min_rise,
                 L"0:허용안함;1: 1% 이상;2: 2% 이상;3: 3% 이상;4: 4% 이상;5:5% 이상;");
  b.NumberChoice(buy, L"D6-3. 자동매수 허용 설정(최대)", &o.auto_buy_max_rise,
                 L"0:허용안함;1: 1% 미만;2: 2% 미만;3: 3% 미만;4: 4% 미만;5:5% 미만;7: 7% 미만;9: "
                 L"9% 미만;10:10% 미만;");
  b.NumberChoice(buy, L"D6-4. 자동매수 금지 설정(최대)", &o.auto_buy_ban_fall,
                 L"0:허용안함;-1: -1% 미만;-2: -2% 미만;-3: -3% 미만;-4: -4% 미만;-5:5% 미만;-7: "
                 L"-7% 미만;-9: -9% 미만;-10:-10% 미만;");
  b.NumberChoice(buy, L"D7. 자동매수 시작 조건(매수 지연)", &o.auto_buy_delay_ms,
                 L"0:즉시 매수;1000:1초 지연 매수;3000:3초 지연 매수;5000:5초 지연 매수;60000:1분 "
                 L"지연 매수;180000:3분 지연 매수;300000:5분 지연 매수;600000:10분 지연 매수;");

  // Table E.
  const std::wstring splitAmounts =
      NumberList({7, 10, 12, 15, 20, 30, 40, 50, 60, 80, 100, 150, 200, 250, 300, 500, 1000},
                 L"%d만원");
  const int split = b.Sub(buy, L"분할 매수(Buy) 설정 - 매도는 툴바에서 설정합니다", true);
  b.ByteChoice(split, L"E1. 자동 매수 형태(필수)", &o.auto_buy_kind,
               L"2:종목 한정 자동매수;4:차트 분석 자동매수(권장);");
  b.ByteChoice(split, L"E2. 자동 매수 방법 (AND / OR 매수)", &o.auto_buy_match,
               L"0:OR 매수(1개만 매칭되어도 매수);1:AND 매수(모든 조건 매칭시 매수);");
  b.NumberChoice(split, L"E3. 분할 매수 금액 (필수 선택. 소금액 권장)", &o.split_buy_amount,
                 splitAmounts);
  {
    std::wstring list;
    for (int ms : {5000, 10000, 20000, 30000, 40000, 50000, 60000})
      list += std::to_wstring(ms) + L":" + Format(L"%d초 간격 분할매수", ms / 1000) + L";";
    b.NumberChoice(split, L"E4. 분할 매수 시간 간격(필수)", &o.split_buy_interval_ms, list);
  }
  b.NumberChoice(split, L"E5. 자동매수 최대 종목 개수(필수)", &o.auto_buy_max_stocks,
                 NumberList({1, 3, 5, 8, 10, 12, 15, 17, 20, 25, 30}, L"%d종목 매수"));
  b.NumberChoice(split, L"E6. 종목당 매수 금액 한도", &o.per_stock_buy_limit,
                 NumberList({10, 12, 15, 20, 30, 40, 50, 60, 80, 100, 150, 200, 250, 300, 400, 500,
                             1000},
                            L"%d만원"));
  b.NumberChoice(split, L"E7. 1일 최대 매수 금액", &o.daily_buy_limit,
                 NumberList({10, 15, 20, 30, 40, 50, 60, 80, 100, 150, 200, 300, 400, 500, 800,
                             1000, 1500, 2000, 2500, 3000},
                            L"%d만원"));
  b.NumberChoice(split, L"E7. 실시간 시세 미수신 종목, 자동매수 수량", &o.no_quote_buy_qty,
                 L"0:시세 요청후 매수(권장);1:1주 매수;5:5주 매수;10:10주 매수;");

  // Table F.
  const int search = b.Sub(buy, L"종목 검색/매수 조건 설정");
  const int modules = b.Sub(search, L"F1. 분석 모듈 (RSI/S.RSI/MFI/CCI/MACD/P.SAR 설정)", true);
  b.Switch(modules, L"F1-1. 검색 마켓(코스피/코스닥) 선택", &o.kospi_only, L"코스피 만 검색",
           L"코스피+코스닥 검색(권장)")
      .readOnly = true;
  b.ByteChoice(modules,
               L"F1-2. 차트 분봉 데이터 간격 설정 (자동매수 및 차트 분석에서 사용)",
               &o.minute_chart,
               L"0:분봉 분석 안함;1:1 분봉 데이터;3:3분봉 데이터;5:5 분봉 데이터;10:10 분봉 "
               L"데이터;15:15 분봉 데이터;30:30 분봉 데이터;60:60 분봉 데이터;240:240 분봉 데이터");
  b.ByteChoice(modules,
               L"F1-3. 차트 분봉(2번째) 데이터 간격 설정 (자동매수 및 차트 분석에서 사용)",
               &o.minute_chart2,
               L"0:분봉 분석 안함;1:1 분봉 데이터;3:3 분봉 데이터;5:5 분봉 데이터;10:10 분봉 "
               L"데이터;15:15 분봉 데이터;30:30 분봉 데이터;60:60 분봉 데이터;240:240 분봉 데이터");
  b.ByteChoice(modules, L"F1-4. 검색 조합 모드 (자동매수 및 차트 분석에서 사용)", &o.search_mode,
               L"0:분봉 분석 안함;1:일봉만 체크;2:분봉만 체크;3:일봉+분봉 함께 체크;6:분봉+분봉 "
               L"함께 체크;7:일봉+분봉+분봉 함께 체크;");
  b.Switch(modules, L"F1-5. RSI 분석/검출 모듈 사용", &v.rsi, L"RSI 사용", L"사용 안함");
  b.FlagChoice(modules, L"F1-6. Stochastic 분석/검출 모듈 사용", &v.stochastic,
               Format(L"0:Stochastic 사용안함; %d:Stochastic SLOW 사용; ",
                      static_cast<int>(kModuleStochSlow)) +
                   Format(L"%d:Stochastic FAST 사용;", static_cast<int>(kModuleStochFast)));
  b.Switch(modules, L"F1-7. MFI 분석/검출 모듈 사용", &v.mfi, L"MFI 사용", L"사용 안함");
  b.Switch(modules, L"F1-8. CCI 분석/검출 모듈 사용", &v.cci, L"CCI 사용", L"사용 안함");
  b.Switch(modules, L"F1-9. MACD 분석/검출 모듈 사용", &v.macd, L"MACD 사용", L"사용 안함");
  b.Switch(modules, L"F1-10. Parabolic SAR 분석/검출 모듈 사용", &v.psar, L"Parabolic SAR 사용",
           L"사용 안함");
  const int rsi = b.Sub(search, L"F2. RSI 설정값");
  b.Small(rsi, L"F2-1. RSI 기간 (기본 14일)", &o.rsi_period);
  b.Decimal(rsi, L"F2-2. RSI 검색 최저값(기본 0)", &o.rsi_low, 2);
  b.Decimal(rsi, L"F2-3. RSI 검색 최고값(기본 50)", &o.rsi_high, 2);
  b.Decimal(rsi, L"F2-4. RSI Threshold Varqo 기준값 (기본 0.01)", &o.rsi_threshold, 2);
  const int stoch = b.Sub(search, L"F2. Stochastic Fast 설정값");
  b.Small(stoch, L"F2-1. Stochastic Fast K 기간 (기본 5일)", &o.stoch_k);
  b.Small(stoch, L"F2-1. Stochastic Fast D 기간 (기본 3일)", &o.stoch_d);
  b.Decimal(stoch, L"F2-2. Stochastic Fast (일봉) 검색 최저값(기본 20)", &o.stoch_day_low, 2);
  b.Decimal(stoch, L"F2-3. Stochastic Fast (일봉) 검색 최고값(기본 30)", &o.stoch_day_high, 2);
  b.Decimal(stoch, L"F2-4. Stochastic Fast (분봉) 검색 최저값(기본 20)", &o.stoch_minute_low, 2);
  b.Decimal(stoch, L"F2-5. Stochastic Fast (분봉) 검색 최고값(기본 30)", &o.stoch_minute_high, 2);
  b.Decimal(stoch, L"F2-6. Stochastic Fast Threshold Varqo 기준값 (기본 0.01)",
            &o.stoch_threshold, 2);
  const int mfi = b.Sub(search, L"F3. MFI 설정값");
  b.Small(mfi, L"F3-1. MFI 기간 (기본 14일)", &o.mfi_period);
  b.Decimal(mfi, L"F3-2. MFI 검색 최저값(기본 0)", &o.mfi_low, 2);
  b.Decimal(mfi, L"F3-3. MFI 검색 최고값(기본 50)", &o.mfi_high, 2);
  b.Decimal(mfi, L"F3-4. MFI Threshold Varqo 기준값 (기본 0.01)", &o.mfi_threshold, 2);
  const int cci = b.Sub(search, L"F4. CCI 설정값");
  b.Small(cci, L"F4-1. CCI 기간 (기본 9일)", &o.cci_period);
  b.Decimal(cci, L"F4-2. CCI 검색(일봉) 최저값(기본 ##)", &o.cci_day_low, 2);
  b.Decimal(cci, L"F4-3. CCI 검색(일봉) 최고값(기본 ##)", &o.cci_day_high, 2);
  b.Decimal(cci, L"F4-4. CCI 검색(분봉) 최저값(기본 ##)", &o.cci_minute_low, 2);
  b.Decimal(cci, L"F4-5. CCI 검색(분봉) 최고값(기본 ##)", &o.cci_minute_high, 2);
  b.Decimal(cci, L"F4-6. CCI Threshold Varqo 기준값(기본 0.01)", &o.cci_threshold, 2);
  const int macd = b.Sub(search, L"F5. MACD 설정값");
  b.Whole(macd, L"F5-1. MACD 단기 (기본 12)", &o.macd_short);
  b.Whole(macd, L"F5-2. MACD 장기 (기본 26)", &o.macd_long);
  b.Whole(macd, L"F5-3. MACD 시그널 (기본 9)", &o.macd_signal);
  b.Decimal(macd, L"F5-4. MACD 검색 최저값(기본 0)", &o.macd_low, 2);
  b.Decimal(macd, L"F5-5. MACD 검색 최고값(기본 30)", &o.macd_high, 2);
  const int psar = b.Sub(search, L"F6. P.SAR 설정값");
  b.Small(psar, L"F6-1. P.SAR 기간 (기본 9일)", &o.psar_period);
  b.Decimal(psar, L"F5-2. P.SAR 검색 최저값(기본 0.00)", &o.psar_low, 2);
  b.Decimal(psar, L"F5-3. P.SAR 검색 최대값(기본 0.0000)", &o.psar_high, 2);
  b.Small(psar, L"F5-4. P.SAR 일봉 검출 기준(기본 2)", &o.psar_day_level);
  b.Small(psar, L"F5-5. P.SAR 분봉 검출 기준(기본 5)", &o.psar_minute_level);

  // Table G.
  const int times = b.Sub(buy, L"주문 가능 시간 설정(중요) - 설정시간 외에는 매수되지 않습니다.", true);
  const std::wstring sellTimes = TimeLimitOptions(kAllTimes, 9, 15, 30, 5);
  const std::wstring buyTimes = TimeLimitOptions(kAllTimes, 9, 15, 40, 5);
  b.NumberChoice(times, L"G1. 자동 매도 시작 시간", &o.sell_start_time, sellTimes,
                 RowKind::kTimeChoice);
  b.NumberChoice(times, L"G2. 자동 매도 종료 시간", &o.sell_end_time, sellTimes,
                 RowKind::kTimeChoice);
  b.NumberChoice(times, L"G3. 자동매수 시작 시간", &o.buy_start_time, buyTimes,
                 RowKind::kTimeChoice);
  b.NumberChoice(times, L"G4. 자동매수 종료 시간", &o.buy_end_time, buyTimes,
                 RowKind::kTimeChoice);

  // Table H.
  const int zones = b.Sub(buy, L"종목한정 자동매수 구간 설정(중요) - 기본 금액 산정 구간.", true);
  const std::wstring lows =
      NumberList({-3, -5, -7, -10, -13, -15, -17, -20, -23, -25, -27, -29}, L"%d%% 부터");
  const std::wstring highs =
      NumberList({-2, -3, -5, -7, -10, -13, -15, -17, -20, -23, -25, -27}, L"%d%% 까지");
  b.NumberChoice(zones, L"H1. 1차 자동매수 저점", &o.zone1_low, lows);
  b.NumberChoice(zones, L"H2. 1차 자동매수 고점(저점보다 높게 설정)", &o.zone1_high, highs);
  b.NumberChoice(zones, L"H3. 2차 자동매수 저점", &o.zone2_low, lows);
  b.NumberChoice(zones, L"H4. 2차 자동매수 고점(저점보다 높게 설정)", &o.zone2_high, highs);

  // Table J and the condition sets.
  b.NumberChoice(cond, L"J1. 조건식 재시작 설정(8:30분 권장)", &o.condition_restart_time,
                 L"0:*자동 재시작 안함*;0810:08시10분에 재시작;0830:08시30분에 재시작(권장);");
  const int sets = o.buy_condition_sets > 4 ? 4 : o.buy_condition_sets;
  std::wstring selector = std::wstring(L"-1:") + kNoCondition + L";";
  if (s.conditions)
    for (const auto& [name, number] : *s.conditions)
      selector += std::to_wstring(number & 0xFFF) + L":" + name + L";";
  const std::wstring setTimes = TimeLimitOptions(L"", 9, 15, 40, 5);
  for (int k = 0; k < sets; ++k) {
    SettingsRow& set = b.NumberChoice(cond, Format(L"%d번째 자동매수 조건식 ●", k + 1),
                                      &o.buy_condition[k], selector);
    set.expanded = true;
    set.role = RowRole::kBuySelector;
    set.conditionSet = k;
    const int parent = static_cast<int>(rows.size()) - 1;
    b.NumberChoice(parent, Format(L"%d번째 조건식 매수 한도", k + 1), &o.buy_condition_limit[k],
                   splitAmounts)
        .emptyChoice = L"- 설정 안함 -";
    b.NumberChoice(parent, L"자동매수 시작시각(START)", &o.buy_condition_start[k], setTimes,
                   RowKind::kTimeChoice);
    b.NumberChoice(parent, L"자동매수 종료시각(END)", &o.buy_condition_end[k], setTimes,
                   RowKind::kTimeChoice);
  }
  return rows;
}

bool StoreRowValue(const SettingsRow& row, const RowValue& value, std::wstring* why) {
  auto refuse = [&](const std::wstring& text) {
    if (why) *why = row.label + L": " + text;
    return false;
  };
  if (row.kind == RowKind::kCategory || row.kind == RowKind::kSubCategory)
    return refuse(L"제목 행입니다");
  if (row.readOnly) return refuse(L"읽기 전용입니다");
  if (!row.options.empty()) {
    orv::ui::COptionList list;
    list.Parse(row.options);
    if (list.IndexOfValue(value.number) < 0)
      return refuse(L"목록에 없는 값입니다 (" + std::to_wstring(value.number) + L")");
  }
  switch (row.kind) {
    case RowKind::kSwitch:
      if (value.number != 0 && value.number != 1) return refuse(L"0 또는 1만 됩니다");
      *row.byte = static_cast<uint8_t>(value.number);
      return true;
    case RowKind::kByteChoice:
    case RowKind::kSmallNumber:
      if (value.number < 0 || value.number > 255)
        return refuse(L"0에서 255 사이의 값이어야 합니다");
      *row.byte = static_cast<uint8_t>(value.number);
      return true;
    case RowKind::kNumberChoice:
    case RowKind::kTimeChoice:
    case RowKind::kWholeNumber:
      if (value.number < std::numeric_limits<int32_t>::min() ||
          value.number > std::numeric_limits<int32_t>::max())
        return refuse(L"범위를 벗어난 값입니다");
      *row.number = static_cast<int32_t>(value.number);
      return true;
    case RowKind::kFlagChoice:
      if (value.number < 0 || value.number > std::numeric_limits<uint32_t>::max())
        return refuse(L"범위를 벗어난 값입니다");
      *row.flags = static_cast<uint32_t>(value.number);
      return true;
    case RowKind::kDecimal:
      if (!std::isfinite(value.decimal)) return refuse(L"숫자가 아닙니다");
      *row.decimal = value.decimal;
      return true;
    case RowKind::kText:
    case RowKind::kKeyText: {
      size_t begin = 0, end = value.text.size();
      while (begin < end && std::iswspace(value.text[begin])) ++begin;
      while (end > begin && std::iswspace(value.text[end - 1])) --end;
      std::wstring text = value.text.substr(begin, end - begin);
      if (row.ownText) {
        if (row.copyLimit && text.size() > row.copyLimit) text.resize(row.copyLimit);
        *row.ownText = text;
      } else {
        CopyText(row.text, row.textLen, text, row.copyLimit);
      }
      return true;
    }
    default:
      return refuse(L"제목 행입니다");
  }
}

std::wstring TimeLimitOptions(const std::wstring& first, int startHour, int endHour,
                              int endMinute, int stepMinutes) {
  std::wstring list;
  if (!first.empty()) list += L"0:" + first + L";";
  if (stepMinutes < 1) stepMinutes = 1;
  for (int m = startHour * 60; m <= endHour * 60 + endMinute; m += stepMinutes) {
    wchar_t entry[32];
    std::swprintf(entry, std::size(entry), L"%d:%02d:%02d;", (m / 60) * 100 + m % 60, m / 60,
                  m % 60);
    list += entry;
  }
  return list;
}

std::wstring SelectorOptions(const std::map<std::wstring, int>& conditions, int* count) {
  std::wstring list = std::wstring(L"-1:") + kNoCondition + L";";
  int64_t bit = 1;
  for (const auto& entry : conditions) {
    list += std::to_wstring(bit) + L":" + entry.first + L";";
    bit <<= 1;
  }
  if (count) *count = static_cast<int>(conditions.size());
  return list;
}

uint32_t JoinModuleFlags(uint32_t word, const StockCfgValues& v) {
  word &= ~(kModuleRsi | kModuleMfi | kModuleCci | kModuleMacd | kModuleParabolicSar |
            kModuleStochMask);
  if (v.rsi) word |= kModuleRsi;
  if (v.mfi) word |= kModuleMfi;
  if (v.cci) word |= kModuleCci;
  if (v.macd) word |= kModuleMacd;
  if (v.psar) word |= kModuleParabolicSar;
  return word | (v.stochastic & kModuleStochMask);
}

void SplitModuleFlags(uint32_t word, StockCfgValues* v) {
  v->rsi = (word & kModuleRsi) ? 1 : 0;
  v->mfi = (word & kModuleMfi) ? 1 : 0;
  v->cci = (word & kModuleCci) ? 1 : 0;
  v->macd = (word & kModuleMacd) ? 1 : 0;
  v->psar = (word & kModuleParabolicSar) ? 1 : 0;
  v->stochastic = word & kModuleStochMask;
}

int AfterRowEdit(SettingsSources& s, std::vector<SettingsRow>& rows, size_t index,
                 bool valueChanged) {
  const SettingsRow& row = rows[index];
  stock_option_s& o = *s.options;
  switch (row.role) {
    case RowRole::kAccountText:
      o.changed = 1;
      return -1;
    case RowRole::kCoinFee:
      o.coin_fee_fraction = o.coin_fee / 100.0;
      o.changed = 1;
      return -1;
    case RowRole::kForeignSwitch:
      o.changed = 1;
      return -1;
    default:
      break;
  }
  if (s.run) s.run->dwChangedFlags |= 0x1;
  if (row.role == RowRole::kSleepSwitch) {
    if (s.run) s.run->dwChangedFlags |= 0x40;
    return -1;
  }
  int changed = -1;
  if (row.role == RowRole::kWebSync) {
    for (size_t k = 0; k < rows.size(); ++k)
      if (rows[k].role == RowRole::kValuation) {
        const bool readOnly = o.web_sync_seconds == 0;
        if (rows[k].readOnly != readOnly) changed = static_cast<int>(k);
        rows[k].readOnly = readOnly;
      }
  }
  if (valueChanged) {
    o.chosen_buy_count = 0;
    o.chosen_buy_spare = 0;
  }
  return changed;
}
