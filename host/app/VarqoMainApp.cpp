#include "host/app/VarqoMainApp.h"

#include <curl/curl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <filesystem>
#include <string>

#include "host/app/ZipFiles.h"
#include "platform/support/HttpForm.h"
#include "platform/support/DatabaseCheck.h"
#include "platform/win/CrashReport.h"
#include "platform/support/Utf8Text.h"
#include "platform/win/KnownFolders.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Registry.h"

const char kCompanyKey[] = "Vurorivide";
const char kSettingsFileName[] = "Orvella.ini";
const char kSettingsSection[] = "Settings";

using orv::support::Utf8ToWide;
using orv::support::WideToUtf8;

namespace {

constexpr char kCatalogueName[] = "app-settings";
constexpr char kShippedCatalogueName[] = "app-settings-rede2-app.db";
// Application flags: bit 5 keeps the program to one running instance.
constexpr uint32_t kAppFlagSingleInstance = 1u << 5;

int ReadInt(const char* key, int current) {
  return orv::win::GetProfileInt(kSettingsSection, key, current);
}

uint8_t ReadByte(const char* key, uint8_t current) {
  return static_cast<uint8_t>(ReadInt(key, current));
}

template <size_t N>
void SetWide(wchar_t (&field)[N], const std::string& text) {
  const std::wstring w = Utf8ToWide(text);
  const size_t n = w.size() < N - 1 ? w.size() : N - 1;
  std::wmemcpy(field, w.data(), n);
  field[n] = L'\0';
}

std::string Narrow(const wchar_t* text) { return WideToUtf8(text); }

std::string Format(const char* format, const std::string& a, const std::string& b, int n = 0) {
  const int size = std::snprintf(nullptr, 0, format, a.c_str(), b.c_str(), n);
  std::string out(static_cast<size_t>(size) + 1, '\0');
  std::snprintf(out.data(), out.size(), format, a.c_str(), b.c_str(), n);
  out.resize(static_cast<size_t>(size));
  return out;
}

}  // namespace

CVarqoMainApp::CVarqoMainApp(const std::string& exePath)
    : m_appData(std::make_unique<orv::host::AppDataBlock>()) {
  m_runSettings.dwSaverIdleMs = 300000;
  m_runSettings.byCustomSaverOn = 0;
  m_runSettings.byHibernateOff = 1;
  m_runSettings.byConsoleOn = 0;
  m_runSettings.crSplashTransparent = 0x000101FF;
  m_runSettings.byConfirmOnExit = 1;
  m_runSettings.nMaxIdLen = 30;
  m_runSettings.nMaxPwdLen = 30;
  m_runSettings.nMaxPwd2Len = 30;
  orv::host::LayOutExeFolders(exePath, m_folders);
  // The host's own web requests (the web login of the credential vault) verify TLS with the
  // program's CA file, as the plug-in's do, when the program folder carries one.
  const std::string caFile = m_folders.exeFolder + "Settings/cacert.pem";
  std::error_code missing;
  if (std::filesystem::exists(caFile, missing)) GfxSetHttpCaCertFile(caFile.c_str());
  if (chdir(m_folders.exeFolder.c_str()) != 0) {
    // Relative paths are not used; the folder only matters to outside tools the program runs.
  }
}

CVarqoMainApp::~CVarqoMainApp() = default;

void CVarqoMainApp::SetCatalogueAccess(std::unique_ptr<orv::host::CatalogueAccess> access) {
  m_catalogue = std::move(access);
}

