#pragma once
// The calling convention of signal modules: shared libraries named "QLX_<name>.so" in the
// program's "PlugIn" folder that compute buy and trade signals. The trading view loads one at
// a time and resolves the five entry points below by name; a module exports them with C
// linkage. Wide texts are wchar_t, as everywhere in the program.

#include <cstdint>

// Lengths (in wide characters, terminator included) of the texts the information call fills.
constexpr int kSignalTitleLen = 50;
constexpr int kSignalVersionLen = 48;
constexpr int kSignalDescriptionLen = 50;
constexpr int kSignalTextLen = 48;
// Number of parameter values handed to the trade-signal call.
constexpr int kSignalParamCount = 20;

// The option block the view hands to every signal call (the trading options that matter to a
// module).
struct SignalOptions_s {
  int32_t env_day_period = 5;
  double env_day_width = 5.0;
  int32_t env_minute_period = 5;
  double env_minute_width = 0.8;
  int32_t min_detect_gap_ms = 20000;
};

// One candle series of a stock with its envelope lines, as the buy-signal call sees it. The
// arrays hold `count` values, oldest first; the envelope arrays may be null when no envelope
// was computed.
struct SignalSeries_s {
  const double* close = nullptr;
  const double* env_upper = nullptr;
  const double* env_middle = nullptr;
  const double* env_lower = nullptr;
  int32_t count = 0;
  int32_t env_result = 0;  // the envelope calculation's result
};

// The analysis block: a stock's price data copied for one buy-signal call.
struct SignalAnalysis_s {
  SignalSeries_s day;
  SignalSeries_s minute;
  double cur_price = 0;
  double open_price = 0;
  double high_price = 0;
  double low_price = 0;
  double change_rate = 0;
};

extern "C" {
// (program folder, log folder): called once right after loading.
typedef int (*VarqoSetDirsFn)(const wchar_t* programFolder, const wchar_t* logFolder);
// (title, value, version, value, view value, description, text, text, view value): called
// once after the folders; every buffer is zeroed by the caller.
typedef int (*VarqoGetModuleInfoFn)(wchar_t* title, int64_t* value1, wchar_t* version,
                                    int64_t* value2, int64_t* viewValue, wchar_t* description,
                                    wchar_t* text1, wchar_t* text2, int64_t* viewValue2);
// (position in the pass, 1, code, name, options, analysis, current price, two further prices,
// two zero values, auto-buy flag, work block, out signal, out score, out second value, out
// further value): answers the signal (1: buy).
typedef int (*VarqoCalcBuySignalFn)(int position, int one, const wchar_t* code,
                                    const wchar_t* name, const SignalOptions_s* options,
                                    const SignalAnalysis_s* analysis, double curPrice,
                                    double price2, double price3, double zero1, double zero2,
                                    uint8_t autoBuyFlag, void* work, int* outSignal,
                                    double* outScore, double* outSecond, double* outFurther);
// (kind, kind code, options, twenty parameter values, out result): answers the trade signal.
typedef int (*VarqoCalcTradeSignalFn)(int kind, int kindCode, const SignalOptions_s* options,
                                      const double* params, double* outResult);
// Asks the module to release what it holds; called before the library is freed.
typedef int (*VarqoModuleCloseFn)();
}
