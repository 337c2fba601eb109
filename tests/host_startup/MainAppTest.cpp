// The application object's start-up and settings in a staged program folder with its own
// HOME and XDG folders.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "TestFolder.h"
#include "host/app/VarqoMainApp.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Registry.h"

namespace {

using orv::test::ReadFileText;
using orv::test::TempFolder;
using orv::test::WriteFileText;

// Opens the real files; the application row is "found" when the test says so.
class FakeCatalogue : public orv::host::CatalogueAccess {
 public:
  explicit FakeCatalogue(int appIdx) : appIdx_(appIdx) {}
  int OpenCatalogue(sqlite3** db, const std::string& path) override {
    return sqlite3_open_v2(path.c_str(), db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK ? 1 : 0;
  }
  int OpenData(sqlite3** db, const std::string& path) override {
    return sqlite3_open_v2(path.c_str(), db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) ==
           SQLITE_OK;
  }
  int LoadProjectCode(sqlite3*, const std::string&, const std::string&, const std::string&,
                      app_run_setting_s* settings, std::string&) override {
    settings->nAppIdx = appIdx_;
    return appIdx_ > 0 ? 1 : 0;
  }
  void ClearRunSettings(app_run_setting_s* settings) override { *settings = app_run_setting_s{}; }

 private:
  int appIdx_;
};

class MainAppTest : public ::testing::Test {
 protected:
  void SetUp() override {
    exeFolder_ = root_.path() + "prog/";
    std::filesystem::create_directories(exeFolder_);
    setenv("HOME", (root_.path() + "home").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (root_.path() + "config").c_str(), 1);
    setenv("XDG_DATA_HOME", (root_.path() + "data").c_str(), 1);
    setenv("XDG_DOCUMENTS_DIR", (root_.path() + "docs").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (root_.path()).c_str(), 1);
    std::filesystem::create_directories(root_.path() + "docs");
    ASSERT_TRUE(orv::win::AppRegistry().Open(kCompanyKey, kSettingsFileName));
    orv::win::ScriptMessageBoxes({});
  }
  void TearDown() override { orv::win::StopScriptingMessageBoxes(); }

  std::string SettingsFile() const {
    return root_.path() + "config/" + kCompanyKey + "/" + kSettingsFileName;
  }

  // Runs start-up with the fake catalogue; the message boxes it showed are in Boxes().
  BOOL Start(CVarqoMainApp& app, int appIdx) {
    app.SetCatalogueAccess(std::make_unique<FakeCatalogue>(appIdx));
    const char* argv[] = {"orvella", "/splash:0"};
    return app.InitInstance(2, argv);
  }
  std::vector<orv::win::MessageBoxCall> Boxes() const {
    return orv::win::ScriptedMessageBoxCalls();
  }

