#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <vector>

#include "EngineTestSupport.h"
#include "platform/support/TextConv.h"
#include "plugin/view/engine/PriceLog.h"

namespace {

TEST(PriceLogTest, ParsesNineFieldsAndRejectsEight) {
  PriceLogRecord_s record;
  ASSERT_TRUE(ParsePriceLine(L"1,\"A\",4294967295,\"2025-01-06 09:01:02\",71500.5,-1.25,3,4,5\r\n",
                             &record));
  EXPECT_EQ(record.market, 1);
  EXPECT_STREQ(record.code, L"A");
  EXPECT_EQ(record.tick, 4294967295u);
  EXPECT_STREQ(record.time_text, L"2025-01-06 09:01:02");
  const double expected[5] = {71500.5, -1.25, 3, 4, 5};
  for (int i = 0; i < 5; ++i) EXPECT_DOUBLE_EQ(record.values[i], expected[i]) << i;
  EXPECT_EQ(record.time.wHour, 0);  // taken apart by the reader, not the parser

  PriceLogRecord_s untouched;
  untouched.market = 77;
  EXPECT_FALSE(ParsePriceLine(L"1,\"A\",1,\"2025-01-06 09:01:02\",1,2,3,4", &untouched));
  EXPECT_EQ(untouched.market, 77);
  EXPECT_FALSE(ParsePriceLine(L"", &untouched));
}

TEST(PriceLogTest, ParserKeepsQuotedCommasAndBoundsLongTexts) {
  PriceLogRecord_s record;
  ASSERT_TRUE(
      ParsePriceLine(L"\xFEFF"
                     L"9,\"KRW-BTC,X\",5,\"t\",1,2,3,4,5,6",
                     &record));
  EXPECT_EQ(record.market, 9);
  EXPECT_STREQ(record.code, L"KRW-BTC,X");
  EXPECT_STREQ(record.time_text, L"t");

  const std::wstring longCode(40, L'Z');
  ASSERT_TRUE(ParsePriceLine(L"2," + longCode + L",1,x,1,2,3,4,5", &record));
  EXPECT_EQ(std::wstring(record.code), longCode.substr(0, 31));
}

TEST(PriceLogTest, FormattedLineParsesBack) {
  const SYSTEMTIME time = LocalTime(2025, 3, 4, 15, 20, 9);
  const double values[5] = {123.5, 0.5, 1, 2, 3};
  PriceLogRecord_s record;
  const std::string line = FormatPriceLogLine(2, L"AAPL", 99, time, values);
  EXPECT_EQ(line,
            "2,\"AAPL\",99,\"2025-03-04 15:20:09\",123.500000,0.500000,1.000000,"
            "2.000000,3.000000\n");
  ASSERT_TRUE(ParsePriceLine(Utf8ToWide(line), &record));
  EXPECT_EQ(record.market, 2);
  EXPECT_STREQ(record.code, L"AAPL");
  EXPECT_EQ(record.tick, 99u);
  EXPECT_STREQ(record.time_text, L"2025-03-04 15:20:09");
  EXPECT_DOUBLE_EQ(record.values[0], 123.5);
}

TEST(PriceLogTest, NumbersAreWrittenExactlyAsPrintfWritesThem) {
  std::vector<double> values = {0.0,       -0.0,        0.87,       -1.25,        1e-7,
                                -1e-7,     0.0000005,   0.0000015,  0.0000025,    123456.789,
                                4.9999995, 499999999.5, 5e8,        1e12 + 0.125, -87654.321,
                                1e300,     0.1 + 0.2,   2.675,      1.0000005,    -0.0000004};
  // prices and rates as quotes carry them: few decimals, both signs, up to large prices
  uint64_t seed = 12345;
  for (int i = 0; i < 20000; ++i) {
    seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
    const int decimals = static_cast<int>(seed >> 60) % 8;
    const double whole = static_cast<double>((seed >> 20) % 1000000000ULL);
    values.push_back((seed & 1 ? -1 : 1) * whole / std::pow(10.0, decimals));
  }
  for (double v : values) {
    const double five[5] = {v, v, v, v, v};
    const SYSTEMTIME time = LocalTime(2025, 3, 4, 15, 20, 9);
    const std::string line = FormatPriceLogLine(1, L"A", 1, time, five);
    char expected[2048];
    std::snprintf(expected, sizeof expected, "1,\"A\",1,\"2025-03-04 15:20:09\",%f,%f,%f,%f,%f\n",
                  v, v, v, v, v);
    ASSERT_EQ(line, expected) << v;
  }
}

TEST(PriceLogTest, ReaderKeepsLinesFromTheStartTimeAndMarksRises) {
  TempDataFolder folder;
  const std::string path = folder.Path() + "20250106_price_log.csv";
  WriteBytes(path,
             "1,\"005930\",1000,\"2025-01-06 08:58:59\",100,0,0,0,0\n"
             "1,\"005930\",2000,\"2025-01-06 08:59:00\",101,0,0,0,0\n"
             "broken,line\n"
             "1,\"005930\",3000,\"2025-01-06 09:00:00\",99,0,0,0,0\r\n"
             "1,\"000660\",4000,\"2025-01-06 09:00:01\",99,0,0,0,0\n"
             "2,\"AAPL\",5000,\"2025-01-06 23:10:00\",180.5,1,2,3,4\n");
  CPriceSeries series;
  int skipped = -1;
  EXPECT_EQ(series.ReadPriceLog(path, 1, 859, &skipped), 4);
  EXPECT_EQ(skipped, 1);
  const auto& records = series.Records();
  ASSERT_EQ(records.size(), 4u);
  EXPECT_EQ(records[0].tick, 2000u);
  EXPECT_EQ(records[0].time.wHour, 8);
  EXPECT_EQ(records[0].time.wMinute, 59);
  const uint8_t rises[] = {0, 0, 0, 1};
  for (size_t i = 0; i < 4; ++i) EXPECT_EQ(records[i].rise, rises[i]) << i;
  EXPECT_STREQ(records[3].code, L"AAPL");
  EXPECT_EQ(records[3].time.wHour, 23);

  // A second read replaces the records; a missing file loads nothing.
  EXPECT_EQ(series.ReadPriceLog(path, 1, 2300, &skipped), 1);
  EXPECT_EQ(skipped, 4);
  EXPECT_EQ(series.ReadPriceLog(folder.Path() + "missing.csv", 1, 859, &skipped), 0);
  EXPECT_EQ(skipped, 0);
  series.ClearPriceSeries();
  EXPECT_TRUE(series.Records().empty());
}

TEST(PriceLogTest, RateFileGivesTheNumbersBeforeTheFirstComma) {
  TempDataFolder folder;
  const std::string path = folder.Path() + "rates.csv";
  WriteBytes(path,
             "\xEF\xBB\xBF"
             "1.5,first\r\n# -9,comment\n-2,x,y\nno comma\nrate,head\n" +
                 std::string(100, ' ') + "7,beyond the cut\n0.25,\n");
  CPriceSeries series;
  EXPECT_EQ(series.ReadPriceLog(path, CPriceSeries::kModeRates, 859, nullptr), 3);
  EXPECT_EQ(series.Rates(), (std::vector<double>{1.5, -2, 0.25}));
  EXPECT_EQ(
      series.ReadPriceLog(folder.Path() + "missing.csv", CPriceSeries::kModeRates, 859, nullptr),
      0);
}

}  // namespace
