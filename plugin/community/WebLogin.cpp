#include "plugin/community/WebLogin.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <cwchar>

#include "platform/stocklib/StockAgentBase.h"
#include "platform/stocklib/StockUrls.h"
#include "platform/support/Encoding.h"
#include "platform/support/HttpForm.h"
#include "platform/support/LoginStore.h"
#include "platform/support/TextConv.h"
#include "platform/support/TextScan.h"
#include "platform/win/Clock.h"
#include "platform/win/Registry.h"
#include "plugin/community/MarketSchedule.h"
#include "plugin/community/WebPages.h"
#include "plugin/community/WebText.h"
#include "shared/AppRunSetting.h"
#include "shared/LoginInfo.h"
#include "shared/Messages.h"
#include "shared/StockOption.h"

namespace {

constexpr const wchar_t* kLoginOk = L"로그인 성공";
constexpr const wchar_t* kLoginFail = L"로그인 실패";
constexpr int kBrokerErrorTextLen = 250;
constexpr int kMaxFailedChecksShown = 6;

std::string ReplyUrl(const char* reply, const char* key, size_t limit) {
  std::string url = ReplaceAll(ReplyText(reply, key), "&amp;", "&");
  // JSON may escape the slashes of an address.
  url = ReplaceAll(url, "\\/", "/");
  return url.substr(0, limit);
}

// Decoded base64 value of a key, cut to limit bytes (empty when absent or not base64).
std::string ReplyBase64(const char* reply, const char* key, size_t limit) {
  std::string decoded;
  if (!base64_decode(ReplyText(reply, key), &decoded)) return {};
  return decoded.substr(0, limit);
}

// "hh:mm[:ss]" or "hhmm[ss]" as an hhmmss number; -1 when there is none. A text that is no time
// of day (a part out of range, too many digits) is -1 and noted in *problems.
int ParseTimeOfDay(const char* key, const std::string& text, std::string* problems) {
  if (text.empty()) return -1;
  int parts[3] = {0, 0, 0};
  int count = 0;
  size_t digits = 0;
  bool bad = false;
  const bool colons = text.find(':') != std::string::npos;
  std::string run;
  // A part of the "hh:mm[:ss]" form has at most two digits.
  auto take = [&](int at) {
    if (run.size() > 2) bad = true;
    if (!bad && at < 3) parts[at] = run.empty() ? 0 : std::stoi(run);
    run.clear();
  };
  for (char c : text) {
    if (c >= '0' && c <= '9') {
      run += c;
      ++digits;
    } else if (c == ':' && count < 2) {
      take(count++);
    }
  }
  if (!colons) {
    if (digits < 3) return -1;
    const bool withSeconds = run.size() > 4;
    const std::string padded = withSeconds ? run : run + "00";
    if (padded.size() > 6) {
      bad = true;
    } else {
      const int value = std::stoi(padded);
      parts[0] = value / 10000;
      parts[1] = value / 100 % 100;
      parts[2] = value % 100;
    }
  } else {
    take(count);
  }
  if (bad || parts[0] > 23 || parts[1] > 59 || parts[2] > 59) {
    NoteReplyProblem(key, text, problems);
    return -1;
  }
  return parts[0] * 10000 + parts[1] * 100 + parts[2];
}

}  // namespace

// Every number of the service check's reply, read and range-checked before anything of the reply
// is applied: a reply with a number that is out of range is a bad reply as a whole.
struct ServiceReplyNumbers {
  int err = -1;
  int idx = 0;
  int domesticDelay = 0, overseasDelay = 0;  // hhmm, either sign
  int company = 0, webApiToken = 0, smsRemain = 0, smsUsed = 0;
  int tableType = 0, ownCafe = 0, ownCafeIdx = 0, leaderCafe = 0, adminCafe = 0;
  int gptUsed = 0, gptRemain = 0;
  uint8_t level = 0, eqStockShare = 0, workRole = 0, officePos = 0, deployer = 0;
  // Tax rate and fee rates 1 to 4 in percent (within ±100; only positive ones are applied).
  bool hasRate[5] = {};
  double rates[5] = {};
  int marketTimes[5] = {-1, -1, -1, -1, -1};
  std::string problems;  // "key:value" of every bad number
};

