#pragma once
// The host's user services around its login dialog, web-page window, settings dialog and
// password prompt: configuring and showing the login dialog for a module, the login state, the
// host's own web login check with the login-id suffix list, the member page, web pages, the
// settings dialog, the password prompt, the help file and texts by language.
//
// How a login runs:
//   - a module sets the dialog up once (main-frame function 82 -> ConfigureLoginDialog) with
//     its login and notify callbacks;
//   - function 79/85 (or the host's log-in command) -> ShowLoginDialog: the current module
//     tab's callbacks replace the caller's; without any, the dialog runs the host's web login
//     (WebLoginCheck) and the host's own notify callback;
//   - the login button calls the login callback; on 1 the dialog hides and the notify
//     callback gets LOGIN_STATE_LOGGED_IN. The module then reports "로그인 성공" through notify
//     3/3/7, which the frame shows in the login pane;
//   - log-out: the frame's log-out command calls SetLoggedIn(false) and sends code 86.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "host/dialogs/ConfigDlg.h"
#include "shared/HostCallbacks.h"

class CVarqoMainApp;
class CLoginDlg;
class CPasswordDlg;
class CSplashScreenEx;
class CWebPageWnd;
class wxWindow;

class CHostUserServices {
 public:
  // Gives the login callbacks of the module in the current tab; 1 when it gave them.
  using LoginCallbackSource =
      std::function<int(void** ctx, LoginCallback* login, LoginNotifyCallback* notify)>;
  // Opens a file or address with the desktop's opener; true when it started.
  using DesktopOpener = std::function<bool(const std::string& target)>;
  // Told when the host's own login succeeded (user id as entered).
  using LoggedInHandler = std::function<void(const std::wstring& userId)>;

  explicit CHostUserServices(CVarqoMainApp& app);
  ~CHostUserServices();
  CHostUserServices(const CHostUserServices&) = delete;
  CHostUserServices& operator=(const CHostUserServices&) = delete;

  // Makes the login dialog and the join/member page window (once). Returns 0.
  int CreateLoginDialogs(wxWindow* parent);
  CLoginDlg* GetLoginDlg() const { return loginDlg_.get(); }
  CWebPageWnd* GetUserJoinWnd() const { return joinWnd_; }

  void SetLoginCallbackSource(LoginCallbackSource source) { loginSource_ = std::move(source); }
  void SetLoggedInHandler(LoggedInHandler handler) { onLoggedIn_ = std::move(handler); }
  // The splash window while one exists (null afterwards).
  void SetSplashSource(std::function<CSplashScreenEx*()> source) {
    splashSource_ = std::move(source);
  }

  // The splash's text (when a splash exists); with show, the text when given, then shown or
  // hidden.
  void SetSplashText(const wchar_t* text);
  void ShowSplash(bool show, const wchar_t* text);
  // The opener used by help and pages outside the host; an empty one restores xdg-open.
  static void SetDesktopOpener(DesktopOpener opener);

  // Set-up of the login dialog by a module (function 82). Returns 0.
  int ConfigureLoginDialog(const wchar_t* loginParams, const wchar_t* pwd2Title,
                           const wchar_t* joinPage, int maxLen, int agency, uint32_t flags,
                           void* ctx, LoginCallback login, LoginNotifyCallback notify);
  // Guide message and state: 1 clears the work message and hides, 64 clears the work message.
  void UpdateLoginState(int state, int value, const wchar_t* guide);
  void HideLoginDialog();
  bool IsLoginDialogShown() const;
  // Shows the login dialog (see the header comment). Returns 1 when it shows.
  int ShowLoginDialog(const wchar_t* stateText, const wchar_t* guide, const wchar_t* pwd2Title,
                      int stateFlag, bool reset, int agency, uint32_t flags, void* ctx,
                      LoginCallback login, LoginNotifyCallback notify);

  // The host's web login check: 1 on success (login record filled, suffix list kept), 3 on
  // failure; message gets the server's or the failure's text.
  int WebLoginCheck(int loginKind, const wchar_t* userId, const wchar_t* password, int agency,
                    int userType, std::wstring* message);
  // The login callback and notify callback the dialog gets when no module gives its own.
  static int HostLoginCallback(void* ctx, int kind, const wchar_t* userId, const wchar_t* password,
                               const wchar_t* text3, const wchar_t* text4, const wchar_t* text5,
                               int agency, int type, int flags, int num4, uint8_t flag,
                               const wchar_t* text6, int* outCode, wchar_t* outText);
  static int HostNotifyCallback(void* ctx, unsigned int state, int value1, int value2,
                                const wchar_t* text, void* data, char** outText, int* outValue);

  void SetLoggedIn(bool on);
  bool IsLoggedIn() const;

  // The member page in the join/member window; returns the window.
  wxWindow* ShowMemberPage(bool show);
  // A page in the join/member window: title and address when not empty; shown (restored) or
  // hidden, centred when it was hidden and centre is asked, brought to the front.
  wxWindow* ShowWebPage(const wchar_t* title, const std::string& url, bool show, bool centre);

  // The settings dialog (made on first use): registers the callback and shows it in front.
  // 1 when shown; 0 without a window (with an "ERROR" box when report is set).
  int ShowConfiguration(void* ctx, ConfigSavedCallback callback, bool report);
  CConfigDlg* GetConfigDlg() const { return configDlg_.get(); }

  // The password prompt: 7 when cancelled, else 1 with the confirmed password in out.
  int AskPassword(bool change, const wchar_t* name, std::wstring* out);
  CPasswordDlg* GetPasswordDlg();

  // Opens the help file (see HostUserPages.h); 1 when an opener started, else 0 (a missing
  // file is reported in an "ERROR" box).
  int OpenHelp(const std::string& file, const std::string& topic, const std::string& anchor);

  // Text of key in language (0 or below: the interface language), from the catalogue with the
  // login record's company; a heap text the caller frees, null without a catalogue.
  wchar_t* TextByLanguage(const wchar_t* key, const wchar_t* defaultText, int language);
  // The text by language used as a format for argument (when given).
  std::wstring TextByLanguageFormat(const wchar_t* key, const wchar_t* defaultText,
                                    const wchar_t* argument, int language);

 private:
  std::wstring DialogText(const wchar_t* key, const wchar_t* english, const wchar_t* korean);
  int InterfaceLanguage() const;

  CVarqoMainApp& app_;
  wxWindow* parent_ = nullptr;
  std::unique_ptr<CLoginDlg> loginDlg_;
  std::unique_ptr<CPasswordDlg> passwordDlg_;
  std::unique_ptr<CConfigDlg> configDlg_;
  CWebPageWnd* joinWnd_ = nullptr;
  LoginCallbackSource loginSource_;
  LoggedInHandler onLoggedIn_;
  std::function<CSplashScreenEx*()> splashSource_;
  // The module's set-up callbacks (function 82): the defaults of later shows.
  void* setupCtx_ = nullptr;
  LoginCallback setupLogin_ = nullptr;
  LoginNotifyCallback setupNotify_ = nullptr;
};
