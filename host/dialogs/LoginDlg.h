#pragma once
// The host's login dialog: id and password (and a second password when a module names one),
// the login type when the application has several, the id suffix list, save-id and auto-login
// checks, the login button, the join button when joining is allowed, a clear error line and a
// state line. The login button runs the login callback it was given: a module's own login
// (the trading plug-in's user login) or the host's web login check.
//
// The login callback is called as
//   login(ctx, login kind, user id, password, second password, login parameters, nullptr,
//         agency index, login type, flags, 0, save-id (0/1), nullptr, &code, text[256])
// where the login kind and login type are the selected login type's value (0 without a type
// list), flags are the configured flags with 0x80 set when auto-login is checked, and the user
// id has the chosen suffix appended when it has no "@" of its own. The answer 1 is success:
// the dialog hides and tells the notify callback LOGIN_STATE_LOGGED_IN (0x200000) with the
// answer and the user id. Any other answer keeps the dialog open and shows the callback's text
// (or a generic one) as the error.

#include <cstdint>
#include <functional>
#include <string>

#include "platform/ui/ControlDialog.h"
#include "shared/HostCallbacks.h"

class wxWindow;

class CLoginDlg : public orv::ui::CControlDialog {
 public:
  enum : int {
    IDC_TITLE = 1001,
    IDC_GUIDE,
    IDC_TYPE_LABEL,
    IDC_TYPE,
    IDC_ID_LABEL,
    IDC_ID,
    IDC_SUFFIX,
    IDC_PWD_LABEL,
    IDC_PWD,
    IDC_PWD2_LABEL,
    IDC_PWD2,
    IDC_SAVE_ID,
    IDC_AUTO_LOGIN,
    IDC_LOGIN,
    IDC_JOIN,
    IDC_ERROR,
    IDC_STATE,
  };
  static constexpr int kOutTextLen = 256;
  static constexpr uint32_t kFlagAutoLogin = 0x80;

  // Texts by key in the interface language: (key, English default, Korean default).
  using TextSource = std::function<std::wstring(const wchar_t* key, const wchar_t* english,
                                                const wchar_t* korean)>;

  CLoginDlg();

  // Makes the (hidden) window with its controls; the saved id is filled in when the save-id
  // choice was on. False when the window exists already.
  bool CreateDlg(wxWindow* parent, TextSource texts);

  // --- Configuration (the module's set-up request) ---
  void SetSecondPasswordTitle(const std::wstring& title);
  void SetAgencyIndex(int agency) { agency_ = agency; }
  int GetAgencyIndex() const { return agency_; }
  void SetJoin(bool allowed, const std::wstring& page);
  const std::wstring& GetJoinPage() const { return joinPage_; }
  void SetAutoLogin(bool on);
  void SetSecondPasswordSwitch(bool allowed) { pwd2Switch_ = allowed; }
  void SetServerFlags(uint32_t flags) { serverFlags_ = flags; }
  void SetFlags(uint32_t flags) { flags_ = flags; }
  void SetLoginParams(const std::wstring& params) { params_ = params; }
  const std::wstring& GetLoginParams() const { return params_; }
  void SetMaxLengths(int idLen, int pwdLen, int pwd2Len);
  void SetLoginCallback(void* ctx, LoginCallback login);
  void SetNotifyCallback(void* ctx, LoginNotifyCallback notify, int value);
  void* GetLoginContext() const { return loginCtx_; }
  LoginCallback GetLoginCallback() const { return login_; }
  LoginNotifyCallback GetNotifyCallback() const { return notify_; }

  // --- What a show sets ---
  void SetTitleText(const std::wstring& title);
  void SetTooltips(const std::wstring& login, const std::wstring& join);
  void SetGuideMessage(const std::wstring& text);
  void SetStateMessage(const std::wstring& text, bool flagged);
  // Login types as an option list ("1:개인;2:기업"); the type whose value is agency is
  // selected. Hidden when the list is empty or unreadable.
  void SetLoginTypes(const std::wstring& list, int agency);
  // The ";"-separated suffix list; the "*" entry is selected. Hidden when empty.
  void SetSuffixes(const std::wstring& list);
  void SetAgencyNames(const std::wstring& names) { agencyNames_ = names; }
  void SetSwitches(bool first, bool second) { switches_[0] = first, switches_[1] = second; }
  // The line that shows what is going on (cleared by states 1 and 64).
  void SetWorkMessage(const std::wstring& text);
  // State from the module: 1 clears the work message and hides, 64 clears the work message.
  void SetState(int state, int value);
  int GetState() const { return state_; }

  // The join button's action (the host opens the join page).
  void SetJoinAction(std::function<void(const std::wstring& page)> action) {
    joinAction_ = std::move(action);
  }

  // The login button. Answers the login callback's answer, or -1 when it was not called (an
  // empty id or password, or no callback), with the reason on the error line.
  int Login();
  std::wstring GetErrorText() const { return GetDlgItemText(IDC_ERROR); }
  std::wstring GetStateMessage() const { return GetDlgItemText(IDC_STATE); }
  // The user id as the login sends it (suffix appended).
  std::wstring EnteredUserId() const;

 private:
  void Relayout();
  void SetError(const std::wstring& text);
  std::wstring Text(const wchar_t* key, const wchar_t* english, const wchar_t* korean) const;

  TextSource texts_;
  std::function<void(const std::wstring& page)> joinAction_;
  void* loginCtx_ = nullptr;
  LoginCallback login_ = nullptr;
  void* notifyCtx_ = nullptr;
  LoginNotifyCallback notify_ = nullptr;
  int notifyValue_ = 0;
  int agency_ = 0;
  uint32_t flags_ = 0;
  uint32_t serverFlags_ = 0;
  bool joinAllowed_ = false;
  bool pwd2Switch_ = false;
  bool switches_[2] = {true, true};
  bool hasTypes_ = false;
  bool hasSuffixes_ = false;
  bool hasPwd2_ = false;
  std::wstring joinPage_;
  std::wstring params_;
  std::wstring agencyNames_;
  int state_ = 0;
  bool busy_ = false;
};
