#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "TempFolder.h"
#include "host/logs/LogWriter.h"
#include "host/logs/TextEncoding.h"

namespace fs = std::filesystem;

namespace {

SYSTEMTIME At(int year, int month, int day, int hour, int minute, int second, int ms) {
  SYSTEMTIME t;
  t.wYear = static_cast<WORD>(year);
  t.wMonth = static_cast<WORD>(month);
  t.wDay = static_cast<WORD>(day);
  t.wHour = static_cast<WORD>(hour);
  t.wMinute = static_cast<WORD>(minute);
  t.wSecond = static_cast<WORD>(second);
  t.wMilliseconds = static_cast<WORD>(ms);
  return t;
}

class LogWriterTest : public ::testing::Test {
 protected:
  std::string LogPath(const std::string& relative) const { return dir.path() + "Logs/" + relative; }
  orv::host::LocalTimeSource Clock() {
    return [this] { return now; };
  }

  TempFolder dir;
  SYSTEMTIME now = At(2026, 1, 5, 13, 4, 5, 6);
};

TEST_F(LogWriterTest, WritesUtf16LeWithCrLfAndNoByteOrderMark) {
  CLogWriter writer(dir.path(), Clock());
  EXPECT_EQ(writer.WriteLine(0, L"a\r\nb", true), 1);
  EXPECT_EQ(writer.WriteLine(0, L"c", false), 1);
  EXPECT_EQ(writer.GetFileName(), LogPath("[2026-01-05]_000.txt"));
  EXPECT_EQ(ReadBytes(LogPath("[2026-01-05]_000.txt")),
            Utf16Ascii("13:04:05.006\ta\r\nb\r\n13:04:05.006\tc"));
}

TEST_F(LogWriterTest, WritesKoreanAndCharactersBeyondTheBasicPlane) {
  CLogWriter writer(dir.path(), Clock());
  ASSERT_EQ(writer.WriteLine(0, L"매수 \U0001F600", false), 1);
  const std::string expected = Utf16Ascii("13:04:05.006\t") + std::string("\xE4\xB9\x18\xC2", 4) +
                               Utf16Ascii(" ") + std::string("\x3D\xD8\x00\xDE", 4);
  EXPECT_EQ(ReadBytes(LogPath("[2026-01-05]_000.txt")), expected);
}

TEST_F(LogWriterTest, EmptyTextWritesNothing) {
  CLogWriter writer(dir.path(), Clock());
  EXPECT_EQ(writer.WriteLine(0, L"", true), 0);
  EXPECT_FALSE(fs::exists(dir.path() + "Logs"));
}

TEST_F(LogWriterTest, AFullPartSendsTheLineToTheNextPart) {
  struct Case {
    uintmax_t prefilled;
    const char* expectedFile;
  };
  for (const Case& c : {Case{CLogWriter::kSizeLimit - 1, "[2026-01-05]_000.txt"},
                        Case{CLogWriter::kSizeLimit, "[2026-01-05]_001.txt"}}) {
    SCOPED_TRACE(c.prefilled);
    fs::remove_all(dir.path() + "Logs");
    fs::create_directory(dir.path() + "Logs");
    {
      std::ofstream out(LogPath("[2026-01-05]_000.txt"), std::ios::binary);
      out << std::string(c.prefilled, 'x');
    }
    CLogWriter writer(dir.path(), Clock());
    ASSERT_EQ(writer.WriteLine(0, L"next", false), 1);
    EXPECT_EQ(writer.GetFileName(), LogPath(c.expectedFile));
    const std::string line = Utf16Ascii("13:04:05.006\tnext");
    if (c.prefilled < CLogWriter::kSizeLimit) {
      EXPECT_EQ(fs::file_size(LogPath("[2026-01-05]_000.txt")), c.prefilled + line.size());
    } else {
      EXPECT_EQ(fs::file_size(LogPath("[2026-01-05]_000.txt")), c.prefilled);
      EXPECT_EQ(ReadBytes(LogPath(c.expectedFile)), line);
    }
  }
}

TEST_F(LogWriterTest, ReopensWhenTheFolderWasRemoved) {
  CLogWriter writer(dir.path(), Clock());
  ASSERT_EQ(writer.WriteLine(0, L"first", false), 1);
  // The date is taken when a file opens: after midnight lines go on into the open file.
  now = At(2026, 1, 6, 0, 0, 1, 0);
  ASSERT_EQ(writer.WriteLine(0, L"second", false), 1);
  EXPECT_EQ(ReadBytes(LogPath("[2026-01-05]_000.txt")),
            Utf16Ascii("13:04:05.006\tfirst00:00:01.000\tsecond"));

  fs::remove_all(dir.path() + "Logs");
  ASSERT_EQ(writer.WriteLine(0, L"third", false), 1);
  EXPECT_EQ(ReadBytes(LogPath("[2026-01-06]_000.txt")), Utf16Ascii("00:00:01.000\tthird"));
}

TEST_F(LogWriterTest, FolderNamesAndStems) {
  CLogWriter numbered(dir.path(), Clock(), L"", L"", L"Pelomar");
  ASSERT_EQ(numbered.WriteLine(3, L"three", false), 1);
  // Another folder number never lands in the file of the first.
  ASSERT_EQ(numbered.WriteLine(4, L"four", false), 1);
  EXPECT_EQ(ReadBytes(LogPath("03_Pelomar/[2026-01-05]_000.txt")),
            Utf16Ascii("13:04:05.006\tthree"));
  EXPECT_EQ(ReadBytes(LogPath("04_Pelomar/[2026-01-05]_000.txt")),
            Utf16Ascii("13:04:05.006\tfour"));

  CLogWriter named(dir.path(), Clock(), L"trade", L"orders");
  ASSERT_EQ(named.WriteLine(0, L"x", false), 1);
  EXPECT_EQ(named.GetFileName(), LogPath("trade/[2026-01-05]orders_000.txt"));
}

TEST_F(LogWriterTest, NamesStayInsideTheLogFolder) {
  CLogWriter escaping(dir.path(), Clock(), L"..", L"", L"");
  ASSERT_EQ(escaping.WriteLine(0, L"x", false), 1);
  EXPECT_EQ(escaping.GetFileName(), LogPath("__/[2026-01-05]_000.txt"));

  CLogWriter slashes(dir.path(), Clock(), L"", L"", L"../../evil");
  ASSERT_EQ(slashes.WriteLine(1, L"x", false), 1);
  EXPECT_EQ(slashes.GetFileName(), LogPath("01_.._.._evil/[2026-01-05]_000.txt"));

  CLogWriter longName(dir.path(), Clock(), L"", std::wstring(40, L's'), L"");
  ASSERT_EQ(longName.WriteLine(0, L"x", false), 1);
  EXPECT_EQ(longName.GetFileName(), LogPath("[2026-01-05]" + std::string(30, 's') + "_000.txt"));
}

TEST_F(LogWriterTest, ReportsFailureWhenTheFolderCannotBeMade) {
  std::ofstream(dir.path() + "Logs") << "not a folder";
  CLogWriter writer(dir.path(), Clock());
  EXPECT_EQ(writer.WriteLine(0, L"lost", false), -1);
}

TEST(TextEncoding, InvalidCodePointsBecomeReplacementCharacters) {
  const std::wstring text = {L'A', static_cast<wchar_t>(0xD800), static_cast<wchar_t>(0x110000)};
  EXPECT_EQ(orv::host::WideToUtf8(text), "A\xEF\xBF\xBD\xEF\xBF\xBD");
  EXPECT_EQ(orv::host::WideToUtf16Le(text), std::string("A\0\xFD\xFF\xFD\xFF", 6));
}

}  // namespace
