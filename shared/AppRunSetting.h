#pragma once
// The host's run settings: the application row of the catalogue, the "Settings" values and the
// state the host keeps while it runs. The host owns the one record; the plug-in reads it and
// writes only the fields its Parts name (web-API credentials, build text, markers).

#include <cstdint>

#include "platform/win/WinTypes.h"

constexpr int RUN_TEXT_LEN = 256;
constexpr int RUN_NAME_LEN = 128;
constexpr int RUN_SHORT_LEN = 64;
constexpr int RUN_PATH_LEN = 260;
constexpr int RUN_URL_LEN = 512;
constexpr int RUN_LIST_LEN = 1024;

struct app_run_setting_s {
  // --- Application row ---
  // Application index (0: no application row was loaded), application and project numbers.
  int32_t nAppIdx = 0;
  int32_t nAppNo = 0;
  int32_t nProjectIdx = 0;
  // Company number (sent as "co"), and the "gdp" and "deployer" values.
  int32_t nCompanyNo = 0;
  int32_t nGdp = 0;
  int32_t nDeployer = 0;
  // Agency index and the login-type index.
  int32_t nAgencyIdx = 0;
  int32_t nLoginTypeIdx = 0;
  // Application flags (bit 5 single instance, bit 13 start maximised), option flags (0x100
  // open the login at start, 0x40000 extra settings entry), permission word (bits 0..2 file
  // commands New, Open, Save), and the flag word (bit 21 manager commands).
  uint32_t dwAppFlags = 0;
  uint32_t dwOptionFlags = 0;
  uint32_t dwPermissions = 0;
  uint32_t dwFlagWord = 0;
  // Application state (3 once the main frame exists) and the state word (bit 3: logged in).
  int32_t nAppState = 0;
  uint32_t dwStateWord = 0;
  // Changed flags (0x1 and others) and settings-changed flags (0x10).
  uint32_t dwChangedFlags = 0;
  // The application's running flag.
  int32_t nAppRunning = 0;
  // Application id (sent as "apk" and "app"), version and narrow build text.
  wchar_t szAppId[RUN_SHORT_LEN] = {};
  wchar_t szVersion[RUN_SHORT_LEN] = {};
  char szBuild[RUN_SHORT_LEN] = {};
  // Names and titles: application name, product title, brand title and its flag, the two
  // site names, company name, instance name, the folder name (default "Orvella").
  wchar_t szAppName[RUN_NAME_LEN] = {};
  wchar_t szProductTitle[RUN_NAME_LEN] = {};
  wchar_t szBrandTitle[RUN_NAME_LEN] = {};
  int32_t nBrandFlag = 0;
  wchar_t szSiteName[RUN_NAME_LEN] = {};
  wchar_t szSiteName2[RUN_NAME_LEN] = {};
  wchar_t szCompanyName[RUN_NAME_LEN] = {};
  wchar_t szInstanceName[RUN_NAME_LEN] = {};
  wchar_t szFolderName[RUN_NAME_LEN] = {};
  // Module kind text ("주식" for the trading plug-in) and two marker characters.
  wchar_t szModuleKind[RUN_SHORT_LEN] = {};
  wchar_t chMarker1 = 0;
  wchar_t chMarker2 = 0;
  // About text, agent name of the page window.
  wchar_t szAboutText[RUN_TEXT_LEN] = {};
  wchar_t szAgentName[RUN_NAME_LEN] = {};
  // An integer the support library reads (forced to 32 when below 1).
  int32_t nLibValue = 0;
  // Integer given to the login-dialog set-up (function 82) and the login-dialog value.
  int32_t nLoginDlgValue = 0;

