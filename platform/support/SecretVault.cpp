#include "platform/support/SecretVault.h"

#include <rapidjson/document.h>

#include <cstdio>
#include <cstdlib>

#include "platform/support/DateUtil.h"
#include "platform/support/HttpForm.h"
#include "platform/support/JsonGetters.h"
#include "platform/support/LoginForm.h"
#include "platform/support/TextConv.h"
#include "shared/AppRunSetting.h"
#include "shared/LoginInfo.h"

const char kVaultUserAgent[] =
    "Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/123.0.0.0 Safari/537.36";

namespace {

constexpr int kNoErr = -999999;

bool ReadReply(std::string_view reply, rapidjson::Document* doc, int* serverIdx) {
  doc->Parse(reply.data(), reply.size());
  if (doc->HasParseError() || !doc->IsObject()) return false;
  if (serverIdx && doc->HasMember("idx")) *serverIdx = JsonGetInt(*doc, "idx", *serverIdx);
  return JsonGetInt(*doc, "err", kNoErr) == 0;
}

std::string StampText(const SYSTEMTIME& t) {
  char text[64];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", unsigned{t.wYear},
                unsigned{t.wMonth}, unsigned{t.wDay}, unsigned{t.wHour}, unsigned{t.wMinute},
                unsigned{t.wSecond});
  return text;
}

// Posts the form (freed here) to the script; the reply text, empty on a failed transfer.
bool Post(CURL* curl, const app_run_setting_s& run, const wchar_t* script, curl_mime* form,
          std::string* reply) {
  char url[1024];
  if (StrMakeScriptApiUrl(url, sizeof url, run.szWebApiBase, script, run.byWebApiFlag) == 0) {
    curl_mime_free(form);
    return false;
  }
  char* text = nullptr;
  size_t length = 0;
  int status = 0;
  GfxHttpPostMimeDataUsingCurl2(url, curl, form, 1, &text, &length, &status, nullptr, nullptr, 0,
                                0, kVaultTimeoutMs, 0, 0, kVaultUserAgent, 0, 0);
  const bool answered = text && status >= 200 && status < 300;
  if (answered) reply->assign(text, length);
  std::free(text);
  return answered;
}

// Posts a form of the vault to the script: "rsp", "b2b" and the login fields, then what `fill`
// adds. The reply text goes to *reply; false when the transfer failed.
template <class Fill>
bool PostForm(CURL* curl, const app_run_setting_s& run, const login_info_s& login,
              const wchar_t* script, Fill fill, std::string* reply) {
  CURL* own = curl ? nullptr : curl_easy_init();
  CURL* handle = curl ? curl : own;
  curl_mime* form = handle ? curl_mime_init(handle) : nullptr;
  bool answered = false;
  if (form) {
    CURL_MIMEADD_TEXTA(form, "rsp", "json");
    const std::string b2b = run.szB2b[0] ? WideToUtf8(run.szB2b) : std::string("stock");
    CURL_MIMEADD_TEXTA(form, "b2b", b2b.c_str());
    GfxHttpFillLoginDataMimePtr(form, &login);
    fill(form);
    answered = Post(handle, run, script, form, reply);
  }
  if (own) curl_easy_cleanup(own);
  return answered;
}

}  // namespace

bool ReadVaultUploadReply(std::string_view reply, int* serverIdx) {
  rapidjson::Document doc;
  return ReadReply(reply, &doc, serverIdx);
}

bool ReadVaultDownloadReply(std::string_view reply, int* serverIdx, SYSTEMTIME* stamp,
                            std::string* crypted) {
  rapidjson::Document doc;
  if (!ReadReply(reply, &doc, serverIdx)) return false;
  std::string data;
  const auto found = doc.FindMember("crypted_data");
  if (found != doc.MemberEnd() && found->value.IsString())
    data.assign(found->value.GetString(), found->value.GetStringLength());
  SYSTEMTIME when{};
  const auto date = doc.FindMember("mod_date");
  if (date != doc.MemberEnd() && date->value.IsString())
    Str2UniDateTimeA(date->value.GetString(), &when);
  if (stamp) *stamp = when;
  if (crypted) *crypted = std::move(data);
  return true;
}

int UploadCryptedData(CURL* curl, const app_run_setting_s& run, const login_info_s& login,
                      int* serverIdx, const std::string& crypted, const SYSTEMTIME& stamp) {
  if (!login.szUserId[0] || login.nUserIdx < 1) return 0;
  std::string reply;
  const bool answered = PostForm(
      curl, run, login, L"data/crypted_data_up",
      [&](curl_mime* form) {
        CURL_MIMEADD_INT(form, "idx", serverIdx ? *serverIdx : 0);
        CURL_MIMEADD_TEXTA(form, "tit", "Crypted Data");
        CURL_MIMEADD_TEXTA(form, "code", "crypted.data");
        CURL_MIMEADD_TEXTA(form, "crypted", crypted.c_str());
        CURL_MIMEADD_TEXTA(form, "dt", StampText(stamp).c_str());
      },
      &reply);
  return answered && ReadVaultUploadReply(reply, serverIdx) ? 1 : 0;
}

int DownloadCryptedData(CURL* curl, const app_run_setting_s& run, const login_info_s& login,
                        int* serverIdx, SYSTEMTIME* stamp, std::string* crypted) {
  if (!login.szUserId[0] || login.nUserIdx < 1) return 0;
  std::string reply;
  const bool answered = PostForm(
      curl, run, login, L"data/crypted_data_list",
      [](curl_mime* form) { CURL_MIMEADD_TEXTA(form, "code", "crypted.data"); }, &reply);
  return answered && ReadVaultDownloadReply(reply, serverIdx, stamp, crypted) ? 1 : 0;
}