  orv::test::KeepCurrentFolder keepFolder_;
  TempFolder root_;
  std::string exeFolder_;
};

TEST_F(MainAppTest, FreshAccountDefaults) {
  CVarqoMainApp app(exeFolder_ + "orvella");
  app.LoadSettings(true);
  const app_run_setting_s& rs = app.RunSettings();
  EXPECT_EQ(rs.byConfirmOnExit, 1);
  EXPECT_EQ(rs.byHibernateOff, 1);
  EXPECT_EQ(app.m_nScreenSaverOnTime, 300000);
  EXPECT_EQ(rs.byLanguage, 0);
  EXPECT_EQ(rs.dwUiFlags, 0u);
  EXPECT_EQ(rs.dwRibbonStyle, 0u);
  EXPECT_EQ(rs.byHideOnStart, 0);
  EXPECT_EQ(rs.byHideOnExit, 0);
  EXPECT_EQ(rs.byMinMenuOnStart, 0);
  EXPECT_EQ(rs.byConsoleOn, 0);
  EXPECT_EQ(rs.byCustomSaverOn, 0);
  EXPECT_EQ(app.m_nLastLoginUserType, 0);
  EXPECT_EQ(app.m_nAutoRunOnlyDayTime, 0);
  EXPECT_EQ(app.m_nViewChangeWithTabChanging, 0);
  EXPECT_EQ(app.m_nShutdownPcOn, 0);
  EXPECT_TRUE(app.AppData().fileWasShort);
  EXPECT_FALSE(std::filesystem::exists(SettingsFile()));
}

TEST_F(MainAppTest, SettingsRoundTripWritesOnlyTheSavedSubset) {
  {
    CVarqoMainApp app(exeFolder_ + "orvella");
    app_run_setting_s& rs = app.RunSettings();
    rs.byLanguage = 2;
    rs.dwUiFlags = 0x55;
    rs.byMinMenuOnStart = 1;
    rs.byHideOnExit = 1;
    rs.byConsoleOn = 1;
    rs.byHideOnStart = 1;  // not written by the save
    app.AppData().bytes[0] = 7;
    app.AppData().bytes[100] = 0xAB;
    app.SaveSettings(4, true);
    EXPECT_EQ(app.AppData().bytes[0], 0);
    app.SaveSettings(0, false);  // keeps the style
    RECT rc{10, 20, 810, 620};
    EXPECT_EQ(app.SaveWindowPos(&rc, -1), 1);
  }
  EXPECT_EQ(std::filesystem::file_size(exeFolder_ + "Config/App_Data.dat"), 8655u);
  const std::string text = ReadFileText(SettingsFile());
  EXPECT_EQ(text.find("hide_on_start"), std::string::npos) << text;
  EXPECT_EQ(text.find("ComfirmOnExit"), std::string::npos) << text;
  EXPECT_EQ(orv::win::GetProfileInt("Settings", "Wnd Pos X", -1), 10);
  EXPECT_EQ(orv::win::GetProfileInt("Settings", "Wnd Pos Y", -1), 20);
  EXPECT_EQ(orv::win::GetProfileInt("Settings", "Wnd Pos X2", -1), 810);
  EXPECT_EQ(orv::win::GetProfileInt("Settings", "Wnd Pos Y2", -1), 620);
  EXPECT_EQ(orv::win::GetProfileInt("Settings", "WndShowMode", -1), 5);

  // Values written by others are read too.
  orv::win::WriteProfileInt("Settings", "ScreenSaverOnTime", 60000);
  orv::win::WriteProfileInt("Settings", "ComfirmOnExit", 0);
  CVarqoMainApp app(exeFolder_ + "orvella");
  app.LoadSettings(true);
  const app_run_setting_s& rs = app.RunSettings();
  EXPECT_EQ(rs.byLanguage, 2);
  EXPECT_EQ(rs.dwUiFlags, 0x55u);
  EXPECT_EQ(rs.dwRibbonStyle, 4u);
  EXPECT_EQ(rs.byMinMenuOnStart, 1);
  EXPECT_EQ(rs.byHideOnExit, 1);
  EXPECT_EQ(rs.byConsoleOn, 1);
  EXPECT_EQ(rs.byHideOnStart, 0);
  EXPECT_EQ(rs.byConfirmOnExit, 0);
  EXPECT_EQ(app.m_nScreenSaverOnTime, 60000);
  EXPECT_FALSE(app.AppData().fileWasShort);
  EXPECT_EQ(app.AppData().bytes[100], 0xAB);

  app.SaveWindowPos(nullptr, 3);
  EXPECT_EQ(orv::win::GetProfileInt("Settings", "WndShowMode", -1), 3);
  app.SaveWindowPos(nullptr, -1);
  EXPECT_EQ(orv::win::GetProfileInt("Settings", "WndShowMode", -1), 3);
}

TEST_F(MainAppTest, AutoStartChoiceIsWrittenAndReported) {
  CVarqoMainApp app(exeFolder_ + "orvella");
  EXPECT_EQ(app.SetAutoStartOnBoot(1), TRUE);
  EXPECT_EQ(orv::win::GetProfileInt("Settings", "Auto Start On Boot", -1), 1);
  EXPECT_EQ(app.SetAutoStartOnBoot(0), TRUE);
  EXPECT_EQ(orv::win::GetProfileInt("Settings", "Auto Start On Boot", -1), 0);
  const auto boxes = Boxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text,
            "프로그램 자동 시작이 *허용* 되었습니다.\n자동시작은 편리하지만, 공용PC에서는 "
            "설정하지 말아주세요.");
  EXPECT_EQ(boxes[0].type, MB_OK | MB_ICONINFORMATION);
  EXPECT_EQ(boxes[1].text, "프로그램 자동 시작이 *해제* 되었습니다");
}

TEST_F(MainAppTest, MissingCatalogueEndsWithTheSettingFileMessage) {
  CVarqoMainApp app(exeFolder_ + "orvella");
  EXPECT_EQ(Start(app, 1), FALSE);
  const auto boxes = Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, "ERROR");
  EXPECT_EQ(boxes[0].type, MB_OK | MB_ICONERROR);
  EXPECT_EQ(boxes[0].text, "Setting file does not exist.\nXML file(" + exeFolder_ +
                               "Settings/app-settings.db or app-settings-rede2-app.db) must be "
                               "exist.");
  app.ExitInstance();
}

