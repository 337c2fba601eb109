// The view side of the settings changed for every holding of a grid at once: the questions,
// the grid's rows and checks, the switch's check box and the report to the host.

#include <wx/checkbox.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/support/TextConv.h"
#include "platform/ui/model/ReportCtrl.h"
#include "platform/win/MessageBox.h"
#include "plugin/rows/RurezOzadoResultRecord.h"
#include "plugin/view/PelomarView.h"
#include "plugin/view/HoldingsGrid.h"
#include "plugin/view/StockRecord.h"
#include "plugin/view/engine/PelomarEngine.h"
#include "plugin/view/engine/TextFormat.h"

namespace {

// Colours of the automatic-trading check box (COLORREF): red while on, blue while off.
constexpr COLORREF kAutoTradeOnColour = 0xFF;
constexpr COLORREF kAutoTradeOffColour = 0xE6E022;
// Host notification of a change to all holdings.
constexpr int kHostNoticeKind = 8;
constexpr wchar_t kAllStocksTitle[] = L"전체 종목";
// The ladder's step count named in the explanation.
constexpr int kExplainedSteps = 30;
// The holdings' settings are due for saving (a pending full save is kept).
constexpr uint8_t kSaveHoldingSettings = 2;
constexpr uint8_t kSaveWholeOptions = 1;

constexpr char kAutoTradeExplanation[] =
    "자동매매는 이익구간을 %d 단계로 체크/감시하여 상승 최고점 구간을 하락이탈하면, 자동 매매 "
    "됩니다. (특 장점. 고객 만족~!!)\n하지만, 수백만원 이상의 금액이 한번에 주문이 접수되면, "
    "급등락이 우려되므로,%s씩/%d초 단위로 분할 매도 됩니다.\n분할 매매 금액 및 분할 시간은 "
    "직접 조절 가능합니다.\n분할 매도 도중, 상승하면 매도가 멈추게 되어, 수익이 "
    "극대화됩니다.\n---------------------\n자동매매를 원치 않으시다면, 자동을 해제하거나, "
    "종료해 주세요.\n(자동매매 결과는 홈페이지에 매일 게시됩니다.)\n---------------------\n분할 "
    "매매 금액 : %s\n분할 매매 시간 간격 : %d초\n매매 종류 : 시장가 "
    "주문\n---------------------\n(모의투자로 먼저 검증하신 후, 실제 매매를 하시길 "
    "권장합니다.)\n(자동매매로 인한 손실은 개발회사가 보상하지 않으니, 주의가 "
    "필요합니다)\n---------------------\n\n자동 매매를 설정 할까요?";

constexpr char kAutoTradeRiskQuestion[] =
    "실시간 가격이 수신되지 않거나, 현재 수익률보다 낮은 것이 존재합니다.\n================\n"
    "●가격 미수신: %d개\n●현재 수익률보다 낮은 것 : %d개\n================\n\n손실을 방지하기 "
    "위해, 전체를 자동매매 설정은 금지합니다.\n---------\n%s\n---------\n\n다시한번 확인해 "
    "주세요.\n\n가격 미수신/현재 수익률보다 낮은 것을 자동설정이 제외됩니다.\n\n가격 미수신 "
    "종목을 제외하고 자동매매 설정할까요?";

// The holding row's automatic-trading cell: checked on red, unchecked on the "off" colour.
void ShowRowAutoTrade(CRurezOzadoResultRecord& row, bool on) {
  row.SetCheckValue(CRurezOzadoResultRecord::kColAutoTrade, on);
  row.SetItemBackColor(CRurezOzadoResultRecord::kColAutoTrade,
                       on ? kAutoTradeOnColour : kAutoTradeOffColour);
}

wxColour ToWxColour(COLORREF c) { return wxColour(GetRValue(c), GetGValue(c), GetBValue(c)); }

bool AskYesNo(const std::string& text) {
  return orv::win::MessageBox(text, "QUESTION", MB_YESNO | MB_ICONQUESTION) == IDYES;
}

}  // namespace

std::vector<HoldingKey_s> CPelomarView::HeldKeysOf(orv::ui::CMyReportCtrl& grid,
                                                   bool selectedOnly) const {
  // The grid's shown rows of holdings the latest balance still held, named by key; the engine
  // finds each again under its lock and skips one a balance freed since.
  std::vector<HoldingKey_s> holdings;
  const std::vector<orv::ui::CMyReportRecordBase*> selected =
      selectedOnly ? grid.GetSelectedRecords() : std::vector<orv::ui::CMyReportRecordBase*>{};
  for (int i = 0; i < grid.GetRecordCount(); ++i) {
    // A hidden row is a holding the balance no longer names.
    auto* row = dynamic_cast<CRurezOzadoResultRecord*>(grid.GetRecord(i));
    if (!row || !row->IsVisible() || row->IsBlankRow()) continue;
    if (m_holdingsRows && !m_holdingsRows->IsHeld(row)) continue;
    if (selectedOnly && std::find(selected.begin(), selected.end(), row) == selected.end())
      continue;
    holdings.push_back(KeyOf(*row));
  }
  return holdings;
}

