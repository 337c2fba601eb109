#include "plugin/brokers/HangukSecuAgent.h"

#include <cstdlib>
#include <string>

#include "platform/support/TextConv.h"
#include "plugin/brokers/BrokerHosts.h"

namespace {

constexpr const char* kTokenPath = "/oauth2/tokenP";
constexpr const char* kRevokePath = "/oauth2/revokeP";
constexpr const char* kDepositPath = "/stock/accno";

}  // namespace

int ParseHangukResultCode(const char* code) { return ParseGatewayResultCode(code, {"EGW", "IGW"}); }

CHangukSecuAgent::CHangukSecuAgent(uint8_t marketKind, const wchar_t* name, char classLetter,
                                   uint8_t brokerId, uint8_t instance, int32_t marketId,
                                   double exchangeRate, int32_t reserved40)
    : CDbSecuAgent(marketKind, name, classLetter, brokerId, instance, marketId, exchangeRate,
                   reserved40) {
  StrSafeCopyW(m_brokerName, sizeof m_brokerName / sizeof m_brokerName[0], L"한국투자증권");
  MakeLabel(L"한투", name);
  StrSafeCopyA(m_baseUrl, sizeof m_baseUrl,
               BrokerBaseUrl(kHangukBrokerId, kHangukBrokerDefaultHost).c_str());
  StrSafeCopyA(m_clientName, sizeof m_clientName, "orvella.auto.hanguk.pc");
  const std::string ws = "ws://" + ReadBrokerWsHost(kHangukBrokerId, kHangukBrokerDefaultWsHost);
  StrSafeCopyA(m_wsUrl, sizeof m_wsUrl, ws.c_str());
  SetRequestTimeout(kHangukRequestTimeoutMs);
  m_resultCode = ParseHangukResultCode;
  m_contKeyHeader = "tr_cont_key";
  m_connectTimeoutMs = kHangukConnectTimeoutMs;
  m_orderHeader = "tr_cont: N";
}

char* CHangukSecuAgent::PostTr(CURL* curl, const char* path, const char* body,
                               const char* extraHeader, const char* furtherHeaders,
                               const char* trHeader, int* outLen, BrokerRequestState* state) {
  std::string headers = furtherHeaders ? furtherHeaders : "";
  if (trHeader && *trHeader) {
    if (!headers.empty()) headers += '\n';
    headers += trHeader;
  }
  return Post(curl, path, body, 1, extraHeader, true, outLen,
              headers.empty() ? nullptr : headers.c_str(), state);
}

int CHangukSecuAgent::LoginA(CURL* curl, const char* account, const char* key, const char* secret,
                             int* outCode, wchar_t* outMsg, int msgLen) {
  return TokenLogin(curl, account, key, secret, outCode, outMsg, msgLen, kTokenPath,
                    [](const RequestCredentials& credentials) {
                      return "grant_type=client_credentials&appkey=" +
                             UrlEncodeFormValue(credentials.key.c_str()) + "&appsecret=" +
                             UrlEncodeFormValue(credentials.secret.c_str());
                    });
}

int CHangukSecuAgent::Logout() {
  const int result = RevokeToken(
      kRevokePath,
      [](const RequestCredentials& credentials) {
        return "token=" + UrlEncodeFormValue(credentials.token.c_str()) +
               "&appkey=" + UrlEncodeFormValue(credentials.key.c_str()) +
               "&appsecret=" + UrlEncodeFormValue(credentials.secret.c_str());
      },
      "\"return_code\"");
  // The count of balance passes runs on across logouts and logins.
  m_tokenExpiry = 0;
  return result;
}

int CHangukSecuAgent::QueryDeposit(CURL* curl, GroupInfoMap* accounts, group_info_s** outRecord,
                                   int clear) {
  if (clear && accounts) RunMerge([&] { GfxGroupInfoMapClear(accounts, 1); });
  int len = 0;
  char* reply = PostTr(curl, kDepositPath, "{ \"In\": {} }", "tr_cont: N", "tr_cont_key: ",
                       "tr_id: t0424", &len);
  int result = kAgentFailed;
  RunMerge([&] {
    result = ParseDepositResponse(reply, static_cast<size_t>(reply ? len : 0), accounts, outRecord,
                                  clear);
  });
  std::free(reply);
  return result;
}
