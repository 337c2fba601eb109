#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>
#include <vector>

#include "TempFolder.h"
#include "host/logs/LogHub.h"

namespace {

SYSTEMTIME FixedTime() {
  SYSTEMTIME t;
  t.wYear = 2026;
  t.wMonth = 1;
  t.wDay = 5;
  t.wHour = 9;
  t.wMinute = 30;
  t.wSecond = 1;
  t.wMilliseconds = 250;
  return t;
}

class RecordingOwner : public LogHubOwner {
 public:
  void OnLogLinesAdded(int count) override { counts.push_back(count); }
  std::vector<int> counts;
};

class LogHubTest : public ::testing::Test {
 protected:
  int Add(const std::wstring& text) { return hub.AddLines(text, false, 0, 0, 0, 0, 0, 0, nullptr); }
  std::wstring TextAt(int index) {
    const LogHubEntry* entry = hub.GetLine(index, nullptr);
    return entry ? entry->text : L"<none>";
  }

  TempFolder dir;
  RecordingOwner owner;
  CLogHub hub{&owner, 0, dir.path(), FixedTime};
};

TEST_F(LogHubTest, SplitsAtLineFeedsAndDropsEmptyLines) {
  EXPECT_EQ(hub.AddLines(L"one\ntwo\r\n\n\r\nthree\n", true, 4, 1, 2, 3, 30, 40, L"Pelomar"), 3);
  ASSERT_EQ(hub.GetLineCount(), 3);
  EXPECT_EQ(TextAt(0), L"one");
  EXPECT_EQ(TextAt(1), L"two");
  EXPECT_EQ(TextAt(2), L"three");

  const LogHubEntry* entry = hub.GetLine(1, nullptr);
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->level, 4);
  EXPECT_EQ(entry->number2, 0);
  EXPECT_EQ(entry->number3, 30);
  EXPECT_EQ(entry->number4, 40);
  EXPECT_EQ(entry->flag1, 1);
  EXPECT_EQ(entry->flag2, 2);
  EXPECT_EQ(entry->flag3, 3);
  EXPECT_EQ(entry->source, std::optional<std::wstring>(L"Pelomar"));
  EXPECT_EQ(entry->time.wHour, 9);
  EXPECT_EQ(entry->time.wMilliseconds, 250);

  Add(L"no source");
  EXPECT_FALSE(hub.GetLine(3, nullptr)->source.has_value());
  EXPECT_EQ(Add(L"\n\r\n"), 4);
}

TEST_F(LogHubTest, CutsLongTexts) {
  Add(std::wstring(CLogHub::kMaxTextLength + 5, L'x'));
  EXPECT_EQ(TextAt(0).size(), CLogHub::kMaxTextLength);
}

TEST(LogHubLimit, ClampsTheConfiguredMaximum) {
  const struct {
    int configured;
    int kept;
  } cases[] = {{5, 10}, {-3, 10}, {10, 10}, {500, 500}, {10000, 10000}, {20000, 10000}};
  for (const auto& c : cases) {
    EXPECT_EQ(CLogHub::ClampMaximum(c.configured), c.kept) << c.configured;
    CLogHub hub(nullptr, 0, "/nonexistent/");
    hub.SetMaximum(c.configured);
    EXPECT_EQ(hub.GetMaximum(), c.kept) << c.configured;
  }
}

TEST_F(LogHubTest, KeepsTheMaximumAndListsTheNewestLine) {
  hub.SetMaximum(10);
  for (int i = 1; i <= 10; ++i) EXPECT_EQ(Add(L"line " + std::to_wstring(i)), i);
  // The eleventh line drops the first; the count stays the true count.
  EXPECT_EQ(Add(L"line 11"), 10);
  EXPECT_EQ(TextAt(0), L"line 2");
  EXPECT_EQ(TextAt(9), L"line 11");
  EXPECT_EQ(hub.GetLine(10, nullptr), nullptr);
  EXPECT_EQ(hub.GetLine(-1, nullptr), nullptr);

  // A text of several lines past the limit keeps only its newest lines.
  EXPECT_EQ(Add(L"a\nb\nc\nd\ne\nf\ng\nh\ni\nj\nk\nl"), 10);
  EXPECT_EQ(TextAt(0), L"c");
  EXPECT_EQ(TextAt(9), L"l");

  // A new maximum starts an empty list.
  hub.SetMaximum(20);
  EXPECT_EQ(hub.GetLineCount(), 0);
}

TEST_F(LogHubTest, DropOldest) {
  for (int i = 0; i < 5; ++i) Add(std::to_wstring(i));
  hub.DropOldest(2);
  EXPECT_EQ(TextAt(0), L"2");
  hub.DropOldest(99);
  EXPECT_EQ(hub.GetLineCount(), 0);
  for (int i = 0; i < 3; ++i) Add(std::to_wstring(i));
  hub.DropOldest(-1);
  EXPECT_EQ(hub.GetLineCount(), 0);
}

