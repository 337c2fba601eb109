#include "host/user/HostUserPages.h"

#include <filesystem>
#include <string>

#include "platform/support/HttpForm.h"
#include "platform/support/TextConv.h"
#include "shared/AppRunSetting.h"
#include "shared/LoginInfo.h"

namespace orv::host {

namespace {

// The suffix list stays shorter than this many characters while entries are appended.
constexpr size_t kSuffixListLimit = 25;

std::string Enc(const std::string& text) { return StrUrlEncodeA(text); }
std::string Enc(const wchar_t* text) { return StrUrlEncodeA(text ? WideToUtf8(text) : ""); }
std::string Enc(const char* text) { return StrUrlEncodeA(text ? text : ""); }

// Query builder: keys appended in the order they are given.
class Query {
 public:
  explicit Query(std::string base) : text_(std::move(base)) {}
  Query& Add(const char* key, const std::string& encoded) {
    text_ += first_ ? '?' : '&';
    first_ = false;
    text_ += key;
    text_ += '=';
    text_ += encoded;
    return *this;
  }
  Query& Add(const char* key, long long value) { return Add(key, std::to_string(value)); }
  Query& AddU(const char* key, unsigned long long value) { return Add(key, std::to_string(value)); }
  const std::string& Text() const { return text_; }

 private:
  std::string text_;
  bool first_ = true;
};

std::string ScriptUrl(const app_run_setting_s& settings, const std::wstring& path) {
  char url[RUN_URL_LEN * 2] = {};
  StrMakeScriptApiUrl(url, sizeof url, settings.szWebApiBase, path.c_str(), settings.byWebApiFlag);
  return url;
}

}  // namespace

std::wstring UpdateLoginIdSuffixes(const std::wstring& list, const std::wstring& userId) {
  const size_t at = userId.find(L'@');
  if (at == std::wstring::npos) return list;
  const std::wstring suffix = userId.substr(at);
  const std::wstring entry = suffix + L";";
  const std::wstring marked = L"*" + entry;
  // The search is made on the list as it was, marks included.
  const bool listed = list.find(entry) != std::wstring::npos;
  std::wstring plain;
  for (wchar_t ch : list)
    if (ch != L'*') plain += ch;
  if (listed) {
    const size_t pos = plain.find(entry);
    if (pos != std::wstring::npos) plain.replace(pos, entry.size(), marked);
    return plain;
  }
  if (plain.size() + marked.size() < kSuffixListLimit) return plain + marked;
  const size_t firstEnd = plain.find(L';');
  return marked + (firstEnd == std::wstring::npos ? std::wstring() : plain.substr(firstEnd + 1));
}

std::string MakeMemberPageUrl(const app_run_setting_s& settings, const login_info_s& login) {
  const std::wstring b2b = settings.szB2b;
  const std::string script = ScriptUrl(settings, b2b.empty() ? L"member/myinfo" : b2b + L"/myinfo");
  if (script.empty()) return {};
  Query q(script);
  q.Add("rsp", "html")
      .AddU("macid", settings.nMacId)
      .AddU("macid2", settings.nMacId2)
      .Add("b2b", Enc(b2b.c_str()))
      .Add("ip", Enc(settings.szIp))
      .Add("co", login.nCompanyIdx)
      .Add("agc", login.nAgencyIdx)
      .Add("uidx", login.nUserIdx)
      .Add("uid", Enc(login.szUserId))
      .Add("tk", Enc(login.szToken))
      .Add("chk4", Enc(login.szCheck2))
      .Add("chk5", Enc(login.szCheck3));
  return q.Text();
}

const wchar_t* ServerPagePath(int pageKind) {
  switch (pageKind) {
    case 1:
    case 2:
      return L"order/order_list";
    case 6:
      return L"event/event_list2";
    default:
      return nullptr;
  }
}

std::string MakeServerPageUrl(const app_run_setting_s& settings, const login_info_s& login,
                              int pageKind, int allValue, int tradeCorp, const char* b2b,
                              const wchar_t* accountText) {
  const wchar_t* path = ServerPagePath(pageKind);
  if (path == nullptr) return {};
  const std::string script = ScriptUrl(settings, path);
  if (script.empty()) return {};
  const std::string account = Enc(accountText);
  Query q(script);
  q.Add("rsp", "html")
      .Add("all", allValue == 1 ? 0 : 1)
      .Add("trade_corp", tradeCorp)
      .Add("gdp", settings.nGdp)
      .Add("deployer", settings.nDeployer)
      .AddU("macid", settings.nMacId)
      .AddU("macid2", settings.nMacId2)
      .Add("ip", Enc(settings.szIp))
      .Add("co", login.nCompanyIdx)
      .Add("uidx", login.nUserIdx)
      .Add("uid", Enc(login.szUserId))
      .Add("agc", login.nAgencyIdx)
      .Add("b2b", Enc(b2b))
      .Add("b2buidx", settings.nWebApiUserIdx)
      .Add("b2buid", Enc(settings.szWebApiUserId))
      .Add("tk", Enc(login.szToken))
      .Add("gcd", account)
      .Add("acc_num", account)
      .Add("chk4", Enc(login.szCheck2))
      .Add("chk5", Enc(login.szCheck3))
      .Add("key", Enc(settings.szWebApiKey))
      .Add("spw", Enc(login.szToken2));
  return q.Text();
}

std::wstring UserWindowTitle(const std::wstring& appTitle, int userIdx, const wchar_t* userName) {
  if (userName != nullptr && userName[0] != L'\0')
    return appTitle + L" (사용자=" + std::to_wstring(userIdx) + L"/" + userName + L")";
  if (userIdx < 1) return appTitle + L" (로그오프)";
  return appTitle + L" (사용자=" + std::to_wstring(userIdx) + L"/*)";
}

std::wstring LoginStateMessage(const wchar_t* stateText, int stateFlag, const char* ip,
                               const char* mac, bool* outFlag) {
  const std::wstring text = stateText ? stateText : L"";
  if (!text.empty() && text != L"로그인" && text != L"로그아웃") {
    if (outFlag) *outFlag = stateFlag == 32768;
    return text;
  }
  if (outFlag) *outFlag = false;
  return L"공용PC 자동로그인 금지(IP:" + Utf8ToWide(ip ? ip : "") + L"/MAC:" +
         Utf8ToWide(mac ? mac : "") + L")";
}

HelpTarget ResolveHelpFile(const std::string& exeFolder, const std::string& exeName,
                           const std::string& file, const std::string& topic,
                           const std::string& anchor, const std::wstring& manualPath) {
  namespace fs = std::filesystem;
  HelpTarget target;
  target.path = file.empty() ? exeFolder + exeName + ".chm" : exeFolder + file;
  std::error_code ec;
  if (fs::is_regular_file(target.path, ec)) {
    target.exists = true;
    if (!topic.empty())
      target.topic = anchor.empty() ? "::/" + topic : "::/" + topic + "#" + anchor;
    return target;
  }
  const std::string title = fs::path(WideToUtf8(manualPath)).stem().string();
  if (title.empty()) return target;
  target.path = exeFolder + title + ".pdf";
  target.isManual = true;
  target.exists = fs::is_regular_file(target.path, ec);
  return target;
}

}  // namespace orv::host