TEST_F(MainAppTest, NoApplicationRowEndsWithTheAppSettingsMessage) {
  WriteFileText(exeFolder_ + "Settings/app-settings.db", "");
  CVarqoMainApp app(exeFolder_ + "orvella");
  EXPECT_EQ(Start(app, 0), FALSE);
  const auto boxes = Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, "ERROR");
  EXPECT_EQ(boxes[0].text,
            "Cannot load App Settings.\nPlease check db file(app-settings-rede2-app.db or "
            "app-settings.db).\n--------------------------------------\nCode : 0\nPlease Check "
            "File name or Internet connection.");
  app.ExitInstance();
}

TEST_F(MainAppTest, CatalogueIsUnpackedFromTheShippedArchive) {
  for (const char* archive : {"app-settings.zip", "app-settings_db.zip"}) {
    std::filesystem::remove_all(exeFolder_ + "Settings");
    orv::test::MakeZip(exeFolder_ + "Settings/" + archive, {{"app-settings.db", ""}});
    orv::win::ScriptMessageBoxes({});
    CVarqoMainApp app(exeFolder_ + "orvella");
    EXPECT_EQ(Start(app, 3), TRUE) << archive;
    EXPECT_TRUE(Boxes().empty()) << archive;
    EXPECT_TRUE(std::filesystem::exists(exeFolder_ + "Settings/app-settings.db")) << archive;
    EXPECT_NE(app.CatalogueDb(), nullptr);
    EXPECT_NE(app.DataDb(), nullptr);
    EXPECT_EQ(app.WindowTitle(), "Orvella - v1.0");
    // The build stamp: "Mmm dd yyyy hh:mm:ss" of the build.
    EXPECT_TRUE(::testing::Matches(::testing::MatchesRegex(
        R"(Orvella - v1\.0 \([A-Z][a-z][a-z] [ 0-9][0-9] [0-9]{4} [0-9]{2}:[0-9]{2}:[0-9]{2}\))"))(
        app.FrameText()))
        << app.FrameText();
    EXPECT_EQ(app.Folders().userDataFolder, root_.path() + "docs/" + kCompanyKey + "/Orvella/");
    EXPECT_TRUE(std::filesystem::is_directory(app.Folders().logFolder));
    EXPECT_EQ(app.RunSettings().nLibValue, 32);
    EXPECT_EQ(app.CmdLine().m_nSplashMode, 0);
    app.ExitInstance();
    EXPECT_EQ(app.CatalogueDb(), nullptr);
  }
}

// A real SQLite catalogue with a table of rows; `damage` overwrites the bytes of its second page
// (a table page) so that the file still opens but fails SQLite's check.
std::string MakeCatalogueBytes(bool damage) {
  TempFolder dir;
  const std::string path = dir.path() + "c.db";
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  sqlite3_exec(db,
               "PRAGMA page_size=4096; CREATE TABLE T(a TEXT); WITH RECURSIVE n(i) AS (SELECT 1 "
               "UNION ALL SELECT i+1 FROM n WHERE i<400) INSERT INTO T SELECT hex(randomblob(40)) "
               "FROM n;",
               nullptr, nullptr, nullptr);
  sqlite3_close(db);
  std::string bytes = ReadFileText(path);
  if (damage) {
    for (size_t i = 4096; i < 4096 + 200 && i < bytes.size(); ++i) bytes[i] = '\x7f';
  }
  return bytes;
}

