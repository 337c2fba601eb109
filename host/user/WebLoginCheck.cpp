#include "host/user/WebLoginCheck.h"

#include <rapidjson/document.h>

#include <cstdlib>
#include <string>

#include "platform/support/HttpForm.h"
#include "platform/support/JsonGetters.h"
#include "platform/support/TextConv.h"
#include "shared/AppRunSetting.h"
#include "shared/LoginInfo.h"

namespace orv::host {

namespace {

void SetMessage(std::wstring* out, const std::wstring& text) {
  if (out) *out = text;
}

}  // namespace

int GfxLoginIdAndPasswordCheck(CURL* curl, const app_run_setting_s& settings, login_info_s& login,
                               const WebLoginRequest& request, std::wstring* outMessage) {
  login.nUserIdx = 0;
  login.byLoginFlag = 0;
  const std::wstring b2b = settings.szB2b;
  const std::wstring path = (b2b.empty() ? std::wstring(L"member") : b2b) + L"/login_check";
  char url[RUN_URL_LEN * 2] = {};
  StrMakeScriptApiUrl(url, sizeof url, settings.szWebApiBase, path.c_str(), settings.byWebApiFlag);
  if (url[0] == '\0') {
    SetMessage(outMessage, L"웹 서버 주소가 없습니다.");
    return 0;
  }
  CURL* handle = curl ? curl : curl_easy_init();
  if (handle == nullptr) {
    SetMessage(outMessage, L"curl_easy_init() failed");
    return 0;
  }
  curl_mime* form = curl_mime_init(handle);
  CURL_MIMEADD_TEXTA(form, "rsp", "json");
  CURL_MIMEADD_INT(form, "kind", request.loginKind);
  CURL_MIMEADD_TEXTW(form, "uid", request.userId.c_str());
  CURL_MIMEADD_TEXTW(form, "upw", request.password.c_str());
  CURL_MIMEADD_INT(form, "agc", request.agency);
  CURL_MIMEADD_INT(form, "utype", request.userType);
  CURL_MIMEADD_INT(form, "co", login.nCompanyIdx);
  CURL_MIMEADD_TEXTW(form, "app", settings.szAppId);
  CURL_MIMEADD_TEXTW(form, "inst", settings.szInstanceName);
  CURL_MIMEADD_TEXTA(form, "chk1", login.szCheck1);
  CURL_MIMEADD_TEXTA(form, "chk2", login.szCheck2);
  CURL_MIMEADD_TEXTA(form, "chk3", login.szCheck3);
  CURL_MIMEADD_UINT64(form, "macid", settings.nMacId);
  CURL_MIMEADD_UINT64(form, "macid2", settings.nMacId2);
  CURL_MIMEADD_TEXTA(form, "ip", settings.szIp);

  char* reply = nullptr;
  size_t length = 0;
  int status = 0;
  const int rc = GfxHttpPostMimeDataUsingCurl2(url, handle, form, 1, &reply, &length, &status,
                                               nullptr, nullptr, 0, 0, kWebLoginTimeoutMs, 0, 0,
                                               kWebLoginUserAgent, 0, 0);
  const std::string transferError = GfxHttpLastTransferError();
  if (curl == nullptr) curl_easy_cleanup(handle);
  const std::string body = reply ? std::string(reply, length) : std::string();
  std::free(reply);
  if (rc != 0 || status != 200) {
    SetMessage(outMessage, rc != 0 ? Utf8ToWide("curl_easy_perform() failed: " + transferError)
                                   : L"HTTP " + std::to_wstring(status));
    return 0;
  }
  rapidjson::Document doc;
  doc.Parse(body.c_str());
  if (doc.HasParseError() || !doc.IsObject()) {
    SetMessage(outMessage, L"로그인 응답을 읽을 수 없습니다.");
    return 0;
  }
  const int err = JsonGetInt(doc, "err", 0);
  const int userIdx = JsonGetInt(doc, "uidx", 0);
  const char* errmsg = JsonGetStringPtr(doc, "errmsg");
  if (err != 0 || userIdx <= 0) {
    SetMessage(outMessage, errmsg && errmsg[0] ? Utf8ToWide(errmsg)
                                               : L"로그인 실패 (" + std::to_wstring(err) + L")");
    return 0;
  }
  login.nUserIdx = userIdx;
  login.nAgencyIdx = JsonGetInt(doc, "agc", 0);
  login.byUserLevel = static_cast<uint8_t>(JsonGetInt(doc, "lvl", 0));
  StrSafeCopyW(login.szUserId, LOGIN_ID_LEN, request.userId.c_str());
  StrSafeCopyFromWCHAR_A(login.szUserIdA, LOGIN_ID_LEN, request.userId.c_str());
  JsonCopyWString(doc, "uname", login.szUserName, LOGIN_NAME_LEN, 0);
  JsonCopyString(doc, "tk", login.szToken, sizeof login.szToken);
  JsonCopyString(doc, "tk2", login.szToken2, sizeof login.szToken2);
  login.byLoginFlag = 1;
  SetMessage(outMessage, errmsg ? Utf8ToWide(errmsg) : std::wstring());
  return userIdx;
}

}  // namespace orv::host
