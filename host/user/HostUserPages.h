#pragma once
// The pieces of the host's user services that need no window: the login-id suffix list, the
// addresses of the product web server's pages (member page, order and event pages), the
// frame's title with the signed-in user, the login dialog's state message and the help file
// that the help command opens.

#include <string>

struct app_run_setting_s;
struct login_info_s;

namespace orv::host {

// The suffix list after a successful login with userId. The suffix is the part of the id from
// "@" on; its entry is "<suffix>;" and the entry of the last used suffix is marked "*<suffix>;".
// The marks of the old list are removed; a listed suffix gets the mark in place, a new one is
// appended marked while the list stays below 25 characters, else it replaces the first entry
// (the list becomes the marked entry followed by the rest). An id without "@" leaves the list
// as it is.
std::wstring UpdateLoginIdSuffixes(const std::wstring& list, const std::wstring& userId);

// "<web-API base>/<b2b>/myinfo" ("member/myinfo" without a b2b text) with the query
// rsp, macid, macid2, b2b, ip, co, agc, uidx, uid, tk, chk4, chk5 in that order. Empty when
// the run settings have no web-API base.
std::string MakeMemberPageUrl(const app_run_setting_s& settings, const login_info_s& login);

// The script path of a server page by its kind: 1 and 2 "order/order_list", 6
// "event/event_list2"; null for any other kind.
const wchar_t* ServerPagePath(int pageKind);

// The address of a server page (order list, event list): the script address of the page's
// path with the query rsp, all, trade_corp, gdp, deployer, macid, macid2, ip, co, uidx, uid,
// agc, b2b, b2buidx, b2buid, tk, gcd, acc_num, chk4, chk5, key, spw in that order. all is 0
// when allValue is 1, else 1; tradeCorp is the request's sub-code; b2b the narrow text the
// module handed (null: empty); gcd and acc_num are accountText (null: empty). Text values are
// URL-encoded. Empty for an unknown page kind or without a web-API base.
std::string MakeServerPageUrl(const app_run_setting_s& settings, const login_info_s& login,
                              int pageKind, int allValue, int tradeCorp, const char* b2b,
                              const wchar_t* accountText);

// The frame's title with the user: "<title> (사용자=<index>/<name>)" with a name,
// "<title> (로그오프)" without one while the index is below 1, else "<title> (사용자=<index>/*)".
std::wstring UserWindowTitle(const std::wstring& appTitle, int userIdx, const wchar_t* userName);

// The state line of the login dialog. A state text other than empty, "로그인" and "로그아웃" is
// shown as given, flagged when stateFlag is 32768; otherwise the public-PC notice
// "공용PC 자동로그인 금지(IP:<ip>/MAC:<mac>)", not flagged.
std::wstring LoginStateMessage(const wchar_t* stateText, int stateFlag, const char* ip,
                               const char* mac, bool* outFlag);

// What the help command opens.
struct HelpTarget {
  std::string path;   // the file that exists, or the last one looked for
  std::string topic;  // "::/<topic>#<anchor>" or "::/<topic>" for the compiled help file
  bool exists = false;
  bool isManual = false;  // the PDF manual named by the run settings' manual path
};
// Without a file name the help file is "<exe folder><exe name>.chm", else "<exe folder><file>".
// When it is missing and the manual path has a file title, "<exe folder><title>.pdf" is tried.
HelpTarget ResolveHelpFile(const std::string& exeFolder, const std::string& exeName,
                           const std::string& file, const std::string& topic,
                           const std::string& anchor, const std::wstring& manualPath);

}  // namespace orv::host
