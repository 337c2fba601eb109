#include "host/user/HostUserServices.h"

#include <wx/dialog.h>
#include <wx/utils.h>

#include <cstdlib>
#include <cwchar>
#include <mutex>

#include "host/app/VarqoMainApp.h"
#include "host/catalogue/LanguageTexts.h"
#include "host/dialogs/LoginDlg.h"
#include "host/dialogs/PasswordDlg.h"
#include "host/dialogs/SplashScreenEx.h"
#include "host/dialogs/WebPageWnd.h"
#include "host/user/HostUserPages.h"
#include "host/user/WebLoginCheck.h"
#include "platform/support/TextConv.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Registry.h"
#include "shared/HostCommands.h"

namespace {

// Bits of the set-up and show flags.
constexpr uint32_t kFlagJoinAllowed = 0x1000;
constexpr uint32_t kFlagAutoLogin = 0x80;
constexpr uint32_t kFlagPwd2Switch = 0x100000;
constexpr uint32_t kServerFlagsMask = 0xF0000;
constexpr uint32_t kFlagFirstSwitchOff = 1u << 13;
constexpr uint32_t kFlagSecondSwitchOff = 1u << 14;
// Bit 3 of the run settings' state word: a user is logged in.
constexpr uint32_t kStateLoggedIn = 0x8;

std::mutex g_openerMutex;
bool XdgOpen(const std::string& target) {
  const char* argv[] = {"xdg-open", target.c_str(), nullptr};
  return wxExecute(const_cast<char**>(argv), wxEXEC_ASYNC) > 0;
}
CHostUserServices::DesktopOpener& Opener() {
  static CHostUserServices::DesktopOpener opener = XdgOpen;
  return opener;
}

bool OpenWithDesktop(const std::string& target) {
  std::lock_guard<std::mutex> lock(g_openerMutex);
  return Opener() ? Opener()(target) : false;
}

std::wstring Or(const wchar_t* text) { return text ? text : L""; }

}  // namespace

CHostUserServices::CHostUserServices(CVarqoMainApp& app) : app_(app) {}

CHostUserServices::~CHostUserServices() = default;

void CHostUserServices::SetDesktopOpener(DesktopOpener opener) {
  std::lock_guard<std::mutex> lock(g_openerMutex);
  Opener() = opener ? std::move(opener) : DesktopOpener(XdgOpen);
}

int CHostUserServices::InterfaceLanguage() const {
  const app_run_setting_s& rs = app_.RunSettings();
  if (rs.byLanguage >= 1) return rs.byLanguage;
  return rs.nLanguageCode >= 1 ? rs.nLanguageCode : orv::host::kLangKorean;
}

std::wstring CHostUserServices::DialogText(const wchar_t* key, const wchar_t* english,
                                           const wchar_t* korean) {
  const int language = InterfaceLanguage();
  auto text = orv::host::TextByLanguage(app_.CatalogueDb(), app_.LoginInfo().nCompanyIdx, key,
                                        english, korean, language);
  if (text && !text->empty()) return *text;
  return language == orv::host::kLangKorean ? korean : english;
}

int CHostUserServices::CreateLoginDialogs(wxWindow* parent) {
  parent_ = parent;
  if (!loginDlg_) {
    auto dlg = std::make_unique<CLoginDlg>();
    if (!dlg->CreateDlg(parent, [this](const wchar_t* key, const wchar_t* en, const wchar_t* ko) {
          return DialogText(key, en, ko);
        }))
      return 0;
    dlg->SetJoinAction([this](const std::wstring& page) {
      if (!page.empty()) ShowWebPage(nullptr, WideToUtf8(page), true, true);
    });
    const app_run_setting_s& rs = app_.RunSettings();
    dlg->SetMaxLengths(rs.nMaxIdLen, rs.nMaxPwdLen, rs.nMaxPwd2Len);
    loginDlg_ = std::move(dlg);
  }
  if (joinWnd_ == nullptr) joinWnd_ = new CWebPageWnd(parent, L"");
  return 0;
}

