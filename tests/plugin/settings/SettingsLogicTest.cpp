// The settings dialog's checks and conversions without a window: the row table's rules before
// the grid is built, refused edits, the re-buy check, the countdown, the module flag word,
// the accounts text, the selector lists and the key-file import.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <cwchar>
#include <fstream>
#include <string>

#include "platform/support/TextConv.h"

#include "platform/ui/model/OptionList.h"
#include "plugin/settings/SettingsRows.h"
#include "plugin/settings/StockCfgSave.h"
#include "shared/AppRunSetting.h"
#include "shared/LoginInfo.h"
#include "shared/StockOption.h"
#include "tests/probe/ProbeHarness.h"

namespace {

struct Fixture {
  stock_option_s options;
  login_info_s login;
  app_run_setting_s run;
  StockCfgValues values;
  std::map<std::wstring, int> conditions;
  SettingsSources Sources() {
    SettingsSources s;
    s.options = &options;
    s.login = &login;
    s.run = &run;
    s.values = &values;
    s.conditions = &conditions;
    return s;
  }
  std::vector<SettingsRow> Build() {
    SettingsSources s = Sources();
    PrepareSettingsValues(s);
    return BuildSettingsRows(s);
  }
};

const SettingsRow* Row(const std::vector<SettingsRow>& rows, const std::wstring& label) {
  for (const SettingsRow& row : rows)
    if (row.label == label) return &row;
  return nullptr;
}

std::vector<int64_t> Values(const std::wstring& options) {
  orv::ui::COptionList list;
  list.Parse(options);
  std::vector<int64_t> values;
  for (const auto& entry : list.Entries()) values.push_back(entry.value);
  return values;
}

}  // namespace

TEST(SettingsRowsRules, ValuesAreSettledBeforeTheRowsAreMade) {
  Fixture f;
  f.options.macd_short = f.options.macd_long = f.options.macd_signal = 0;
  f.options.min_profit_stop_band = 0.05;
  f.options.split_buy_amount = 0;
  f.options.cafe_sell_sms = 3;
  f.options.module_flags = kModuleRsi | kModuleStochFast | 0x1;  // 0x1 is no switch's bit
  f.login.byUserLevel = 9;
  const std::vector<SettingsRow> rows = f.Build();
  EXPECT_EQ(f.options.macd_short, 12);
  EXPECT_EQ(f.options.macd_long, 26);
  EXPECT_EQ(f.options.macd_signal, 9);
  EXPECT_DOUBLE_EQ(f.options.min_profit_stop_band, 0.1);
  EXPECT_EQ(f.values.minProfitBand10, 1);
  EXPECT_EQ(f.options.split_buy_amount, 50);  // the view's default split amount
  EXPECT_DOUBLE_EQ(f.options.split_buy_amount_won, 500000.0);
  EXPECT_EQ(f.options.cafe_sell_sms, 0);
  EXPECT_EQ(f.values.rsi, 1);
  EXPECT_EQ(f.values.stochastic, kModuleStochFast);
  EXPECT_EQ(JoinModuleFlags(f.options.module_flags, f.values), f.options.module_flags);

  // Below member level 10, A11 and A24 are read-only; from level 10 they are not.
  EXPECT_TRUE(Row(rows, L"A11. 카페 추천 종목 자동 매도 문자 송출(관리자만 가능)")->readOnly);
  EXPECT_TRUE(Row(rows, L"A24. 보유 종목 낮은 수익종목 숨기기(전문가 전용)")->readOnly);
  Fixture admin;
  admin.login.byUserLevel = 10;
  admin.options.cafe_sell_sms = 3;
  const std::vector<SettingsRow> adminRows = admin.Build();
  EXPECT_EQ(admin.options.cafe_sell_sms, 3);
  EXPECT_FALSE(Row(adminRows, L"A11. 카페 추천 종목 자동 매도 문자 송출(관리자만 가능)")->readOnly);
  EXPECT_FALSE(Row(adminRows, L"A24. 보유 종목 낮은 수익종목 숨기기(전문가 전용)")->readOnly);
}