namespace {

constexpr int kMaxDelayHhmm = 2359;
constexpr const char* kRateKeys[5] = {"tax_rate", "fee_rate", "fee_rate2", "fee_rate3",
                                      "fee_rate4"};
constexpr const char* kMarketTimeKeys[5] = {"market_start", "market_end", "nxt_market_start",
                                            "nxt_market_end", "market_delay_begin"};

// Absent numbers keep the values given in `current`.
ServiceReplyNumbers ReadServiceReplyNumbers(const char* reply, ServiceReplyNumbers current) {
  ServiceReplyNumbers n = current;
  std::string* bad = &n.problems;
  ReadReplyWhole(reply, "err", &n.err, bad);
  ReadReplyWhole(reply, "idx", &n.idx, bad);
  ReadReplyWhole(reply, "kor_stk_delay", &n.domesticDelay, bad, -kMaxDelayHhmm, kMaxDelayHhmm);
  ReadReplyWhole(reply, "usa_stk_delay", &n.overseasDelay, bad, -kMaxDelayHhmm, kMaxDelayHhmm);
  ReadReplyWhole(reply, "co", &n.company, bad);
  ReadReplyWhole(reply, "table_type", &n.tableType, bad);
  ReadReplyWhole(reply, "web_api_token", &n.webApiToken, bad);
  ReadReplyWhole(reply, "sms_remain", &n.smsRemain, bad);
  ReadReplyWhole(reply, "sms_used", &n.smsUsed, bad);
  ReadReplyWhole(reply, "o_cafe", &n.ownCafe, bad);
  ReadReplyWhole(reply, "my_cafe", &n.ownCafeIdx, bad);
  ReadReplyWhole(reply, "leader_cafe", &n.leaderCafe, bad);
  ReadReplyWhole(reply, "admin_cafe", &n.adminCafe, bad);
  ReadReplyWhole(reply, "level", &n.level, bad);
  ReadReplyWhole(reply, "gpt_used", &n.gptUsed, bad);
  ReadReplyWhole(reply, "gpt_remain", &n.gptRemain, bad);
  ReadReplyWhole(reply, "eq_stock_share", &n.eqStockShare, bad);
  ReadReplyWhole(reply, "work_role", &n.workRole, bad);
  ReadReplyWhole(reply, "office_pos", &n.officePos, bad);
  ReadReplyWhole(reply, "deployer", &n.deployer, bad);
  for (int i = 0; i < 5; ++i) {
    n.hasRate[i] =
        ReadReplyNumber(reply, kRateKeys[i], -100.0, 100.0, &n.rates[i], bad) == ReplyRead::Ok;
    n.marketTimes[i] =
        ParseTimeOfDay(kMarketTimeKeys[i], ReplyText(reply, kMarketTimeKeys[i]), bad);
  }
  return n;
}

// The text after "google" and "=" up to the line end (a real line break or an escaped "\n").
std::string GoogleSearchKey(const std::string& keys) {
  const size_t google = keys.find("google");
  if (google == std::string::npos) return {};
  const size_t equals = keys.find('=', google);
  if (equals == std::string::npos) return {};
  size_t end = keys.size();
  for (const char* stop : {"\n", "\r", "\\n", "\\r"}) {
    const size_t at = keys.find(stop, equals + 1);
    if (at != std::string::npos && at < end) end = at;
  }
  return keys.substr(equals + 1, end - equals - 1);
}

template <size_t N>
void CopyWide(wchar_t (&out)[N], const std::wstring& text) {
  StrSafeCopyW(out, N, text.c_str());
}

template <size_t N>
void CopyNarrow(char (&out)[N], const std::string& text) {
  StrSafeCopyA(out, N, text.c_str());
}

bool IsCryptoAgent(const CStockAgentBase& agent) {
  return agent.m_classLetter == 'b' || agent.m_marketKind == 5 || agent.m_marketKind == 9;
}

// The configuration slot 0 of a broker group takes the login's account.
template <int N>
void FillSlot(broker_slots_s<N>& slots, int agencyIdx, const std::wstring& userId,
              const std::wstring& key, const std::wstring& secret, bool idTwice) {
  slots.broker_id[0] = static_cast<uint8_t>(agencyIdx);
  slots.logged_in[0] = 1;
  StrSafeCopyW(slots.app_key[0], 100, key.c_str());
  StrSafeCopyW(slots.app_secret[0], 100, secret.c_str());
  StrSafeCopyW(slots.account[0], 20, userId.c_str());
  if (idTwice) StrSafeCopyW(slots.name[0], 20, userId.c_str());
}

}  // namespace

