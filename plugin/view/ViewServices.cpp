// The trading view's services for its dialogs and child views: switches, the current stock,
// stock selection, AI analysis, alert sounds, the grid menu's presets, dialog show and hide,
// the waiting popup, the code-update thread and the options' hand-over.

#include <wx/timer.h>

#include "platform/support/TextConv.h"
#include "platform/ui/model/ReportCtrl.h"
#include "platform/win/MessageBox.h"
#include "plugin/view/PelomarView.h"
#include "shared/LoginInfo.h"

namespace {

constexpr int kSelectTimerId = 10;
constexpr int kSelectTimerMs = 100;
constexpr DWORD kCodeUpdateStopMs = 3000;

}  // namespace

void CPelomarView::SetAutoBuy(int on) {
  m_autoBuy = on;
  m_engine->SetAutoBuy(on != 0);
}

void CPelomarView::SetAccountLoginFlags(int autoLogin, int savePassword) {
  if (autoLogin >= 0) {
    if (autoLogin)
      m_loginFlags |= LOGIN_FLAG_AUTO;
    else
      m_loginFlags &= ~LOGIN_FLAG_AUTO;
  }
  if (savePassword >= 0) {
    if (savePassword)
      m_loginFlags |= LOGIN_FLAG_SAVE_PASSWORD;
    else
      m_loginFlags &= ~LOGIN_FLAG_SAVE_PASSWORD;
  }
}

int CPelomarView::SetCurStock(uint8_t market, const std::wstring& code) {
  m_curStockChanged = market != m_curStockMarket || code != m_curStockCode;
  m_curStockMarket = code.empty() ? 0 : market;
  m_curStockCode = code;
  if (code.empty()) return m_curStockChanged ? 1 : 0;
  return m_engine->RebuildQuoteLists(market, 1);
}

void CPelomarView::RequestStockSelect(int, const wchar_t* code, int) {
  m_pendingStockCode = code ? code : L"";
  if (!m_selectTimer) {
    m_selectTimer = std::make_unique<wxTimer>(this, kSelectTimerId);
    Bind(
        wxEVT_TIMER,
        [this](wxTimerEvent&) {
          // The pending stock becomes the current one and its all-stock row is selected.
          const std::wstring code = m_pendingStockCode;
          if (code.empty()) return;
          orv::ui::CMyReportCtrl* grid = Grid(IDC_ALL_STOCK_GRID);
          if (!grid) return;
          for (int r = 0; r < grid->GetRowCount(); ++r) {
            auto* row = dynamic_cast<CStockRecord*>(grid->GetRowRecord(r));
            if (row && row->GetStockCode() == code) {
              SetCurStock(row->GetStockMarket(), code);
              grid->SelectRow(r);
              break;
            }
          }
        },
        kSelectTimerId);
  }
  m_selectTimer->StartOnce(kSelectTimerMs);
}

void CPelomarView::RequestAiAnalysis(uint8_t market, const std::wstring& code) {
  if (code.empty()) return;
  m_engine->RequestAiAnalysis(market, code);
}

AlertSound_s* CPelomarView::QueueAlertSound(int index, uint8_t flag) {
  std::vector<AlertSound_s>& sounds = m_engine->AlertSounds();
  if (index < 0 || index >= static_cast<int>(sounds.size())) return nullptr;
  AlertSound_s& sound = sounds[static_cast<size_t>(index)];
  if (!sound.path.empty()) sound.queued = flag;
  return &sound;
}

void CPelomarView::ShowOrderPopup(bool show, bool centre) {
  if (!m_orderPopup) return;
  if (show && centre) m_orderPopup->CenterWindow();
  m_orderPopup->ShowWindow(show);
}

void CPelomarView::ShowCafeDlg(bool show, int flag, int tab) {
  if (!m_cafeDialog) return;
  if (show)
    m_cafeDialog->ShowDialog(this, false, flag != 0, tab < 0 ? 0 : tab);
  else
    m_cafeDialog->HideDialog();
}

void CPelomarView::ShowCafeRecommendDlg(bool show, uint8_t market, const std::wstring& code,
                                        int kind, int tab) {
  if (!m_cafeDialog) return;
  if (!show) {
    m_cafeDialog->HideDialog();
    return;
  }
  if (!code.empty()) m_cafeDialog->SetRecommendItem(market, code, kind);
  m_cafeDialog->ShowDialog(this, false, true, tab < 0 ? 0 : tab);
}

void CPelomarView::ShowStockMonDlg(bool show) {
  if (!m_stockBoard) return;
  if (show)
    m_stockBoard->ShowDialog(this, false, true, 0);
  else
    m_stockBoard->HideDialog();
}

void CPelomarView::ShowStockCfgDlg(bool show, bool reload) {
  if (!m_settingsDialog) return;
  stock_option_s& options = m_engine->Options();
  m_settingsDialog->SetOptions(&options, m_engine->OptionsDb());
  m_settingsDialog->SetOwnerWnd(this, false);
  m_settingsDialog->FillSelectorConstraints(&m_engine->Accounts(), 0);
  if (reload) {
    m_engine->LoadStockOption();
    ApplyStockOptions(true);
    options.split_sell_amount_won =
        options.split_sell_amount > 0 ? options.split_sell_amount * 10000.0
                                      : static_cast<double>(options.split_sell_amount);
  }
  // The dialog offers 10 to 20 seconds between split orders.
  if (options.split_sell_interval < 5) options.split_sell_interval = 10;
  if (options.split_sell_interval > 20) options.split_sell_interval = 20;
  if (show)
    m_settingsDialog->ShowDialog(this, false, true, 0);
  else
    m_settingsDialog->HideDialog();
}

void CPelomarView::ShowStockChartDlg(uint8_t market, const std::wstring& code) {
  if (!m_chartDialog) return;
  m_chartDialog->SetStock(market, code);
  // The engine hands the stock's bars over through the dispatcher; the dialog draws them then.
  if (m_engine) m_engine->PublishStockChart(market, code.c_str());
  m_chartDialog->ShowDialog(this, false, false, 0);
}

void CPelomarView::ShowWaitingPopup(bool show, const wchar_t* message, const wchar_t* caption,
                                    DWORD) {
  if (!show) {
    HideWaitingWnd();
    return;
  }
  ShowWaitingWnd(caption ? caption : L"", message ? message : L"");
}

int CPelomarView::StartCodeUpdateThread(bool ask) {
  const bool running = m_engine->CodeUpdateRunning();
  if (ask) {
    const std::string question =
        running ? "Stop Thread?\n\nStop?" : WideToUtf8(L"종목 코드를 업데이트 할까요 ?");
    if (orv::win::MessageBox(question, "QUESTION", MB_YESNO | MB_ICONQUESTION) != IDYES) return 0;
  }
  if (running) {
    m_engine->StopCodeUpdateThread(kCodeUpdateStopMs);
    return 2;
  }
  return m_engine->StartCodeUpdateThread() ? 1 : 0;
}

void CPelomarView::ApplyStockOptions(bool refreshCombo) {
  const stock_option_s& options = m_engine->Options();
  m_sellOneByOne = options.sell_one_by_one;
  m_splitOrderBase = options.split_sell_amount;
  m_splitOrderWon = static_cast<int>(options.split_sell_amount_won);
  m_splitInterval = options.split_sell_interval;
  m_splitIntervalMs = options.split_sell_interval * 1000;
  if (refreshCombo) UpdateUiModeVisibility(nullptr, true);
}
