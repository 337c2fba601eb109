#include "plugin/view/engine/SignalModules.h"

#include <dirent.h>
#include <dlfcn.h>
#include <sys/stat.h>

#include <algorithm>
#include <cwchar>
#include <mutex>
#include <vector>

#include "platform/support/TextConv.h"

namespace {
constexpr char kModulePrefix[] = "QLX_";
constexpr size_t kModulePrefixLen = sizeof kModulePrefix - 1;
constexpr char kModuleExtension[] = ".so";

bool IsRegularFile(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

template <class Fn>
Fn Resolve(void* handle, const char* name) {
  return reinterpret_cast<Fn>(dlsym(handle, name));
}
}  // namespace

CSignalModules::~CSignalModules() {
  std::unique_lock lock(m_lock);
  UnloadUnderLock();
}

void CSignalModules::SetFolders(const std::wstring& programFolder, const std::wstring& logFolder) {
  std::unique_lock lock(m_lock);
  m_programFolder = programFolder;
  m_logFolder = logFolder;
}

std::wstring CSignalModules::ModulePath(const std::wstring& name) const {
  return m_programFolder + L"PlugIn/" + Utf8ToWide(kModulePrefix) + name +
         Utf8ToWide(kModuleExtension);
}

int CSignalModules::ScanSignalModules(std::wstring* outList, std::wstring* outFirst) const {
  if (!outFirst) return 0;
  outFirst->clear();
  if (outList) outList->clear();
  const std::string folder = WideToUtf8(m_programFolder) + "PlugIn/";
  DIR* dir = opendir(folder.c_str());
  if (!dir) return 0;
  // The folder's order is the file system's; sorting makes "the first module" the same on
  // every start.
  std::vector<std::string> files;
  while (dirent* entry = readdir(dir)) {
    const std::string file = entry->d_name;
    if (file == "." || file == "..") continue;
    if (file.compare(0, kModulePrefixLen, kModulePrefix) != 0) continue;
    const size_t extLen = sizeof kModuleExtension - 1;
    if (file.size() < kModulePrefixLen + extLen ||
        file.compare(file.size() - extLen, extLen, kModuleExtension) != 0)
      continue;
    if (!IsRegularFile(folder + file)) continue;
    files.push_back(file);
  }
  closedir(dir);
  std::sort(files.begin(), files.end());
  bool first = true;
  for (const std::string& file : files) {
    std::string name = file.substr(kModulePrefixLen);
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos) name.erase(dot);
    const std::wstring wide = Utf8ToWide(name);
    if (first) *outFirst = wide;
    first = false;
    if (outList) *outList += wide + L";";
  }
  return 0;
}

void CSignalModules::SelectSignalModule(const wchar_t* name) {
  std::wstring chosen = name ? name : L"";
  // The folder's list is read every time: the windows that offer the modules show it with the
  // chosen one selected, also when the stored module is found at once.
  std::wstring list, first;
  ScanSignalModules(&list, &first);
  if (chosen.empty() || !IsRegularFile(WideToUtf8(ModulePath(chosen)))) chosen = first;
  int selected = 0;
  for (size_t start = 0, index = 0; start < list.size(); ++index) {
    const size_t end = list.find(L';', start);
    if (list.compare(start, end - start, chosen) == 0) {
      selected = static_cast<int>(index);
      break;
    }
    start = end + 1;
  }
  std::unique_lock lock(m_lock);
  m_list = list;
  m_selected = selected;
  m_name = chosen;
  // Without any module there is nothing to load, but a loaded one still goes.
  if (chosen.empty()) {
    UnloadUnderLock();
    return;
  }
  LoadUnderLock(ModulePath(chosen));
}

bool CSignalModules::SelectSignalModuleByIndex(int index) {
  std::unique_lock lock(m_lock);
  if (index < 0) return false;
  size_t start = 0;
  for (int i = 0; i < index; ++i) {
    const size_t end = m_list.find(L';', start);
    if (end == std::wstring::npos) return false;
    start = end + 1;
  }
  const size_t end = m_list.find(L';', start);
  if (end == std::wstring::npos) return false;
  m_selected = index;
  m_name = m_list.substr(start, end - start);
  return LoadUnderLock(ModulePath(m_name));
}

bool CSignalModules::LoadSignalModule(const wchar_t* path) {
  std::unique_lock lock(m_lock);
  if (!path) {
    UnloadUnderLock();
    m_title.clear();
    m_description.clear();
    return false;
  }
  return LoadUnderLock(path);
}

void CSignalModules::UnloadSignalModule() {
  std::unique_lock lock(m_lock);
  UnloadUnderLock();
}

