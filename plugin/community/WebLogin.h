#pragma once
// The user login to the product's web server and the broker accounts, the service check
// ("stock/id_check3") with the service settings it stores, the identity encodings that every
// web request of the plug-in sends, and the login commands and callbacks of the trading view.
//
// LoginUser's result, as the host's login dialog reads it:
//   1  logged in: the broker login and the service check succeeded (the engine is started);
//   3  the broker login succeeded but the service check gave no user index (not logged in,
//      the engine is not started; the dialog stays open);
//   0  no agent could be made or the broker refused the login (the broker's code and text
//      are in the out-parameters).
//   2 is never returned: it meant "the broker answered 1" and hid a failed service check.
// The status pane gets "로그인 성공" only with result 1.

#include <curl/curl.h>

#include <cstdint>
#include <string>

#include "plugin/community/LoginEngine.h"
#include "shared/HostCallbacks.h"

struct app_run_setting_s;
struct login_info_s;
struct ServiceReplyNumbers;
class CStockAgentBase;

// The user agent of the login, the service check and the reports.
constexpr const char* kWebAgentUserAgent = "VARQO-PC-AGENT-TOOL-by HTTP";
constexpr int kServiceCheckTimeoutMs = 10000;
// The fixed text of the service check's crc3.
constexpr const char* kServiceCheckSalt = "hR@dXn@Ub@";

// Login results (see above).
constexpr int kLoginFailed = 0;
constexpr int kLoginSucceeded = 1;
constexpr int kLoginServiceCheckFailed = 3;

// Login flags of the dialog.
constexpr uint32_t kLoginFlagAutoLogin = 0x80;
constexpr uint32_t kLoginFlagSavePassword = 0x800;
constexpr uint32_t kLoginFlagMockServer = 0x200;
constexpr uint32_t kLoginFlagOwnServer = 0x400;
// Login-notify codes.
constexpr unsigned kLoginNotifyApplyStopLoss = 3000;
constexpr unsigned kLoginNotifyLoggedIn = 0x200000;

// The identity values of web requests (BuildUserQueryParams).
struct WebIdentity_s {
  std::string idBase64;       // standard base64 of the UTF-8 user id
  std::string idCheck;        // MD5 hex of idBase64
  std::string idKey;          // MD5 hex of the UTF-8 user id
  std::string nameBase64;     // standard base64 of the UTF-8 user name
  std::wstring escapedId;     // idBase64 with "=" -> "%3D", "+" -> "%2B"
  std::wstring escapedName;   // nameBase64 escaped the same way
  std::string identityQuery;  // "uid2=<escaped id>"
};
// Encodes a user id and name; also the "=" / "+" escaping on its own.
WebIdentity_s MakeWebIdentity(const std::wstring& userId, const std::wstring& userName);
std::string EscapeBase64ForQuery(const std::string& base64);
// The web-API key when the service check sends none: MD5 hex of "<user index>:<user id>:<token>"
// (UTF-8). The web server forms the same key.
std::string MakeDefaultWebApiKey(int userIdx, const std::wstring& userId, int token);

// What the service check stores besides the web-login state.
struct ServiceSettings_s {
  uint8_t tableTypeChar = 0;
  std::string dartUrl, kospiUrl, kosdaqUrl, stockBbsUrl;  // "&amp;" made "&"
  std::string smsUid, smsKey, smsTel;
  std::string stockUrl, foreignStockUrlD, foreignStockUrlN, foreignStockUrlE;
  std::wstring bbsUrl;
  std::wstring smsFooter;
  std::wstring nickName;
  // "market_start", "market_end", "nxt_market_start", "nxt_market_end", "market_delay_begin"
  // as hhmmss numbers (-1 when absent).
  int marketTimes[5] = {-1, -1, -1, -1, -1};
  std::wstring stockApiRegUrl;
  std::wstring accountPwdDlgTitle;
  std::wstring homepage, bandUrl;
  uint8_t deployer = 0;
  // Fractions (percent / 100) of the configuration's tax rate and fee rates 1 to 4.
  double taxFraction = 0;
  double feeFraction[4] = {};
};

class CWebLogin {
 public:
  // The records belong to the host; the engine outlives this object.
  CWebLogin(ILoginEngine& engine, app_run_setting_s& runSetting, login_info_s& loginInfo);
  ~CWebLogin();
  CWebLogin(const CWebLogin&) = delete;
  CWebLogin& operator=(const CWebLogin&) = delete;

