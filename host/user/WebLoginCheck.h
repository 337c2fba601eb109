#pragma once
// The host's own web login: the check of a user id and password against the product's web
// server, used by the login dialog when no module supplies a login of its own.
//
// Request: a multipart POST to "<web-API base>/<b2b>/login_check" ("member/login_check"
// without a b2b text), user agent "VARQO-PC-AGENT-TOOL-by HTTP", with these parts in order:
//   rsp    "json"                       kind   login kind (decimal)
//   uid    user id (UTF-8)              upw    password (UTF-8; TLS carries it)
//   agc    agency index                 utype  user type
//   co     company index                app    application id (UTF-8)
//   inst   instance name (UTF-8)        chk1, chk2, chk3  the login record's check texts
//   macid, macid2  the PC's MAC ids     ip     the PC's IP text
// Reply: a JSON object
//   {"err": 0, "errmsg": "", "uidx": 7, "agc": 2, "uname": "kim", "tk": "<token>",
//    "tk2": "<second token>", "lvl": 40}
// The login succeeded when the transfer ended with HTTP 200, the reply parses, "err" is 0 (or
// absent) and "uidx" is above 0. Then the login record gets the user index, the server's
// agency, the user id as entered, the name, both tokens, the level and the login flag.
// Otherwise the record is left without a user index and the message says why: the server's
// "errmsg", or the transfer or reply failure.

#include <curl/curl.h>

#include <string>

struct app_run_setting_s;
struct login_info_s;

namespace orv::host {

constexpr const char* kWebLoginUserAgent = "VARQO-PC-AGENT-TOOL-by HTTP";
constexpr int kWebLoginTimeoutMs = 15000;

struct WebLoginRequest {
  int loginKind = 0;
  std::wstring userId;
  std::wstring password;
  int agency = 0;
  int userType = 0;
};

// Runs the check on curl (null: a handle of its own). Returns the user index the server gave
// (above 0) or 0; outMessage (may be null) gets the server's or the failure's text.
int GfxLoginIdAndPasswordCheck(CURL* curl, const app_run_setting_s& settings, login_info_s& login,
                               const WebLoginRequest& request, std::wstring* outMessage);

}  // namespace orv::host