TEST_F(MainAppTest, DamagedCatalogueIsRestoredFromTheShippedArchive) {
  const std::string settings = exeFolder_ + "Settings/";
  const std::string catalogue = settings + "app-settings.db";
  const std::string shipped = MakeCatalogueBytes(false);
  struct Case {
    const char* archive;
    std::string damaged;
  } cases[] = {
      {"app-settings_db.zip", "this file is no database at all, but long enough to look like one"},
      {"app-settings.zip", MakeCatalogueBytes(true)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.archive);
    std::filesystem::remove_all(settings);
    WriteFileText(catalogue, c.damaged);
    WriteFileText(catalogue + "-wal", "a log of the damaged file");
    orv::test::MakeZip(settings + c.archive, {{"app-settings.db", shipped}});
    orv::win::ScriptMessageBoxes({});
    CVarqoMainApp app(exeFolder_ + "orvella");
    EXPECT_EQ(Start(app, 1), TRUE);
    EXPECT_EQ(ReadFileText(catalogue).substr(0, 16), std::string("SQLite format 3\0", 16));
    // The damaged file and its log are kept beside it; no temporary file is left.
    EXPECT_EQ(ReadFileText(catalogue + ".damaged"), c.damaged);
    EXPECT_EQ(ReadFileText(catalogue + ".damaged-wal"), "a log of the damaged file");
    EXPECT_FALSE(std::filesystem::exists(catalogue + "-wal.tmp"));
    EXPECT_FALSE(std::filesystem::exists(catalogue + ".restored"));
    const auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "WARNING");
    EXPECT_EQ(boxes[0].type, MB_OK | MB_ICONWARNING);
    EXPECT_EQ(boxes[0].text.rfind("The settings database was damaged and has been restored from "
                                  "the shipped archive.\n" +
                                      catalogue,
                                  0),
              0u)
        << boxes[0].text;
    EXPECT_NE(boxes[0].text.find(settings + c.archive), std::string::npos);
    EXPECT_NE(app.CatalogueDb(), nullptr);
    app.ExitInstance();
  }
}

TEST_F(MainAppTest, DamagedCatalogueWithoutAnArchiveEndsWithAClearError) {
  const std::string catalogue = exeFolder_ + "Settings/app-settings.db";
  const std::string damaged = MakeCatalogueBytes(true);
  WriteFileText(catalogue, damaged);
  CVarqoMainApp app(exeFolder_ + "orvella");
  EXPECT_EQ(Start(app, 1), FALSE);
  const auto boxes = Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, "ERROR");
  EXPECT_EQ(boxes[0].text.rfind(
                "The settings database is damaged and cannot be used:\n" + catalogue + "\n(", 0),
            0u)
      << boxes[0].text;
  EXPECT_NE(boxes[0].text.find("No shipped archive (app-settings.zip or app-settings_db.zip)"),
            std::string::npos);
  EXPECT_EQ(boxes[0].text.find("Code : 0"), std::string::npos);
  // Nothing is changed: the file stays for whoever looks into it.
  EXPECT_EQ(ReadFileText(catalogue), damaged);
  app.ExitInstance();
}

TEST_F(MainAppTest, StartShowsTheReportAnEarlierCrashLeft) {
  WriteFileText(exeFolder_ + "Settings/app-settings.db", "");
  const std::string folder = root_.path() + "docs/" + kCompanyKey + "/Orvella/";
  std::filesystem::create_directories(folder);
  WriteFileText(folder + "orvella.crash", "11\n" + folder + "orvella_20240305_070809.dmp\n");
  // No file manager is started from a test.
  const std::string path = getenv("PATH");
  setenv("PATH", root_.path().c_str(), 1);
  CVarqoMainApp app(exeFolder_ + "orvella");
  const BOOL started = Start(app, 1);
  setenv("PATH", path.c_str(), 1);
  ASSERT_EQ(started, TRUE);
  const auto boxes = Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, "orvella_20240305_070809.dmp");
  EXPECT_EQ(boxes[0].text.rfind("에러(0x0000000B)가 발생했습니다.", 0), 0u) << boxes[0].text;
  EXPECT_NE(boxes[0].text.find(folder + "orvella_20240305_070809.dmp"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(folder + "orvella.crash"));
  app.ExitInstance();
}