void CPelomarView::ShowAutoTradeCheck() {
  wxCheckBox* check = CheckBox(IDC_CHECK_ALL_STOCK_WATCH);
  if (!check) return;
  check->SetValue(m_allStockWatch != 0);
  check->SetForegroundColour(
      ToWxColour(m_allStockWatch ? kAutoTradeOnColour : kAutoTradeOffColour));
  check->Refresh();
}

void CPelomarView::SetAutoTradeAll(int gridId, int state, int ask, int scope) {
  orv::ui::CMyReportCtrl* grid = Grid(gridId);
  if (!grid) return;
  const std::vector<HoldingKey_s> holdings = HeldKeysOf(*grid, false);

  if (ask) {
    const stock_option_s& o = m_engine->Options();
    const std::string amount = o.split_sell_amount < 0
                                   ? StrPrintf("%d%%", std::abs(o.split_sell_amount))
                                   : StrPrintf("%d만원", o.split_sell_amount);
    const CPelomarEngine::AutoTradeRisks_s risks = m_engine->CountAutoTradeRisks(holdings);
    bool yes;
    if (!risks.hasFirst) {
      yes = AskYesNo(StrPrintf(kAutoTradeExplanation, kExplainedSteps, amount.c_str(),
                               o.split_sell_interval, amount.c_str(), o.split_sell_interval));
    } else {
      const std::string first = StrPrintf(
          "1> %s(%s) (현재가 : %.1f, 손절가 : %.1f) 등", WideToUtf8(risks.firstName).c_str(),
          WideToUtf8(risks.firstCode).c_str(), risks.firstPrice, risks.firstStopLossPrice);
      yes = AskYesNo(
          StrPrintf(kAutoTradeRiskQuestion, risks.noPrice, risks.belowStopLoss, first.c_str()));
    }
    if (!yes) {
      // Declining changes nothing; a check box clicked before the question is put back.
      ShowAutoTradeCheck();
      return;
    }
  }

  int& scopeSwitch = scope == 1 ? m_autoTradeSecond : m_allStockWatch;
  const bool on = state == -1 ? scopeSwitch == 0 : state == 1;
  scopeSwitch = on ? 1 : 0;

  std::vector<HoldingRow_s> qualified;
  const int count = m_engine->SetAutoTradeForHoldings(holdings, on, scope, &qualified);
  if (m_holdingsRows && grid == m_myStockGrid.get()) {
    m_holdingsRows->ApplyRows(qualified);
    for (const HoldingRow_s& h : qualified)
      if (CRurezOzadoResultRecord* row = m_holdingsRows->RowOf(h.key))
        ShowRowAutoTrade(*row, h.autoTrade);
  }
  grid->RedrawControl();

  const std::wstring text =
      Utf8ToWide(StrPrintf("전체 보유 종목이 [자동 매매] %s (%d개)되었습니다.",
                           on ? "*설정*" : "*취소(Cancel)*", count));
  SendNotifyMsgToMainFrame(kHostNoticeKind, 0, 0.0, 0.0, kAllStocksTitle, text.c_str());
  uint8_t& pending = m_engine->Options().changed;
  if (pending != kSaveWholeOptions) pending = kSaveHoldingSettings;
  ShowAutoTradeCheck();
}

namespace {

// The presets of the stock grid menu: take-profit and stop-loss rates, and sell ratios.
struct MinProfitPreset {
  int command;
  double value;
  bool takeProfit;
  bool relative;
  double sellRatio;  // above 0: a sell-ratio preset
};
const MinProfitPreset kMinProfitPresets[] = {
    {3184, -2, true, false, 0},   {3187, 3, true, true, 0},     {3188, 5, true, true, 0},
    {3201, 7.5, true, true, 0},   {3199, 10, true, true, 0},    {3198, 50, true, true, 0},
    {3203, 100, true, true, 0},   {3204, 200, true, true, 0},   {3185, -3, false, false, 0},
    {3189, -5, false, false, 0},  {3202, -7.5, false, false, 0}, {3200, -10, false, false, 0},
    {3186, -100, false, false, 0}, {3190, 0, false, false, 100}, {3191, 0, false, false, 95},
};

}  // namespace

void CPelomarView::ApplyMinProfitPreset(int command, int scope) {
  for (const MinProfitPreset& preset : kMinProfitPresets) {
    if (preset.command != command) continue;
    if (preset.sellRatio > 0)
      SetSellRatioForAll(preset.sellRatio, true, scope != 0);
    else
      ApplyRatePresetToAll(preset.value, preset.takeProfit, true, preset.relative, scope != 0);
    return;
  }
}