WebIdentity_s MakeWebIdentity(const std::wstring& userId, const std::wstring& userName) {
  WebIdentity_s id;
  const std::string narrowId = WideToUtf8(userId);
  id.idBase64 = base64_encode(narrowId);
  id.idCheck = Md5Hex(id.idBase64);
  id.idKey = Md5Hex(narrowId);
  id.nameBase64 = base64_encode(WideToUtf8(userName));
  id.escapedId = Utf8ToWide(EscapeBase64ForQuery(id.idBase64));
  id.escapedName = Utf8ToWide(EscapeBase64ForQuery(id.nameBase64));
  id.identityQuery = "uid2=" + EscapeBase64ForQuery(id.idBase64);
  return id;
}

std::string EscapeBase64ForQuery(const std::string& base64) {
  return ReplaceAll(ReplaceAll(base64, "=", "%3D"), "+", "%2B");
}

std::string MakeDefaultWebApiKey(int userIdx, const std::wstring& userId, int token) {
  return Md5Hex(std::to_string(userIdx) + ":" + WideToUtf8(userId) + ":" + std::to_string(token));
}

CWebLogin::CWebLogin(ILoginEngine& engine, app_run_setting_s& runSetting, login_info_s& loginInfo)
    : m_engine(engine), m_run(runSetting), m_login(loginInfo) {}

CWebLogin::~CWebLogin() = default;

void CWebLogin::BuildUserQueryParams() {
  m_identity = MakeWebIdentity(m_userId, m_userName);
  CopyNarrow(m_login.szIdBase64, m_identity.idBase64);
  CopyNarrow(m_login.szIdCheck, m_identity.idCheck);
  CopyNarrow(m_login.szIdKey, m_identity.idKey);
  CopyNarrow(m_login.szEscapedId, WideToUtf8(m_identity.escapedId));
  CopyNarrow(m_login.szEscapedName, WideToUtf8(m_identity.escapedName));
}