int CHostUserServices::ConfigureLoginDialog(const wchar_t* loginParams, const wchar_t* pwd2Title,
                                            const wchar_t* joinPage, int maxLen, int agency,
                                            uint32_t flags, void* ctx, LoginCallback login,
                                            LoginNotifyCallback notify) {
  if (!loginDlg_) CreateLoginDialogs(parent_);
  if (!loginDlg_) return 0;
  CLoginDlg& dlg = *loginDlg_;
  if (pwd2Title && pwd2Title[0]) dlg.SetSecondPasswordTitle(pwd2Title);
  dlg.SetAgencyIndex(agency);
  dlg.SetJoin((flags & kFlagJoinAllowed) != 0, Or(joinPage));
  dlg.SetAutoLogin((flags & kFlagAutoLogin) != 0);
  dlg.SetFlags(flags);
  if (ctx != nullptr) {
    if (login != nullptr) {
      dlg.SetLoginCallback(ctx, login);
      setupCtx_ = ctx;
      setupLogin_ = login;
    }
    if (notify != nullptr) {
      dlg.SetNotifyCallback(ctx, notify, 0);
      setupNotify_ = notify;
    }
  }
  dlg.SetSecondPasswordSwitch((flags & kFlagPwd2Switch) != 0);
  dlg.SetServerFlags(flags & kServerFlagsMask);
  dlg.SetLoginParams(Or(loginParams));
  dlg.SetMaxLengths(maxLen, maxLen, maxLen);
  return 0;
}

void CHostUserServices::UpdateLoginState(int state, int value, const wchar_t* guide) {
  if (!loginDlg_) return;
  if (guide) loginDlg_->SetGuideMessage(guide);
  loginDlg_->SetState(state, value);
}

void CHostUserServices::HideLoginDialog() {
  if (loginDlg_) loginDlg_->HideDialog();
}

bool CHostUserServices::IsLoginDialogShown() const {
  return loginDlg_ && loginDlg_->IsDialogShown();
}

int CHostUserServices::ShowLoginDialog(const wchar_t* stateText, const wchar_t* guide,
                                       const wchar_t* pwd2Title, int stateFlag, bool reset,
                                       int agency, uint32_t flags, void* ctx, LoginCallback login,
                                       LoginNotifyCallback notify) {
  if (!loginDlg_) CreateLoginDialogs(parent_);
  if (!loginDlg_) return 0;
  CLoginDlg& dlg = *loginDlg_;
  if (loginSource_) {
    void* tabCtx = nullptr;
    LoginCallback tabLogin = nullptr;
    LoginNotifyCallback tabNotify = nullptr;
    loginSource_(&tabCtx, &tabLogin, &tabNotify);
    if (tabCtx) ctx = tabCtx;
    if (tabLogin) login = tabLogin;
    if (tabNotify) notify = tabNotify;
  }
  // Without callbacks of its own the caller gets the module's set-up ones.
  if (ctx == nullptr || login == nullptr) {
    ctx = setupCtx_;
    login = setupLogin_;
    if (notify == nullptr) notify = setupNotify_;
  }
  dlg.SetTitleText(DialogText(L"user.login", L"User Login", L"사용자 로그인"));
  if (pwd2Title && pwd2Title[0]) dlg.SetSecondPasswordTitle(pwd2Title);
  dlg.SetTooltips(
      DialogText(L"login.guide.tooltip",
                 L"Login\nPlease login as using your account-ID and password.",
                 L"Login\nPlease login as using your account-ID and password."),
      DialogText(L"join.guide.tooltip",
                 L"Join-Us\nIf you join as a business member, there are many benefits.",
                 L"Join-Us\nIf you join as a business member, there are many benefits."));
  login_info_s& li = app_.LoginInfo();
  if (reset) {
    li.nUserIdx = 0;
    li.szUserId[0] = L'\0';
  }
  const app_run_setting_s& rs = app_.RunSettings();
  const int agencyIdx = agency >= 1 ? agency : static_cast<int>(flags & 0xFFFF);
  dlg.SetAgencyIndex(agencyIdx);
  dlg.SetSwitches((flags & kFlagFirstSwitchOff) == 0, (flags & kFlagSecondSwitchOff) == 0);
  if (guide) dlg.SetGuideMessage(guide);
  dlg.SetMaxLengths(rs.nMaxIdLen, rs.nMaxPwdLen, rs.nMaxPwd2Len);
  bool flagged = false;
  const std::wstring state =
      orv::host::LoginStateMessage(stateText, stateFlag, rs.szIp, rs.szMac, &flagged);
  dlg.SetStateMessage(state, flagged);
  if (ctx != nullptr && login != nullptr) {
    dlg.SetLoginCallback(ctx, login);
    dlg.SetNotifyCallback(ctx, notify, 0);
  } else {
    dlg.SetLoginCallback(this, &CHostUserServices::HostLoginCallback);
    dlg.SetNotifyCallback(this, &CHostUserServices::HostNotifyCallback, 0);
  }
  dlg.SetLoginTypes(rs.szLoginTypes, agencyIdx);
  dlg.SetSuffixes(rs.szLoginSuffixes);
  dlg.SetAgencyNames(rs.szAgencyNames);
  dlg.ShowDialog(nullptr, false);
  if (dlg.GetWindow()) dlg.GetWindow()->Raise();
  return dlg.IsDialogShown() ? 1 : 0;
}

