#include "plugin/monitor/core/MonitorViewLogic.h"

#include <algorithm>
#include <climits>

#include "platform/support/TextConv.h"
#include "platform/win/Registry.h"
#include "plugin/view/engine/TextFormat.h"
#include "shared/StockOption.h"

const wchar_t kMonitorModesAllowed[] =
    L"1:1.HTS 검색식 감시;2:2.HTS 검색식 매수;3:3.지표분석 자동매수;";
const wchar_t kMonitorModesWatchOnly[] = L"1:1.HTS 검색식 감시;4:2.종목 모니터링;";
const wchar_t kPerStockLimitOptions[] =
    L"10:10 만원;12:12 만원;15:15 만원;20:20 만원;30:30 만원;40:40 만원;50:50 만원;60:60 만원;"
    L"80:80 만원;100:100 만원;150:150 만원;200:200 만원;250:250 만원;300:300 만원;400:400 만원;"
    L"500:500 만원;1000:1000 만원";
const wchar_t kDailyLimitOptions[] =
    L"10:10 만원;15:15 만원;20:20 만원;30:30 만원;40:40 만원;50:50 만원;60:60 만원;80:80 만원;"
    L"100:100 만원;150:150 만원;200:200 만원;300:300 만원;400:400 만원;500:500 만원;800:800 만원;"
    L"1000:1,000 만원;1500:1,500 만원;2000:2,000 만원;2500:2,500 만원;3000:3,000 만원";

const char kKeyWriteRealTimeLog[] = "Stock-WriteRealTimeStockLog";
const char kKeyAutoBuyType[] = "Stock-AutoBuyType";
const char kKeyAutoBuyMoneyItem[] = "Stock-AutoBuyMoneyItem";
const char kKeyAutoBuyMoneyTotalQuota[] = "Stock-AutoBuyMoneyTotalQuota";
const char kKeyLastConditionName[] = "Stock-LastConditionName";
const char kKeyLastConditionName2[] = "Stock-LastConditionName-2";

namespace {
constexpr char kSection[] = "Settings";

std::wstring W(const std::string& utf8) { return Utf8ToWide(utf8); }
std::string U8(const std::wstring& wide) { return WideToUtf8(wide); }

// Field `index` of a ';'-separated text (empty when it has fewer fields).
std::wstring Field(const wchar_t* text, int index) {
  std::wstring all(text ? text : L"");
  size_t start = 0;
  for (int i = 0; i < index; ++i) {
    const size_t next = all.find(L';', start);
    if (next == std::wstring::npos) return L"";
    start = next + 1;
  }
  const size_t end = all.find(L';', start);
  return all.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
}
}  // namespace

void LoadMonitorSettings(int userIndex, MonitorSettings_s* s) {
  s->writeRealTimeLog = orv::win::GetProfileInt(
      kSection, orv::win::UserIndexKey(kKeyWriteRealTimeLog, userIndex), s->writeRealTimeLog);
  s->mode =
      orv::win::GetProfileInt(kSection, orv::win::UserIndexKey(kKeyAutoBuyType, userIndex), s->mode);
}

bool SaveMonitorSettings(int userIndex, const MonitorSettings_s& s) {
  const bool log = orv::win::WriteProfileInt(
      kSection, orv::win::UserIndexKey(kKeyWriteRealTimeLog, userIndex), s.writeRealTimeLog);
  const bool mode = orv::win::WriteProfileInt(
      kSection, orv::win::UserIndexKey(kKeyAutoBuyType, userIndex), s.mode);
  return log && mode;
}

int32_t LimitWon(int32_t manWon) {
  const int64_t won = static_cast<int64_t>(manWon) * 10000;
  return static_cast<int32_t>(std::clamp<int64_t>(won, INT32_MIN, INT32_MAX));
}

std::wstring MonitorViewIdText(int id) { return W(StrPrintf("%04d", id < 1 ? 9999 : id)); }

