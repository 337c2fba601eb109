#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <regex>
#include <sstream>
#include <thread>
#include <vector>

#include "EngineTestSupport.h"
#include "platform/win/Clock.h"
#include "plugin/view/engine/DailyLogs.h"
#include "plugin/view/engine/PriceLog.h"
#include "shared/StockRecords.h"

namespace {

const std::string kBom = "\xEF\xBB\xBF";
const std::string kHeader =
    "틱,시간,나라,증권사,자동,시뮬,종목코드,종목명,주문번호,결과코드,결과메시지,주문량,남은량,"
    "총량,매입가,현재가,현재등락률,수익률,컷수익률,익절기준률,손절기준률\n";

class RecordingPane : public ILogPane {
 public:
  struct Entry {
    DWORD ctrlId, kind;
    double value;
    std::wstring title, msg;
    BYTE flag;
  };
  int AddLogMsgToPane(DWORD ctrlId, DWORD kind, double value, const wchar_t* title,
                      const wchar_t* msg, BYTE flag) override {
    std::lock_guard<std::mutex> lock(mutex);
    entries.push_back({ctrlId, kind, value, title ? title : L"", msg ? msg : L"", flag});
    return 7;
  }
  std::mutex mutex;
  std::vector<Entry> entries;
};

class DailyLogsTest : public ::testing::Test {
 protected:
  DailyLogsTest() : scoped_(clock_) {
    clock_.SetLocalTime(LocalTime(2025, 1, 6, 9, 30, 15, 42));
    clock_.SetTick(123456);
    logs_.SetLogFolder(data_.WidePath());
  }
  std::string LogPath(const std::string& name) const { return data_.Path() + "Log/" + name; }
  Stock_s* MakeStock(const wchar_t* code, const wchar_t* name, double price) {
    Stock_s* stock = GfxNewStock(kMarketDomestic);
    std::wcscpy(stock->code, code);
    stock->name = name;
    stock->cur_price = price;
    master_.emplace(stock->code, stock);
    return stock;
  }