int CHostUserServices::WebLoginCheck(int loginKind, const wchar_t* userId, const wchar_t* password,
                                     int agency, int userType, std::wstring* message) {
  login_info_s& li = app_.LoginInfo();
  app_run_setting_s& rs = app_.RunSettings();
  li.nUserIdx = 0;
  li.byLoginFlag = 0;
  const int usedAgency = agency > 0 ? agency : rs.nLoginTypeIdx;
  orv::host::WebLoginRequest request;
  request.loginKind = loginKind;
  request.userId = Or(userId);
  request.password = Or(password);
  request.agency = usedAgency;
  request.userType = userType;
  CURL* curl = curl_easy_init();
  orv::host::GfxLoginIdAndPasswordCheck(curl, rs, li, request, message);
  if (curl) curl_easy_cleanup(curl);
  if (li.nUserIdx == 0) return 3;
  app_.m_nLastLoginUserType = userType;
  if (li.nAgencyIdx < 1) li.nAgencyIdx = usedAgency;
  const std::wstring previous = rs.szLoginSuffixes;
  const std::wstring updated = orv::host::UpdateLoginIdSuffixes(previous, request.userId);
  if (updated != previous) {
    StrSafeCopyW(rs.szLoginSuffixes, RUN_LIST_LEN, updated.c_str());
    orv::win::WriteProfileString(kSettingsSection, "LOGIN-ID-SUFFIXES", WideToUtf8(updated));
  }
  return 1;
}

int CHostUserServices::HostLoginCallback(void* ctx, int kind, const wchar_t* userId,
                                         const wchar_t* password, const wchar_t*, const wchar_t*,
                                         const wchar_t*, int agency, int type, int, int, uint8_t,
                                         const wchar_t*, int* outCode, wchar_t* outText) {
  auto* self = static_cast<CHostUserServices*>(ctx);
  if (self == nullptr) return 0;
  std::wstring message;
  const int result = self->WebLoginCheck(kind, userId, password, agency, type, &message);
  if (outCode) *outCode = 0;
  if (outText) StrSafeCopyW(outText, CLoginDlg::kOutTextLen, message.c_str());
  return result;
}

int CHostUserServices::HostNotifyCallback(void* ctx, unsigned int state, int, int,
                                          const wchar_t* text, void*, char**, int*) {
  auto* self = static_cast<CHostUserServices*>(ctx);
  if (self == nullptr || state != LOGIN_STATE_LOGGED_IN) return 0;
  self->SetLoggedIn(true);
  if (self->onLoggedIn_) self->onLoggedIn_(Or(text));
  return 1;
}

void CHostUserServices::SetLoggedIn(bool on) {
  login_info_s& li = app_.LoginInfo();
  app_run_setting_s& rs = app_.RunSettings();
  if (on) {
    li.byState |= 0x1;
    rs.dwStateWord |= kStateLoggedIn;
    return;
  }
  li.nUserIdx = 0;
  rs.dwStateWord &= ~kStateLoggedIn;
  li.byLoginFlag = 0;
  li.szUserId[0] = L'\0';
  li.byState &= ~0x1;
}

bool CHostUserServices::IsLoggedIn() const { return app_.LoginInfo().nUserIdx > 0; }

wxWindow* CHostUserServices::ShowMemberPage(bool show) {
  if (joinWnd_ == nullptr) CreateLoginDialogs(parent_);
  if (joinWnd_ == nullptr) return nullptr;
  joinWnd_->SetWebUrl(orv::host::MakeMemberPageUrl(app_.RunSettings(), app_.LoginInfo()));
  joinWnd_->ShowPage(show, true);
  return joinWnd_;
}