MonitorRules_s RulesOf(const stock_option_s& o) {
  MonitorRules_s r;
  r.perStockLimitMan = o.per_stock_buy_limit;
  r.dailyLimitMan = o.daily_buy_limit;
  r.maxStocks = o.auto_buy_max_stocks;
  r.riseLimit = o.auto_buy_rise_limit;
  r.waitMs = o.auto_buy_delay_ms;
  r.splitAmountMan = o.split_buy_amount;
  r.checkIntervalMs = o.split_buy_interval_ms;
  r.andMatch = o.auto_buy_match == 1;
  for (int slot = 0; slot < 4; ++slot) {
    if (o.buy_condition[slot] <= 0) continue;
    ++r.chosenConditions;
    r.buyList += W(StrPrintf("%d차 : %s\n", slot + 1,
                             U8(Field(o.chosen_buy_conditions, slot)).c_str()));
  }
  // The two sell slots are the first two names of the chosen sell conditions.
  for (int slot = 0; slot < 2; ++slot) {
    const std::wstring name = Field(o.chosen_sell_conditions, slot);
    if (name.empty()) continue;
    r.sellList += W(StrPrintf("%d차 : %s\n", slot + 1, U8(name).c_str()));
  }
  return r;
}

int RequiredConditions(const MonitorRules_s& rules) {
  if (rules.chosenConditions <= 0) return 0;
  return rules.andMatch ? rules.chosenConditions : 1;
}

std::wstring ComposeMonitorSummary(const MonitorSummaryState_s& s, const MonitorRules_s& rules) {
  if (s.mode == kMonitorModeScan7 || s.mode == kMonitorModeMarketScan)
    return W(StrPrintf("%s(%d)%s", s.scanRunning ? "*ON*" : "*", s.resultCount,
                       U8(s.moduleName).c_str()));
  const bool conditions = s.mode == kMonitorModeConditionWatch;
  const std::string tail =
      conditions ? StrPrintf("*%d개중 %d개성공*", rules.chosenConditions, RequiredConditions(rules))
                 : StrPrintf(" (%s)", U8(s.conditionText).c_str());
  return W(StrPrintf("%s.%s매수.%s", conditions ? "조건식" : "종목한정",
                     rules.andMatch ? "AND" : "OR", tail.c_str()));
}