bool CSignalModules::LoadUnderLock(const std::wstring& path) {
  UnloadUnderLock();
  m_title.clear();
  m_description.clear();
  m_caption.clear();
  m_handle = dlopen(WideToUtf8(path).c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!m_handle) return false;
  m_calcBuySignal = Resolve<VarqoCalcBuySignalFn>(m_handle, "VARQO_STK_CalcBuySignal");
  m_calcTradeSignal = Resolve<VarqoCalcTradeSignalFn>(m_handle, "VARQO_STK_CalcTradeSignal");
  m_setDirs = Resolve<VarqoSetDirsFn>(m_handle, "VARQO_STK_SetDirs");
  m_getModuleInfo = Resolve<VarqoGetModuleInfoFn>(m_handle, "VARQO_STK_GetModuleInfo");
  m_moduleClose = Resolve<VarqoModuleCloseFn>(m_handle, "VARQO_STK_ModuleClose");
  if (m_setDirs) m_setDirs(m_programFolder.c_str(), m_logFolder.c_str());
  if (m_getModuleInfo) {
    wchar_t title[kSignalTitleLen]{};
    wchar_t version[kSignalVersionLen]{};
    wchar_t description[kSignalDescriptionLen]{};
    wchar_t text1[kSignalTextLen]{};
    wchar_t text2[kSignalTextLen]{};
    int64_t value1 = 0;
    int64_t value2 = 0;
    m_getModuleInfo(title, &value1, version, &value2, &m_infoValue, description, text1, text2,
                    &m_infoValue2);
    // A module that fills a buffer to its end leaves no terminator: cut it there.
    title[kSignalTitleLen - 1] = 0;
    version[kSignalVersionLen - 1] = 0;
    description[kSignalDescriptionLen - 1] = 0;
    m_title = title;
    m_description = description;
    m_caption = m_title + L"(" + version + L") - " + m_description;
  }
  return true;
}

void CSignalModules::UnloadUnderLock() {
  if (!m_handle) return;
  if (m_moduleClose) m_moduleClose();
  dlclose(m_handle);
  m_handle = nullptr;
  m_calcBuySignal = nullptr;
  m_calcTradeSignal = nullptr;
  m_setDirs = nullptr;
  m_getModuleInfo = nullptr;
  m_moduleClose = nullptr;
}

bool CSignalModules::CalcBuySignal(int position, const wchar_t* code, const wchar_t* name,
                                   const SignalOptions_s& options,
                                   const SignalAnalysis_s& analysis, double curPrice,
                                   double price2, double price3, uint8_t autoBuyFlag,
                                   int* outSignal, double* outScore, double* outSecond) {
  std::shared_lock lock(m_lock);
  if (!m_handle || !m_calcBuySignal) return false;
  unsigned char work[256]{};
  int signal = 0;
  double score = 0;
  double second = 0;
  double further = 0;
  const int result = m_calcBuySignal(position, 1, code, name, &options, &analysis, curPrice,
                                     price2, price3, 0, 0, autoBuyFlag, work, &signal, &score,
                                     &second, &further);
  // The call's answer and its signal slot say the same; a module may fill either.
  if (outSignal) *outSignal = signal != 0 ? signal : result;
  if (outScore) *outScore = score;
  if (outSecond) *outSecond = second;
  return true;
}

int CSignalModules::TradeSignalKindCode(int kind, bool flag) {
  int code = kind == 8 ? (flag ? 12 : 4) : (flag ? 8 : 0);
  if (kind == 7) code += 1;
  return code;
}

int CSignalModules::CalcTradeSignal(int kind, bool flag, const SignalOptions_s& options,
                                    const double (&params)[kSignalParamCount],
                                    double* outResult) {
  std::shared_lock lock(m_lock);
  if (!m_handle || !m_calcTradeSignal) return -1;
  double result = 0;
  const int answer =
      m_calcTradeSignal(kind, TradeSignalKindCode(kind, flag), &options, params, &result);
  if (outResult) *outResult = result;
  return answer;
}

bool CSignalModules::Loaded() const {
  std::shared_lock lock(m_lock);
  return m_handle != nullptr;
}
bool CSignalModules::HasBuySignal() const {
  std::shared_lock lock(m_lock);
  return m_handle != nullptr && m_calcBuySignal != nullptr;
}
std::wstring CSignalModules::ModuleName() const {
  std::shared_lock lock(m_lock);
  return m_name;
}
std::wstring CSignalModules::ModuleList() const {
  std::shared_lock lock(m_lock);
  return m_list;
}
int CSignalModules::SelectedIndex() const {
  std::shared_lock lock(m_lock);
  return m_selected;
}
std::wstring CSignalModules::Caption() const {
  std::shared_lock lock(m_lock);
  return m_caption;
}
std::wstring CSignalModules::Title() const {
  std::shared_lock lock(m_lock);
  return m_title;
}
std::wstring CSignalModules::Description() const {
  std::shared_lock lock(m_lock);
  return m_description;
}