TEST_F(MainAppTest, ResourceArchivesAreUnpackedOnlyWhenTheirMarkerIsMissing) {
  WriteFileText(exeFolder_ + "Settings/app-settings.db", "");
  orv::test::MakeZip(exeFolder_ + "res/res.zip", {{"login_bg.png", "new"}, {"start.png", "s"}});
  orv::test::MakeZip(exeFolder_ + "wavfiles/wavfiles.zip", {{"buy.wav", "new"}});
  WriteFileText(exeFolder_ + "wavfiles/buy.wav", "old");
  orv::test::MakeZip(exeFolder_ + "license.zip", {{"eula.html", "eula"}});
  CVarqoMainApp app(exeFolder_ + "orvella");
  ASSERT_EQ(Start(app, 1), TRUE);
  EXPECT_EQ(ReadFileText(exeFolder_ + "res/login_bg.png"), "new");
  EXPECT_EQ(ReadFileText(exeFolder_ + "wavfiles/buy.wav"), "old");
  EXPECT_EQ(ReadFileText(exeFolder_ + "license/eula.html"), "eula");
  app.ExitInstance();
}

TEST_F(MainAppTest, TitleFromBrandOrApplicationTitleWithSites) {
  WriteFileText(exeFolder_ + "Settings/app-settings.db", "");
  struct Case {
    const wchar_t* brand;
    int brandFlag;
    const wchar_t* title;
    const wchar_t* site1;
    const wchar_t* site2;
    const wchar_t* version;
    const char* expected;
  };
  const Case cases[] = {
      {L"Brand", 1, L"App", L"s1", L"s2", L"2.1", "Brand(s1/s2) - v2.1"},
      {L"Brand", 0, L"App", L"s1", L"s1", L"2.1", "App(s1) - v2.1"},
      {L"", 1, L"App", L"s1", L"s1", L"", "App(s1) - v"},
      {L"", 0, L"", L"s1", L"s2", L"3", "Orvella - v1.0"},
  };
  for (const auto& c : cases) {
    // The fake leaves every other field as the test set it.
    CVarqoMainApp app(exeFolder_ + "orvella");
    app_run_setting_s& rs = app.RunSettings();
    std::wcscpy(rs.szBrandTitle, c.brand);
    rs.nBrandFlag = c.brandFlag;
    std::wcscpy(rs.szProductTitle, c.title);
    std::wcscpy(rs.szSiteName, c.site1);
    std::wcscpy(rs.szSiteName2, c.site2);
    std::wcscpy(rs.szVersion, c.version);
    ASSERT_EQ(Start(app, 1), TRUE);
    EXPECT_EQ(app.WindowTitle(), c.expected);
    app.ExitInstance();
  }
}

TEST(Placement, MonitorNumbers) {
  orv::test::KeepCurrentFolder keepFolder;
  TempFolder dir;
  CVarqoMainApp app(dir.path() + "orvella");
  const RECT monitors[] = {{0, 0, 1920, 1080}, {1920, 0, 3200, 1024}};
  const RECT all{0, 0, 3200, 1080};
  struct Case {
    int no;
    RECT expected;
  };
  const Case cases[] = {{1, monitors[0]}, {2, monitors[1]}, {6, monitors[0]},
                        {7, monitors[0]}, {9, all},         {8, {1600, 0, 3200, 1080}},
                        {0, monitors[0]}, {5, monitors[0]}};
  for (const auto& c : cases) {
    const RECT r = app.ComputePlacement(c.no, monitors, 2, all);
    EXPECT_EQ(r.left, c.expected.left) << c.no;
    EXPECT_EQ(r.top, c.expected.top) << c.no;
    EXPECT_EQ(r.right, c.expected.right) << c.no;
    EXPECT_EQ(r.bottom, c.expected.bottom) << c.no;
    EXPECT_EQ(app.PlacementWidth(), c.expected.right - c.expected.left) << c.no;
  }
}

}  // namespace
