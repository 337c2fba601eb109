#include "host/dialogs/PasswordDlg.h"

#include <wx/dialog.h>
#include <wx/textctrl.h>
#include <wx/window.h>

namespace {

constexpr int kWidth = 360;

}  // namespace

std::wstring CPasswordDlg::TitleFor(bool change, const std::wstring& name) {
  return (change ? L"Change Password : " : L"Enter Password : ") + name;
}

bool CPasswordDlg::EntriesAccepted(const std::wstring& first, const std::wstring& second) {
  return !first.empty() && first == second;
}

bool CPasswordDlg::CreateDlg(wxWindow* parent) {
  if (!Create(parent, L"Enter Password", kWidth, 200)) return false;
  using orv::ui::CtrlKind;
  AddControl(IDC_NAME, CtrlKind::Static, L"", RECT{20, 16, kWidth - 20, 36});
  AddControl(IDC_PWD_LABEL, CtrlKind::Static, L"비밀번호", RECT{20, 50, 110, 72});
  AddControl(IDC_PWD, CtrlKind::Password, L"", RECT{110, 46, kWidth - 20, 74});
  AddControl(IDC_CONFIRM_LABEL, CtrlKind::Static, L"비밀번호 확인", RECT{20, 88, 110, 110});
  AddControl(IDC_CONFIRM, CtrlKind::Password, L"", RECT{110, 84, kWidth - 20, 112});
  AddControl(IDC_HINT, CtrlKind::Static, L"", RECT{110, 116, kWidth - 20, 136});
  AddControl(IDC_OK, CtrlKind::Button, L"확인", RECT{kWidth - 200, 150, kWidth - 110, 182});
  AddControl(IDC_CANCEL, CtrlKind::Button, L"취소", RECT{kWidth - 104, 150, kWidth - 20, 182});
  GetDlgItem(IDC_HINT)->SetForegroundColour(wxColour(0xC6, 0x28, 0x28));
  for (int id : {IDC_PWD, IDC_CONFIRM})
    GetDlgItem(id)->Bind(wxEVT_TEXT, [this](wxCommandEvent&) { UpdateOk(); });
  OnCommand(IDC_OK, [this] { PressOk(); });
  OnCommand(IDC_CONFIRM, [this] { PressOk(); });
  OnCommand(IDC_PWD, [this] { GetDlgItem(IDC_CONFIRM)->SetFocus(); });
  OnCommand(IDC_CANCEL, [this] { PressCancel(); });
  UpdateOk();
  return true;
}

void CPasswordDlg::Prepare(bool change, const std::wstring& name) {
  const std::wstring title = TitleFor(change, name);
  if (GetWindow()) GetWindow()->SetTitle(title);
  SetDlgItemText(IDC_NAME, title);
  SetDlgItemText(IDC_PWD, L"");
  SetDlgItemText(IDC_CONFIRM, L"");
  password_.clear();
  answer_ = kAnswerCancel;
  UpdateOk();
}

void CPasswordDlg::UpdateOk() {
  const std::wstring first = GetDlgItemText(IDC_PWD);
  const std::wstring second = GetDlgItemText(IDC_CONFIRM);
  EnableDlgItem(IDC_OK, EntriesAccepted(first, second));
  SetDlgItemText(IDC_HINT, !second.empty() && first != second ? L"두 비밀번호가 다릅니다." : L"");
}

void CPasswordDlg::PressOk() {
  UpdateOk();
  if (!IsOkEnabled()) return;
  password_ = GetDlgItemText(IDC_PWD);
  answer_ = kAnswerOk;
  HideDialog();
}

void CPasswordDlg::PressCancel() {
  password_.clear();
  answer_ = kAnswerCancel;
  HideDialog();
}

int CPasswordDlg::Run(wxWindow* owner, std::wstring* out) {
  answer_ = kAnswerCancel;
  ShowDialog(owner, true);
  if (out) *out = answer_ == kAnswerOk ? password_ : std::wstring();
  SetDlgItemText(IDC_PWD, L"");
  SetDlgItemText(IDC_CONFIRM, L"");
  password_.clear();
  return answer_;
}