TEST(SettingsRowsRules, ExpansionReadOnlyAndConditionRowsFollowTheConfiguration) {
  Fixture f;
  std::wcscpy(f.options.domestic.app_key[2], L"key3");  // account 3: a key, no secret
  std::wcscpy(f.options.domestic.app_key[1], L"key2");
  std::wcscpy(f.options.domestic.app_secret[1], L"secret2");
  f.options.overseas_on = 0;
  const std::vector<SettingsRow> rows = f.Build();
  EXPECT_TRUE(Row(rows, L"국내 주식 모니터링 계좌-[1]")->expanded);
  EXPECT_TRUE(Row(rows, L"국내 주식 모니터링 계좌-[2]")->expanded);
  EXPECT_FALSE(Row(rows, L"국내 주식 모니터링 계좌-[3]")->expanded);
  EXPECT_TRUE(Row(rows, L"1. 유럽주식 거래 모드로 자동 전환 (17시 이후 권장)")->readOnly);
  EXPECT_EQ(Row(rows, L"자동 매도(Sell) 조건식 실행 설정"), nullptr);
  EXPECT_EQ(Row(rows, L"1번째 자동매수 조건식 ●"), nullptr);
  for (const wchar_t* hidden :
       {L"1. 미국주식 자동 거래 모드로 전환 (22시 이후)",
        L"A20. 비교 마켓(BTC) 종목 조회(김치.프리미엄 체크. 필수 체크)",
        L"C3. 타계좌 종목 모니터링 - (30개를 초과하면, 속도 느릴수 있습니다)",
        L"C4. 보유종목 + 관심종목 모두 실시간 시세 감시",
        L"B6. 기관/외국인 매수/매도 종목 30초단위 체크(체크시 속도 느림) - (키움 API 버그 "
        L"있습니다)"})
    EXPECT_TRUE(Row(rows, hidden)->hidden) << WideToUtf8(hidden);

  // Two buy sets and a sell set: the selectors list the conditions by the low 12 bits of
  // their numbers, a chosen set counts, and the sell category is made.
  Fixture sets;
  sets.options.buy_condition_sets = 2;
  sets.options.sell_condition_sets = 1;
  sets.options.buy_condition[0] = 5;
  sets.conditions = {{L"돌파", 0x1005}, {L"눌림", 7}};
  const std::vector<SettingsRow> setRows = sets.Build();
  ASSERT_NE(Row(setRows, L"2번째 자동매수 조건식 ●"), nullptr);
  EXPECT_EQ(Values(Row(setRows, L"1번째 자동매수 조건식 ●")->options),
            (std::vector<int64_t>{-1, 7, 5}));
  EXPECT_EQ(sets.options.chosen_buy_count, 1);
  EXPECT_NE(Row(setRows, L"자동 매도(Sell) 조건식 실행 설정"), nullptr);
}

TEST(SettingsRowsRules, EditsOutsideARowsRangeAreRefused) {
  Fixture f;
  std::vector<SettingsRow> rows = f.Build();
  struct Case {
    const wchar_t* label;
    RowValue value;
    bool accepted;
  };
  const Case cases[] = {
      {L"A6. 보유 종목 조회 간격 (비트코인은 필수)", {60000}, true},
      {L"A6. 보유 종목 조회 간격 (비트코인은 필수)", {45000}, false},  // not in the list
      {L"[1] 증권사", {14}, true},
      {L"[1] 증권사", {3}, false},
      {L"A1-2. ★신규 매수(잔고편입) 종목, 자동 스탑-로스(단타시 ★설정 권장★)", {2}, false},
      {L"F2-1. RSI 기간 (기본 14일)", {255}, true},
      {L"F2-1. RSI 기간 (기본 14일)", {256}, false},
      {L"F2-1. RSI 기간 (기본 14일)", {-1}, false},
      {L"F5-1. MACD 단기 (기본 12)", {int64_t{1} << 40}, false},
      {L"F2-2. RSI 검색 최저값(기본 0)", {0, std::nan("")}, false},
      {L"A3. 장 종료 15분전 청산 매도 시작(종료전까지 분할매도 : 주의 필요)", {1}, false},
      {L"1. 유럽주식 거래 모드로 자동 전환 (17시 이후 권장)", {1730}, false},  // read-only: off
      {L"고객 정보", {0}, false},
  };
  for (const Case& c : cases) {
    const SettingsRow* row = Row(rows, c.label);
    ASSERT_NE(row, nullptr) << WideToUtf8(c.label);
    const stock_option_s before = f.options;
    std::wstring why;
    EXPECT_EQ(StoreRowValue(*row, c.value, &why), c.accepted) << WideToUtf8(c.label);
    if (!c.accepted) {
      EXPECT_EQ(std::memcmp(&before, &f.options, sizeof before), 0) << WideToUtf8(c.label);
      EXPECT_FALSE(why.empty());
    }
  }
  // Texts are trimmed and cut to the field; the reference codes take at most 15 characters.
  RowValue text;
  text.text = L"  " + std::wstring(40, L'x') + L"  ";
  ASSERT_TRUE(StoreRowValue(*Row(rows, L"[1] 로그인 계정"), text, nullptr));
  EXPECT_EQ(std::wstring(f.options.domestic.account[0]), std::wstring(19, L'x'));
  ASSERT_TRUE(StoreRowValue(*Row(rows, L"A19-1. 핵심/대장(Main) 종목 코드"), text, nullptr));
  EXPECT_EQ(f.values.mainCode, std::wstring(15, L'x'));
}