TEST_F(LogHubTest, FilteredViewFollowsTheLines) {
  hub.SetMaximum(10);
  Add(L"buy 1\nsell 2\nbuy 3");
  hub.SetFilter(true, L"buy");
  EXPECT_EQ(hub.GetFilteredCount(), 2);
  EXPECT_EQ(hub.GetViewCount(), 2);
  EXPECT_EQ(TextAt(0), L"buy 1");
  EXPECT_EQ(TextAt(1), L"buy 3");
  EXPECT_EQ(hub.GetLine(2, nullptr), nullptr);

  Add(L"sell 4\nbuy 5");
  EXPECT_EQ(hub.GetFilteredCount(), 3);
  EXPECT_EQ(TextAt(2), L"buy 5");

  // Dropped lines leave the filtered view too.
  for (int i = 0; i < 7; ++i) Add(L"other");
  EXPECT_EQ(hub.GetLineCount(), 10);
  EXPECT_EQ(hub.GetFilteredCount(), 2);
  EXPECT_EQ(TextAt(0), L"buy 3");

  hub.SetFilter(true, L"");
  EXPECT_EQ(hub.GetViewCount(), 10);
  hub.SetFilter(false, L"buy");
  EXPECT_EQ(hub.GetViewCount(), 10);
  EXPECT_EQ(TextAt(1), L"sell 4");
}

TEST_F(LogHubTest, ReaderCopiesOutliveDroppedLines) {
  LogCopyMap copies;
  Add(L"old");
  const LogHubEntry* out = nullptr;
  const LogHubEntry* copy = hub.GetLine(0, &copies, &out);
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(out, copy);
  EXPECT_NE(copy, hub.GetLine(0, nullptr));
  EXPECT_EQ(hub.GetLine(0, &copies), copy);

  hub.Clear();
  EXPECT_EQ(copy->text, L"old");
  EXPECT_EQ(hub.GetLine(0, &copies, &out), nullptr);
  EXPECT_EQ(out, nullptr);

  // A new line is never mistaken for a dropped one the reader has a copy of.
  Add(L"new");
  EXPECT_EQ(hub.GetLine(0, &copies)->text, L"new");
  EXPECT_EQ(copies.size(), 2u);
}

TEST_F(LogHubTest, ConcurrentWritersAndReaderLoseNothing) {
  constexpr int kThreads = 4;
  constexpr int kCalls = 500;
  hub.SetMaximum(CLogHub::kMaxLines);
  hub.SetFilter(true, L"even");
  std::atomic<bool> writing{true};
  std::thread reader([&] {
    LogCopyMap copies;
    while (writing) {
      const int count = hub.GetViewCount();
      for (int i = 0; i < count; i += 97) hub.GetLine(i, &copies);
    }
  });
  std::vector<std::thread> writers;
  for (int t = 0; t < kThreads; ++t) {
    writers.emplace_back([&, t] {
      for (int i = 0; i < kCalls; ++i) {
        const std::wstring tag = std::to_wstring(t) + L" " + std::to_wstring(i);
        hub.AddLines(tag + L" even\n" + tag + L" odd", false, t, 0, 0, 0, i, 0, nullptr);
      }
    });
  }
  for (auto& w : writers) w.join();
  writing = false;
  reader.join();

  ASSERT_EQ(hub.GetLineCount(), kThreads * kCalls * 2);
  EXPECT_EQ(hub.GetFilteredCount(), kThreads * kCalls);
  hub.SetFilter(false, L"");
  // Each call's two lines stay together, and each thread's calls stay in order.
  std::vector<int> next(kThreads, 0);
  for (int i = 0; i < hub.GetLineCount(); i += 2) {
    const LogHubEntry* even = hub.GetLine(i, nullptr);
    const LogHubEntry* odd = hub.GetLine(i + 1, nullptr);
    ASSERT_EQ(even->level, odd->level);
    ASSERT_EQ(even->number3, next[even->level]++);
    ASSERT_EQ(odd->number3, even->number3);
  }
  for (int n : next) EXPECT_EQ(n, kCalls);
}

TEST_F(LogHubTest, AddLinesAndWriteFillsTheDailyFileAndTellsTheOwner) {
  EXPECT_EQ(hub.AddLinesAndWrite(L"Program started... Please wait..\r\n", false, 0, 0, 0, 0, 0, 0,
                                 nullptr),
            0);
  EXPECT_EQ(TextAt(0), L"Program started... Please wait..");
  EXPECT_EQ(ReadBytes(dir.path() + "Logs/[2026-01-05]_000.txt"),
            Utf16Ascii("09:30:01.250\tProgram started... Please wait..\r\n"));
  hub.SetFilter(true, L"zzz");
  hub.AddLinesAndWrite(L"second", true, 0, 0, 0, 0, 0, 0, nullptr);
  EXPECT_EQ(owner.counts, (std::vector<int>{1, 0}));
  EXPECT_EQ(ReadBytes(dir.path() + "Logs/[2026-01-05]_000.txt"),
            Utf16Ascii("09:30:01.250\tProgram started... Please wait..\r\n"
                       "09:30:01.250\tsecond\r\n"));

  EXPECT_EQ(hub.Stop(), -1);
  EXPECT_EQ(hub.GetLineCount(), 0);
  // Closed writers open their file again on the next line.
  hub.AddLinesAndWrite(L"third", false, 0, 0, 0, 0, 0, 0, nullptr);
  EXPECT_EQ(std::filesystem::file_size(dir.path() + "Logs/[2026-01-05]_000.txt"),
            Utf16Ascii("09:30:01.250\tProgram started... Please wait..\r\n"
                       "09:30:01.250\tsecond\r\n09:30:01.250\tthird")
                .size());
}

TEST(LogHubWriter, TheFirstSourceNamesTheFolder) {
  TempFolder dir;
  CLogHub hub(nullptr, 0, dir.path(), FixedTime);
  hub.AddLinesAndWrite(L"from module", false, 1, 0, 0, 0, 0, 2, L"Pelomar");
  EXPECT_EQ(ReadBytes(dir.path() + "Logs/02_Pelomar/[2026-01-05]_000.txt"),
            Utf16Ascii("09:30:01.250\tfrom module"));
}

}  // namespace
