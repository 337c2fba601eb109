#pragma once
// CMyAccountInfoDlg: "계좌 비밀번호 설정", the dialog in which the user picks one of the broker
// accounts (or all of them) and enters its account password, needed for balance queries and
// orders, and sets the automatic-login and save-password options. The password goes to the
// trading view's account services; the checks are in plugin/orders/AccountPanel.h.

#include <memory>
#include <string>

#include "platform/ui/ControlDialog.h"
#include "plugin/view/ChildWindows.h"

// Control ids of template 2284.
enum MyAccountInfoId : int {
  IDC_AI_USER = 1303,
  IDC_AI_ACCOUNT = 1301,
  IDC_AI_ACCOUNT_LABEL = 1412,
  IDC_AI_PASSWORD = 1300,
  IDC_AI_PASSWORD_LABEL = 1411,
  IDC_AI_TRADE_PASSWORD = 1306,
  IDC_AI_TRADE_LABEL = 1413,
  IDC_AI_RESULT = 1304,
  IDC_AI_ALL_ACCOUNTS = 3443,
  IDC_AI_INPUT = 2298,
  IDC_AI_AUTO_LOGIN = 1305,
  IDC_AI_SAVE_PASSWORD = 2297,
  IDC_AI_NOTICE = 1302,
  IDC_AI_HINT = 3442,
  IDC_AI_GROUP = 1414,
};

class CMyAccountInfoDlg : public CPelomarAccountDialog {
 public:
  explicit CMyAccountInfoDlg(CPelomarView& view);
  ~CMyAccountInfoDlg() override;

  // --- CPelomarChildDialog ---
  bool CreateFromTemplate(int templateId, wxWindow* parent) override;
  void SetOwnerWnd(wxWindow* owner, bool modal) override;
  void ShowDialog(wxWindow* owner, bool modal, bool reload, int tab) override;
  void HideDialog() override;
  void CenterWindow() override;
  // A show is refused while the dialog is not to be seen (before ShowDialog, after a close).
  void ShowWindow(bool show) override;
  void SetAccountListText(const std::wstring& optionList, const std::wstring& current) override;

  // The user line: "<server kind> 사용자: <name>" (null: "*비밀번호 입력 필요*").
  void SetUserCaption(const wchar_t* name);
  // The input button (and Enter in a password box).
  void OnInput();
  void OnAutoLogin();
  void OnSavePassword();
  // The close box and IDCANCEL: the flags go to the view, the dialog hides.
  void OnCloseDialog();
  // A key the dialog sees first, with the control that has the focus (0: another): Enter is
  // always taken (it stores the password from a password box), Escape is taken; true when taken.
  bool HandleKey(int keyCode, int focusId);

  // What tests and the road read.
  wxWindow* GetWindow() const;
  orv::ui::CControlDialog& Form();
  const std::wstring& ChosenAccount() const { return m_account; }
  int AutoLogin() const { return m_autoLogin; }
  int SavePassword() const { return m_savePassword; }
  bool Visible() const { return m_visible; }

 private:
  class FormWindow;
  void BuildControls();
  void ShowResult(const wchar_t* text, COLORREF textColour, COLORREF backColour);
  void OnAccountChanged();
  // The password box's text, at most the characters that are read.
  std::wstring ReadPassword(int id) const;
  bool RefuseShortPassword(const std::wstring& password, bool empty);

  CPelomarView& m_view;
  std::unique_ptr<FormWindow> m_form;
  std::wstring m_account;
  int m_autoLogin = 0;
  int m_savePassword = 0;
  bool m_visible = true;
  wxWindow* m_owner = nullptr;
  bool m_modal = false;
  std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

// Installs the maker that gives the trading view this dialog for its account dialog.
void InstallAccountDialogMaker();
