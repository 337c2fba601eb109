// App_Data.dat, the folder layout and the archives unpacked at start-up.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "TestFolder.h"
#include "host/app/AppDataFile.h"
#include "host/app/AppFolders.h"
#include "host/app/ZipFiles.h"

namespace {

using orv::host::AppDataBlock;
using orv::host::kAppDataBlockSize;
using orv::test::TempFolder;

std::string Pattern(size_t n) {
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>('A' + i % 26);
  return s;
}

TEST(AppDataFile, LoadBySize) {
  struct Case {
    size_t fileSize;  // 0: no file
    bool shortFlag;
    size_t copied;
  };
  const Case cases[] = {
      {0, true, 0},
      {100, true, 0},
      {kAppDataBlockSize - 1, true, 0},
      {kAppDataBlockSize, false, 8575},
      {8735, false, kAppDataBlockSize},
      {20000, false, kAppDataBlockSize},  // longer files are cut to the block
  };
  for (const auto& c : cases) {
    TempFolder dir;
    const std::string path = dir.path() + "App_Data.dat";
    const std::string content = Pattern(c.fileSize);
    if (c.fileSize > 0) orv::test::WriteFileText(path, content);
    auto block = std::make_unique<AppDataBlock>();
    block->bytes[5] = 0x7F;  // kept when nothing is copied
    block->bytes[kAppDataBlockSize - 1] = 0x7E;
    orv::host::LoadAppDataFile(path, *block);
    EXPECT_EQ(block->fileWasShort, c.shortFlag) << c.fileSize;
    EXPECT_EQ(block->bytes[0], 0) << c.fileSize;
    if (c.copied == 0) {
      EXPECT_EQ(block->bytes[5], 0x7F) << c.fileSize;
      continue;
    }
    EXPECT_EQ(std::string(reinterpret_cast<char*>(block->bytes) + 1, c.copied - 1),
              content.substr(1, c.copied - 1))
        << c.fileSize;
    if (c.copied < kAppDataBlockSize) {
      EXPECT_EQ(block->bytes[c.copied], 0) << "bytes past the copy stay as they were";
    }
  }
}

TEST(AppDataFile, SaveWritesTheWholeBlockAndClearsTheFirstByte) {
  TempFolder dir;
  const std::string path = dir.path() + "App_Data.dat";
  orv::test::WriteFileText(path, Pattern(20000));
  AppDataBlock block;
  block.bytes[0] = 9;
  block.bytes[1] = 42;
  ASSERT_TRUE(orv::host::SaveAppDataFile(path, block));
  EXPECT_EQ(std::filesystem::file_size(path), kAppDataBlockSize);
  EXPECT_EQ(block.bytes[0], 0);
  const std::string saved = orv::test::ReadFileText(path);
  EXPECT_EQ(saved[0], 9);
  EXPECT_EQ(saved[1], 42);

  AppDataBlock unwritable;
  EXPECT_FALSE(orv::host::SaveAppDataFile(dir.path() + "missing/App_Data.dat", unwritable));
}

TEST(AppDataFile, FailedSaveLeavesThePreviousFileWhole) {
  TempFolder dir;
  const std::string path = dir.path() + "App_Data.dat";
  const std::string previous = Pattern(kAppDataBlockSize);
  orv::test::WriteFileText(path, previous);
  // The temporary file cannot be made: the save fails before the file is touched.
  std::filesystem::create_directories(path + ".tmp");
  AppDataBlock block;
  block.bytes[1] = 1;
  EXPECT_FALSE(orv::host::SaveAppDataFile(path, block));
  EXPECT_EQ(orv::test::ReadFileText(path), previous);
  std::filesystem::remove(path + ".tmp");
  EXPECT_TRUE(orv::host::SaveAppDataFile(path, block));
  EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
  EXPECT_EQ(orv::test::ReadFileText(path)[1], 1);
}

TEST(AppFolders, LayoutWithDocumentsAndSharedData) {
  TempFolder root;
  const std::string exeFolder = root.path() + "prog/bin/";
  std::filesystem::create_directories(exeFolder);
  orv::host::AppFolders f;
  orv::host::LayOutExeFolders(exeFolder + "orvella", f);
  EXPECT_EQ(f.exeFolder, exeFolder);
  EXPECT_EQ(f.exeName, "orvella");
  EXPECT_EQ(f.parentFolder, root.path() + "prog/");
  EXPECT_EQ(f.appDataFilePath, exeFolder + "Config/App_Data.dat");
  for (const char* sub : {"Config", "WebUserData", "WebPayData"}) {
    EXPECT_TRUE(std::filesystem::is_directory(exeFolder + sub)) << sub;
  }

  // A catalogue under another app-settings name and a menus database are found.
  orv::test::WriteFileText(exeFolder + "Settings/app-settings-rede2-app.db", "x");
  orv::test::WriteFileText(exeFolder + "Settings/menus-b.db", "x");
  orv::test::WriteFileText(exeFolder + "Settings/menus-a.db", "x");
  const std::string docs = root.path() + "Documents";
  std::filesystem::create_directories(docs);
  orv::host::LayOutStartupFolders(docs, root.path() + "share", "Varqo", f);
  EXPECT_EQ(f.userDataFolder, docs + "/Varqo/orvella/");
  EXPECT_EQ(f.moduleFolder, docs + "/Varqo/orvella/Ziro/");
  EXPECT_EQ(f.logFolder, docs + "/Varqo/orvella/Log/");
  EXPECT_EQ(f.settingsFolder, exeFolder + "Settings/");
  EXPECT_EQ(f.sharedDataFolder, root.path() + "share/Varqo/orvella/");
  EXPECT_EQ(f.catalogPath, exeFolder + "Settings/app-settings-rede2-app.db");
  EXPECT_EQ(f.dataDbPath, exeFolder + "Settings/data.db");
  EXPECT_EQ(f.menusDbPath, exeFolder + "Settings/menus-a.db");
  for (const auto& d : {f.userDataFolder, f.moduleFolder, f.sharedDataFolder}) {
    EXPECT_TRUE(std::filesystem::is_directory(d)) << d;
  }

  // The preferred names win when present.
  orv::test::WriteFileText(exeFolder + "Settings/app-settings.db", "x");
  orv::test::WriteFileText(exeFolder + "Settings/menus-rede2-app.db", "x");
  orv::host::LayOutStartupFolders(docs, "", "Varqo", f);
  EXPECT_EQ(f.catalogPath, exeFolder + "Settings/app-settings.db");
  EXPECT_EQ(f.menusDbPath, exeFolder + "Settings/menus-rede2-app.db");
  EXPECT_EQ(f.sharedDataFolder, "");

  EXPECT_EQ(orv::host::MakeFolderNameFolder(docs, "Varqo", "Orvella"), docs + "/Varqo/Orvella/");
  EXPECT_TRUE(std::filesystem::is_directory(docs + "/Varqo/Orvella"));
}

TEST(AppFolders, FallbacksWithoutDocumentsOrWritableFolders) {
  TempFolder root;
  const std::string exeFolder = root.path() + "bin/";
  std::filesystem::create_directories(exeFolder);
  orv::host::AppFolders f;
  orv::host::LayOutExeFolders(exeFolder + "orvella", f);
  // "Settings" cannot be made: a file of that name is in the way.
  orv::test::WriteFileText(exeFolder + "Settings", "not a folder");
  orv::host::LayOutStartupFolders("", "", "Varqo", f);
  EXPECT_EQ(f.userDataFolder, exeFolder);
  EXPECT_EQ(f.moduleFolder, exeFolder + "Ziro/");
  EXPECT_EQ(f.settingsFolder, exeFolder);
  EXPECT_EQ(f.catalogPath, exeFolder + "app-settings.db");
  EXPECT_EQ(f.menusDbPath, "");

  std::filesystem::remove_all(exeFolder + "Ziro");
  orv::test::WriteFileText(exeFolder + "Ziro", "not a folder");
  orv::host::LayOutStartupFolders("", "", "Varqo", f);
  EXPECT_EQ(f.moduleFolder, exeFolder);
}

TEST(ZipFiles, UnpacksEntriesWithFolders) {
  TempFolder dir;
  const std::string zip = dir.path() + "a.zip";
  orv::test::MakeZip(zip, {{"app-settings.db", "SQLite"}, {"sub/inner.txt", "안녕"}, {"d/", ""}});
  EXPECT_EQ(orv::host::UnzipFiles(zip, dir.path() + "out/"), 2);
  EXPECT_EQ(orv::test::ReadFileText(dir.path() + "out/app-settings.db"), "SQLite");
  EXPECT_EQ(orv::test::ReadFileText(dir.path() + "out/sub/inner.txt"), "안녕");
  EXPECT_TRUE(std::filesystem::is_directory(dir.path() + "out/d"));
}

TEST(ZipFiles, DamagedEntryLeavesTheExistingFileWhole) {
  TempFolder dir;
  const std::string zip = dir.path() + "a.zip";
  std::string content;
  for (int i = 0; i < 4000; ++i) content += std::to_string(i * 7919 % 10007) + ",";
  orv::test::MakeZip(zip, {{"app-settings.db", content}});
  // Damage the compressed data: past the local header (30 bytes) and the name.
  std::string bytes = orv::test::ReadFileText(zip);
  const size_t data = 30 + std::string("app-settings.db").size();
  for (size_t i = data + 20; i < data + 60; ++i) bytes[i] = static_cast<char>(bytes[i] ^ 0x5A);
  orv::test::WriteFileText(zip, bytes);
  const std::string target = dir.path() + "out/app-settings.db";
  orv::test::WriteFileText(target, "the intact old catalogue");

  EXPECT_EQ(orv::host::UnzipFiles(zip, dir.path() + "out/"), -1);
  EXPECT_FALSE(orv::host::UnzipEntryTo(zip, "app-settings.db", target));
  EXPECT_EQ(orv::test::ReadFileText(target), "the intact old catalogue");
  EXPECT_FALSE(std::filesystem::exists(target + ".tmp"));
}

TEST(ZipFiles, OneEntryByName) {
  TempFolder dir;
  const std::string zip = dir.path() + "a.zip";
  orv::test::MakeZip(zip, {{"other.db", "o"}, {"app-settings.db", "catalogue"}});
  const std::string target = dir.path() + "restored.db";
  EXPECT_TRUE(orv::host::UnzipEntryTo(zip, "app-settings.db", target));
  EXPECT_EQ(orv::test::ReadFileText(target), "catalogue");
  EXPECT_FALSE(std::filesystem::exists(dir.path() + "other.db"));
  EXPECT_FALSE(orv::host::UnzipEntryTo(zip, "missing.db", target));
  EXPECT_FALSE(orv::host::UnzipEntryTo(dir.path() + "none.zip", "app-settings.db", target));
  EXPECT_EQ(orv::test::ReadFileText(target), "catalogue");
}

TEST(ZipFiles, RefusesBadArchivesAndEscapingNames) {
  TempFolder dir;
  EXPECT_EQ(orv::host::UnzipFiles(dir.path() + "none.zip", dir.path() + "out/"), -1);
  orv::test::WriteFileText(dir.path() + "bad.zip", "not a zip at all");
  EXPECT_EQ(orv::host::UnzipFiles(dir.path() + "bad.zip", dir.path() + "out/"), -1);
  for (const char* name : {"../evil.txt", "a/../../evil.txt", "/tmp/evil.txt"}) {
    const std::string zip = dir.path() + "evil.zip";
    std::filesystem::remove(zip);
    orv::test::MakeZip(zip, {{name, "x"}});
    EXPECT_EQ(orv::host::UnzipFiles(zip, dir.path() + "out/"), -1) << name;
  }
  EXPECT_FALSE(std::filesystem::exists(dir.path() + "evil.txt"));
}

}  // namespace
