#include "platform/support/LoginForm.h"

#include <cstring>
#include <cwchar>

#include "platform/support/HttpForm.h"
#include "platform/support/TextConv.h"
#include "shared/AppRunSetting.h"
#include "shared/LoginInfo.h"

int GfxHttpFillLoginDataMimePtr(curl_mime* form, const login_info_s* login, int, int, int, int, int,
                                int, int, int) {
  if (!form || !login) return 0;
  int added = 0;
  auto count = [&added](curl_mimepart* part) { added += part ? 1 : 0; };
  count(CURL_MIMEADD_INT(form, "co", login->nCompanyIdx));
  count(CURL_MIMEADD_INT(form, "agc", login->nAgencyIdx));
  count(CURL_MIMEADD_INT(form, "uidx", login->nUserIdx));
  count(CURL_MIMEADD_TEXTA(form, "tk", login->szToken));
  count(CURL_MIMEADD_TEXTA(form, "uid2", login->szIdBase64));
  count(CURL_MIMEADD_TEXTA(form, "chk4", login->szIdBase64));
  count(CURL_MIMEADD_TEXTA(form, "chk5", login->szIdCheck));
  count(CURL_MIMEADD_TEXTA(form, "key", login->szIdKey));
  return added;
}

int GfxFillUserDataToHttpForm(curl_mime* form, const app_run_setting_s* run,
                              const login_info_s* login, const char* extra, const char* rsp) {
  if (!form || !run || !login) return 0;
  int added = 0;
  auto count = [&added](curl_mimepart* part) { added += part ? 1 : 0; };
  count(CURL_MIMEADD_TEXTA(form, "rsp", rsp && *rsp ? rsp : "json"));
  count(CURL_MIMEADD_TEXTW(form, "b2b", run->szB2b[0] ? run->szB2b : L"stock"));
  count(CURL_MIMEADD_INT(form, "gdp", run->nGdp));
  count(CURL_MIMEADD_INT(form, "deployer", run->nDeployer));
  count(CURL_MIMEADD_TEXTW(form, "apk", run->szAppId));
  added += GfxHttpFillLoginDataMimePtr(form, login);
  if (extra && *extra) count(CURL_MIMEADD_TEXTA(form, "ext", extra));
  return added;
}

int GfxGetWebApiUrlByUserToken(wchar_t* out, size_t outLen, char* work, size_t workSize,
                               const app_run_setting_s* run, const login_info_s* login,
                               const wchar_t* scriptPath, int number, const char* extraQuery,
                               const char* responseKind, const char* b2b) {
  if (out && outLen) out[0] = 0;
  if (work && workSize) work[0] = 0;
  if (!out || outLen == 0 || !run || !login) return 0;
  char script[2048];
  if (StrMakeScriptApiUrl(script, sizeof script, run->szWebApiBase, scriptPath,
                          run->byWebApiFlag) == 0)
    return 0;
  std::string url = script;
  url += "?b2b=" + StrUrlEncodeA(b2b && *b2b ? b2b : "stock");
  url += "&rsp=" + StrUrlEncodeA(responseKind && *responseKind ? responseKind : "html");
  url += "&co=" + std::to_string(login->nCompanyIdx);
  url += "&uidx=" + std::to_string(login->nUserIdx);
  url += "&tk=" + StrUrlEncodeA(login->szToken);
  url += "&uid2=" + StrUrlEncodeA(login->szIdBase64);
  if (extraQuery) url += extraQuery;
  if (number != 0) url += "&num=" + std::to_string(number);
  const std::wstring wide = Utf8ToWide(url);
  if (wide.size() + 1 > outLen) return 0;
  wmemcpy(out, wide.c_str(), wide.size() + 1);
  if (work && workSize > url.size()) memcpy(work, url.c_str(), url.size() + 1);
  return static_cast<int>(wide.size());
}