  // --- Web server and web API ---
  // Base URL of the product's web server (narrow) and its flag byte.
  char szWebApiBase[RUN_URL_LEN] = {};
  uint8_t byWebApiFlag = 0;
  // The b2b text (empty when absent: requests then send "stock").
  wchar_t szB2b[RUN_SHORT_LEN] = {};
  // Home page, manual base address, manual path.
  wchar_t szHomePage[RUN_URL_LEN] = {};
  wchar_t szManualBase[RUN_URL_LEN] = {};
  wchar_t szManualPath[RUN_PATH_LEN] = {};
  // Web-API credentials stored by the service check: key, user id, user index and token.
  wchar_t szWebApiKey[RUN_SHORT_LEN] = {};
  wchar_t szWebApiUserId[RUN_SHORT_LEN] = {};
  int32_t nWebApiUserIdx = 0;
  int32_t nWebApiToken = 0;
  // Official IP and search key from the service settings.
  char szOfficialIp[RUN_SHORT_LEN] = {};
  char szSearchKey[RUN_TEXT_LEN] = {};
  // The PC's IP and MAC texts, the local IP, and two 64-bit MAC ids.
  char szIp[RUN_SHORT_LEN] = {};
  char szMac[RUN_SHORT_LEN] = {};
  char szLocalIp[RUN_SHORT_LEN] = {};
  uint64_t nMacId = 0;
  uint64_t nMacId2 = 0;
  // Stored encrypted login data (heap, owned by the host; null when none) and its size.
  uint8_t* pCryptedLogin = nullptr;
  uint32_t nCryptedLoginLen = 0;

  // --- Login dialog ---
  // Interface byte handed to the login dialog, login-type list, login-id suffixes, agency
  // names, and the maximum lengths of id, password and second password.
  uint8_t byLoginUi = 0;
  wchar_t szLoginTypes[RUN_LIST_LEN] = {};
  wchar_t szLoginSuffixes[RUN_LIST_LEN] = {};
  wchar_t szAgencyNames[RUN_LIST_LEN] = {};
  int32_t nMaxIdLen = 30;
  int32_t nMaxPwdLen = 30;
  int32_t nMaxPwd2Len = 30;

  // --- Interface settings ("Settings" section) ---
  uint8_t byLanguage = 0;           // "UI-Language"
  uint32_t dwUiFlags = 0;           // "UI-Flags"
  uint32_t dwRibbonStyle = 0;       // "UI-RibbonStyle" (theme id)
  uint8_t byHideOnStart = 0;        // "hide_on_start"
  uint8_t byHideOnExit = 0;         // "hide_on_exit"
  uint8_t byMinMenuOnStart = 0;     // "min_menu_on_start"
  uint8_t byHibernateOff = 1;       // "hibernate_mode_off" (sleep prevention)
  uint8_t byConsoleOn = 0;          // "dos_console_on"
  uint8_t byCustomSaverOn = 0;      // "CustomScreenSaverOn"
  uint8_t byConfirmOnExit = 1;      // "ComfirmOnExit"
  uint8_t bySaverOn = 0;            // screen-saver switch
  uint32_t dwSaverIdleMs = 300000;  // saver idle time
  uint8_t byPowerSaving = 0;        // power-saving flag
  uint8_t byBrowserOn = 0;          // start pages in the external browser program
  uint8_t byLogDisplayOn = 0;       // log display switch
  uint8_t byPaneMask = 0;           // 1 workspace, 2 log, 4 properties, 8 monitoring
  uint32_t dwViewMask = 0;          // checked views of the View tab
  uint8_t byRibbonFrame = 0;        // the ribbon frame instead of the own caption bar
  uint8_t byStdCaption = 0;         // standard caption
  uint8_t byHideTaskBar = 0;        // hide the desktop task bar
  uint8_t byUseSplash = 0;          // show the splash
  COLORREF crSplashTransparent = 0x000101FF;
  RECT rcSplashText;
  int32_t nLogLineLimit = 1000;  // 10..10000
  int32_t nIconNo = 0;           // tray icon number
  wchar_t szIconSet[RUN_SHORT_LEN] = {};
  int32_t nIconStrip1 = 0;
  int32_t nIconStrip2 = 0;
  int32_t nBarHeight = 0;  // tear-off bar height

  // --- Display ---
  int32_t nDpiPercent = 100;  // at least 100
  double dScale = 1.0;        // nDpiPercent / 100.0
  int32_t nLogPixelsY = 96;
  int32_t nLanguageCode = 2;  // "APP-LanguageCode"

  // --- Trading ---
  // Currency rates (won per US dollar and a second rate); 0 leaves the plug-in's own.
  double dCurrencyRate = 0.0;
  double dCurrencyRate2 = 0.0;

  // --- Folders ---
  // Data folder (ends with a separator once a plug-in made it).
  wchar_t szDataFolder[RUN_PATH_LEN] = {};
};
