// The view side of the settings changed for every holding of a grid at once: the questions,
// the grid's rows and checks, the switch's check box and the report to the host.

#include <wx/checkbox.h>

#include <cmath>
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

wxColour ToWxColour(COLORREF c) { return wxColour(GetRValue(c), GetGValue(c), GetBValue(c)); }

bool AskYesNo(const std::string& text) {
  return orv::win::MessageBox(text, "QUESTION", MB_YESNO | MB_ICONQUESTION) == IDYES;
}

}  // namespace

void CPelomarView::ShowAutoTradeCheck() {
  // The side panel shows the switch too.
  if (m_orderPanel) m_orderPanel->ShowAutoTradeSwitch(m_allStockWatch != 0);
  wxCheckBox* check = CheckBox(IDC_CHECK_ALL_STOCK_WATCH);
  if (!check) return;
  check->SetValue(m_allStockWatch != 0);
  check->SetForegroundColour(
      ToWxColour(m_allStockWatch ? kAutoTradeOnBack : kAutoTradeOffBack));
  check->Refresh();
}

std::vector<CRurezOzadoResultRecord*> CPelomarView::HeldRows(orv::ui::CMyReportCtrl& grid,
                                                               bool selectedOnly) const {
  // The grid's shown rows of holdings the latest balance still held; the engine finds each
  // holding again by key under its lock and skips one a balance freed since.
  std::vector<CRurezOzadoResultRecord*> rows;
  for (int i = 0; i < grid.GetRecordCount(); ++i) {
    // A hidden row is a holding the balance no longer names.
    auto* row = dynamic_cast<CRurezOzadoResultRecord*>(grid.GetRecord(i));
    if (!row || !row->IsVisible() || row->IsBlankRow()) continue;
    if (m_holdingsRows && &grid == m_myStockGrid.get() && !m_holdingsRows->IsHeld(row)) continue;
    if (selectedOnly && !row->IsSelected()) continue;
    rows.push_back(row);
  }
  return rows;
}