TEST(SettingsRowsRules, AnEditMarksWhatItChanges) {
  Fixture f;
  f.options.web_sync_seconds = 30;
  std::vector<SettingsRow> rows = f.Build();
  auto index = [&](const wchar_t* label) {
    return static_cast<size_t>(Row(rows, label) - rows.data());
  };
  f.options.chosen_buy_count = 2;
  f.options.coin_fee = 0.05;
  SettingsSources s = f.Sources();
  EXPECT_EQ(AfterRowEdit(s, rows, index(L"코인(Coin) 매수(SELL)/매도(BUY) 수수료(%)"), true), -1);
  EXPECT_EQ(f.options.changed, 1);
  EXPECT_DOUBLE_EQ(f.options.coin_fee_fraction, 0.0005);
  EXPECT_EQ(f.options.chosen_buy_count, 2);  // account rows leave the condition count

  f.options.changed = 0;
  f.options.web_sync_seconds = 0;
  const size_t a4 = index(L"A4. 보유종목 및 설정 WEB-싱크 설정 (핸드폰으로 제어 가능)");
  const int flipped = AfterRowEdit(s, rows, a4, true);
  ASSERT_GE(flipped, 0);
  EXPECT_EQ(rows[static_cast<size_t>(flipped)].label,
            L"A5-1. 계좌 평가액 서버에 저장(날짜별 개인별 수익 현황 관리)");
  EXPECT_TRUE(rows[static_cast<size_t>(flipped)].readOnly);
  EXPECT_EQ(f.options.changed, 0);
  EXPECT_EQ(f.run.dwChangedFlags & 0x1, 0x1u);
  EXPECT_EQ(f.options.chosen_buy_count, 0);

  AfterRowEdit(s, rows, index(L"B4. 윈도우 절전 모드 방지 : ■ 5분 간격 체크"), true);
  EXPECT_EQ(f.run.dwChangedFlags & 0x40, 0x40u);
}

TEST(StockCfgSave, RebuyRangeCheck) {
  struct Case {
    int start, end;
    bool wrong;
  };
  for (const Case& c : {Case{-5, -10, false}, Case{-10, -5, true}, Case{-5, 0, true},
                        Case{0, 0, false}, Case{-5, -5, true}}) {
    const std::wstring error = RebuyRangeError(c.start, c.end);
    EXPECT_EQ(!error.empty(), c.wrong) << c.start << " " << c.end;
  }
  EXPECT_EQ(RebuyRangeError(-10, -5),
            L"자동 재매수 범위를 잘못 설정했습니다.\n-----(최저이익 기준)-----\n재매수 시작 : "
            L"-10%\n재매수 종료 : -5%\n-------------------\n재매수 종료는 재매수 시작보다 낮아야 "
            L"합니다");
}