AutoBuySwitchCheck_s CheckAutoBuySwitch(const AutoBuySwitchInput_s& in, const MonitorRules_s& r) {
  AutoBuySwitchCheck_s out;
  const std::string user = U8(in.userName);
  const int maxStocks = std::max(r.maxStocks, 1);
  if (in.mode == kMonitorModeConditionWatch) {
    if (in.knownConditions <= 0) {
      out.text = W(
          "서버에 조건검색식이 없거나, 불러오지 못했습니다.\n서버에 조건검색식을 저장했다면, 잠시 "
          "기다려 주세요.");
      return out;
    }
    if (r.buyList.empty() && r.sellList.empty()) {
      out.text = W(StrPrintf(
          "서버에서 조건검색식은 %d개 검출되었습니다.\n설정화면에서 자동매수 설정 조건검색식이 "
          "체크되어 있지 않습니다.\n먼저 자동매수 검색식을 선택해 주세요.\n\n자동매수설정 -> "
          "1차조건검색식 등",
          in.knownConditions));
      return out;
    }
    out.ok = true;
    out.text = W(StrPrintf(
        "[%s (고객번호: %d)]님, 조건검색식 기반, 자동 매수를 설정(ON) 하시겠습니까?\n----- ** "
        "자동 매수 조건검색식 ** -----\n%s** 최대 종목 개수 : %d 개\n** 매수 제한 : 상승 %d "
        "%%이하 종목만 매수\n** 매수 대기 : %.0f 초 동안 조건검색식에 유지시 매수\n----- ** 자동 "
        "매도 조건검색식 ** -----\n%s--------------------------\n** 주의가 필요합니다. (계속 "
        "발전중)**\n1종목당 매수 한도 : %d만원\n1일 매수 한도 : %d만원\n분할 주문 금액 : %d만원 "
        "(%.0f초마다 체크/주문)\n--------------------------\n수익시 매도는 [신규 종목 자동 "
        "익절]을 체크하시면, 자동 매도 됩니다.\n\n자동매수를 설정 할까요?\n\n(자동매수 "
        "조건검색식에 검출되는 종목은 자동 매수되며, 키움조건검색식에 의한 매수이므로, 손실의 "
        "책임은 개발자에게 없습니다.\n검증을 위해서, 매수된 이력은 컴퓨터 및 서버에 기록됩니다. "
        "서버에 기록되는 정보는 매매내역 확인을 위한 것이며,\n홈페이지에는 노출될 수 있지만, "
        "타인에게 절대 공유되지 않습니다.)",
        user.c_str(), in.customerNumber, U8(r.buyList).c_str(), maxStocks, r.riseLimit,
        r.waitMs / 1000.0, U8(r.sellList).c_str(), r.perStockLimitMan, r.dailyLimitMan,
        r.splitAmountMan, r.checkIntervalMs / 1000.0));
    return out;
  }
  if (in.mode == kMonitorModeMarketScan) {
    out.ok = true;
    out.text = W(StrPrintf(
        "[%s (고객번호: %d)]님, 거래소 전체 종목에서 검색을 시작(ON) 하시겠습니까?\n"
        "--------------------------\n** 검색시, 자동매매의 성능 저하가 있을 수 있습니다.**\n"
        "네트워크 혹은 증권사 OpenAPI의 문제로 인해, \n시세가 오류가 있다면, 계산 및 검색 결과가 "
        "다를 수 있습니다.\n특히 성능 저하가 발생한다면 *즉시 중지*하시길 바랍니다.\n개발회사는 "
        "네트워크 및 프로그램 오류로 인한 매매손실에 대해 책임을 지지 않습니다.\n\n종목 "
        "검색(Scan)을 시작(ON) 하시겠습니까?",
        user.c_str(), in.customerNumber));
    return out;
  }
  if (in.mode != kMonitorModeScan7 && in.ownStockCount <= 0) {
    out.text = W(
        "자동매수 감시할 종목을 설정하지 않았습니다.\n종목가 매수 가격을 설정해 주셔야 합니다.");
    return out;
  }
  out.ok = true;
  out.text = W(StrPrintf(
      "[%s (고객번호: %d)]님, 입력한 종목을 자동매수 설정(ON) 하시겠습니까?\n----- ** 자동매수 "
      "설정 종목 ** -----\n%s\n--------------------------\n** 자동매수는 절대 주의가 "
      "필요합니다.**\n1종목당 매수 한도 : %d만원\n1일 매수 한도 : %d만원\n분할 주문 금액 : "
      "%d만원 (%.0f초마다 체크/주문)\n--------------------------\n수익시 매도는 [신규 종목 자동 "
      "익절]을 체크하시면, 자동 매도 됩니다.\n\n자동매수를 설정 할까요?\n\n(종목은 시세 감시를 "
      "시작하며, 해당 가격 구간에 오면 자동 매수됩니다. \n하지만, 네트워크 혹은 증권사 OpenAPI의 "
      "문제로 인해, 시세가 오류가 있다면,\n즉시 자동매수를 중지하시길 바랍니다. 개발회사는 "
      "매매손실에 대해 책임을 지지 않습니다.\n또한 자동 매수 금액은 절대 크게 하지 마시기 "
      "바라며, 검증을 위해서, 매수된 이력은 컴퓨터 및 서버에 기록됩니다. 서버에 기록되는 정보는 "
      "매매내역 확인을 위한 것이며, 홈페이지에는 노출될 수 있지만, 타인에게 절대 공유되지 "
      "않습니다.)",
      user.c_str(), in.customerNumber, U8(in.ownSummary).c_str(), r.perStockLimitMan,
      r.dailyLimitMan, r.splitAmountMan, r.checkIntervalMs / 1000.0));
  return out;
}

std::wstring WatchLimitText() {
  return W(StrPrintf("감시 종목은 %d개까지 등록 가능합니다.", kMonitorWatchLimit));
}

std::wstring WatchAddQuestion(const std::wstring& name, const std::wstring& code) {
  return W(StrPrintf(
      "%s(%s)종목을 감시 종목으로 추가할까요?\n%d개까지 등록 가능합니다.\n\n감시 종목으로 "
      "추가할까요?",
      U8(name).c_str(), U8(code).c_str(), kMonitorWatchLimit));
}

bool CRefreshGate::Open(DWORD now) {
  const DWORD passed = now - m_last;
  m_remaining = passed >= kPeriodMs ? 0 : kPeriodMs - passed;
  if (passed <= kPeriodMs) return false;
  m_last = now;
  return true;
}