void CPelomarView::SetAutoTradeAll(int gridId, int state, int ask, int scope) {
  orv::ui::CMyReportCtrl* grid = Grid(gridId);
  if (!grid) return;
  std::vector<HoldingKey_s> holdings;
  for (CRurezOzadoResultRecord* row : HeldRows(*grid, false)) holdings.push_back(KeyOf(*row));

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
        SetAutoTradeCell(*row, h.autoTrade);
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

// ---------------------------------------------------------------------------------------
// Sell ratio, rate presets and the stop-loss option for all holdings

namespace {

constexpr double kNoStopLossRate = -100.0;
constexpr char kNothingChanged[] = "수정된 종목이 없습니다.";

// The sell ratio cell and the holding's sizing values of a row after a change.
void ShowSellRatio(CRurezOzadoResultRecord& row, const HoldingRow_s& h) {
  row.SetOptionsValue(CRurezOzadoResultRecord::kColSellRatio, static_cast<int64_t>(h.sellRatio));
  row.SetItemBackColor(CRurezOzadoResultRecord::kColSellRatio,
                       CPelomarEngine::SellRatioCellColour(h.sellRatio));
  row.SetNumberValue(kMyItemSplitQty, h.sellSplitQty);
  row.SetNumberValue(kMyItemSplitAmount, h.sellSplitQty * h.price);
}

}  // namespace

void CPelomarView::NotePendingSaves() {
  // Both the holdings' settings and the options are due for saving.
  m_pendingSave = kSaveHoldingSettings;
  uint8_t& changed = m_engine->Options().changed;
  if (changed != kSaveWholeOptions) changed = kSaveHoldingSettings;
}

std::string CPelomarView::ReportBulkOutcome(int count, const std::string& changedText, int ask) {
  if (count == 0) {
    if (ask) orv::win::MessageBox(kNothingChanged, "ERROR", MB_OK | MB_ICONERROR);
    return kNothingChanged;
  }
  NotePendingSaves();
  if (ask) orv::win::MessageBox(changedText, "INFORMATION", MB_OK | MB_ICONINFORMATION);
  return changedText;
}

intptr_t CPelomarView::SetSellRatioForAll(int ratio, int ask) {
  if (ask) {
    const int answer = orv::win::MessageBox(StrPrintf("매도 비중을 %d%%로 조정할까요?", ratio),
                                            "QUESTION", MB_YESNO | MB_ICONQUESTION);
    if (answer != IDYES) return answer;
  }
  std::vector<HoldingKey_s> keys;
  std::vector<CRurezOzadoResultRecord*> rows;
  if (m_myStockGrid)
    for (CRurezOzadoResultRecord* row : HeldRows(*m_myStockGrid, false))
      if (row->GetOptionsValue(CRurezOzadoResultRecord::kColSellRatio) != ratio) {
        keys.push_back(KeyOf(*row));
        rows.push_back(row);
      }
  std::vector<HoldingRow_s> changed;
  const int count = keys.empty() ? 0 : m_engine->SetSellRatioForHoldings(keys, ratio, &changed);
  for (const HoldingRow_s& h : changed)
    if (CRurezOzadoResultRecord* row = m_holdingsRows ? m_holdingsRows->RowOf(h.key) : nullptr)
      ShowSellRatio(*row, h);
  if (m_myStockGrid) m_myStockGrid->RedrawControl();

  const std::string text = ReportBulkOutcome(
      count, StrPrintf("전체 보유 종목중, %d개가 매도 비중이 %d%%로 수정 되었습니다.", count, ratio),
      ask);
  return SendNotifyMsgToMainFrame(kHostNoticeKind, 0, 0.0, 0.0, kAllStocksTitle,
                                  Utf8ToWide(text).c_str());
}

int CPelomarView::ApplyRatePresetToAll(double value, double amount, int takeProfitMode, int ask,
                                       int relative, int selectedOnly, int, int) {
  const char* scope = selectedOnly ? "[선택된]" : "[전체]";
  const bool takeProfit = takeProfitMode != 0 || value > 0;
  std::string question;
  if (takeProfit)
    question = StrPrintf(
        "%s 보유종목의 최저익절을 %.1f%%로 자동으로 설정할까요?\n\n자동매매는 중지되므로, 다시 "
        "체크해 주세요.\n",
        scope, value);
  else if (value > kNoStopLossRate)
    question = StrPrintf(
        "%s 보유종목의 %s 을 자동으로 설정할까요?\n\n현재값보다 %.1f %% 낮게 조절됩니다.\n\n"
        "자동매매는 중지되므로, 다시 체크해 주세요.\n",
        scope, "*손절구간*", amount);
  else
    question = StrPrintf(
        "%s 보유종목을 *손절 안함*으로 설정할까요?\n\n꼭 설정값을 다시한번 확인 "
        "부탁드립니다.\n",
        scope);
  if (ask && orv::win::MessageBox(question, "QUESTION", MB_YESNO | MB_ICONQUESTION) != IDYES)
    return 0;

  // Only a stop-loss reset to none keeps automatic trading as it is; every other preset stops
  // it until the user checks the new levels.
  if (amount != kNoStopLossRate) m_allStockWatch = 0;
  const bool state = amount == kNoStopLossRate && m_allStockWatch != 0;
  ShowAutoTradeCheck();

  std::vector<HoldingKey_s> keys;
  if (m_myStockGrid)
    for (CRurezOzadoResultRecord* row : HeldRows(*m_myStockGrid, selectedOnly != 0)) {
      SetAutoTradeCell(*row, state);
      keys.push_back(KeyOf(*row));
    }
  std::vector<HoldingRow_s> changed;
  const int count =
      m_engine->ApplyRatePresetToHoldings(keys, value, takeProfit, relative != 0, state, &changed);
  for (const HoldingRow_s& h : changed) {
    CRurezOzadoResultRecord* row = m_holdingsRows ? m_holdingsRows->RowOf(h.key) : nullptr;
    if (!row) continue;
    if (takeProfit)
      SetMinProfitCell(*row, h.minTakeProfit);
    else
      SetStopLossCell(*row, h.stopLossRate);
  }
  if (m_myStockGrid) m_myStockGrid->RedrawControl();

  const std::string text = ReportBulkOutcome(
      count,
      StrPrintf("%s 보유 종목중, %d개의 %s이 수정 되었습니다.\r\n자동매매는 안전을 위해, "
                "중지되었습니다.\r\n손절/익절구간을 확인하시고, 자동매매 여부를 체크하세요",
                scope, count, takeProfit ? "*익절구간*" : "*손절구간*"),
      ask);
  SendNotifyMsgToMainFrame(kHostNoticeKind, 0, 0.0, 0.0, kAllStocksTitle,
                           Utf8ToWide(text).c_str());
  return count;
}

int CPelomarView::ApplyStopLossOptionToAll(int mode, int apply, int kind) {
  if (mode >= 0) m_stopLossOptionMode = mode;
  const double splitAmount = std::fabs(m_engine->Options().split_sell_amount_won);
  int rows = 0;
  std::vector<HoldingKey_s> keys;
  if (m_myStockGrid)
    for (CRurezOzadoResultRecord* row : HeldRows(*m_myStockGrid, false)) {
      ++rows;
      keys.push_back(KeyOf(*row));
    }
  if (apply) {
    std::vector<HoldingRow_s> changed;
    m_engine->ApplyStopLossOptionToHoldings(keys, kind, splitAmount, &changed);
    for (const HoldingRow_s& h : changed) {
      CRurezOzadoResultRecord* row = m_holdingsRows ? m_holdingsRows->RowOf(h.key) : nullptr;
      if (!row) continue;
      if (kind == 1) SetIntervalCell(*row, h.stepWidth);
      row->SetNumberValue(CRurezOzadoResultRecord::kColSplitRate, splitAmount);
      row->SetItemBackColor(CRurezOzadoResultRecord::kColSplitRate,
                            CPelomarEngine::SplitAmountCellColour(splitAmount));
      row->SetNumberValue(kMyItemSplitQty, h.sellSplitQty);
      row->SetNumberValue(kMyItemSplitAmount, h.sellSplitQty * h.price);
    }
  }
  if (m_myStockGrid) m_myStockGrid->RedrawControl();
  if (apply) m_pendingSave = kSaveHoldingSettings;
  const std::wstring text =
      Utf8ToWide(StrPrintf("보유 종목의 [스탑로스 옵션] %s (%d개)되었습니다.",
                           m_stopLossOptionMode != 0 ? "*개별 설정*" : "*전체 설정*", rows));
  SendNotifyMsgToMainFrame(kHostNoticeKind, 0, 0.0, 0.0, kAllStocksTitle, text.c_str());
  return rows;
}

void CPelomarView::ApplyMinProfitPreset(int command, int scope) {
  struct Preset {
    int command;
    double value;
    double amount;
    int takeProfit;
    int relative;
    int ladder1;
    int ladder2;
  };
  static constexpr Preset kPresets[] = {
      {3184, -2, -2, 1, 0, 1, 1},      {3187, 3, -200, 1, 1, 1, 0},
      {3188, 5, -200, 1, 1, 0, 0},     {3201, 7.5, -200, 1, 1, 0, 0},
      {3199, 10, -200, 1, 1, 0, 0},    {3198, 50, -200, 1, 1, 0, 0},
      {3203, 100, -200, 1, 1, 0, 0},   {3204, 200, -200, 1, 1, 0, 0},
      {3185, -3, -3, 0, 0, 0, 0},      {3189, -5, -5, 0, 0, 0, 0},
      {3202, -7.5, -7.5, 0, 0, 0, 0},  {3200, -10, -10, 0, 0, 0, 0},
      {3186, -100, -100, 0, 0, 0, 0},
  };
  if (command == 3190 || command == 3191) {
    SetSellRatioForAll(command == 3190 ? 100 : 95, 1);
    return;
  }
  for (const Preset& p : kPresets)
    if (p.command == command) {
      ApplyRatePresetToAll(p.value, p.amount, p.takeProfit, 1, p.relative, scope, p.ladder1,
                           p.ladder2);
      return;
    }
}