wxWindow* CHostUserServices::ShowWebPage(const wchar_t* title, const std::string& url, bool show,
                                         bool centre) {
  if (joinWnd_ == nullptr) CreateLoginDialogs(parent_);
  if (joinWnd_ == nullptr) return nullptr;
  if (title && title[0]) joinWnd_->SetTitle(title);
  if (!url.empty()) joinWnd_->SetWebUrl(url);
  joinWnd_->ShowPage(show, centre);
  return joinWnd_;
}

int CHostUserServices::ShowConfiguration(void* ctx, ConfigSavedCallback callback, bool report) {
  if (!configDlg_) {
    auto dlg =
        std::make_unique<CConfigDlg>(app_.RunSettings(), [this] { app_.SaveSettings(0, false); });
    if (dlg->CreateDlg(parent_)) {
      configDlg_ = std::move(dlg);
      configDlg_->GetWindow()->CentreOnScreen();
    }
  }
  if (!configDlg_) {
    if (report) orv::win::MessageBox("", "ERROR", MB_OK | MB_ICONERROR);
    return 0;
  }
  configDlg_->SetSavedCallback(ctx, callback);
  configDlg_->Load();
  configDlg_->ShowDialog(nullptr, false);
  configDlg_->GetWindow()->SetWindowStyleFlag(configDlg_->GetWindow()->GetWindowStyleFlag() |
                                              wxSTAY_ON_TOP);
  configDlg_->GetWindow()->Raise();
  return 1;
}

CPasswordDlg* CHostUserServices::GetPasswordDlg() {
  if (!passwordDlg_) {
    auto dlg = std::make_unique<CPasswordDlg>();
    if (dlg->CreateDlg(parent_)) passwordDlg_ = std::move(dlg);
  }
  return passwordDlg_.get();
}

int CHostUserServices::AskPassword(bool change, const wchar_t* name, std::wstring* out) {
  if (out) out->clear();
  CPasswordDlg* dlg = GetPasswordDlg();
  if (dlg == nullptr) return CPasswordDlg::kAnswerCancel;
  dlg->Prepare(change, Or(name));
  return dlg->Run(parent_, out);
}

int CHostUserServices::OpenHelp(const std::string& file, const std::string& topic,
                                const std::string& anchor) {
  const orv::host::AppFolders& folders = app_.Folders();
  const orv::host::HelpTarget target =
      orv::host::ResolveHelpFile(orv::host::WithSlash(folders.exeFolder), folders.exeName, file,
                                 topic, anchor, app_.RunSettings().szManualPath);
  if (!target.exists) {
    orv::win::MessageBox("도움말 파일(" + target.path + ") 이 존재하지 않습니다.", "ERROR",
                         MB_OK | MB_ICONERROR);
    return 0;
  }
  return OpenWithDesktop(target.path) ? 1 : 0;
}

wchar_t* CHostUserServices::TextByLanguage(const wchar_t* key, const wchar_t* defaultText,
                                           int language) {
  if (app_.CatalogueDb() == nullptr) return nullptr;
  const int lang = language >= 1 ? language : InterfaceLanguage();
  return orv::host::GfxZiroGetTextByLangId(app_.CatalogueDb(), key, defaultText, defaultText, lang,
                                           app_.LoginInfo().nCompanyIdx);
}

std::wstring CHostUserServices::TextByLanguageFormat(const wchar_t* key, const wchar_t* defaultText,
                                                     const wchar_t* argument, int language) {
  wchar_t* text = TextByLanguage(key, defaultText, language);
  std::wstring result = text ? text : Or(defaultText);
  std::free(text);
  if (argument == nullptr) return result;
  // The text is a format with one "%s" for the argument.
  const size_t at = result.find(L"%s");
  if (at != std::wstring::npos) result.replace(at, 2, argument);
  return result;
}

void CHostUserServices::SetSplashText(const wchar_t* text) {
  CSplashScreenEx* splash = splashSource_ ? splashSource_() : nullptr;
  if (splash && text) splash->SetText(text);
}

void CHostUserServices::ShowSplash(bool show, const wchar_t* text) {
  CSplashScreenEx* splash = splashSource_ ? splashSource_() : nullptr;
  if (splash == nullptr) return;
  if (text) splash->SetText(text);
  if (show)
    splash->ShowSplash();
  else
    splash->HideSplash();
}
