#pragma once
// The signal-module loader: finds the "QLX_<name>.so" libraries in the program's "PlugIn"
// folder, loads one at a time, resolves its five entry points and answers the signal calls.
//
// Entry points are called while a shared lock is held; loading and unloading take the lock
// exclusively, so a library is never freed while a worker is inside one of its calls.

#include <cstdint>
#include <shared_mutex>
#include <string>

#include "shared/SignalModuleApi.h"

class CSignalModules {
 public:
  CSignalModules() = default;
  ~CSignalModules();
  CSignalModules(const CSignalModules&) = delete;
  CSignalModules& operator=(const CSignalModules&) = delete;

  // The program folder (ending in "/"), whose "PlugIn" folder holds the modules, and the log
  // folder handed to a module when it is loaded.
  void SetFolders(const std::wstring& programFolder, const std::wstring& logFolder);

  // Lists the modules of the folder: *outList (may be null) takes every name followed by ';',
  // *outFirst the first name; both are cleared first. Directories are skipped. Without
  // outFirst nothing is done. Answers 0.
  int ScanSignalModules(std::wstring* outList, std::wstring* outFirst) const;
  // Takes `name` when its file exists; otherwise scans, takes the first module found (empty
  // when none) and resets the selected index to 0. Stores the name and loads its file.
  void SelectSignalModule(const wchar_t* name);
  // Loads the index-th entry of the module list; answers whether a library is loaded.
  bool SelectSignalModuleByIndex(int index);
  // Unloads the current module, then loads the library at `path` (null: none) and resolves its
  // entry points; answers whether it loaded.
  bool LoadSignalModule(const wchar_t* path);
  // Frees a loaded library and clears its handle and every entry point.
  void UnloadSignalModule();

  // "<program folder>PlugIn/QLX_<name>.so".
  std::wstring ModulePath(const std::wstring& name) const;

  // The buy-signal call, false (outputs untouched) without a module or that entry point.
  bool CalcBuySignal(int position, const wchar_t* code, const wchar_t* name,
                     const SignalOptions_s& options, const SignalAnalysis_s& analysis,
                     double curPrice, double price2, double price3, uint8_t autoBuyFlag,
                     int* outSignal, double* outScore, double* outSecond);
  // The trade-signal call: -1 without a module or that entry point. The kind code handed to
  // the module is 12 or 4 for kind 8 (flag set or not), 8 or 0 for other kinds, plus 1 for
  // kind 7.
  int CalcTradeSignal(int kind, bool flag, const SignalOptions_s& options,
                      const double (&params)[kSignalParamCount], double* outResult);
  static int TradeSignalKindCode(int kind, bool flag);

  bool Loaded() const;
  bool HasBuySignal() const;
  std::wstring ModuleName() const;
  std::wstring ModuleList() const;
  int SelectedIndex() const;
  // "<title>(<version>) - <description>" from the module's information call.
  std::wstring Caption() const;
  std::wstring Title() const;
  std::wstring Description() const;

 private:
  bool LoadUnderLock(const std::wstring& path);
  void UnloadUnderLock();

  mutable std::shared_mutex m_lock;
  std::wstring m_programFolder;
  std::wstring m_logFolder;
  std::wstring m_list;
  int m_selected = 0;
  std::wstring m_name;
  void* m_handle = nullptr;
  VarqoCalcBuySignalFn m_calcBuySignal = nullptr;
  VarqoCalcTradeSignalFn m_calcTradeSignal = nullptr;
  VarqoSetDirsFn m_setDirs = nullptr;
  VarqoGetModuleInfoFn m_getModuleInfo = nullptr;
  VarqoModuleCloseFn m_moduleClose = nullptr;
  std::wstring m_title;
  std::wstring m_description;
  std::wstring m_caption;
  int64_t m_infoValue = 0;
  int64_t m_infoValue2 = 0;
};
