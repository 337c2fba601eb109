#pragma once
// The login fields that begin most forms sent to the product's web server, and the script
// address that carries the user's token by itself.
//
// GfxHttpFillLoginDataMimePtr adds, in this order: "co" (company index), "agc" (agency
// value), "uidx" (user index), "tk" (user token), "uid2" and "chk4" (id in base64), "chk5"
// (id check), "key" (id key) of the login record. Each optional argument below 0 (or the
// third at 0) keeps its default, which is every part of that list.
//
// GfxFillUserDataToHttpForm adds "rsp" (the response kind, "json" when null), "b2b" (the run
// settings' b2b text, "stock" when empty), "gdp", "deployer", "apk" (the application id), then
// the login fields above, then the extra text as "ext" when one is given.

#include <curl/curl.h>

#include <cstddef>
#include <string>

struct app_run_setting_s;
struct login_info_s;

// Answers the number of parts added; 0 without a form or a login record.
int GfxHttpFillLoginDataMimePtr(curl_mime* form, const login_info_s* login, int opt1 = -1,
                                int opt2 = -1, int opt3 = 0, int opt4 = -1, int opt5 = -1,
                                int opt6 = -1, int opt7 = -1, int opt8 = -1);
int GfxFillUserDataToHttpForm(curl_mime* form, const app_run_setting_s* run,
                              const login_info_s* login, const char* extra, const char* rsp);

// The script address with the user's identity: "<script URL>?b2b=<b2b>&rsp=<kind>&co=<company>
// &uidx=<user index>&tk=<token>&uid2=<escaped id>" followed by the extra query as it is, and
// "&num=<number>" when the number is not 0. The narrow work buffer (may be null) receives the
// same address. Answers the wide length, 0 (out empty) when the base URL is missing or the
// address does not fit.
int GfxGetWebApiUrlByUserToken(wchar_t* out, size_t outLen, char* work, size_t workSize,
                               const app_run_setting_s* run, const login_info_s* login,
                               const wchar_t* scriptPath, int number, const char* extraQuery,
                               const char* responseKind, const char* b2b);