int CWebLogin::LoginUser(const wchar_t* userId, const wchar_t* keyText, const wchar_t* secretText,
                         const wchar_t* extraText, int brokerId, int marketKind,
                         uint32_t loginFlags, int autoLogin, int* outErrorCode,
                         wchar_t* outErrorText) {
  const std::wstring id = userId ? userId : L"";
  m_login.nUserIdx = 0;
  m_login.byUserLevel = 0;

  m_loginFlags = loginFlags;
  m_autoLogin = (loginFlags & kLoginFlagAutoLogin) ? 1 : 0;
  m_savePassword = (loginFlags & kLoginFlagSavePassword) ? 1 : 0;
  if (brokerId == 8 || brokerId == 9)
    m_marketKind = 5;
  else
    m_marketKind = marketKind == 5 ? 1 : marketKind;
  m_loggedIn = 0;
  m_brokerErrorCode = -1;
  m_brokerErrorText.clear();

  int result = kLoginFailed;
  int brokerResult = 0;
  m_engine.DeleteAllStockAgents();
  m_primaryAgent = nullptr;
  CStockAgentBase* agent = m_engine.GetStockAgent(m_marketKind, brokerId, 0);
  if (agent) {
    int errorCode = -1;
    wchar_t errorText[kBrokerErrorTextLen + 1] = {};
    brokerResult =
        agent->Login(m_curl, id.c_str(), keyText ? keyText : L"", secretText ? secretText : L"",
                     &errorCode, errorText, kBrokerErrorTextLen);
    m_brokerErrorCode = errorCode;
    m_brokerErrorText = errorText;
    m_primaryAgent = agent;
    m_engine.SetPrimaryAgent(agent);
    m_engine.ClearDefaultAgents();

    if (brokerResult == 0) {
      // A refused login forgets the stored login data.
      m_autoTradeAllowed = 0;
      if (m_run.pCryptedLogin) ForgetStoredLogin();
    } else {
      if (m_marketKind == 2) m_engine.SetOverseasMode();
      m_agencyIdx = agent->m_brokerId;
      m_userId = id;
      m_keyText = keyText ? keyText : L"";
      m_secretText = secretText ? secretText : L"";
      if (extraText) m_extraText = extraText;
      // The broker slots are part of the trading configuration the engine loaded.

      stock_option_s& options = m_engine.Options();
      if (IsCryptoAgent(*agent)) {
        m_engine.SetDefaultAgent(5, agent);
        FillSlot(options.coin, m_agencyIdx, m_userId, m_keyText, m_secretText, false);
      } else if (agent->m_marketKind == 2) {
        m_engine.SetDefaultAgent(2, agent);
        FillSlot(options.overseas, m_agencyIdx, m_userId, m_keyText, m_secretText, false);
      } else {
        m_engine.SetDefaultAgent(1, agent);
        FillSlot(options.domestic, m_agencyIdx, m_userId, m_keyText, m_secretText, true);
      }
      if (options.changed == 0) options.changed = 2;

      m_userName = m_userId;
      BuildUserQueryParams();
      if (AllowsMessages()) {
        m_engine.ShowWaitingPopup(
            true, FormatW(L"User(%ls) Loging. Please wait...\n", m_userId.c_str()).c_str(), L"WAIT",
            0);
      }

      LoadServiceSettings(m_curl, m_agencyIdx, &m_login, agent->m_clientName, m_userId.c_str(),
                          nullptr, 0, 1, 1);
      const int userIdx = m_login.nUserIdx;
      agent->m_userCheck[0] = userIdx;
      if (userIdx != 0) {
        m_stopLossRates = REG_READ_CSTRING_VALUE_UIDX("Settings", "Stock-AutoStopLossRates",
                                                      m_agencyIdx, userIdx);
        m_engine.LoginBrokerAgents(m_curl, 1);
        result = kLoginSucceeded;
        GfxSaveLoginCredentialToLoal(
            &m_run, m_engine.PluginDb(), time(nullptr), m_login.nCompanyIdx, m_agencyIdx, autoLogin,
            m_loginFlags, m_marketKind, userIdx, m_userId.c_str(), m_keyText.c_str(),
            m_secretText.c_str(), m_extraText.c_str(), m_settings.nickName.c_str());
        if (AllowsMessages()) {
          m_engine.ShowWaitingPopup(
              true, FormatW(L"User(%ls/%d) Logined\n", m_userId.c_str(), userIdx).c_str(), L"WAIT",
              0);
        }
      } else {
        result = kLoginServiceCheckFailed;
      }
      m_autoTradeAllowed = userIdx != 0 ? 1 : 0;
      m_engine.ClearBalanceQueryArea();
      if (userIdx != 0) {
        m_loggedIn = 1;
        m_engine.SetMasterCodeEvent();
      } else {
        const std::wstring title = FormatW(L"로그인 에러(ID:%ls)", m_userId.c_str());
        m_engine.ShowWaitingPopup(true, AllowsMessages() ? FormatCodeText().c_str() : L"",
                                  title.c_str(), 0);
      }
    }
  }

  if (brokerResult == 1) {
    m_userId = id;
    m_userName = id;
  }
  m_engine.SendNotifyMsgToMainFrame(3, 7, m_loggedIn ? 1.0 : 0.0, m_serverMode,
                                    m_loggedIn ? kLoginOk : kLoginFail, L"", 0);
  if (outErrorCode) *outErrorCode = m_brokerErrorCode;
  if (outErrorText) StrSafeCopyW(outErrorText, kBrokerErrorTextLen + 1, m_brokerErrorText.c_str());
  return result;
}

void CWebLogin::ForgetStoredLogin() {
  std::free(m_run.pCryptedLogin);
  m_run.pCryptedLogin = nullptr;
  m_run.nCryptedLoginLen = 0;
  GfxSaveCryptedDataToDbWithTimeA(m_engine.PluginDb(), 1, nullptr, 0, time(nullptr));
}