int CPelomarView::ApplyRatePresetToAll(double value, bool takeProfit, bool ask, bool relative,
                                       bool selectedOnly) {
  orv::ui::CMyReportCtrl* grid = Grid(IDC_MY_STOCK_GRID);
  if (!grid) return 0;
  const char* scopeText = selectedOnly ? "[선택된]" : "[전체]";
  const bool takeProfitMode = takeProfit || value > 0;
  std::string question;
  if (takeProfitMode)
    question = StrPrintf(
        "%s 보유종목의 최저익절을 %.1f%%로 자동으로 설정할까요?\n\n자동매매는 중지되므로, 다시 "
        "체크해 주세요.\n",
        scopeText, value);
  else if (value > -100)
    question = StrPrintf(
        "%s 보유종목의 %s 을 자동으로 설정할까요?\n\n현재값보다 %.1f %% 낮게 "
        "조절됩니다.\n\n자동매매는 중지되므로, 다시 체크해 주세요.\n",
        scopeText, "*손절구간*", value);
  else
    question = StrPrintf(
        "%s 보유종목을 *손절 안함*으로 설정할까요?\n\n꼭 설정값을 다시한번 확인 부탁드립니다.\n",
        scopeText);
  if (ask && !AskYesNo(question)) return 0;

  // Every preset but "no stop-loss" stops automatic trading until the user checks it again.
  if (value != -100) m_allStockWatch = 0;
  const bool autoOn = m_allStockWatch != 0;
  ShowAutoTradeCheck();
  CPelomarEngine::RatePreset_s preset;
  preset.value = value;
  preset.takeProfit = takeProfitMode;
  preset.relative = relative;
  std::vector<HoldingRow_s> rows;
  const int count =
      m_engine->ApplyRatePresetToHoldings(HeldKeysOf(*grid, selectedOnly), preset, autoOn, &rows);
  if (m_holdingsRows) {
    m_holdingsRows->ApplyRows(rows);
    for (const HoldingRow_s& h : rows)
      if (CRurezOzadoResultRecord* row = m_holdingsRows->RowOf(h.key)) {
        ShowRowAutoTrade(*row, h.autoTrade);
        SetStopLossCell(*row, h.stopLossRate);
        row->SetNumberValue(CRurezOzadoResultRecord::kColMinProfit, h.minTakeProfit);
      }
  }
  grid->RedrawControl();
  ReportBulkOutcome(count,
                    StrPrintf("%s 보유 종목중, %d개의 %s이 수정 되었습니다.\r\n자동매매는 안전을 "
                              "위해, 중지되었습니다.\r\n손절/익절구간을 확인하시고, 자동매매 "
                              "여부를 체크하세요",
                              scopeText, count, takeProfitMode ? "*익절구간*" : "*손절구간*"),
                    ask);
  return count;
}

int CPelomarView::SetSellRatioForAll(double ratio, bool ask, bool selectedOnly) {
  orv::ui::CMyReportCtrl* grid = Grid(IDC_MY_STOCK_GRID);
  if (!grid) return 0;
  if (ask) {
    const int answer =
        orv::win::MessageBox(StrPrintf("매도 비중을 %d%%로 조정할까요?", static_cast<int>(ratio)),
                             "QUESTION", MB_YESNO | MB_ICONQUESTION);
    if (answer != IDYES) return answer;
  }
  std::vector<HoldingRow_s> rows;
  const int count =
      m_engine->SetSellRatioOfHoldings(HeldKeysOf(*grid, selectedOnly), ratio, &rows);
  if (m_holdingsRows) {
    m_holdingsRows->ApplyRows(rows);
    for (const HoldingRow_s& h : rows)
      if (CRurezOzadoResultRecord* row = m_holdingsRows->RowOf(h.key)) {
        SetSellRatioCell(*row, h.sellRatio);
      }
  }
  grid->RedrawControl();
  return static_cast<int>(ReportBulkOutcome(
      count,
      StrPrintf("전체 보유 종목중, %d개가 매도 비중이 %d%%로 수정 되었습니다.", count,
                static_cast<int>(ratio)),
      ask));
}

intptr_t CPelomarView::ReportBulkOutcome(int count, const std::string& changedText, bool ask) {
  const std::string text = count == 0 ? std::string("수정된 종목이 없습니다.") : changedText;
  if (count > 0) {
    // The holdings' settings are due for saving; a pending save of everything stays.
    uint8_t& pending = m_engine->Options().changed;
    if (pending != kSaveWholeOptions) pending = kSaveHoldingSettings;
  }
  if (ask) {
    if (count == 0)
      orv::win::MessageBox(text, "ERROR", MB_OK | MB_ICONERROR);
    else
      orv::win::MessageBox(text, "INFORMATION", MB_OK | MB_ICONINFORMATION);
  }
  return SendNotifyMsgToMainFrame(kHostNoticeKind, 0, 0.0, 0.0, kAllStocksTitle,
                                  Utf8ToWide(text).c_str());
}
