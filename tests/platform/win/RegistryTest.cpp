#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <memory>
#include <string>

#include "TestFolders.h"
#include "platform/win/Registry.h"

namespace orv::win {
namespace {

using test::EnvVar;
using test::ReadText;
using test::TempFolder;
using test::WriteText;

class RegistryTest : public ::testing::Test {
 protected:
  TempFolder temp_;
  EnvVar config_{"XDG_CONFIG_HOME", temp_.Path() + "/config"};
  std::string Folder() const { return temp_.Path() + "/config/Vurorivide"; }
  std::string File() const { return Folder() + "/Orvella.ini"; }
};

TEST_F(RegistryTest, OpenChecksNamesAndUsesTheCompanyFolder) {
  struct Case {
    const char* company;
    const char* file;
    bool ok;
  } cases[] = {
      {"Vurorivide", "Orvella.ini", true},
      {"", "Orvella.ini", false},
      {"Vurorivide", "", false},
      {"a/b", "x.ini", false},
      {"..", "x.ini", false},
      {"Vurorivide", ".", false},
  };
  for (const Case& c : cases) {
    Registry registry;
    EXPECT_EQ(registry.Open(c.company, c.file), c.ok) << c.company << " " << c.file;
    EXPECT_EQ(registry.IsOpen(), c.ok);
  }
  Registry registry;
  ASSERT_TRUE(registry.Open("Vurorivide", "Orvella.ini"));
  EXPECT_EQ(registry.Path(), File());
  EXPECT_FALSE(std::filesystem::exists(Folder()));  // nothing is written before a write
  ASSERT_TRUE(registry.WriteInt("Settings", "UI-Language", 1));
  EXPECT_TRUE(std::filesystem::is_regular_file(File()));
}

TEST_F(RegistryTest, ConfigFolderFallsBackToHome) {
  EnvVar home("HOME", temp_.Path() + "/home");
  EnvVar unset("XDG_CONFIG_HOME", std::nullopt);
  Registry registry;
  ASSERT_TRUE(registry.Open("Vurorivide", "Orvella.ini"));
  EXPECT_EQ(registry.Path(), temp_.Path() + "/home/.config/Vurorivide/Orvella.ini");
  EXPECT_TRUE(registry.WriteString("Settings", "k", "v"));
}

TEST_F(RegistryTest, MissingFileOrClosedRegistryGivesDefaults) {
  Registry closed;
  EXPECT_EQ(closed.GetString("Settings", "k", "dflt"), "dflt");
  EXPECT_EQ(closed.GetInt("Settings", "k", 300000), 300000);
  EXPECT_FALSE(closed.WriteString("Settings", "k", "v"));

  Registry registry;
  ASSERT_TRUE(registry.Open("Vurorivide", "Orvella.ini"));
  EXPECT_EQ(registry.GetInt("Settings", "ComfirmOnExit", 1), 1);
  EXPECT_EQ(registry.GetString("Settings", "LOGIN-ID-SUFFIXES"), "");
  EXPECT_FALSE(std::filesystem::exists(Folder()));  // reading creates nothing
  EXPECT_FALSE(registry.WriteString("", "k", "v"));
  EXPECT_FALSE(registry.WriteString("Settings", "", "v"));
}

TEST_F(RegistryTest, AnyTextRoundTripsThroughTheFile) {
  const std::string texts[] = {
      "plain",
      "",
      "프로그램 자동 시작이 *허용* 되었습니다.",
      "a=b;c=d;",
      "line1\nline2\r\nline3\n",
      "back\\slash\\n not a newline",
      "[Settings]",
      "#not a comment",
      ";not a comment either",
      "  spaces kept  ",
      "tab\there",
      std::string("nul\0byte", 8),
      "\x01\x1f\x7f",
      "\xff\xfe not UTF-8 \xed\xa0\x80",
  };
  {
    Registry writer;
    ASSERT_TRUE(writer.Open("Vurorivide", "Orvella.ini"));
    int i = 0;
    for (const std::string& text : texts) {
      ASSERT_TRUE(writer.WriteString("Settings", "key" + std::to_string(i++), text));
    }
    ASSERT_TRUE(writer.WriteString("Sec]tion=한;", "키=[x]\n", "value"));
  }
  Registry reader;  // a fresh object reads only the file
  ASSERT_TRUE(reader.Open("Vurorivide", "Orvella.ini"));
  int i = 0;
  for (const std::string& text : texts) {
    EXPECT_EQ(reader.GetString("Settings", "key" + std::to_string(i++), "missing"), text);
  }
  EXPECT_EQ(reader.GetString("Sec]tion=한;", "키=[x]\n"), "value");

  // The file is UTF-8 text, one entry per line: two headers, an empty line between sections.
  std::string file = ReadText(File());
  EXPECT_EQ(std::count(file.begin(), file.end(), '\n'), static_cast<long>(std::size(texts)) + 4);
  EXPECT_NE(file.find("프로그램 자동 시작이"), std::string::npos);
  EXPECT_EQ(ParseSettingsText(FormatSettingsText(ParseSettingsText(file))),
            ParseSettingsText(file));
}

TEST_F(RegistryTest, IntegersRoundTripAndBadNumbersGiveTheDefault) {
  Registry registry;
  ASSERT_TRUE(registry.Open("Vurorivide", "Orvella.ini"));
  for (int value : {0, -5, 300000, INT_MAX, INT_MIN}) {
    ASSERT_TRUE(registry.WriteInt("Settings", "n", value));
    EXPECT_EQ(registry.GetInt("Settings", "n", 42), value);
  }
  for (const char* text : {"", "abc", "12abc", " 12", "99999999999", "1.5"}) {
    ASSERT_TRUE(registry.WriteString("Settings", "n", text));
    EXPECT_EQ(registry.GetInt("Settings", "n", 42), 42) << text;
  }
}

TEST_F(RegistryTest, CorruptLinesAreSkippedAndTheRestKept) {
  std::filesystem::create_directories(Folder());
  WriteText(File(),
            "; written by hand\n"
            "orphan=before any section\n"
            "[Settings]\n"
            "good1=a\n"
            "this line has no equals sign\n"
            "bad\\qescape=x\n"
            "cut=off\\\n"
            "badhex=\\xZZ\n"
            "=no key\n"
            "good2=b\r\n"
            "[Broken\n"
            "lost=1\n"
            "[Other]\n"
            "\xff\xfe=not UTF-8\n"
            "good3=c");  // no final line break
  Registry registry;
  ASSERT_TRUE(registry.Open("Vurorivide", "Orvella.ini"));
  EXPECT_EQ(registry.GetString("Settings", "good1"), "a");
  EXPECT_EQ(registry.GetString("Settings", "good2"), "b");
  EXPECT_EQ(registry.GetString("Other", "good3"), "c");
  Registry::Sections all = ParseSettingsText(ReadText(File()));
  EXPECT_EQ(all.size(), 2u);
  EXPECT_EQ(all["Settings"].size(), 2u);
  EXPECT_EQ(all["Other"].size(), 1u);

  // A write keeps every readable value.
  ASSERT_TRUE(registry.WriteInt("Settings", "new", 5));
  Registry::Sections after = ParseSettingsText(ReadText(File()));
  EXPECT_EQ(after["Settings"]["good1"], "a");
  EXPECT_EQ(after["Settings"]["good2"], "b");
  EXPECT_EQ(after["Settings"]["new"], "5");
  EXPECT_EQ(after["Other"]["good3"], "c");
}

TEST_F(RegistryTest, TwoWritersOnOneFileLoseNothing) {
  // The host and the plug-in each hold their own object on the same file.
  Registry host, plugin;
  ASSERT_TRUE(host.Open("Vurorivide", "Orvella.ini"));
  ASSERT_TRUE(plugin.Open("Vurorivide", "Orvella.ini"));
  EXPECT_EQ(plugin.GetString("Settings", "a", "none"), "none");
  ASSERT_TRUE(host.WriteString("Settings", "a", "1"));
  ASSERT_TRUE(plugin.WriteString("Settings", "b", "2"));
  ASSERT_TRUE(host.WriteString("Settings", "c", "3"));
  for (Registry* registry : {&host, &plugin}) {
    EXPECT_EQ(registry->GetString("Settings", "a"), "1");
    EXPECT_EQ(registry->GetString("Settings", "b"), "2");
    EXPECT_EQ(registry->GetString("Settings", "c"), "3");
  }
}

TEST_F(RegistryTest, FailedWritesLeaveTheFileAsItWas) {
  Registry registry;
  // The company folder cannot be made: a file stands in its place.
  std::filesystem::create_directories(temp_.Path() + "/config");
  WriteText(Folder(), "not a folder");
  ASSERT_TRUE(registry.Open("Vurorivide", "Orvella.ini"));
  EXPECT_FALSE(registry.WriteString("Settings", "k", "v"));
  EXPECT_EQ(ReadText(Folder()), "not a folder");

  // The settings file cannot be read (here it is a folder): nothing replaces it.
  Registry unreadable;
  ASSERT_TRUE(unreadable.Open("Other", "Orvella.ini"));
  std::filesystem::create_directories(temp_.Path() + "/config/Other/Orvella.ini");
  EXPECT_FALSE(unreadable.WriteString("Settings", "k", "v"));
  EXPECT_EQ(unreadable.GetString("Settings", "k", "dflt"), "dflt");
  EXPECT_TRUE(std::filesystem::is_directory(unreadable.Path()));
}

TEST_F(RegistryTest, AWriterKilledMidWriteNeverLeavesABrokenFile) {
  const std::string padding(20000, 'x');  // long values make each write take a while
  {
    Registry registry;
    ASSERT_TRUE(registry.Open("Vurorivide", "Orvella.ini"));
    ASSERT_TRUE(registry.WriteString("Keep", "k", "kept"));
  }
  pid_t child = fork();
  ASSERT_GE(child, 0);
  // Kills the writer also when an assertion below ends the test early.
  std::unique_ptr<pid_t, void (*)(pid_t*)> killer(&child, [](pid_t* pid) {
    if (*pid > 0) {
      kill(*pid, SIGKILL);
      waitpid(*pid, nullptr, 0);
    }
  });
  if (child == 0) {
    Registry registry;
    if (!registry.Open("Vurorivide", "Orvella.ini")) _exit(1);
    for (long n = 0;; ++n) {
      registry.WriteString("Settings", "counter", std::to_string(n) + ":" + padding);
    }
  }
  // Read while the child writes: every read finds a whole file.
  long last = -1;
  int reads = 0;
  for (int i = 0; i < 2000 && last < 20; ++i) {
    std::string text = ReadText(File());
    ++reads;
    Registry::Sections sections = ParseSettingsText(text);
    ASSERT_EQ(sections["Keep"]["k"], "kept") << "read " << i << " saw " << text.size() << " bytes";
    auto value = sections["Settings"].find("counter");
    if (value != sections["Settings"].end()) {
      ASSERT_EQ(value->second.size() - value->second.find(':') - 1, padding.size());
      last = std::stol(value->second);
    }
    usleep(1000);
  }
  kill(child, SIGKILL);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  child = 0;
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_GE(last, 0) << "the child never wrote in " << reads << " reads";

  Registry after;
  ASSERT_TRUE(after.Open("Vurorivide", "Orvella.ini"));
  EXPECT_EQ(after.GetString("Keep", "k"), "kept");
  std::string counter = after.GetString("Settings", "counter");
  ASSERT_FALSE(counter.empty());
  EXPECT_EQ(counter.substr(counter.find(':') + 1), padding);
  // The killed writer's lock is gone with it: writing goes on.
  EXPECT_TRUE(after.WriteString("Settings", "counter", "done"));
  EXPECT_EQ(after.GetString("Settings", "counter"), "done");
}

class AppRegistryTest : public RegistryTest {
 protected:
  void SetUp() override { ASSERT_TRUE(AppRegistry().Open("Vurorivide", "Orvella.ini")); }
  void TearDown() override { AppRegistry().Open("", ""); }  // closes it
};

TEST_F(AppRegistryTest, ProfileCallsAndPerUserKeys) {
  EXPECT_EQ(GetProfileInt("Settings", "ScreenSaverOnTime", 300000), 300000);
  EXPECT_EQ(WriteProfileInt("Settings", "ScreenSaverOnTime", 60000), TRUE);
  EXPECT_EQ(GetProfileInt("Settings", "ScreenSaverOnTime", 300000), 60000);
  EXPECT_EQ(WriteProfileString("Settings", "LOGIN-ID-SUFFIXES", "@a;@b"), TRUE);
  EXPECT_EQ(GetProfileString("Settings", "LOGIN-ID-SUFFIXES"), "@a;@b");

  EXPECT_EQ(UserIndexKey("Stock-BuyItemSearchMode", 3), "Stock-BuyItemSearchMode-3");
  EXPECT_EQ(REG_READ_CSTRING_VALUE_UIDX("Settings", "Stock-AutoStopLossRates", 2, 7, "none"),
            "none");
  EXPECT_EQ(REG_WRITE_TEXT_VALUE_UIDX("Settings", "Stock-AutoStopLossRates", 2, 7, "-3;-5"), TRUE);
  EXPECT_EQ(REG_WRITE_TEXT_VALUE_UIDX("Settings", "Stock-AutoStopLossRates", 12, 0, "-1"), TRUE);
  EXPECT_EQ(REG_READ_CSTRING_VALUE_UIDX("Settings", "Stock-AutoStopLossRates", 2, 7), "-3;-5");
  EXPECT_EQ(REG_READ_CSTRING_VALUE_UIDX("Settings", "Stock-AutoStopLossRates", 12, 0), "-1");
  EXPECT_EQ(GetProfileString("Settings", "Stock-AutoStopLossRates-2-7"), "-3;-5");
  EXPECT_EQ(GetProfileString("Settings", "Stock-AutoStopLossRates-12"), "-1");
  EXPECT_EQ(REG_READ_CSTRING_VALUE_UIDX("Settings", "Stock-AutoStopLossRates", 7, 2), "");
}

TEST(AppRegistryClosedTest, WritesFailAndReadsGiveDefaults) {
  ASSERT_FALSE(AppRegistry().IsOpen());
  EXPECT_EQ(WriteProfileInt("Settings", "k", 1), FALSE);
  EXPECT_EQ(REG_WRITE_TEXT_VALUE_UIDX("Settings", "k", 1, 0, "v"), FALSE);
  EXPECT_EQ(GetProfileInt("Settings", "k", 9), 9);
}

}  // namespace
}  // namespace orv::win