int CWebLogin::LoadServiceSettings(CURL* curl, int agencyIdx, login_info_s* loginInfo,
                                   const char* appText, const wchar_t* userId,
                                   const char* userToken, int, int force, int tokenUpdate) {
  if (!force && (!loginInfo || loginInfo->nUserIdx != 0)) return 0;
  if (agencyIdx < 1) return 0;
  CURL* own = nullptr;
  if (!curl) {
    curl = own = curl_easy_init();
    if (!curl) return 0;
  }

  m_httpStatus = 0;
  const std::string build = ReplaceAll(m_run.szBuild, " ", "_");
  char url[1024];
  StrMakeScriptApiUrl(url, sizeof url, m_run.szWebApiBase, L"stock/id_check3", m_run.byWebApiFlag);
  const std::string b2b = m_run.szB2b[0] ? WideToUtf8(m_run.szB2b) : std::string("stock");

  SYSTEMTIME now;
  orv::win::GetLocalTime(&now);
  const std::string crc1 = FormatA("%04d%02d%02d", now.wYear, now.wMonth, now.wDay);
  const std::string crc2 =
      FormatA("%02d%02d%02d%03d", now.wHour, now.wMinute, now.wSecond, now.wMilliseconds);
  const std::string crc3 = Md5Hex(crc2 + "." + kServiceCheckSalt + ".");

  WebIdentity_s identity = m_identity;
  if (!tokenUpdate) {
    const std::wstring id = userId && *userId ? std::wstring(userId) : m_userId;
    identity = MakeWebIdentity(id, id);
  }

  curl_mime* form = curl_mime_init(curl);
  CURL_MIMEADD_TEXTA(form, "rsp", "json");
  CURL_MIMEADD_TEXTA(form, "b2b", b2b.c_str());
  CURL_MIMEADD_INT(form, "co", m_run.nCompanyNo);
  CURL_MIMEADD_INT(form, "gdp", m_run.nGdp);
  CURL_MIMEADD_INT(form, "deployer", m_run.nDeployer);
  CURL_MIMEADD_TEXTA(form, "crc1", crc1.c_str());
  CURL_MIMEADD_TEXTA(form, "crc2", crc2.c_str());
  CURL_MIMEADD_TEXTA(form, "crc3", crc3.c_str());
  CURL_MIMEADD_INT(form, "uchk", 1);
  CURL_MIMEADD_INT(form, "login_app", 2);
  CURL_MIMEADD_INT(form, "svr", m_serverMode);
  CURL_MIMEADD_INT(form, "acafe", 1);
  CURL_MIMEADD_INT(form, "agc", agencyIdx);
  if (tokenUpdate) {
    CURL_MIMEADD_TEXTA(form, "uid2", identity.idBase64.c_str());
    CURL_MIMEADD_TEXTA(form, "uname2", identity.nameBase64.c_str());
  } else {
    // The name of an account check is its id, and goes first.
    CURL_MIMEADD_TEXTA(form, "uname2", identity.nameBase64.c_str());
    CURL_MIMEADD_TEXTA(form, "uid2", identity.idBase64.c_str());
  }
  CURL_MIMEADD_TEXTA(form, "pwd4", identity.idBase64.c_str());
  CURL_MIMEADD_TEXTA(form, "chk4", identity.idBase64.c_str());
  CURL_MIMEADD_TEXTA(form, "pwd5", identity.idCheck.c_str());
  CURL_MIMEADD_TEXTA(form, "chk5", identity.idCheck.c_str());
  CURL_MIMEADD_TEXTA(form, "key", identity.idKey.c_str());
  CURL_MIMEADD_TEXTA(form, "tk", userToken ? userToken : "");
  CURL_MIMEADD_INT(form, "tkup", tokenUpdate ? 1 : 0);
  CURL_MIMEADD_TEXTA(form, "ip", m_run.szIp);
  CURL_MIMEADD_TEXTA(form, "build", build.c_str());
  CURL_MIMEADD_TEXTW(form, "ptn_id", m_partnerId.c_str());
  if (appText && *appText)
    CURL_MIMEADD_TEXTA(form, "app", appText);
  else
    CURL_MIMEADD_TEXTW(form, "app", m_run.szAppId);
  CURL_MIMEADD_TEXTW(form, "appver", m_run.szVersion);
  CURL_MIMEADD_TEXTA(form, "mac", m_run.szMac);
  CURL_MIMEADD_UINT64(form, "macid", m_run.nMacId);
  CURL_MIMEADD_UINT64(form, "macid2", m_run.nMacId2);

  char* reply = nullptr;
  size_t replyLen = 0;
  const int postResult = GfxHttpPostMimeDataUsingCurl2(
      url, curl, form, 1, &reply, &replyLen, &m_httpStatus, m_run.szWebApiKey, m_run.szWebApiUserId,
      m_run.nWebApiUserIdx, m_run.nWebApiToken, kServiceCheckTimeoutMs, 0, 0, kWebAgentUserAgent, 0,
      0);

  int userIdx = 0;
  if (reply) {
    ServiceReplyNumbers current;
    current.company = m_companyIdx;
    current.webApiToken = m_run.nWebApiToken;
    current.smsRemain = m_smsRemain;
    current.smsUsed = m_smsUsed;
    current.deployer = m_settings.deployer;
    const ServiceReplyNumbers numbers = ReadServiceReplyNumbers(reply, current);
    m_lastErrorCode = numbers.err;
    m_lastErrorMsg = Utf8ToWide(ReplyText(reply, "errmsg")).substr(0, 100);
    if (!numbers.problems.empty()) {
      // A number out of range makes the whole reply bad: nothing of it is applied.
      m_lastErrorCode = kBadReplyCode;
      m_lastErrorMsg = Utf8ToWide(BadReplyText("stock/id_check3", numbers.problems)).substr(0, 200);
    }
    const int replyIdx = numbers.idx;
    if (numbers.problems.empty()) {
      m_engine.Schedule().ApplyDomesticDelay(numbers.domesticDelay);
      m_engine.Schedule().ApplyOverseasDelay(numbers.overseasDelay);
    }
    // Only an accepted check gives the user index: a refusal that still carries an index
    // must not count as a login.
    const bool accepted = m_lastErrorCode == 0 && m_httpStatus == 200;
    if (accepted) {
      userIdx = replyIdx;
      m_userIdx = replyIdx;
      if (loginInfo && loginInfo->nUserIdx <= 0) loginInfo->nUserIdx = replyIdx;
      m_run.nWebApiUserIdx = replyIdx;
      CopyWide(m_run.szWebApiUserId, userId && *userId ? std::wstring(userId) : m_userId);
    }
    if (accepted && tokenUpdate) {
      ApplyReply(reply, numbers, loginInfo);
    } else if (tokenUpdate) {
      m_statusText = FormatW(L"OFFLINE(err:%d/H:%d) SMS:%d/%d", m_lastErrorCode, m_httpStatus,
                             m_smsRemain, m_smsUsed);
    }
    std::free(reply);
  } else {
    // No answer: the login's error box names the transfer's cause (a certificate the server
    // sent that does not verify, a host that cannot be reached).
    m_lastErrorCode = kBadReplyCode;
    m_lastErrorMsg = Utf8ToWide(GfxHttpLastTransferError()).substr(0, 200);
  }
  if (own)
    curl_easy_cleanup(own);
  else
    curl_easy_reset(curl);

  if (tokenUpdate) {
    if (!reply) {
      m_statusText =
          FormatW(L"※인증 체크중(%d.H:%d/R%d/A%d)\r\nDLL-Version: %ls/%ls", m_failedChecks,
                  m_httpStatus, postResult, agencyIdx, m_pluginVersion.c_str(), m_userId.c_str());
    }
    m_engine.SetNoticeText(m_statusText.c_str());
    if (m_httpStatus != 200 && userIdx <= 0) {
      ++m_failedChecks;
      if (m_failedChecks <= kMaxFailedChecksShown)
        m_engine.SetAccountLabels(FormatW(L"확인중(%d)", m_failedChecks).c_str());
    }
  }
  return userIdx;
}

