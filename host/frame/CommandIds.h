#pragma once
// The host's command ids in one place: the ribbon, its tab-row strip, the backstage and file
// menus send them, and the main frame serves them. Modules and saved ribbon layouts know these
// values, so they never change.

enum HostCommandId : int {
  // The program and its window.
  kCmdExit = 240,
  kCmdAppExit = 57665,
  kCmdHide = 243,
  kCmdShow = 261,
  kCmdLeftHalf = 676,
  kCmdRightHalf = 677,
  kCmdReloadLayout = 854,

  // Login and the member's pages.
  kCmdLogin = 948,
  kCmdLogout = 949,
  kCmdLoginButton = 1283,
  kCmdMyInfo = 946,
  kCmdAccounts = 805,
  kCmdCheckUpdates = 895,
  kCmdAdvanced = 963,

  // Saving, and what goes to the modules.
  kCmdSave = 57603,
  kCmdSaveAll = 486,
  kCmdRefresh = 481,
  kCmdStartWatch = 109,
  kCmdStopWatch = 897,
  kCmdProfitRates = 108,

  // Settings, help and about.
  kCmdSettings = 235,
  kCmdSettings2 = 248,
  kCmdAbout1 = 512,
  kCmdAbout2 = 514,
  kCmdAbout = 57664,
  kCmdHelp1 = 57667,
  kCmdHelp2 = 57670,
  kCmdHelp3 = 57671,
  kCmdPluginAdd = 482,
  kCmdLanguages = 884,
  kCmdAdminMode = 1207,
  kCmdUserMode = 1206,

  // The ribbon's own controls.
  kCmdFileButton = 750,
  kCmdRibbonExpand = 861,
  kCmdRibbonMinimise = 862,
  kCmdPlacementCombo = 1215,
  kCmdLanguageCombo = 237,
  kCmdShutdownCombo = 414,
  kCmdSaverCombo = 277,
  kCmdStatusBarCheck = 59393,
  // The own caption bar: a language chosen from its menu (the language travels in GetInt()),
  // and the first of its language menu items.
  kCmdCaptionLanguage = 1534,
  kCmdCaptionLanguageMenuFirst = 1535,
  // Separates the entries of the backstage and file menus.
  kCmdBackstageSeparator = 1278,
  // The gallery of the n-th menu group has the id kCmdFirstGallery + n.
  kCmdFirstGallery = 3000,

  // Ranges the frame serves as one: themes, pane toggles, "show pane" and the switches.
  kCmdFirstTheme = 1245,
  kCmdLastTheme = 1259,
  kCmdFirstPaneToggle = 965,
  kCmdLastPaneToggle = 973,
  kCmdFirstShowPane = 1266,
  kCmdLastShowPane = 1271,
  kCmdFirstSwitch = 189,
  kCmdLastSwitch = 279,
};

// The switches: on-off commands between kCmdFirstSwitch and kCmdLastSwitch.
enum HostSwitchId : int {
  kSwConsole = 189,
  kSwSingleInstance = 221,
  kSwAutoStart = 228,
  kSwBetaMode = 234,
  kSwMinMenu = 241,
  kSwHideOnExit = 244,
  kSwHideOnStart = 245,
  kSwHideTaskBar = 246,
  kSwCustomSaver = 275,
  kSwSaverTest = 278,
  kSwNoSleep = 279,
};

// The ribbon's view checks, one per docking pane in the order of the pane table.
constexpr int kPaneViewCheckIds[] = {973, 968, 972, 970, 971, 966, 967, 790, 969};

// The theme ids the ribbon and the settings dialog offer, and the default one.
constexpr int kFirstThemeId = 1245;
constexpr int kLastThemeId = 1258;
constexpr int kDefaultThemeId = 1253;