  TempDataFolder data_;
  orv::win::FakeClock clock_;
  orv::win::ScopedClock scoped_;
  CDailyLogs logs_;
  OwningStockMap master_;
};

TEST_F(DailyLogsTest, OpeningCreatesTheDatedFilesWithMarkAndHeader) {
  EXPECT_EQ(logs_.GetLogFolder(), data_.Path() + "Log/");
  logs_.OpenAppLog();
  logs_.OpenTradingLog();
  LogStream price = logs_.OpenPriceLog();
  ASSERT_TRUE(price);
  EXPECT_EQ(logs_.GetAppLogPath(), LogPath("20250106_app_log.csv"));
  EXPECT_EQ(logs_.GetTradingLogPath(), LogPath("20250106_trading_log.csv"));
  EXPECT_EQ(logs_.GetPriceLogPath(), LogPath("20250106_price_log.csv"));
  EXPECT_EQ(ReadBytes(LogPath("20250106_app_log.csv")), kBom);
  EXPECT_EQ(ReadBytes(LogPath("20250106_trading_log.csv")), kBom + kHeader);
  EXPECT_TRUE(Exists(LogPath("20250106_price_log.csv")));
  EXPECT_EQ(ReadBytes(LogPath("20250106_price_log.csv")), "");

  // Opening again on the same day keeps the open stream: nothing is written twice.
  logs_.OpenAppLog();
  logs_.OpenTradingLog();
  EXPECT_EQ(logs_.OpenPriceLog(), price);
  EXPECT_EQ(ReadBytes(LogPath("20250106_trading_log.csv")), kBom + kHeader);
}

TEST_F(DailyLogsTest, ASecondStartOnTheSameDayAppendsMarkAndHeaderAgain) {
  logs_.OpenAppLog();
  logs_.OpenTradingLog();
  logs_.AddLogMsg(1, 4, 0, L"", L"first run", 0);
  logs_.CloseLogs();

  CDailyLogs second;
  second.SetLogFolder(data_.WidePath());
  second.OpenAppLog();
  second.OpenTradingLog();
  EXPECT_EQ(ReadBytes(LogPath("20250106_app_log.csv")),
            kBom + "2025-01-06 09:30:15.042,\"first run\"\n" + kBom);
  EXPECT_EQ(ReadBytes(LogPath("20250106_trading_log.csv")), kBom + kHeader + kBom + kHeader);
}

TEST_F(DailyLogsTest, AppLogLineQuotesTheMessageAndEveryMessageReachesThePane) {
  RecordingPane pane;
  logs_.SetLogPane(&pane);
  logs_.OpenAppLog();
  EXPECT_EQ(logs_.AddLogMsg(11, 4, 2.5, L"제목", L"잔고, 조회 \"완료\"", 3), 7);
  EXPECT_EQ(logs_.AddLogMsg(11, 4, 0, L"t", L"", 0), 7);      // no text: no line
  EXPECT_EQ(logs_.AddLogMsg(11, 4, 0, L"t", nullptr, 0), 7);  // no text: no line
  EXPECT_EQ(ReadBytes(LogPath("20250106_app_log.csv")),
            kBom + "2025-01-06 09:30:15.042,\"잔고, 조회 \"완료\"\"\n");
  ASSERT_EQ(pane.entries.size(), 3u);
  EXPECT_EQ(pane.entries[0].ctrlId, 11u);
  EXPECT_EQ(pane.entries[0].kind, 4u);
  EXPECT_EQ(pane.entries[0].value, 2.5);
  EXPECT_EQ(pane.entries[0].title, L"제목");
  EXPECT_EQ(pane.entries[0].msg, L"잔고, 조회 \"완료\"");
  EXPECT_EQ(pane.entries[0].flag, 3);

  // Closed logs still pass messages to the pane but write no line.
  logs_.CloseLogs();
  EXPECT_FALSE(logs_.IsAppLogOpen());
  logs_.AddLogMsg(11, 4, 0, L"", L"after stop", 0);
  EXPECT_EQ(pane.entries.size(), 4u);
  EXPECT_EQ(ReadBytes(LogPath("20250106_app_log.csv")).find("after stop"), std::string::npos);
}

TEST_F(DailyLogsTest, TradingLineHasTheExactColumns) {
  Stock_s* stock = MakeStock(L"005930", L"삼성전자", 71500);
  StockTrade_s order;
  order.broker_id = 3;
  TradingLine_s line;
  line.order_no = L"0001234";
  line.auto_flag = 1;
  line.sim_flag = 0;
  line.result_code = 10;
  line.result_msg = L"매도, 주문";
  line.order_qty = 5;
  line.remaining_qty = 15;
  line.total_qty = 20;
  line.buy_price = 70000.5;
  EXPECT_EQ(logs_.WriteTradingLine(&order, stock, line), 0);

  TradingLine_s bare;  // no order, no texts
  logs_.WriteTradingLine(nullptr, stock, bare);
  EXPECT_EQ(ReadBytes(LogPath("20250106_trading_log.csv")),
            kBom + kHeader +
                "123456,09:30:15,1,3,1,0,005930,삼성전자,0001234,10,매도, "
                "주문,5.000000,15.000000,20.000000,70000.500000,71500.000000\n"
                "123456,09:30:15,1,0,0,0,005930,삼성전자,,0,,0.000000,0.000000,0.000000,"
                "0.000000,71500.000000\n");
}

TEST_F(DailyLogsTest, TradingLineWithoutStockOpensTheLogButWritesNothing) {
  EXPECT_EQ(logs_.WriteTradingLine(nullptr, nullptr, TradingLine_s{}), 0);
  EXPECT_TRUE(logs_.IsTradingLogOpen());
  EXPECT_EQ(ReadBytes(LogPath("20250106_trading_log.csv")), kBom + kHeader);
}

TEST_F(DailyLogsTest, PriceLineHasTheExactColumns) {
  LogStream stream = logs_.OpenPriceLog();
  const double values[5] = {71500, 1.25, 71000, 72000, 70500.5};
  EXPECT_EQ(WritePriceLogLine(stream.get(), 1, L"005930", 4000000000ull,
                              LocalTime(2025, 1, 6, 9, 1, 2), values),
            1);
  EXPECT_EQ(WritePriceLogLine(nullptr, 1, L"005930", 1, LocalTime(2025, 1, 6, 9, 1, 2), values), 0);
  std::fflush(stream.get());  // as the polling pass does at its end
  EXPECT_EQ(ReadBytes(LogPath("20250106_price_log.csv")),
            "1,\"005930\",4000000000,\"2025-01-06 09:01:02\",71500.000000,1.250000,"
            "71000.000000,72000.000000,70500.500000\n");
}

// Price lines are buffered between a pass's flushes: every line still reaches the file, in
// the order written, once the pass flushes, the day switches or the logs close.
TEST_F(DailyLogsTest, BufferedPriceLinesReachTheFileInOrderAtFlushDaySwitchAndClose) {
  const double values[5] = {1, 2, 3, 4, 5};
  auto write = [&](LogStream& stream, int first, int count) {
    for (int i = first; i < first + count; ++i)
      WritePriceLogLine(stream.get(), 1, L"005930", static_cast<uint64_t>(i),
                        LocalTime(2025, 1, 6, 9, 0, 0), values);
  };
  auto ticks = [&](const std::string& file) {
    std::vector<int> out;
    std::istringstream in(ReadBytes(LogPath(file)));
    for (std::string line; std::getline(in, line);)
      out.push_back(std::stoi(line.substr(line.find(',', 2) + 1)));
    return out;
  };
  auto range = [](int first, int last) {
    std::vector<int> out;
    for (int i = first; i <= last; ++i) out.push_back(i);
    return out;
  };
  // More than the write buffer holds, then the pass's flush.
  LogStream pass = logs_.OpenPriceLog();
  write(pass, 0, 2000);
  std::fflush(pass.get());
  EXPECT_EQ(ticks("20250106_price_log.csv"), range(0, 1999));
  // Lines still buffered when the day switches under a running pass reach the old day's file
  // when that pass lets go of its stream.
  write(pass, 2000, 10);
  clock_.SetLocalTime(LocalTime(2025, 1, 7, 0, 0, 1));
  LogStream next = logs_.OpenPriceLog();
  write(next, 5000, 10);
  pass.reset();
  EXPECT_EQ(ticks("20250106_price_log.csv"), range(0, 2009));
  // Closing the logs at shutdown writes the rest.
  next.reset();
  logs_.CloseLogs();
  EXPECT_EQ(ticks("20250107_price_log.csv"), range(5000, 5009));
}

TEST_F(DailyLogsTest, TradingAndPriceLogsMoveToTheNewDayAfterMidnightAppLogStays) {
  Stock_s* stock = MakeStock(L"005930", L"삼성전자", 100);
  logs_.OpenAppLog();
  clock_.SetLocalTime(LocalTime(2025, 1, 6, 23, 59, 59, 500));
  logs_.WriteTradingLine(nullptr, stock, TradingLine_s{});
  LogStream before = logs_.OpenPriceLog();
  clock_.Advance(1000);  // 2025-01-07 00:00:00.500

  logs_.WriteTradingLine(nullptr, stock, TradingLine_s{});
  LogStream after = logs_.OpenPriceLog();
  logs_.AddLogMsg(1, 4, 0, L"", L"after midnight", 0);

  EXPECT_NE(before, after);
  EXPECT_EQ(logs_.GetTradingLogPath(), LogPath("20250107_trading_log.csv"));
  EXPECT_EQ(logs_.GetPriceLogPath(), LogPath("20250107_price_log.csv"));
  EXPECT_EQ(logs_.GetAppLogPath(), LogPath("20250106_app_log.csv"));
  const std::string oldTrading = ReadBytes(LogPath("20250106_trading_log.csv"));
  const std::string newTrading = ReadBytes(LogPath("20250107_trading_log.csv"));
  EXPECT_THAT(oldTrading, ::testing::EndsWith(",23:59:59,1,0,0,0,005930,삼성전자,,0,,0.000000,"
                                              "0.000000,0.000000,0.000000,100.000000\n"));
  EXPECT_EQ(newTrading.substr(0, kBom.size() + kHeader.size()), kBom + kHeader);
  EXPECT_THAT(newTrading, ::testing::HasSubstr(",00:00:00,1,0,"));
  EXPECT_THAT(ReadBytes(LogPath("20250106_app_log.csv")), ::testing::HasSubstr("after midnight"));
  EXPECT_FALSE(Exists(LogPath("20250107_app_log.csv")));

  // A polling pass that still holds the old day's stream writes to it safely.
  const double values[5] = {1, 2, 3, 4, 5};
  WritePriceLogLine(before.get(), 1, L"A", 1, LocalTime(2025, 1, 6, 23, 59, 59), values);
  before.reset();
  EXPECT_THAT(ReadBytes(LogPath("20250106_price_log.csv")), ::testing::StartsWith("1,\"A\",1,"));
}

TEST_F(DailyLogsTest, FailedOpenLeavesTheLogClosedAndTheNextSwitchRetries) {
  CDailyLogs logs;
  logs.SetLogFolder(data_.WidePath());
  std::filesystem::remove_all(data_.Path() + "Log");
  Stock_s* stock = MakeStock(L"1", L"x", 1);
  logs.WriteTradingLine(nullptr, stock, TradingLine_s{});
  EXPECT_FALSE(logs.IsTradingLogOpen());
  std::filesystem::create_directories(data_.Path() + "Log");
  logs.WriteTradingLine(nullptr, stock, TradingLine_s{});
  EXPECT_TRUE(logs.IsTradingLogOpen());
}

// Logs without a folder (never set, or set empty) refuse every open and write, and never fall
// back to the current folder: nothing is made there and old logs lying there stay.
TEST_F(DailyLogsTest, WithoutAFolderNothingIsOpenedWrittenOrDeleted) {
  TempDataFolder cwd;
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(cwd.Path());
  WriteBytes(cwd.Path() + "20250101_app_log.csv", "x");
  Stock_s* stock = MakeStock(L"1", L"x", 1);
  for (bool setEmpty : {false, true}) {
    SCOPED_TRACE(setEmpty ? "set empty" : "never set");
    CDailyLogs logs;
    if (setEmpty) EXPECT_EQ(logs.SetLogFolder(L""), 0);
    EXPECT_EQ(logs.GetLogFolder(), "");
    EXPECT_FALSE(logs.OpenAppLog());
    EXPECT_FALSE(logs.OpenTradingLog());
    EXPECT_EQ(logs.OpenPriceLog(), nullptr);
    EXPECT_EQ(logs.WriteTradingLine(nullptr, stock, TradingLine_s{}), -1);
    EXPECT_EQ(logs.AddLogMsg(1, 4, 0, L"", L"message", 0), 0);
    EXPECT_EQ(logs.StartDailyLogs(1), 0);
    EXPECT_FALSE(logs.IsAppLogOpen() || logs.IsTradingLogOpen() || logs.IsPriceLogOpen());
    EXPECT_EQ(logs.GetTradingLogPath(), "");
  }
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(cwd.Path()))
    names.push_back(entry.path().filename().string());
  std::filesystem::current_path(before);
  EXPECT_THAT(names, ::testing::ElementsAre("20250101_app_log.csv"));
}