void CWebLogin::ApplyReply(const char* reply, const ServiceReplyNumbers& numbers,
                           login_info_s* loginInfo) {
  const int company = numbers.company;
  m_companyIdx = company;
  if (loginInfo && (loginInfo->nCompanyIdx != company || loginInfo->nCompanyIdx == 0))
    loginInfo->nCompanyIdx = company;

  const std::string tableType = ReplyText(reply, "table_type");
  m_settings.tableTypeChar = tableType.empty() ? 0 : static_cast<uint8_t>(tableType[0]);
  if (loginInfo) loginInfo->nTableType = numbers.tableType;

  std::string value;
  if (ReplyValue(reply, "official_ip", &value)) CopyNarrow(m_run.szOfficialIp, value);
  CopyNarrow(m_run.szSearchKey, GoogleSearchKey(ReplyText(reply, "search_app_keys")));

  m_settings.dartUrl = ReplyUrl(reply, "dart_url", 199);
  m_settings.kospiUrl = ReplyUrl(reply, "kospi_url", 199);
  m_settings.kosdaqUrl = ReplyUrl(reply, "kosdaq_url", 199);
  m_settings.stockBbsUrl = ReplyUrl(reply, "stock_bbs_url", 199);
  GfxStockSetUrls(m_settings.kospiUrl.c_str(), m_settings.kosdaqUrl.c_str(), nullptr, nullptr);

  m_settings.smsUid = ReplyBase64(reply, "sms_uid", 49);
  m_settings.smsKey = ReplyBase64(reply, "sms_key", 199);
  m_settings.smsTel = ReplyText(reply, "sms_tel");
  m_settings.stockUrl = ReplyUrl(reply, "stock_url", 511);
  m_settings.foreignStockUrlD = ReplyUrl(reply, "f_stock_url_D", 511);
  m_settings.foreignStockUrlN = ReplyUrl(reply, "f_stock_url_N", 511);
  m_settings.foreignStockUrlE = ReplyUrl(reply, "f_stock_url_E", 511);
  m_settings.bbsUrl = Utf8ToWide(ReplyUrl(reply, "bbs_url", 511));
  m_phone = ReplyBase64(reply, "tel", 39);
  m_settings.smsFooter = Utf8ToWide(ReplyBase64(reply, "sms_footer_msg", 4096));
  m_settings.nickName = Utf8ToWide(ReplyBase64(reply, "nick_name", 256));
  for (int i = 0; i < 5; ++i) m_settings.marketTimes[i] = numbers.marketTimes[i];
  m_settings.stockApiRegUrl = Utf8ToWide(ReplyUrl(reply, "stock_api_reg_url", 511));
  m_settings.accountPwdDlgTitle = Utf8ToWide(ReplyText(reply, "hts_acc_pwd_dlg_title"));
  m_settings.homepage = Utf8ToWide(ReplyUrl(reply, "homepage", 511));
  m_settings.bandUrl = Utf8ToWide(ReplyUrl(reply, "band_url", 511));

  m_run.nWebApiToken = numbers.webApiToken;
  std::string apiKey;
  if (!ReplyValue(reply, "web_api_key", &apiKey) || apiKey.empty())
    apiKey = MakeDefaultWebApiKey(m_userIdx, m_userId, m_run.nWebApiToken);
  CopyWide(m_run.szWebApiKey, Utf8ToWide(apiKey));

  m_userToken = ReplyText(reply, "token").substr(0, 49);
  if (loginInfo) CopyNarrow(loginInfo->szToken, m_userToken);
  m_smsRemain = numbers.smsRemain;
  m_smsUsed = numbers.smsUsed;

  if (loginInfo) {
    loginInfo->nOwnCafe = numbers.ownCafe;
    loginInfo->nOwnCafeIdx = numbers.ownCafeIdx;
    ApplyRates(numbers, loginInfo);
    loginInfo->nLeaderCafeIdx = numbers.leaderCafe;
    loginInfo->nAdminCafeIdx = numbers.adminCafe;
    loginInfo->byUserLevel = numbers.level;
    loginInfo->nGptUsed = numbers.gptUsed;
    loginInfo->nGptRemain = numbers.gptRemain;
    CopyNarrow(loginInfo->szGroup, ReplyText(reply, "grp_chk"));
    loginInfo->byEqStockShare = numbers.eqStockShare;
    loginInfo->byWorkRole = numbers.workRole;
    loginInfo->byOfficePos = numbers.officePos;
    CopyWide(loginInfo->szNickName, m_settings.nickName);
  } else {
    ApplyRates(numbers, nullptr);
  }
  m_settings.deployer = numbers.deployer;

  if (loginInfo) {
    loginInfo->nCompanyIdx = m_companyIdx;
    loginInfo->nUserIdx = m_userIdx;
    CopyNarrow(loginInfo->szToken, m_userToken);
    CopyWide(loginInfo->szPhone, Utf8ToWide(m_phone));
    CopyNarrow(loginInfo->szPhoneA, m_phone);
    loginInfo->nSmsRemain = m_smsRemain;
  }
  if (m_phone.empty()) OpenMemberInfoPage();
  if (m_run.nGdp > 0 || (loginInfo && loginInfo->nOwnCafe >= 1)) m_engine.RefreshCafe();

  const wchar_t* serverMark = L"*실서버*";
  if (m_loginFlags & kLoginFlagMockServer)
    serverMark = L"**모의서버**";
  else if (m_loginFlags & kLoginFlagOwnServer)
    serverMark = L"**자체서버**";
  SYSTEMTIME now;
  orv::win::GetLocalTime(&now);
  m_statusText =
      FormatW(L"SMS:%d/%d LV:%d TEL:%ls\r\n%ls DLL-Version: %ls (%02d:%02d:%02d)", m_smsRemain,
              m_smsUsed, loginInfo ? loginInfo->byUserLevel : 0, Utf8ToWide(m_phone).c_str(),
              serverMark, m_pluginVersion.c_str(), now.wHour, now.wMinute, now.wSecond);
}

