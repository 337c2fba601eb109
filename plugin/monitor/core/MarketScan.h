#pragma once
// The monitoring view's whole-market scan: one pass runs every listed domestic stock of the
// engine's master list through the loaded signal module, keeps the stocks the module flags,
// orders them by score and hands the result on.
//
// The master list is read only under the engine's view lock, and only to copy what a pass
// needs; the module is called on the copies with no lock of the engine held. Scores the module
// left are written back to the master records under the lock, found again by code (a record
// freed in between is simply not found). Progress and the found rows leave the pass as copies
// through the hooks, which hand them to the window's thread.

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/win/WinTypes.h"
#include "shared/SignalModuleApi.h"

class CPelomarEngine;
struct Stock_s;

// The copy of a master stock that a pass works on and a grid row is made from.
struct ScanStock_s {
  uint8_t market = 0;
  char marketLetter = 0;
  std::wstring code;
  std::wstring name;
  uint8_t flagByte = 0;
  double curPrice = 0;
  double openPrice = 0;
  double highPrice = 0;
  double lowPrice = 0;
  double changeRate = 0;
  int32_t dayCount = 0;
  int32_t minuteCount = 0;
  double dayClose = 0;     // the newest day close, 0 without day candles
  double minuteClose = 0;  // the newest minute close, 0 without minute candles
  double signalScore = 0;
  double signalScorePrev = 0;
  double secondaryScore = 0;
  double secondaryScorePrev = 0;
  int resultCode = 0;      // the module's answer for the stock
};

// Market letters of the two domestic markets the scan covers.
bool IsScannedMarket(char marketLetter);
// a before b: the greater signal score first, then the greater secondary score.
bool CompareFoundStocks(const ScanStock_s& a, const ScanStock_s& b);

// Positions of the values handed to the module's trade-signal call.
enum ScanParam {
  kScanParamFlagByte = 0,
  kScanParamChangeRate = 1,
  kScanParamCurPrice = 2,
  kScanParamOpen = 3,
  kScanParamHigh = 4,
  kScanParamLow = 5,
  kScanParamDayCount = 6,
  kScanParamDayClose = 7,
  kScanParamMinuteCount = 8,
  kScanParamMinuteClose = 9,
  kScanParamPerOrder = 10,      // the configuration's per-order amount (won)
  kScanParamCheckInterval = 11, // the configuration's check interval (ms)
  kScanParamElapsed = 12,       // ms since the stock's last check (0 on the first)
  kScanParamSixty = 13,         // the fixed count 60
  kScanParamResultCount = 14,   // the view's result count
  kScanParamTime = 15,          // local time as hhmmss.mmm
  kScanParamScorePrev = 16,
  kScanParamSecondaryPrev = 17,
};

// "%d/%d:%d: %s/%s" (scanned, total, result code, name, code).
std::wstring ScanProgressText(int scanned, int total, int resultCode, const std::wstring& name,
                              const std::wstring& code);
// "%.1fs/%d" (duration in seconds, pass count).
std::wstring ScanElapsedText(DWORD durationMs, int passCount);

struct ScanProgress_s {
  int scanned = 0;
  int total = 0;
  std::wstring text;
};

// What one pass found, in grid order, with the label texts.
struct ScanPassResult_s {
  std::vector<ScanStock_s> found;
  int scanned = 0;
  int total = 0;
  int passCount = 0;
  DWORD durationMs = 0;
  std::wstring elapsedText;
  bool complete = false;  // false when the pass stopped early
};

class CMarketScan {
 public:
  // The whole-market scan mode.
  static constexpr int kScanMode = 8;
  // The pause after each stock.
  static constexpr DWORD kStockPauseMs = 20;

  struct Hooks {
    // The master list's domestic and other stocks, copied under the engine's lock.
    std::function<std::vector<ScanStock_s>()> readMaster;
    // The module's trade signal (-1 without a module); answers and leaves the score in *out.
    std::function<int(int kind, bool flag, const double (&params)[kSignalParamCount],
                      double* out)>
        signal;
    // The scores of a finished stock written back to its master record.
    std::function<void(const ScanStock_s&)> storeScores;
    // Whether the pass may go on (scan switch, host and thread running).
    std::function<bool()> going;
    // Waits up to ms; false when the wait was ended by a stop.
    std::function<bool(DWORD ms)> pause;
    // Progress and the finished pass, both called on the scanning thread with copies.
    std::function<void(const ScanProgress_s&)> progress;
    std::function<void(const ScanPassResult_s&)> finished;
    // The configuration's values a module call carries.
    std::function<void(double* perOrder, double* checkIntervalMs)> settings;
    std::function<DWORD()> tick;
  };

  explicit CMarketScan(Hooks hooks);

  // One pass in `mode` (only kScanMode runs the stocks; any other mode hands on an empty
  // result, which redraws the grid). `resultCount` is handed to the module.
  ScanPassResult_s ScanMarket(int mode, int resultCount = 0);
  int PassCount() const { return m_passCount; }

  // The copies of the engine's master list (under its view lock) and the write-back of the
  // scores, as the running program wires them.
  static std::vector<ScanStock_s> CopyMaster(CPelomarEngine& engine);
  static void StoreScores(CPelomarEngine& engine, const ScanStock_s& stock);
  static ScanStock_s CopyStock(const Stock_s& stock);

 private:
  Hooks m_hooks;
  int m_passCount = 0;
  // The tick of each stock's last check (by code).
  std::map<std::wstring, DWORD> m_lastCheck;
};

// The hand-over from the scanning thread to the window's thread: the newest progress and the
// newest finished pass, each replaced by a newer one until the window takes it.
class CScanMailbox {
 public:
  void PutProgress(ScanProgress_s progress);
  bool TakeProgress(ScanProgress_s* out);
  void PutPass(ScanPassResult_s pass);
  bool TakePass(ScanPassResult_s* out);

 private:
  std::mutex m_mutex;
  bool m_hasProgress = false;
  bool m_hasPass = false;
  ScanProgress_s m_progress;
  ScanPassResult_s m_pass;
};