BOOL CVarqoMainApp::InitInstance(int argc, const char* const* argv) {
  orv::win::AppRegistry().Open(kCompanyKey, kSettingsFileName);

  orv::host::LayOutStartupFolders(orv::win::GetDocumentsFolder(), orv::win::GetDataFolder(),
                                  kCompanyKey, m_folders);
  if (chdir(m_folders.exeFolder.c_str()) != 0) {
    // As at construction.
  }
  orv::host::EnsureFolder(m_folders.logFolder);

  LoadSettings(true);
  m_nMenuState = m_runSettings.byMinMenuOnStart;

  ParseCommandLine(argc, argv, m_cmdInfo);

  m_curlInitialised = curl_global_init(CURL_GLOBAL_ALL) == CURLE_OK;

  if (!orv::host::FileExists(m_folders.catalogPath)) RestoreCatalogueFromArchive();
  if (!orv::host::FileExists(m_folders.catalogPath)) {
    orv::win::MessageBox(Format("Setting file does not exist.\nXML file(%s or %s) must be exist.",
                                m_folders.catalogPath, kShippedCatalogueName),
                         "ERROR", MB_OK | MB_ICONERROR);
    return FALSE;
  }

  std::string damage;
  if (!DatabaseFileIsIntact(m_folders.catalogPath, &damage) && !RestoreDamagedCatalogue(damage)) {
    return FALSE;
  }

  bool opened = false;
  if (m_catalogue) {
    opened = m_catalogue->OpenCatalogue(&m_pCatalogueDb, m_folders.catalogPath) == 1;
    if (opened) {
      std::string error;
      m_catalogue->LoadProjectCode(m_pCatalogueDb, kCompanyKey, m_folders.exeName,
                                   m_folders.settingsFolder, &m_runSettings, error);
    }
  }
  if (!opened || m_runSettings.nAppIdx == 0) {
    orv::win::MessageBox(Format("Cannot load App Settings.\nPlease check db file(%s or %s).\n"
                                "--------------------------------------\nCode : %d\n"
                                "Please Check File name or Internet connection.",
                                kShippedCatalogueName, "app-settings.db", 0),
                         "ERROR", MB_OK | MB_ICONERROR);
    return FALSE;
  }

  m_nMenuState = m_runSettings.byMinMenuOnStart;
  if (m_runSettings.nLibValue < 1) m_runSettings.nLibValue = 32;

  UnpackResourceArchives();

  const std::string startupDataFolder = m_folders.userDataFolder;
  orv::win::InstallCrashReportFilter(startupDataFolder, m_folders.exeName);

  if (m_runSettings.szFolderName[0] == L'\0') SetWide(m_runSettings.szFolderName, "Orvella");
  if (!m_folders.documentsFolder.empty()) {
    m_folders.userDataFolder = orv::host::MakeFolderNameFolder(
        m_folders.documentsFolder, kCompanyKey, Narrow(m_runSettings.szFolderName));
    // Crash reports follow the user data folder.
    orv::win::InstallCrashReportFilter(m_folders.userDataFolder, m_folders.exeName);
  }
  // A crash of an earlier run is shown now: the crash handler itself shows nothing.
  orv::win::ShowPendingCrashReport(m_folders.userDataFolder, m_folders.exeName, true);
  if (startupDataFolder != m_folders.userDataFolder)
    orv::win::ShowPendingCrashReport(startupDataFolder, m_folders.exeName, true);

  if (m_catalogue) m_catalogue->OpenData(&m_pDataDb, m_folders.dataDbPath);

  if ((m_runSettings.dwAppFlags & kAppFlagSingleInstance) != 0 &&
      m_runSettings.szInstanceName[0] != L'\0') {
    const std::string name = orv::win::SingleInstanceGuard::MutexName(
        Narrow(m_runSettings.szInstanceName), Narrow(m_runSettings.szVersion), geteuid() == 0);
    if (!orv::win::EnforceSingleInstance(m_instanceGuard,
                                         orv::win::SingleInstanceGuard::LockFolder(), name)) {
      return FALSE;
    }
  }

  if (m_siteText.empty()) m_siteText = kCompanyKey;
  BuildTitle();
  return TRUE;
}

std::string CVarqoMainApp::ShippedCatalogueArchive() const {
  const std::string& folder = m_folders.settingsFolder;
  for (const char* suffix : {".zip", "_db.zip"}) {
    const std::string zip = folder + kCatalogueName + suffix;
    if (orv::host::FileExists(zip)) return zip;
  }
  return {};
}

bool CVarqoMainApp::RestoreCatalogueFromArchive() {
  const std::string zip = ShippedCatalogueArchive();
  return !zip.empty() && orv::host::UnzipFiles(zip, m_folders.settingsFolder) > 0;
}

bool CVarqoMainApp::RestoreDamagedCatalogue(const std::string& damage) {
  const std::string& path = m_folders.catalogPath;
  const std::string zip = ShippedCatalogueArchive();
  const std::string kept = path + ".damaged";
  bool restored = false;
  if (!zip.empty()) {
    // The damaged file is kept for inspection; its write-ahead log would be replayed into the
    // restored file, so it goes with it.
    std::error_code ec;
    // Nothing is replaced unless the damaged file's copy stands.
    const bool copied = std::filesystem::copy_file(
        path, kept, std::filesystem::copy_options::overwrite_existing, ec);
    const size_t slash = path.rfind('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    for (const std::string& entry : {name, std::string(kCatalogueName) + ".db"}) {
      if (!copied || !orv::host::UnzipEntryTo(zip, entry, path + ".restored")) continue;
      std::filesystem::rename(path + "-wal", kept + "-wal", ec);
      std::filesystem::remove(path + "-shm", ec);
      std::filesystem::rename(path + ".restored", path, ec);
      restored = !ec && DatabaseFileIsIntact(path, nullptr);
      break;
    }
    std::filesystem::remove(path + ".restored", ec);
  }
  if (restored) {
    orv::win::MessageBox(
        "The settings database was damaged and has been restored from the "
        "shipped archive.\n" +
            path + "\n(" + damage + ")\n\nRestored from: " + zip +
            "\nThe damaged file was kept as: " + kept +
            "\nSettings changed since the installation must be made again.",
        "WARNING", MB_OK | MB_ICONWARNING);
    return true;
  }
  orv::win::MessageBox("The settings database is damaged and cannot be used:\n" + path + "\n(" +
                           damage + ")\n\n" +
                           (zip.empty() ? "No shipped archive (" + std::string(kCatalogueName) +
                                              ".zip or " + kCatalogueName + "_db.zip) is in " +
                                              m_folders.settingsFolder + " to restore it from."
                                        : "It could not be restored from " + zip + ".") +
                           "\nPlease reinstall the program.",
                       "ERROR", MB_OK | MB_ICONERROR);
  return false;
}