void CWebLogin::ApplyRates(const ServiceReplyNumbers& numbers, login_info_s* loginInfo) {
  stock_option_s& options = m_engine.Options();
  double* rates[5] = {&options.tax_rate, &options.buy_fee_domestic, &options.sell_fee_domestic,
                      &options.buy_fee_overseas, &options.sell_fee_overseas};
  for (int i = 0; i < 5; ++i) {
    if (!numbers.hasRate[i]) continue;
    const double value = numbers.rates[i];
    if (loginInfo) {
      if (i == 0)
        loginInfo->dTaxRate = value;
      else
        loginInfo->dFeeRate[i - 1] = value;
    }
    if (value > 0) *rates[i] = value;
  }
  m_settings.taxFraction = options.tax_rate / 100.0;
  for (int i = 0; i < 4; ++i) m_settings.feeFraction[i] = *rates[i + 1] / 100.0;
}

std::wstring CWebLogin::FormatCodeText() const {
  return FormatW(L"코드: %d(%ls)\n(MAC주소는 홈페이지에서 수정해 주세요)\n", m_lastErrorCode,
                 m_lastErrorMsg.c_str());
}

intptr_t CWebLogin::OpenMemberInfoPage() {
  return m_engine.SendNotifyMsgToMainFrame(
      16, 0, 0.0, 0.0, L"회원 가입 및 정보변경",
      Utf8ToWide(MakeJoinPageUrl(*this, L"stock/user_regist")).c_str(), 6);
}

