// The main frame's screen-saver window: made on the first start, filled with the product's
// texts and message lines, shown over the frame's monitor, and destroyed when it ends.

#include <wx/display.h>

#include "host/app/VarqoMainApp.h"
#include "host/frame/FrameCommandState.h"
#include "host/frame/MainFrame.h"
#include "host/saver/SaverWnd.h"

namespace {

constexpr int kSaverId = 1208;
constexpr int kSaverTimeoutMs = 10000;

// The saver's message lines: three texts each.
const wchar_t* const kSaverLines[][3] = {
    {L"최고의 주식 매도 에이전트 ", L"★특허 등록★으로 입증된 트레일링스탑 매도 메커니즘",
     L"2017년부터 고객만족도 1위~"},
    {L"국내 최초 6개 증권사 Open-API 지원",
     L"(주)키움증권, LS증권, 신한증권, 유안타증권, 유진투자증권, NH증권",
     L"★최초★ 해외 주식(다우/나스닥) 자동매도 지원(유진투자증권)"},
    {L"최대의 코인 자동매매 거래이력 보유", L"(주)업비트 자동매수/자동매도 지원",
     L"실시간 보조 지표 분석 매커니즘 탑재"},
};

// The saver ended: the idle time starts again and the window goes (after its event).
void OnSaverEvent(void* context, int saverId, intptr_t, intptr_t, intptr_t, intptr_t, intptr_t,
                  intptr_t) {
  if (saverId != kSaverId) return;
  auto* frame = static_cast<CMainFrame*>(context);
  frame->OnScreenSaverEnded();
  FrameCommandState& state = frame->CommandState();
  CSaverWnd* saver = state.saver;
  state.saver = nullptr;
  if (saver != nullptr) saver->Destroy();
}

// The geometry of the monitor that holds the window (the first one when none does).
wxRect MonitorArea(const wxWindow* window) {
  const int display = wxDisplay::GetFromWindow(window);
  return wxDisplay(display == wxNOT_FOUND ? 0u : static_cast<unsigned>(display)).GetGeometry();
}

}  // namespace

CSaverWnd* CMainFrame::GetSaverWnd() const {
  return const_cast<CMainFrame*>(this)->CommandState().saver;
}

int CMainFrame::CreateSaverWnd() {
  FrameCommandState& state = CommandState();
  if (state.saver == nullptr) {
    auto* saver = new CSaverWnd(kSaverTimeoutMs, false, kSaverId, &OnSaverEvent, this);
    if (!saver->CreateSaver(this, MonitorArea(this), false)) {
      delete saver;
      return 0;
    }
    // However the window goes, the frame forgets it.
    saver->Bind(wxEVT_DESTROY, [this, saver](wxWindowDestroyEvent& event) {
      if (event.GetEventObject() == saver && CommandState().saver == saver) {
        CommandState().saver = nullptr;
      }
      event.Skip();
    });
    state.saver = saver;
  }
  CSaverWnd& saver = *state.saver;
  const app_run_setting_s& rs = app_.RunSettings();
  saver.SetHeadingText(rs.szProductTitle);
  saver.SetTitleText(rs.szAppName);
  saver.SetSubtitleText(rs.szCompanyName);
  saver.ClearMessageLines(0);
  for (const auto& line : kSaverLines) saver.SetMessageLine(-1, line[0], line[1], line[2]);
  saver.SetLogoPath(app_.Folders().exeFolder + "res/scr_saver_logo.bmp");
  return 1;
}

void CMainFrame::DeleteSaverWnd() {
  if (!commandState_ || commandState_->saver == nullptr) return;
  CSaverWnd* saver = commandState_->saver;
  commandState_->saver = nullptr;
  // Not deferred: the saver is this frame's child and must go before the frame does.
  delete saver;
}

bool CMainFrame::StartOwnSaver() {
  CSaverWnd* saver = GetSaverWnd();
  if (saver != nullptr && saver->IsShown()) return true;
  if (CreateSaverWnd() == 0) return false;
  saver = GetSaverWnd();
  saver->SetSize(MonitorArea(this));
  return saver->Show(true);
}