void CVarqoMainApp::UnpackResourceArchives() {
  const std::string& exe = m_folders.exeFolder;
  // A missing archive or a failed unpack is not reported: start-up goes on without it.
  const std::string res = exe + "res/";
  if (!orv::host::FileExists(res + "login_bg_" + std::to_string(m_runSettings.nLoginTypeIdx) +
                             ".png") &&
      !orv::host::FileExists(res + "login_bg.png")) {
    orv::host::EnsureFolder(res);
    if (orv::host::FileExists(res + "res.zip")) orv::host::UnzipFiles(res + "res.zip", res);
  }
  const std::string wav = exe + "wavfiles/";
  orv::host::EnsureFolder(wav);
  if (!orv::host::FileExists(wav + "buy.wav") && orv::host::FileExists(wav + "wavfiles.zip")) {
    orv::host::UnzipFiles(wav + "wavfiles.zip", wav);
  }
  if (!orv::host::FileExists(exe + "license/eula.html") &&
      orv::host::FileExists(exe + "license.zip")) {
    orv::host::UnzipFiles(exe + "license.zip", exe + "license/");
  }
  if (!orv::host::FileExists(exe + "signtool/signtool.exe") &&
      orv::host::FileExists(exe + "signtool.zip")) {
    orv::host::UnzipFiles(exe + "signtool.zip", exe);
  }
}

void CVarqoMainApp::BuildTitle() {
  const app_run_setting_s& rs = m_runSettings;
  std::string title;
  if (rs.szBrandTitle[0] != L'\0' && rs.nBrandFlag > 0) {
    title = Narrow(rs.szBrandTitle);
  } else {
    title = Narrow(rs.szProductTitle);
  }
  if (title.empty()) {
    m_windowTitle = "Orvella - v1.0";
  } else {
    const std::string site1 = Narrow(rs.szSiteName);
    const std::string site2 = Narrow(rs.szSiteName2);
    const std::string site = site1 != site2 ? site1 + "/" + site2 : site1;
    m_windowTitle = title + "(" + site + ") - v" + Narrow(rs.szVersion);
  }
  m_frameText = m_windowTitle + " (" + __DATE__ + " " + __TIME__ + ")";
}

int CVarqoMainApp::ExitInstance() {
  if (m_curlInitialised) curl_global_cleanup();
  m_curlInitialised = false;
  m_instanceGuard.Release();
  if (m_catalogue) m_catalogue->ClearRunSettings(&m_runSettings);
  sqlite3_close_v2(m_pCatalogueDb);
  m_pCatalogueDb = nullptr;
  sqlite3_close_v2(m_pDataDb);
  m_pDataDb = nullptr;
  return 0;
}