  // The view's HTTP handle for the login requests (null: each request makes its own).
  void SetCurl(CURL* curl) { m_curl = curl; }
  // The host's records every web request reads.
  app_run_setting_s& RunSetting() { return m_run; }
  login_info_s& LoginInfo() { return m_login; }
  // The plug-in's version text (status texts).
  void SetPluginVersion(const std::wstring& version) { m_pluginVersion = version; }
  // The view's message flags (low three bits allow the popup texts; all on by default).
  void SetMessageFlags(uint32_t flags) { m_messageFlags = flags; }

  // --- Login ---
  // (user id, key text, secret text, optional extra text, broker id, market kind, login flags,
  // auto-login flag, out broker error code, out broker error text of 250 characters).
  int LoginUser(const wchar_t* userId, const wchar_t* keyText, const wchar_t* secretText,
                const wchar_t* extraText, int brokerId, int marketKind, uint32_t loginFlags,
                int autoLogin, int* outErrorCode, wchar_t* outErrorText);
  // Frees the stored encrypted login data and stores an empty record (kind 1) with the time:
  // the next start offers no automatic login.
  void ForgetStoredLogin();
  // The service check; answers the reply's user index (0: none, refused, or skipped).
  int LoadServiceSettings(CURL* curl, int agencyIdx, login_info_s* loginInfo, const char* appText,
                          const wchar_t* userId, const char* userToken, int ignored, int force,
                          int tokenUpdate);
  // Identity encoding of the current user id and name (run at every login).
  void BuildUserQueryParams();

  // --- Commands and messages ---
  int OnLoginCmd();
  int OnLogoutCmd();
  // Opens the member page "stock/user_regist" in the host (page slot 6).
  intptr_t OpenMemberInfoPage();

  // Callbacks handed to the host's login dialog; the context is the CWebLogin.
  // LoginCallback: (ctx, kind, user id, key, secret, extra, -, broker id, market kind, login
  // flags, -, -, -, out code, out text) -> LoginUser with bit 0x80 of the flags as auto-login.
  static int LoginCallback(void* ctx, int kind, const wchar_t* userId, const wchar_t* keyText,
                           const wchar_t* secretText, const wchar_t* extraText,
                           const wchar_t* text5, int brokerId, int marketKind, int loginFlags,
                           int num4, uint8_t flag, const wchar_t* text6, int* outCode,
                           wchar_t* outText);
  // LoginNotifyCallback: the state carries the code: 3000 applies the stop-loss rates;
  // exactly 0x200000 (logged in) runs the refresh hook and sends "로그인 성공".
  static int LoginNotifyCallback(void* ctx, unsigned int state, int value1, int value2,
                                 const wchar_t* text, void* data, char** outText, int* outValue);

  // --- Web-login state (read by every web request of the plug-in) ---
  std::wstring m_userId;
  std::wstring m_userName;
  int m_agencyIdx = 0;
  int m_companyIdx = 0;
  int m_userIdx = 0;
  std::string m_userToken;
  WebIdentity_s m_identity;
  int m_serverMode = 0;
  int m_lastErrorCode = -1;
  std::wstring m_lastErrorMsg;
  int m_httpStatus = 0;
  std::string m_phone;
  int m_smsRemain = 0;
  int m_smsUsed = 0;
  std::wstring m_partnerId;

  // --- Login state ---
  uint32_t m_loginFlags = 0;
  int m_autoLogin = 0;
  int m_savePassword = 0;
  int m_marketKind = 0;
  int m_loggedIn = 0;
  int m_brokerErrorCode = -1;
  std::wstring m_brokerErrorText;
  std::wstring m_keyText, m_secretText, m_extraText;
  CStockAgentBase* m_primaryAgent = nullptr;
  uint8_t m_autoTradeAllowed = 0;
  std::string m_stopLossRates;
  int m_failedChecks = 0;
  std::wstring m_statusText;

  ServiceSettings_s m_settings;

 private:
  void ApplyReply(const char* reply, const ServiceReplyNumbers& numbers, login_info_s* loginInfo);
  void ApplyRates(const ServiceReplyNumbers& numbers, login_info_s* loginInfo);
  bool AllowsMessages() const { return (m_messageFlags & 7) != 0; }
  std::wstring FormatCodeText() const;

  ILoginEngine& m_engine;
  app_run_setting_s& m_run;
  login_info_s& m_login;
  CURL* m_curl = nullptr;
  std::wstring m_pluginVersion;
  uint32_t m_messageFlags = 7;
};
