#pragma once
// The host program's application object: folders, settings, command line, catalogue, run
// settings, single-instance guard and crash report, from construction to exit. It holds no
// window: the program's window layer runs the window steps after InitInstance (splash, main
// frame, title, icons, placement) and calls ExitInstance at the end.

#include <memory>
#include <string>

#include "host/app/AppDataFile.h"
#include "host/app/AppFolders.h"
#include "host/app/MyAppSharedCmdLineInfo.h"
#include "host/catalogue/CatalogueAccess.h"
#include "platform/win/SingleInstanceGuard.h"
#include "platform/win/WinTypes.h"
#include "shared/AppRunSetting.h"
#include "shared/LoginInfo.h"

struct sqlite3;

// The company key: the settings file's folder, the company folder under Documents and the
// shared data folder, and the default site text.
extern const char kCompanyKey[];
// The application's settings file in the company folder, and its section.
extern const char kSettingsFileName[];
extern const char kSettingsSection[];

class CVarqoMainApp {
 public:
  // Lays out the exe-relative folders of `exePath` and makes the exe folder the current one.
  explicit CVarqoMainApp(const std::string& exePath);
  ~CVarqoMainApp();
  CVarqoMainApp(const CVarqoMainApp&) = delete;
  CVarqoMainApp& operator=(const CVarqoMainApp&) = delete;

  void SetCatalogueAccess(std::unique_ptr<orv::host::CatalogueAccess> access);

  // Start-up up to the title (the window steps follow in the window layer). FALSE ends the
  // process; the reason has been shown in a message box.
  BOOL InitInstance(int argc, const char* const* argv);
  // Releases everything in order; returns the exit code.
  int ExitInstance();

  // Settings (the "Settings" section and App_Data.dat).
  void LoadSettings(bool withAppDataFile);
  void SaveSettings(int ribbonStyle, bool force);
  int SaveWindowPos(const RECT* rect, int showMode);
  // Writes the auto-start choice and tells the user the result; the write's result.
  BOOL SetAutoStartOnBoot(int value);

  // Placement: the rectangle of monitor `monitorNo` (1-5 that monitor, 9 the whole virtual
  // desktop, 8 its right half, other numbers the first monitor). `monitors` lists the monitors'
  // rectangles, the first being the primary one; `virtualScreen` bounds them all.
  RECT ComputePlacement(int monitorNo, const RECT* monitors, int monitorCount,
                        const RECT& virtualScreen);

  const orv::host::AppFolders& Folders() const { return m_folders; }
  const CMyAppSharedCmdLineInfo& CmdLine() const { return m_cmdInfo; }
  app_run_setting_s& RunSettings() { return m_runSettings; }
  login_info_s& LoginInfo() { return m_loginInfo; }
  orv::host::AppDataBlock& AppData() { return *m_appData; }
  orv::win::SingleInstanceGuard& InstanceGuard() { return m_instanceGuard; }
  sqlite3* CatalogueDb() const { return m_pCatalogueDb; }
  sqlite3* DataDb() const { return m_pDataDb; }
  // The main frame's text: "<title> (<build date> <build time>)".
  const std::string& FrameText() const { return m_frameText; }
  const std::string& WindowTitle() const { return m_windowTitle; }
  const std::string& SiteText() const { return m_siteText; }
  int MenuState() const { return m_nMenuState; }
  int PlacementWidth() const { return m_nPlacementWidth; }
  int PlacementHeight() const { return m_nPlacementHeight; }

  // Settings values outside the run settings.
  int m_nLastLoginUserType = 0;
  int m_nScreenSaverOnTime = 300000;
  int m_nAutoRunOnlyDayTime = 0;
  int m_nViewChangeWithTabChanging = 0;
  int m_nShutdownPcOn = 0;
  int m_nAutoStartOnBoot = 0;
  int m_nWndShowMode = 5;
  int m_nDefaultWidth = 1280;
  int m_nDefaultHeight = 720;

 private:
  // The shipped catalogue archive of the settings folder ("app-settings.zip", else
  // "app-settings_db.zip"), or empty when there is none.
  std::string ShippedCatalogueArchive() const;
  bool RestoreCatalogueFromArchive();
  // Replaces a damaged catalogue with the one of the shipped archive, keeping the damaged file
  // beside it, and tells the user; when that cannot be done, says why. False: start-up ends.
  bool RestoreDamagedCatalogue(const std::string& damage);
  void UnpackResourceArchives();
  void BuildTitle();

  orv::host::AppFolders m_folders;
  CMyAppSharedCmdLineInfo m_cmdInfo;
  app_run_setting_s m_runSettings;
  login_info_s m_loginInfo;
  std::unique_ptr<orv::host::AppDataBlock> m_appData;
  std::unique_ptr<orv::host::CatalogueAccess> m_catalogue;
  orv::win::SingleInstanceGuard m_instanceGuard;
  sqlite3* m_pCatalogueDb = nullptr;
  sqlite3* m_pDataDb = nullptr;
  bool m_curlInitialised = false;
  int m_nMenuState = 0;
  std::string m_siteText;
  std::string m_windowTitle;
  std::string m_frameText;
  int m_nPlacementWidth = 0;
  int m_nPlacementHeight = 0;
};