// Files of the three kinds dated `offset` days from 2025-01-06.
struct PurgeCase {
  int days;
  std::vector<int> deletedOffsets;
  std::vector<int> keptOffsets;
  std::wstring cutOff;
};

TEST_F(DailyLogsTest, DeleteOldLogsRemovesDaysFiveToThirty) {
  const auto key = [](int offset) {
    // 2025-01-06 plus offset days, for offsets between -40 and 0.
    int year = 2025, month = 1, day = 6 + offset;
    while (day < 1) {
      month -= 1;
      if (month == 0) {
        month = 12;
        year -= 1;
      }
      const int lengths[] = {31, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
      day += lengths[month];
    }
    char text[16];
    std::snprintf(text, sizeof text, "%04d%02d%02d", year, month, day);
    return std::string(text);
  };
  const char* const kinds[] = {"_app_log.csv", "_trading_log.csv", "_price_log.csv"};
  const PurgeCase cases[] = {
      {-5, {-5, -6, -30}, {-1, -4, -31}, L"2025-01-01"},
      {0, {-1, -4, -5, -30}, {-31}, L"2025-01-05"},
      {3, {-1, -30}, {-31}, L"2025-01-05"},
      {-30, {-30}, {-29, -31}, L"2024-12-07"},
      {-31, {}, {-30, -31, -40}, L""},
  };
  for (const PurgeCase& c : cases) {
    SCOPED_TRACE(c.days);
    std::filesystem::remove_all(data_.Path() + "Log");
    std::filesystem::create_directories(data_.Path() + "Log");
    for (int offset : c.deletedOffsets)
      for (const char* kind : kinds) WriteBytes(LogPath(key(offset) + kind), "x");
    for (int offset : c.keptOffsets)
      for (const char* kind : kinds) WriteBytes(LogPath(key(offset) + kind), "x");
    WriteBytes(LogPath(key(-10) + "_other.csv"), "x");

    std::wstring cutOff;
    EXPECT_EQ(logs_.DeleteOldLogs(&cutOff, c.days), static_cast<int>(c.deletedOffsets.size() * 3));
    EXPECT_EQ(cutOff, c.cutOff);
    for (int offset : c.deletedOffsets)
      for (const char* kind : kinds) EXPECT_FALSE(Exists(LogPath(key(offset) + kind))) << offset;
    for (int offset : c.keptOffsets)
      for (const char* kind : kinds) EXPECT_TRUE(Exists(LogPath(key(offset) + kind))) << offset;
    EXPECT_TRUE(Exists(LogPath(key(-10) + "_other.csv")));
  }
}

TEST_F(DailyLogsTest, StartUpDeletesOldLogsAndLogsTheCountIntoTheNewAppLog) {
  RecordingPane pane;
  logs_.SetLogPane(&pane);
  WriteBytes(LogPath("20250101_app_log.csv"), "x");
  WriteBytes(LogPath("20241207_price_log.csv"), "x");
  WriteBytes(LogPath("20250102_trading_log.csv"), "x");
  EXPECT_EQ(logs_.StartDailyLogs(2213), 2);
  EXPECT_TRUE(Exists(LogPath("20250102_trading_log.csv")));
  EXPECT_EQ(ReadBytes(LogPath("20250106_app_log.csv")),
            kBom + "2025-01-06 09:30:15.042,\"2025-01-01일 이전 로그 2개 삭제\"\n");
  ASSERT_EQ(pane.entries.size(), 1u);
  EXPECT_EQ(pane.entries[0].ctrlId, 2213u);
  EXPECT_EQ(pane.entries[0].kind, 4u);
  EXPECT_EQ(pane.entries[0].msg, L"2025-01-01일 이전 로그 2개 삭제");
}

// Writers on several threads while the day changes under them: every line arrives whole and
// none is lost.
TEST_F(DailyLogsTest, ConcurrentWritersAcrossADaySwitchKeepEveryLineWhole) {
  Stock_s* stock = MakeStock(L"005930", L"삼성전자", 100);
  logs_.OpenAppLog();
  clock_.SetLocalTime(LocalTime(2025, 1, 6, 23, 59, 0));
  constexpr int kThreads = 6;
  constexpr int kLines = 300;
  std::atomic<bool> go{false};
  std::atomic<int> running{kThreads};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      while (!go) std::this_thread::yield();
      const double values[5] = {1, 2, 3, 4, 5};
      for (int i = 0; i < kLines; ++i) {
        TradingLine_s line;
        line.result_code = t * 1000 + i;
        logs_.WriteTradingLine(nullptr, stock, line);
        logs_.AddLogMsg(1, 4, 0, L"", (L"msg " + std::to_wstring(t * 1000 + i)).c_str(), 0);
        LogStream price = logs_.OpenPriceLog();
        WritePriceLogLine(price.get(), 1, L"005930", static_cast<uint64_t>(t * 1000 + i),
                          LocalTime(2025, 1, 6, 23, 59, 0), values);
      }
      --running;
    });
  }
  go = true;
  // Move back and forth across midnight while the writers run, so the trading and price
  // logs switch files again and again under them.
  for (int i = 0; running > 0; ++i) {
    clock_.SetLocalTime(i % 2 ? LocalTime(2025, 1, 7, 0, 0, 0) : LocalTime(2025, 1, 6, 23, 59, 59));
    std::this_thread::yield();
  }
  for (auto& thread : threads) thread.join();
  logs_.CloseLogs();  // as at shutdown: buffered price lines are written

  const std::regex tradingLine(
      "\\d+,\\d\\d:\\d\\d:\\d\\d,1,0,0,0,005930,삼성전자,,(\\d+),,0\\.000000,0\\.000000,0\\."
      "000000,0\\.000000,100\\.000000");
  const std::regex appLine("\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3},\"msg (\\d+)\"");
  const std::regex priceLine(
      "1,\"005930\",(\\d+),\"2025-01-06 23:59:00\",1\\.000000,2\\.000000,3\\.000000,4\\.000000,"
      "5\\.000000");
  const auto collect = [](const std::vector<std::string>& files, const std::regex& pattern,
                          const std::string& skip) {
    std::vector<int> ids;
    for (const std::string& file : files) {
      std::istringstream in(ReadBytes(file));
      std::string text;
      while (std::getline(in, text)) {
        while (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
        if (text.empty() || (!skip.empty() && text + "\n" == skip)) continue;
        std::smatch match;
        EXPECT_TRUE(std::regex_match(text, match, pattern)) << text;
        if (match.size() > 1) ids.push_back(std::stoi(match[1]));
      }
    }
    std::sort(ids.begin(), ids.end());
    return ids;
  };
  std::vector<int> expected;
  for (int t = 0; t < kThreads; ++t)
    for (int i = 0; i < kLines; ++i) expected.push_back(t * 1000 + i);

  EXPECT_EQ(collect({LogPath("20250106_trading_log.csv"), LogPath("20250107_trading_log.csv")},
                    tradingLine, kHeader),
            expected);
  EXPECT_EQ(collect({LogPath("20250106_app_log.csv")}, appLine, ""), expected);
  EXPECT_EQ(collect({LogPath("20250106_price_log.csv"), LogPath("20250107_price_log.csv")},
                    priceLine, ""),
            expected);
}

}  // namespace
