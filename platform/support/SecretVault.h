#pragma once
// The credential vault's copy on the product's web server: the encrypted table is uploaded to
// "data/crypted_data_up" and fetched back from "data/crypted_data_list" (multipart posts with
// the user's login fields). The server keeps one copy per user under the code "crypted.data"
// and answers its index ("idx"), which every later upload sends back.

#include <curl/curl.h>

#include <string>
#include <string_view>

#include "platform/win/WinTypes.h"

struct app_run_setting_s;
struct login_info_s;

constexpr int kVaultTimeoutMs = 10000;
extern const char kVaultUserAgent[];

// An upload reply: success only when it carries "err" and that is 0 (a reply without "err",
// or one that is not JSON, is a failure). "idx", when present, goes to *serverIdx.
bool ReadVaultUploadReply(std::string_view reply, int* serverIdx);
// A download reply: false as above; on success the time stamp ("mod_date") and the encrypted
// data ("crypted_data"; empty when the server keeps none) are written.
bool ReadVaultDownloadReply(std::string_view reply, int* serverIdx, SYSTEMTIME* stamp,
                            std::string* crypted);

// Uploads the encrypted table with its time stamp; needs a user id and a user index of at
// least 1. 1 when the server stored it, 0 otherwise. curl may be null (a handle of its own).
int UploadCryptedData(CURL* curl, const app_run_setting_s& run, const login_info_s& login,
                      int* serverIdx, const std::string& crypted, const SYSTEMTIME& stamp);
// Downloads the user's encrypted table: 1 with the data (possibly empty) and its time stamp,
// 0 when the request or its reply failed.
int DownloadCryptedData(CURL* curl, const app_run_setting_s& run, const login_info_s& login,
                        int* serverIdx, SYSTEMTIME* stamp, std::string* crypted);