int CWebLogin::OnLoginCmd() {
  const std::wstring homepage =
      m_settings.homepage.empty() ? m_run.szHomePage : m_settings.homepage;
  std::wstring joinNotice =
      L"증권사/거래소 계좌가 없는 회원 가입은 허용되지 않습니다.\n가입된 증권사/거래소 "
      L"계정으로\n먼저 로그인 하셔야 합니다.\n\n자세한 사항은 홈페이지 참고 부탁드립니다.\n" +
      homepage;
  return m_engine.RunMainFrameFunction(
      79, m_login.nCompanyIdx, m_login.nUserIdx, L"로그인",
      L"\n-------\n증권사 : DB금융투자\n-------\n1. Open-API 모듈을 설치했는지 확인해 주세요.\n2. "
      L"아이디/암호를 확인 부탁드립니다.\n3. OPEN-API 신청을 하셨는지 확인 부탁드립니다.\n4. 현재 "
      L"PC의 아이피(IP)는 %hs입니다",
      L"시크릿 키", joinNotice.data(), 0x4000, m_run.nAgencyIdx);
}

int CWebLogin::OnLogoutCmd() {
  std::wstring text = m_userId;
  return m_engine.RunMainFrameFunction(83, m_login.nCompanyIdx, m_login.nUserIdx, L"로그아웃",
                                       text.c_str(), nullptr, nullptr, 0, 0);
}

int CWebLogin::LoginCallback(void* ctx, int, const wchar_t* userId, const wchar_t* keyText,
                             const wchar_t* secretText, const wchar_t* extraText, const wchar_t*,
                             int brokerId, int marketKind, int loginFlags, int, uint8_t,
                             const wchar_t*, int* outCode, wchar_t* outText) {
  auto* login = static_cast<CWebLogin*>(ctx);
  if (!login) return kLoginFailed;
  const uint32_t flags = static_cast<uint32_t>(loginFlags);
  return login->LoginUser(userId, keyText, secretText, extraText, brokerId, marketKind, flags,
                          (flags & kLoginFlagAutoLogin) ? 1 : 0, outCode, outText);
}

int CWebLogin::LoginNotifyCallback(void* ctx, unsigned int state, int, int, const wchar_t*, void*,
                                   char**, int*) {
  auto* login = static_cast<CWebLogin*>(ctx);
  if (!login) return 0;
  if (state == kLoginNotifyApplyStopLoss) return login->m_engine.ApplyAutoStopLossRates();
  if (state == kLoginNotifyLoggedIn) {
    login->m_engine.DoRefresh();
    login->m_engine.SendNotifyMsgToMainFrame(3, 7, 1.0, 0.0, kLoginOk, L"", 0);
  }
  return 0;
}
