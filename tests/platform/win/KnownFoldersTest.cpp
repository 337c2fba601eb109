#include <gtest/gtest.h>
#include <limits.h>
#include <stdlib.h>

#include <filesystem>
#include <optional>
#include <string>

#include "TestFolders.h"
#include "platform/win/KnownFolders.h"

namespace orv::win {
namespace {

using test::EnvVar;
using test::TempFolder;
using test::WriteText;

class KnownFoldersTest : public ::testing::Test {
 protected:
  TempFolder temp_;
  std::string home_ = temp_.Path() + "/home";
  EnvVar home_var_{"HOME", home_};
  EnvVar config_{"XDG_CONFIG_HOME", std::nullopt};
  EnvVar data_{"XDG_DATA_HOME", std::nullopt};
  EnvVar documents_{"XDG_DOCUMENTS_DIR", std::nullopt};
};

TEST_F(KnownFoldersTest, ConfigAndDataFollowXdgElseHome) {
  EXPECT_EQ(GetHomeFolder(), home_);
  EXPECT_EQ(GetConfigFolder(), home_ + "/.config");
  EXPECT_EQ(GetDataFolder(), home_ + "/.local/share");
  {
    EnvVar config("XDG_CONFIG_HOME", "/srv/conf/");
    EnvVar data("XDG_DATA_HOME", "/srv/data");
    EXPECT_EQ(GetConfigFolder(), "/srv/conf");
    EXPECT_EQ(GetDataFolder(), "/srv/data");
  }
  {
    // Relative or empty values do not count.
    EnvVar config("XDG_CONFIG_HOME", "relative/conf");
    EnvVar data("XDG_DATA_HOME", "");
    EXPECT_EQ(GetConfigFolder(), home_ + "/.config");
    EXPECT_EQ(GetDataFolder(), home_ + "/.local/share");
  }
}

TEST_F(KnownFoldersTest, DocumentsFromEnvironmentThenUserDirsThenHome) {
  struct Case {
    std::optional<std::string> env;
    std::optional<std::string> userDirs;
    std::string expected;
  } cases[] = {
      {std::nullopt, std::nullopt, home_ + "/Documents"},
      {std::nullopt, "XDG_DOCUMENTS_DIR=\"$HOME/문서\"\n", home_ + "/문서"},
      {std::nullopt,
       "# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
       "  XDG_DOCUMENTS_DIR=\"/data/docs/\"  \n",
       "/data/docs"},
      {std::nullopt, "XDG_DOCUMENTS_DIR=\"relative/docs\"\n", home_ + "/Documents"},
      {std::nullopt, "XDG_DOCUMENTS_DIR=$HOME/unquoted\n", home_ + "/Documents"},
      {std::nullopt, "XDG_DOCUMENTS_DIR=\"$HOMEWORK\"\n", home_ + "/Documents"},
      {"/env/docs", "XDG_DOCUMENTS_DIR=\"/data/docs\"\n", "/env/docs"},
  };
  std::filesystem::create_directories(home_ + "/.config");
  const std::string userDirs = home_ + "/.config/user-dirs.dirs";
  for (const Case& c : cases) {
    std::filesystem::remove(userDirs);
    if (c.userDirs) WriteText(userDirs, *c.userDirs);
    EnvVar env("XDG_DOCUMENTS_DIR", c.env);
    EXPECT_EQ(GetDocumentsFolder(), c.expected) << c.userDirs.value_or("(no file)");
  }
}

TEST_F(KnownFoldersTest, ProgramFolderIsTheExecutablesFolder) {
  std::string folder = GetProgramFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), '/');
  char real[PATH_MAX];
  ASSERT_NE(realpath(ORV_BINARY_DIR "/tests/platform/win", real), nullptr);
  EXPECT_EQ(folder, std::string(real) + "/");
}

TEST_F(KnownFoldersTest, CreateFoldersMakesMissingParents) {
  std::string deep = temp_.Path() + "/a/b/c";
  EXPECT_TRUE(CreateFolders(deep));
  EXPECT_TRUE(std::filesystem::is_directory(deep));
  EXPECT_TRUE(CreateFolders(deep + "/"));  // already there
  WriteText(temp_.Path() + "/file", "x");
  EXPECT_FALSE(CreateFolders(temp_.Path() + "/file"));
  EXPECT_FALSE(CreateFolders(temp_.Path() + "/file/sub"));
  EXPECT_FALSE(CreateFolders(""));
}

}  // namespace
}  // namespace orv::win
