// A signal module for the tests, built as "QLX_<name>.so". It writes one line per call into
// "signal_calls.txt" in the log folder it is given, so a test sees what was called and in
// which order. Its buy signal: 1 when the price is above the last middle line of the day
// envelope it was handed; the score is the price / 1000 and the second value the day
// envelope's result. Its trade signal: the kind code x 100 + the first parameter.

#include <cstdio>
#include <cwchar>
#include <string>

#include "shared/SignalModuleApi.h"

#ifndef QLX_MODULE_NAME
#define QLX_MODULE_NAME "test"
#endif

#define QLX_EXPORT extern "C" __attribute__((visibility("default")))

namespace {
std::string g_logFolder;

void Note(const std::string& line) {
  if (g_logFolder.empty()) return;
  FILE* f = std::fopen((g_logFolder + "signal_calls.txt").c_str(), "a");
  if (!f) return;
  std::fprintf(f, "%s %s\n", QLX_MODULE_NAME, line.c_str());
  std::fclose(f);
}

std::string Narrow(const wchar_t* text) {
  std::string out;
  for (; text && *text; ++text) out += static_cast<char>(*text < 128 ? *text : '?');
  return out;
}
}  // namespace

QLX_EXPORT int VARQO_STK_SetDirs(const wchar_t* programFolder, const wchar_t* logFolder) {
  g_logFolder = Narrow(logFolder);
  Note("SetDirs " + Narrow(programFolder));
  return 1;
}

QLX_EXPORT int VARQO_STK_GetModuleInfo(wchar_t* title, int64_t* value1, wchar_t* version,
                                       int64_t* value2, int64_t* viewValue, wchar_t* description,
                                       wchar_t* text1, wchar_t* text2, int64_t* viewValue2) {
  std::swprintf(title, kSignalTitleLen, L"%s title", QLX_MODULE_NAME);
  std::swprintf(version, kSignalVersionLen, L"1.2");
  std::swprintf(description, kSignalDescriptionLen, L"%s signals", QLX_MODULE_NAME);
  *value1 = *value2 = *viewValue = *viewValue2 = 0;
  text1[0] = text2[0] = 0;
  Note("GetModuleInfo");
  return 1;
}

#ifndef QLX_NO_SIGNALS
QLX_EXPORT int VARQO_STK_CalcBuySignal(int position, int one, const wchar_t* code,
                                       const wchar_t* name, const SignalOptions_s* options,
                                       const SignalAnalysis_s* analysis, double curPrice,
                                       double price2, double price3, double zero1, double zero2,
                                       uint8_t autoBuyFlag, void* work, int* outSignal,
                                       double* outScore, double* outSecond, double* outFurther) {
  const SignalSeries_s& day = analysis->day;
  const bool above = day.count > 0 && day.env_middle && curPrice > day.env_middle[day.count - 1];
  *outSignal = above ? 1 : 0;
  *outScore = curPrice / 1000;
  *outSecond = day.env_result;
  *outFurther = 0;
  Note("CalcBuySignal " + Narrow(code) + " " + std::to_string(position) + " period " +
       std::to_string(options->env_day_period));
  return *outSignal;
}

QLX_EXPORT int VARQO_STK_CalcTradeSignal(int kind, int kindCode, const SignalOptions_s* options,
                                         const double* params, double* outResult) {
  *outResult = params[1];
  Note("CalcTradeSignal " + std::to_string(kind) + " " + std::to_string(kindCode));
  return kindCode * 100 + static_cast<int>(params[0]);
}
#endif

QLX_EXPORT int VARQO_STK_ModuleClose() {
  Note("ModuleClose");
  return 0;
}
