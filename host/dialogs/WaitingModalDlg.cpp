#include "host/dialogs/WaitingModalDlg.h"

#include <wx/dialog.h>
#include <wx/gauge.h>
#include <wx/process.h>
#include <wx/stattext.h>
#include <wx/utils.h>

#include "platform/support/TextConv.h"
#include "platform/win/MessageBox.h"

namespace {

constexpr int kWidth = 420;

// Ends the dialog when the program it runs ends.
class WaitedProcess : public wxProcess {
 public:
  explicit WaitedProcess(CWaitingModalDlg* dlg, bool wait) : dlg_(dlg), wait_(wait) {}
  void Detach() { dlg_ = nullptr; }
  void OnTerminate(int, int status) override {
    if (dlg_ && wait_) dlg_->EndDialog(status == 0 ? 0 : 1);
    delete this;
  }

 private:
  CWaitingModalDlg* dlg_;
  bool wait_;
};

}  // namespace

CWaitingModalDlg::CWaitingModalDlg() = default;

CWaitingModalDlg::~CWaitingModalDlg() {
  if (process_) static_cast<WaitedProcess*>(process_)->Detach();
}

bool CWaitingModalDlg::CreateDlg(wxWindow* parent) {
  if (!Create(parent, L"", kWidth, 150)) return false;
  using orv::ui::CtrlKind;
  const RECT zero{0, 0, 10, 10};
  AddControl(IDC_TITLE, CtrlKind::Static, L"", zero);
  AddControl(IDC_INFO, CtrlKind::Static, L"", zero);
  AddControl(IDC_OK, CtrlKind::Button, L"확인", zero);
  AddControl(IDC_STOP, CtrlKind::Button, L"중지", zero);
  wxFont bold = GetDlgItem(IDC_TITLE)->GetFont();
  bold.SetWeight(wxFONTWEIGHT_BOLD);
  GetDlgItem(IDC_TITLE)->SetFont(bold);
  OnCommand(IDC_OK, [this] { EndDialog(0); });
  OnCommand(IDC_STOP, [this] { StopAsked(); });
  Relayout();
  return true;
}

void CWaitingModalDlg::Relayout() {
  int y = 16;
  const bool hasTitle = titleHeight_ > 0 && !GetDlgItemText(IDC_TITLE).empty();
  ShowDlgItem(IDC_TITLE, hasTitle);
  if (hasTitle) {
    GetDlgItem(IDC_TITLE)->SetSize(20, y, kWidth - 40, titleHeight_);
    y += titleHeight_ + 8;
  }
  auto* info = static_cast<wxStaticText*>(GetDlgItem(IDC_INFO));
  info->SetSize(20, y, kWidth - 40, -1);
  info->Wrap(kWidth - 40);
  y += std::max(infoHeight_, info->GetBestSize().GetHeight()) + 16;
  GetDlgItem(IDC_OK)->SetSize(kWidth - 200, y, 84, 30);
  GetDlgItem(IDC_STOP)->SetSize(kWidth - 108, y, 88, 30);
  GetWindow()->SetClientSize(kWidth, y + 46);
}

void CWaitingModalDlg::SetLoginStateCallback(LoginStateCallback callback, uint32_t eventMask,
                                             void* ctx) {
  callback_ = callback;
  mask_ = eventMask;
  ctx_ = ctx;
}

void CWaitingModalDlg::SetTitleArea(const std::wstring& title, int height) {
  titleHeight_ = height;
  SetDlgItemText(IDC_TITLE, title);
  if (GetWindow()) GetWindow()->SetTitle(title);
  Relayout();
}

void CWaitingModalDlg::SetInfoArea(const std::wstring& info, int height) {
  infoHeight_ = height;
  SetDlgItemText(IDC_INFO, info);
  Relayout();
}

void CWaitingModalDlg::SetProcessCommand(const std::wstring& command, const std::wstring& args,
                                         bool wait, const std::wstring& info,
                                         const std::wstring& stopQuestion) {
  command_ = command;
  args_ = args;
  wait_ = wait;
  stopQuestion_ = stopQuestion;
  SetInfoArea(info, infoHeight_);
}

int CWaitingModalDlg::RunDialog(wxWindow* owner) {
  result_ = kResultCancel;
  ShowDlgItem(IDC_OK, command_.empty() || !wait_);
  if (!command_.empty()) {
    auto* process = new WaitedProcess(this, wait_);
    const std::wstring line = args_.empty() ? command_ : command_ + L" " + args_;
    pid_ = wxExecute(wxString(line), wxEXEC_ASYNC, process);
    if (pid_ <= 0) {
      delete process;
      SetInfoArea(L"실행할 수 없습니다: " + command_, infoHeight_);
      ShowDlgItem(IDC_OK, true);
    } else {
      process_ = process;
    }
  }
  ShowDialog(owner, true);
  if (process_) static_cast<WaitedProcess*>(process_)->Detach();
  process_ = nullptr;
  pid_ = 0;
  command_.clear();
  args_.clear();
  return result_;
}

void CWaitingModalDlg::EndDialog(int result) {
  result_ = result;
  HideDialog();
}

void CWaitingModalDlg::StopAsked() {
  if (pid_ > 0) {
    const std::string question =
        WideToUtf8(stopQuestion_.empty() ? L"작업을 중지할까요?" : stopQuestion_);
    if (orv::win::MessageBox(question, "확인", MB_YESNO | MB_ICONQUESTION) != IDYES) return;
    wxProcess::Kill(static_cast<int>(pid_), wxSIGTERM, wxKILL_CHILDREN);
  }
  EndDialog(kResultCancel);
}

intptr_t CWaitingModalDlg::RaiseLoginEvent(unsigned event, intptr_t value, intptr_t extra) {
  if (callback_ == nullptr) return 0;
  if ((event & kMaskedEvents) != 0 && (event & mask_) == 0) return 0;
  return callback_(ctx_, event, value, extra);
}

bool CWaitConfirmDlg::CreateDlg(wxWindow* parent) {
  if (!Create(parent, L"", kWidth, 130)) return false;
  using orv::ui::CtrlKind;
  AddControl(IDC_TEXT, CtrlKind::Static, L"", RECT{20, 16, kWidth - 20, 50});
  AddControl(IDC_OK, CtrlKind::Button, L"확인", RECT{kWidth - 110, 90, kWidth - 20, 120});
  gauge_ = new wxGauge(GetWindow(), IDC_GAUGE_HOST, 100, wxPoint(20, 58), wxSize(kWidth - 40, 18));
  OnCommand(IDC_OK, [this] { HideDialog(); });
  return true;
}

void CWaitConfirmDlg::ShowWait(const std::wstring& text, int mode, int position, int range) {
  mode_ = mode;
  SetDlgItemText(IDC_TEXT, text);
  ShowDlgItem(IDC_OK, mode == 1);
  if (gauge_) {
    if (position < 0) {
      gauge_->Pulse();
    } else {
      gauge_->SetRange(range > 0 ? range : 100);
      gauge_->SetValue(std::min(position, gauge_->GetRange()));
    }
  }
  if (!IsDialogShown()) ShowDialog(nullptr, false);
}
