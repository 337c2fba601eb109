#include "plugin/orders/window/MyAccountInfoDlg.h"

#include <wx/checkbox.h>
#include <wx/dialog.h>
#include <wx/font.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "platform/support/TextConv.h"
#include "platform/win/MessageBox.h"
#include "plugin/orders/AccountPanel.h"
#include "plugin/view/PelomarView.h"

using orv::ui::CtrlKind;

namespace {

constexpr int kWidth = 680;
constexpr int kHeight = 330;
constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kRed = 0x0000FF;
constexpr COLORREF kBlue = 0xFF0000;
constexpr COLORREF kBlack = 0;
const wchar_t kBroker[] = L"DB금융투자";

const wchar_t kNotice[] =
    L"** ★주의사항★ **\r\n   계좌 잔고 종목을 조회하기 위해, 계좌 비밀번호(숫자4자리)는 입력하셔야 "
    L"합니다.\r\n   불편하시더라도 보안상 매번 입력해 주시길 권장하지만, 저장을 체크하시면 "
    L"편리합니다.\r\n   계좌가 여러개 일때는 각 계좌의 비밀번호를 선택하셔서, 입력해 주셔야 "
    L"합니다.\r\n   비밀번호를 입력하신후, 약 10~20초 이내에 계좌 잔고를 불러옵니다.\r\n   조금 "
    L"늦게 조회됨을 이해 부탁드립니다. ";

wxColour FromRef(COLORREF c) { return wxColour(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

}  // namespace

// The dialog's form; its close box ends the showing as the dialog's close does.
class CMyAccountInfoDlg::FormWindow : public orv::ui::CControlDialog {
 public:
  std::function<void()> onClose;

 protected:
  void OnClose() override {
    if (onClose)
      onClose();
    else
      HideDialog();
  }
};

CMyAccountInfoDlg::CMyAccountInfoDlg(CPelomarView& view)
    : m_view(view), m_form(std::make_unique<FormWindow>()) {}

CMyAccountInfoDlg::~CMyAccountInfoDlg() { *m_alive = false; }

wxWindow* CMyAccountInfoDlg::GetWindow() const { return m_form->GetWindow(); }

orv::ui::CControlDialog& CMyAccountInfoDlg::Form() { return *m_form; }

bool CMyAccountInfoDlg::CreateFromTemplate(int, wxWindow* parent) {
  const std::wstring title = std::wstring(L"계좌 비밀번호 설정 : ") + kBroker;
  if (!m_form->Create(parent, title, kWidth, kHeight)) return false;
  // Made hidden: the dialog shows only through ShowDialog.
  m_visible = false;
  BuildControls();
  m_form->onClose = [this, alive = m_alive] {
    if (*alive) OnCloseDialog();
  };
  wxDialog* dialog = m_form->GetWindow();
  dialog->Bind(wxEVT_CHAR_HOOK, [this, alive = m_alive](wxKeyEvent& event) {
    if (!*alive) return event.Skip();
    wxWindow* focus = wxWindow::FindFocus();
    int focusId = 0;
    for (int id : {IDC_AI_PASSWORD, IDC_AI_TRADE_PASSWORD})
      if (focus && focus == m_form->GetDlgItem(id)) focusId = id;
    if (!HandleKey(event.GetKeyCode(), focusId)) event.Skip();
  });
  return true;
}

void CMyAccountInfoDlg::BuildControls() {
  FormWindow& f = *m_form;
  auto add = [&f](int id, CtrlKind kind, const wchar_t* text, int l, int t, int r, int b) {
    f.AddControl(id, kind, text, RECT{l, t, r, b});
  };
  add(IDC_AI_USER, CtrlKind::Static, L"사용자 정보 :", 10, 10, kWidth - 10, 32);
  add(IDC_AI_ACCOUNT_LABEL, CtrlKind::Static, L"계좌:", 10, 44, 130, 64);
  add(IDC_AI_ACCOUNT, CtrlKind::ComboList, L"", 134, 40, 330, 66);
  add(IDC_AI_ALL_ACCOUNTS, CtrlKind::CheckBox, L"전체 계좌", 340, 42, 450, 64);
  add(IDC_AI_PASSWORD_LABEL, CtrlKind::Static, L"1.계좌 비밀번호:", 10, 76, 130, 96);
  add(IDC_AI_PASSWORD, CtrlKind::Password, L"", 134, 72, 330, 98);
  add(IDC_AI_INPUT, CtrlKind::Button, L"입력", 340, 72, 420, 98);
  add(IDC_AI_RESULT, CtrlKind::Static, L"...", 430, 74, kWidth - 10, 96);
  add(IDC_AI_TRADE_LABEL, CtrlKind::Static, L"2.거래 비밀번호:", 10, 106, 130, 126);
  add(IDC_AI_TRADE_PASSWORD, CtrlKind::Password, L"", 134, 104, 330, 130);
  add(IDC_AI_GROUP, CtrlKind::Group, L"자동로그인 저장 옵션", 10, 106, kWidth - 10, 176);
  add(IDC_AI_AUTO_LOGIN, CtrlKind::CheckBox,
      L"공인인증서 *자동로그인* (Auto-Login 체크하면 편리) : 1단계 자동로그인 (암호화되어 "
      L"저장되므로, 안전)",
      20, 124, kWidth - 20, 146);
  add(IDC_AI_SAVE_PASSWORD, CtrlKind::CheckBox,
      L"계좌 비밀번호 저장/자동 입력 : 2단계 (체크하면 편리하지만, 공용PC에서는 절대 체크하지 "
      L"마세요.)",
      20, 148, kWidth - 20, 170);
  add(IDC_AI_NOTICE, CtrlKind::EditMulti, kNotice, 10, 182, kWidth - 10, 292);
  add(IDC_AI_HINT, CtrlKind::Static, L"", 10, 298, kWidth - 10, 320);
  f.OnCommand(IDC_AI_INPUT, [this] { OnInput(); });
  f.OnCommand(IDC_AI_ACCOUNT, [this] { OnAccountChanged(); });
  f.OnCommand(IDC_AI_AUTO_LOGIN, [this] { OnAutoLogin(); });
  f.OnCommand(IDC_AI_SAVE_PASSWORD, [this] { OnSavePassword(); });
  if (auto* notice = dynamic_cast<wxTextCtrl*>(f.GetDlgItem(IDC_AI_NOTICE)))
    notice->SetEditable(false);
  f.SetDialogFont(L"굴림", 9);

  const wxFont bold(wxFontInfo(10).Bold());
  auto label = [&f, &bold](int id, COLORREF text, COLORREF back) {
    if (wxWindow* w = f.GetDlgItem(id)) {
      w->SetForegroundColour(FromRef(text));
      w->SetBackgroundColour(FromRef(back));
      w->SetFont(bold);
    }
  };
  label(IDC_AI_USER, kRed, kBlack);
  label(IDC_AI_RESULT, kRed, kBlack);
  label(IDC_AI_HINT, kWhite, kBlue);
  f.SetDlgItemText(IDC_AI_HINT, std::wstring(L"※계좌 비밀번호(필수), 증권사 : ") + kBroker);
  if (wxWindow* check = f.GetDlgItem(IDC_AI_AUTO_LOGIN)) check->SetForegroundColour(*wxBLUE);
  if (wxWindow* check = f.GetDlgItem(IDC_AI_SAVE_PASSWORD)) check->SetForegroundColour(*wxRED);
  f.CheckDlgButton(IDC_AI_AUTO_LOGIN, m_autoLogin != 0);
  f.CheckDlgButton(IDC_AI_SAVE_PASSWORD, false);
  f.EnableDlgItem(IDC_AI_SAVE_PASSWORD, false);
  // No broker here asks for a trade password.
  f.EnableDlgItem(IDC_AI_TRADE_PASSWORD, false);
  f.ShowDlgItem(IDC_AI_TRADE_PASSWORD, false);
  f.ShowDlgItem(IDC_AI_TRADE_LABEL, false);
}

void CMyAccountInfoDlg::ShowResult(const wchar_t* text, COLORREF textColour, COLORREF backColour) {
  m_form->SetDlgItemText(IDC_AI_RESULT, text);
  if (wxWindow* w = m_form->GetDlgItem(IDC_AI_RESULT)) {
    w->SetForegroundColour(FromRef(textColour));
    w->SetBackgroundColour(FromRef(backColour));
    w->Refresh();
  }
}

std::wstring CMyAccountInfoDlg::ReadPassword(int id) const {
  return m_form->GetDlgItemText(id).substr(0, kAccountPasswordRead);
}

bool CMyAccountInfoDlg::RefuseShortPassword(const std::wstring& password, bool empty) {
  if (AccountPasswordLongEnough(password)) return false;
  ShowResult(L"Fail", kWhite, kBlack);
  orv::win::MessageBox(
      "계좌 비밀번호를 4자 이상 입력해 주세요.\n(잔고 조회/매수매도 주문시 필요합니다)", "ERROR",
      MB_OK | MB_ICONERROR);
  if (empty) m_form->SetDlgItemText(IDC_AI_PASSWORD, L"");
  if (wxWindow* edit = m_form->GetDlgItem(IDC_AI_PASSWORD)) edit->SetFocus();
  return true;
}

void CMyAccountInfoDlg::OnInput() {
  const std::wstring password = ReadPassword(IDC_AI_PASSWORD);
  const std::wstring trade = ReadPassword(IDC_AI_TRADE_PASSWORD);
  if (RefuseShortPassword(password, true)) return;
  if (m_form->IsDlgButtonChecked(IDC_AI_ALL_ACCOUNTS)) {
    if (m_view.SetPasswordForAllAccounts(password, trade, 1) != 0)
      ShowResult(L"OK*", kRed, kBlack);
    else
      ShowResult(L"Fail*", kWhite, kRed);
    return;
  }
  if (m_view.SetAccountPassword(m_account, password, trade, 1, m_autoLogin, m_savePassword) != 0)
    ShowResult(L"OK", kRed, kBlack);
  else
    ShowResult(L"Fail", kWhite, kRed);
}

void CMyAccountInfoDlg::OnAccountChanged() {
  int64_t value = 0;
  if (!m_form->GetComboValue(IDC_AI_ACCOUNT, &value)) {
    m_account.clear();
    return;
  }
  m_account = m_form->GetDlgItemText(IDC_AI_ACCOUNT);
}

void CMyAccountInfoDlg::OnAutoLogin() {
  m_autoLogin = m_form->IsDlgButtonChecked(IDC_AI_AUTO_LOGIN) ? 1 : 0;
  m_form->EnableDlgItem(IDC_AI_SAVE_PASSWORD, m_autoLogin != 0);
  m_view.SetAccountLoginFlags(m_autoLogin, m_savePassword);
}

void CMyAccountInfoDlg::OnSavePassword() {
  m_savePassword = m_form->IsDlgButtonChecked(IDC_AI_SAVE_PASSWORD) ? 1 : 0;
  if (!m_savePassword) return;
  const int answer = orv::win::MessageBox(
      "인증서 자동로그인 및 비빌번호 저장을 모두 체크하시면,\n앱이 실행시 계좌정보까지 자동으로 "
      "조회되어 편리합니다.\n\n편리하지만, 공용 PC에서는 2개 모두를 체크하지 마시길 "
      "권장합니다\n\n정말로 계좌 비밀번호를 암호화해서, 저장할까요?",
      "QUESTION", MB_YESNO | MB_ICONQUESTION);
  if (answer != IDYES) {
    m_savePassword = 0;
    m_form->CheckDlgButton(IDC_AI_SAVE_PASSWORD, false);
    return;
  }
  m_view.OnAccountLoginFlagsSaved(m_autoLogin, m_savePassword);
}

void CMyAccountInfoDlg::OnCloseDialog() {
  if (m_owner && !m_owner->IsEnabled()) m_owner->Enable(true);
  m_visible = false;
  m_autoLogin = m_form->IsDlgButtonChecked(IDC_AI_AUTO_LOGIN) ? 1 : 0;
  m_savePassword = m_form->IsDlgButtonChecked(IDC_AI_SAVE_PASSWORD) ? 1 : 0;
  m_view.OnAccountLoginFlagsSaved(m_autoLogin, m_savePassword);
  m_form->HideDialog();
}

bool CMyAccountInfoDlg::HandleKey(int keyCode, int focusId) {
  if (keyCode == WXK_RETURN || keyCode == WXK_NUMPAD_ENTER) {
    if (focusId == IDC_AI_PASSWORD || focusId == IDC_AI_TRADE_PASSWORD) OnInput();
    return true;
  }
  return keyCode == WXK_ESCAPE;
}

void CMyAccountInfoDlg::SetAccountListText(const std::wstring& optionList,
                                           const std::wstring& current) {
  m_account.clear();
  const int count = m_form->FillComboFromOptions(IDC_AI_ACCOUNT, optionList, -1);
  if (count < 1) return;
  if (current.empty() || !m_form->SelectComboByLabel(IDC_AI_ACCOUNT, current)) {
    orv::ui::COptionList options;
    if (options.Parse(optionList) && !options.Empty())
      m_form->SelectComboByValue(IDC_AI_ACCOUNT, options.At(0).value);
  }
  m_account = m_form->GetDlgItemText(IDC_AI_ACCOUNT);
}

void CMyAccountInfoDlg::SetUserCaption(const wchar_t* name) {
  const PanelLabel_s label = AccountUserCaption(m_view.ServerFlags(), name);
  m_form->SetDlgItemText(IDC_AI_USER, label.text);
  if (wxWindow* w = m_form->GetDlgItem(IDC_AI_USER)) {
    w->SetForegroundColour(FromRef(label.textColour));
    w->SetBackgroundColour(FromRef(label.backColour));
    w->Refresh();
  }
}

void CMyAccountInfoDlg::SetOwnerWnd(wxWindow* owner, bool modal) {
  m_owner = owner;
  m_modal = modal;
}

void CMyAccountInfoDlg::ShowDialog(wxWindow* owner, bool modal, bool, int) {
  m_visible = true;
  const std::wstring user = m_view.SignedInUserId();
  SetUserCaption(user.empty() ? nullptr : user.c_str());
  m_form->ShowDialog(owner ? owner : m_owner, modal);
  if (wxWindow* edit = m_form->GetDlgItem(IDC_AI_PASSWORD)) edit->SetFocus();
}

void CMyAccountInfoDlg::HideDialog() {
  m_visible = false;
  m_form->HideDialog();
}

void CMyAccountInfoDlg::CenterWindow() {
  if (wxDialog* dialog = m_form->GetWindow()) dialog->CentreOnParent();
}

void CMyAccountInfoDlg::ShowWindow(bool show) {
  if (!show) {
    HideDialog();
    return;
  }
  if (!m_visible) return;
  if (wxDialog* dialog = m_form->GetWindow()) dialog->Show(true);
}

void InstallAccountDialogMaker() {
  ChildMakers().accountDialog = [](CPelomarView& view) -> std::unique_ptr<CPelomarAccountDialog> {
    return std::make_unique<CMyAccountInfoDlg>(view);
  };
}