void CVarqoMainApp::LoadSettings(bool withAppDataFile) {
  app_run_setting_s& rs = m_runSettings;
  rs.byLanguage = ReadByte("UI-Language", rs.byLanguage);
  rs.dwUiFlags = static_cast<uint32_t>(ReadInt("UI-Flags", static_cast<int>(rs.dwUiFlags)));
  rs.dwRibbonStyle =
      static_cast<uint32_t>(ReadInt("UI-RibbonStyle", static_cast<int>(rs.dwRibbonStyle)));
  if (withAppDataFile) orv::host::LoadAppDataFile(m_folders.appDataFilePath, *m_appData);
  m_nLastLoginUserType = ReadInt("LastLoginUserType", m_nLastLoginUserType);
  rs.byHideOnStart = ReadByte("hide_on_start", rs.byHideOnStart);
  rs.byHideOnExit = ReadByte("hide_on_exit", rs.byHideOnExit);
  rs.byMinMenuOnStart = ReadByte("min_menu_on_start", rs.byMinMenuOnStart);
  rs.byHibernateOff = ReadByte("hibernate_mode_off", rs.byHibernateOff);
  rs.byConsoleOn = ReadByte("dos_console_on", rs.byConsoleOn);
  rs.byCustomSaverOn = ReadByte("CustomScreenSaverOn", rs.byCustomSaverOn);
  m_nScreenSaverOnTime = ReadInt("ScreenSaverOnTime", m_nScreenSaverOnTime);
  m_nAutoRunOnlyDayTime = ReadInt("AutoRun Only DayTime", m_nAutoRunOnlyDayTime);
  rs.byConfirmOnExit = ReadByte("ComfirmOnExit", rs.byConfirmOnExit);
  m_nViewChangeWithTabChanging = ReadInt("ViewChangeWithTabChanging", m_nViewChangeWithTabChanging);
  m_nShutdownPcOn = ReadInt("APP-ShutdownPC-On", m_nShutdownPcOn);
}

void CVarqoMainApp::SaveSettings(int ribbonStyle, bool force) {
  if (force || !orv::host::FileExists(m_folders.appDataFilePath)) {
    orv::host::SaveAppDataFile(m_folders.appDataFilePath, *m_appData);
  }
  app_run_setting_s& rs = m_runSettings;
  if (ribbonStyle > 0) rs.dwRibbonStyle = static_cast<uint32_t>(ribbonStyle);
  orv::win::WriteProfileInt(kSettingsSection, "UI-Language", rs.byLanguage);
  orv::win::WriteProfileInt(kSettingsSection, "UI-Flags", static_cast<int>(rs.dwUiFlags));
  orv::win::WriteProfileInt(kSettingsSection, "UI-RibbonStyle", static_cast<int>(rs.dwRibbonStyle));
  orv::win::WriteProfileInt(kSettingsSection, "min_menu_on_start", rs.byMinMenuOnStart);
  orv::win::WriteProfileInt(kSettingsSection, "hide_on_exit", rs.byHideOnExit);
  orv::win::WriteProfileInt(kSettingsSection, "dos_console_on", rs.byConsoleOn);
}

int CVarqoMainApp::SaveWindowPos(const RECT* rect, int showMode) {
  if (rect != nullptr) {
    orv::win::WriteProfileInt(kSettingsSection, "Wnd Pos X", rect->left);
    orv::win::WriteProfileInt(kSettingsSection, "Wnd Pos Y", rect->top);
    orv::win::WriteProfileInt(kSettingsSection, "Wnd Pos X2", rect->right);
    orv::win::WriteProfileInt(kSettingsSection, "Wnd Pos Y2", rect->bottom);
  }
  if (showMode >= 0) m_nWndShowMode = showMode;
  orv::win::WriteProfileInt(kSettingsSection, "WndShowMode", m_nWndShowMode);
  return 1;
}

BOOL CVarqoMainApp::SetAutoStartOnBoot(int value) {
  m_nAutoStartOnBoot = value;
  const BOOL ok = orv::win::WriteProfileInt(kSettingsSection, "Auto Start On Boot", value);
  if (value != 0) {
    if (ok) {
      orv::win::MessageBox(
          "프로그램 자동 시작이 *허용* 되었습니다.\n자동시작은 편리하지만, 공용PC에서는 설정하지 "
          "말아주세요.",
          "INFORMATION", MB_OK | MB_ICONINFORMATION);
    } else {
      orv::win::MessageBox("Cannot Register", "ERROR", MB_OK | MB_ICONERROR);
    }
  } else if (ok) {
    orv::win::MessageBox("프로그램 자동 시작이 *해제* 되었습니다", "INFORMATION",
                         MB_OK | MB_ICONINFORMATION);
  } else {
    orv::win::MessageBox("Cannot UnRegister", "ERROR", MB_OK | MB_ICONERROR);
  }
  return ok;
}

RECT CVarqoMainApp::ComputePlacement(int monitorNo, const RECT* monitors, int monitorCount,
                                     const RECT& virtualScreen) {
  RECT rc{};
  if (monitorNo >= 1 && monitorNo <= 5 && monitorNo <= monitorCount) {
    rc = monitors[monitorNo - 1];
  } else if (monitorNo == 9) {
    rc = virtualScreen;
  } else if (monitorNo == 8) {
    rc = virtualScreen;
    rc.left = (virtualScreen.right - virtualScreen.left) / 2;
  } else if (monitorCount > 0) {
    rc = monitors[0];
  }
  m_nPlacementWidth = rc.right - rc.left;
  m_nPlacementHeight = std::abs(rc.bottom - rc.top);
  return rc;
}