TEST(StockCfgSave, CountdownFromTheStamp) {
  struct Case {
    uint32_t now, stamp;
    int seconds;
  };
  for (const Case& c : {Case{1500, 1000, 8}, Case{6000, 1000, 3}, Case{7000, 1000, 1},
                        Case{60000, 1000, 1}, Case{500, 0xFFFFFF00u, 8}})
    EXPECT_EQ(SaveCountdownSeconds(c.now, c.stamp), c.seconds) << c.now << " " << c.stamp;
}

TEST(StockCfgSave, AccountsTextFractionsAndSelectorLists) {
  stock_option_s o;
  o.domestic.broker_id[0] = 11;
  std::wcscpy(o.domestic.account[0], L"me");
  std::wcscpy(o.domestic.app_key[0], L"K");
  std::wcscpy(o.domestic.app_secret[0], L"S");
  std::wcscpy(o.domestic.name[0], L"나");
  o.buy_fee_domestic = 0.015;
  o.tax_rate = 0.18;
  o.ai_engine = 4;
  std::wcscpy(o.ai_key, L"ai");
  const std::wstring text = BuildAccountsText(o);
  EXPECT_EQ(text.substr(0, text.find(L'\n') + 1), L"11|0.015000|me|K|S|나|\n");
  EXPECT_NE(text.find(L"\n4|ai\n"), std::wstring::npos);
  size_t lines = 0;
  for (wchar_t c : text) lines += c == L'\n';
  EXPECT_EQ(lines, 9u);  // four domestic, US, Europe, AI, two coin
  ApplyFeeFractions(&o);
  EXPECT_DOUBLE_EQ(o.tax_fraction, 0.0018);
  EXPECT_DOUBLE_EQ(o.buy_fee_domestic_fraction, 0.00015);

  int count = -1;
  EXPECT_EQ(Values(SelectorOptions({{L"a", 9}, {L"b", 3}, {L"c", 1}}, &count)),
            (std::vector<int64_t>{-1, 1, 2, 4}));
  EXPECT_EQ(count, 3);
  EXPECT_EQ(Values(SelectorOptions({}, &count)), (std::vector<int64_t>{-1}));
  EXPECT_EQ(count, 0);

  const std::vector<int64_t> times = Values(TimeLimitOptions(L"*전체시간 허용*", 9, 15, 30, 5));
  ASSERT_GE(times.size(), 3u);
  EXPECT_EQ(times.front(), 0);
  EXPECT_EQ(times[1], 900);
  EXPECT_EQ(times[2], 905);
  EXPECT_EQ(times.back(), 1530);
}

TEST(StockCfgSave, KeyFileImport) {
  orv::test::TempDir dir;
  auto write = [&](const std::string& name, const std::string& text) {
    std::ofstream(dir.Path() + "/" + name) << text;
    return dir.Path() + "/" + name;
  };
  stock_option_s o;
  std::wstring values[4];
  const std::string full = write("full.txt", "\xEF\xBB\xBFuser01\n\n  ACCESS1  \r\nSECRET1\n별칭\n");
  const int count = ParseLoginIdAndPasswordFile(full, values);
  ASSERT_EQ(count, 4);
  ASSERT_TRUE(ApplyImportedAccount(&o, kCoin1 + 1, values, count));
  EXPECT_STREQ(o.coin.account[1], L"user01");
  EXPECT_STREQ(o.coin.app_key[1], L"ACCESS1");
  EXPECT_STREQ(o.coin.app_secret[1], L"SECRET1");
  EXPECT_STREQ(o.coin.name[1], L"별칭");
  EXPECT_EQ(o.changed, 1);

  // One value found, or no file: nothing changes.
  stock_option_s untouched;
  std::wstring one[4];
  const int found = ParseLoginIdAndPasswordFile(write("one.txt", "only\n"), one);
  EXPECT_EQ(found, 1);
  EXPECT_FALSE(ApplyImportedAccount(&untouched, kDomestic1, one, found));
  EXPECT_EQ(ParseLoginIdAndPasswordFile(dir.Path() + "/missing.txt", one), 0);
  EXPECT_EQ(untouched.changed, 0);
  EXPECT_STREQ(untouched.domestic.account[0], L"");
}
