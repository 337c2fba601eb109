#pragma once
// Small text helpers of the web requests: printf-style formatting into strings, replacing, the
// JSON reply scanning every request shares, and the address check for server-given addresses.

#include <limits>
#include <string>

#include "platform/support/CheckedNumber.h"

struct app_run_setting_s;

// printf formatting into a string (narrow, wide). Output of any length.
std::string FormatA(const char* format, ...);
std::wstring FormatW(const wchar_t* format, ...);

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to);

// The value of a reply key, quoted or bare ("err":0, "token":"abc"); false when absent.
bool ReplyValue(const char* reply, const char* key, std::string* out);
// The value as text; empty when absent.
std::string ReplyText(const char* reply, const char* key);
bool ReplyNumber(const char* reply, const char* key, double* out);

// Numbers from a reply, checked. A key that is absent, empty or null is Absent. A value that is
// not a finite number inside [low, high] (text where a number belongs, 1e99 for an int) is Bad:
// the reply is malformed, *out is untouched and "key:value" is added to *problems (when given)
// for the error the caller reports. Whole numbers are truncated toward zero.
enum class ReplyRead { Absent, Ok, Bad };
// The error code a bad reply reports (as a reply without "err" does).
constexpr int kBadReplyCode = -1;
ReplyRead ReadReplyNumber(const char* reply, const char* key, double low, double high, double* out,
                          std::string* problems);
// Adds "\"key\":text" (the text cut to 40 bytes) to *problems, comma-separated; null: nothing.
void NoteReplyProblem(const char* key, const std::string& text, std::string* problems);
template <typename Int>
ReplyRead ReadReplyWhole(const char* reply, const char* key, Int* out, std::string* problems,
                         Int low = std::numeric_limits<Int>::min(),
                         Int high = std::numeric_limits<Int>::max()) {
  double value = 0;
  const ReplyRead read = ReadReplyNumber(reply, key, static_cast<double>(low),
                                         static_cast<double>(high), &value, problems);
  if (read != ReplyRead::Ok) return read;
  if (NumberToIntIn(value, low, high, out)) return ReplyRead::Ok;
  NoteReplyProblem(key, ReplyText(reply, key), problems);
  return ReplyRead::Bad;
}
// The error text of a bad reply of a web-server script: "Bad reply from the web server
// (<script>): number out of range or malformed: <problems>".
std::string BadReplyText(const char* script, const std::string& problems);
// The whole number of a key, or the default when it is absent or bad (noted in *problems).
int ReplyInt(const char* reply, const char* key, int def, std::string* problems = nullptr);

// A reply that reports an accepted request: HTTP status 200 and an "err" of 0. A reply without
// "err" is not one (a proxy page or a cut reply is never taken as accepted).
bool ReplyAccepted(const char* reply, int httpStatus);

// True when the address starts with "http://" or "https://" (letter case ignored) and has a
// host after it. Addresses that come from the server are opened only then.
bool IsWebAddress(const std::string& url);
bool IsWebAddress(const std::wstring& url);

// Fills a server-given address template: each "%s", "%hs" or "%ls" takes the next value, "%%"
// is one "%"; any other conversion is kept as text and a "%s" without a value becomes empty.
// The template is never handed to printf.
std::string FillAddressTemplate(const std::string& pattern, const std::string& first,
                                const std::string& second = std::string());

// The address of a script of the product's web server (the run settings' base URL and flag).
std::string MakeScriptUrl(const app_run_setting_s& run, const wchar_t* path);
