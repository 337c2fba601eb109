// Password zip packages: every entry reads back with the password and only with it, an empty
// file is packed too, and a file that cannot be read leaves no half package.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "platform/support/ZipArchive.h"
#include "tests/probe/ProbeHarness.h"
#include "tests/probe/UnzipTool.h"

namespace {

using orv::test::ReadZip;

TEST(ZipArchive, EntriesReadBackWithThePasswordOnly) {
  orv::test::TempDir dir;
  const std::string folder = dir.Path() + "/";
  std::string big;
  for (int i = 0; i < 5000; ++i) big += "line " + std::to_string(i) + ",가격\n";
  std::ofstream(folder + "a.csv") << big;
  std::ofstream(folder + "empty.csv");
  const std::string zip = folder + "out/log.zip";
  std::filesystem::create_directories(folder + "out");

  ASSERT_EQ(GfxCreateZipFile(zip, "", {folder + "a.csv", folder + "empty.csv"}, "1F31"), 2);
  std::map<std::string, std::string> entries;
  ASSERT_TRUE(ReadZip(zip, "1F31", &entries));
  EXPECT_EQ(entries["a.csv"], big);
  EXPECT_EQ(entries["empty.csv"], "");
  EXPECT_LT(std::filesystem::file_size(zip), big.size() / 2) << "deflated";
  std::map<std::string, std::string> wrong;
  EXPECT_FALSE(ReadZip(zip, "1F32", &wrong));

  // Without a password the entries are plain.
  ASSERT_EQ(GfxCreateZipFile(zip, "", {folder + "a.csv"}, ""), 1);
  entries.clear();
  ASSERT_TRUE(ReadZip(zip, "", &entries));
  EXPECT_EQ(entries["a.csv"], big);
}

TEST(ZipArchive, AFileThatCannotBeReadLeavesNoPackage) {
  orv::test::TempDir dir;
  const std::string folder = dir.Path() + "/";
  std::ofstream(folder + "a.csv") << "x";
  EXPECT_EQ(GfxCreateZipFile(folder + "log.zip", "", {folder + "a.csv", folder + "missing.csv"},
                             "pw"),
            -1);
  EXPECT_FALSE(std::filesystem::exists(folder + "log.zip"));
  EXPECT_EQ(GfxCreateZipFile("", "", {folder + "a.csv"}, "pw"), -1);
}

}  // namespace
