// The Kiwoom agent's candles, investor trend, short selling and best bid/ask against the Kiwoom
// broker peer: the requests as they go out, the record's candle blocks, and the three forms the
// callers take (rows text, series text, deques).

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "tests/plugin/brokers/KiwoomAgentFixture.h"

namespace orv::test {
namespace {

class KiwoomMarketDataTest : public KiwoomLoggedInTest {
 protected:
  void SetUp() override {
    KiwoomLoggedInTest::SetUp();
    if (HasFatalFailure()) return;
    bool made = false;
    stock_ = GfxAddStockToMap(&stocks_, L"005930", kMarketDomestic, 0, 1, &made);
    ASSERT_NE(stock_, nullptr);
  }

  RecordedRequest OnlyRequest(const char* apiId) {
    const std::vector<RecordedRequest> asked = peer_.RequestsFor(apiId);
    EXPECT_EQ(asked.size(), 1u) << apiId;
    return asked.empty() ? RecordedRequest() : asked[0];
  }

  OwningStockMap stocks_;
  Stock_s* stock_ = nullptr;
};

TEST_F(KiwoomMarketDataTest, DayCandlesFillTheDayBlockFromItsEnd) {
  // Newest first, as the broker sends them; the falling day's prices carry a minus.
  peer_.SetCandles("ka10081", {{"20250106", 70500, 71500, 69500, 71000, 1500000, false},
                               {"20250103", 70000, 70800, 69000, 70100, 1200000, true},
                               {"20250102", 69000, 70200, 68800, 70000, 900000, false}});
  std::string rows, series;
  std::deque<int32_t> dates{7};
  std::deque<double> closes{7};
  EXPECT_EQ(agent_.GetChartData(nullptr, stock_, L"005930", 1, 1, 60, &rows, &series, &dates,
                                &closes, 0),
            1);

  const RecordedRequest asked = OnlyRequest("ka10081");
  EXPECT_EQ(asked.path, "/api/dostk/chart");
  EXPECT_EQ(asked.body,
            "{\"base_dt\": \"20250106\",\t\"stk_cd\": \"005930\", \"upd_stkpc_tp\": \"0\" }");
  EXPECT_EQ(asked.Header("cont-yn"), "") << "no paging";

  EXPECT_EQ(rows,
            "{\"days_60\" : ["
            "{\"date\":\"20250102\",\"open\":69000,\"high\":70200,\"low\":68800,\"close\":70000,"
            "\"volume\":900000}\n,"
            "{\"date\":\"20250103\",\"open\":70000,\"high\":70800,\"low\":69000,\"close\":70100,"
            "\"volume\":1200000}\n,"
            "{\"date\":\"20250106\",\"open\":70500,\"high\":71500,\"low\":69500,\"close\":71000,"
            "\"volume\":1500000}]}");
  EXPECT_EQ(series, "20250102,70000,\n20250103,70100,\n20250106,71000");
  EXPECT_EQ(dates, (std::deque<int32_t>{20250102, 20250103, 20250106}));
  EXPECT_EQ(closes, (std::deque<double>{70000, 70100, 71000}));

  // Places 59, 58 and 57 of a 60-place block, the newest last.
  const StockSeries_s& day = stock_->day;
  EXPECT_EQ(day.requested, 60);
  EXPECT_EQ(day.count, 3);
  EXPECT_EQ(NewestCandlePlace(day), 59);
  EXPECT_DOUBLE_EQ(day.close[59], 71000);
  EXPECT_DOUBLE_EQ(day.close[58], 70100);
  EXPECT_DOUBLE_EQ(day.close[57], 70000);
  EXPECT_DOUBLE_EQ(day.close[56], 0);
  EXPECT_EQ(day.date[58], 20250103);
  EXPECT_DOUBLE_EQ(day.low[58], 69000) << "a falling day's price without its sign";
  EXPECT_DOUBLE_EQ(day.open[57], 69000);
  EXPECT_DOUBLE_EQ(day.high[59], 71500);
  EXPECT_DOUBLE_EQ(day.volume[59], 1500000);
  EXPECT_EQ(day.first_date, 20250106);
  EXPECT_EQ(day.last_date, 20250106);
  EXPECT_DOUBLE_EQ(stock_->cur_price, 71000) << "a record without a price takes the last close";

  // A price poll moves today's candle, wherever the block put it.
  KiwoomQuote q;
  q.code = "005930";
  q.price = 72000;
  q.open = 70500;
  q.high = 72000;
  q.low = 69500;
  peer_.SetQuotes({q});
  std::atomic<int> running{1};
  char message[20]{};
  int code = 0;
  EXPECT_EQ(agent_.UpdatePrices(nullptr, kMarketDomestic, 0, 1, &stocks_, &running, 0, message,
                                &code, nullptr),
            1);
  EXPECT_DOUBLE_EQ(day.close[59], 72000);
  EXPECT_DOUBLE_EQ(day.high[59], 72000);
  EXPECT_DOUBLE_EQ(day.close[2], 0);
}

TEST_F(KiwoomMarketDataTest, MinuteCandlesCarryTheirTimeAndCountZeroAsksForOne) {
  peer_.SetCandles("ka10080", {{"20250106093100", 71000, 71200, 70900, 71100, 3000, false},
                               {"20250106093000", 70900, 71000, 70800, 71000, 2000, false}});
  stock_->day.last_date = 20250103;
  std::string rows, series;
  std::deque<int32_t> times;
  std::deque<double> closes;
  EXPECT_EQ(agent_.GetChartData(nullptr, stock_, L"005930", 3, 1, 60, &rows, &series, &times,
                                &closes, 1),
            1);
  EXPECT_EQ(OnlyRequest("ka10080").body,
            "{\"stk_cd\": \"005930\",\"tic_scope\": \"1\", \"upd_stkpc_tp\": \"0\"}");
  EXPECT_EQ(rows,
            "20250106093000,70900,71000,70800,71000,2000\n,"
            "20250106093100,71000,71200,70900,71100,3000");
  EXPECT_EQ(times, (std::deque<int32_t>{93000, 93100}));
  EXPECT_EQ(stock_->minute.requested, 60);
  EXPECT_DOUBLE_EQ(stock_->minute.close[59], 71100);
  EXPECT_EQ(stock_->minute.date[59], 20250106) << "the day of a minute candle";
  EXPECT_EQ(stock_->day.last_date, 20250106) << "the day block learns of the later day";

  // Count 0 asks for one candle and keeps only the newest.
  peer_.Http().ClearRequests();
  std::string json;
  EXPECT_EQ(agent_.GetChartData(nullptr, stock_, L"005930", 3, 5, 0, &json, nullptr, nullptr,
                                nullptr, 0),
            1);
  EXPECT_NE(OnlyRequest("ka10080").body.find("\"tic_scope\": \"5\""), std::string::npos);
  EXPECT_EQ(json.rfind("{\"minutes_1\" : [", 0), 0u) << json;
  EXPECT_EQ(stock_->minute.requested, 1);
  EXPECT_EQ(stock_->minute.count, 1);
  EXPECT_DOUBLE_EQ(stock_->minute.close[0], 71100);
}

TEST_F(KiwoomMarketDataTest, FailedOrRefusedChartsLeaveTheBlock) {
  peer_.SetCandles("ka10081", {{"20250106", 1, 1, 1, 100, 1, false}});
  std::string rows, series;
  ASSERT_EQ(agent_.GetChartData(nullptr, stock_, L"005930", 1, 1, 60, &rows, &series, nullptr,
                                nullptr, 0),
            1);
  ASSERT_EQ(stock_->day.count, 1);

  const struct {
    const char* body;
    int status;
    int result;
  } cases[] = {
      {"{\"error\":{\"code\":\"E1\",\"message\":\"조회 실패\"}}", 200, 1},
      {"{\"return_code\":3,\"return_msg\":\"[8005:Token이 유효하지 않습니다]\"}", 200, 1},
      {"<html><body>502 Bad Gateway</body></html>", 502, -1},
      {"{\"stk_dt_pole_chart_qry\":[{\"dt\":\"2025", 200, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.body);
    peer_.SetRawReply("ka10081", c.body, c.status);
    EXPECT_EQ(agent_.GetChartData(nullptr, stock_, L"005930", 1, 1, 60, &rows, &series, nullptr,
                                  nullptr, 0),
              c.result);
    EXPECT_EQ(rows, "{\"days_60\" : []}");
    EXPECT_EQ(series, "");
    EXPECT_EQ(stock_->day.count, 1) << "the block keeps what it held";
    EXPECT_DOUBLE_EQ(stock_->day.close[59], 100);
  }
  peer_.Stop();
  EXPECT_EQ(agent_.GetChartData(nullptr, stock_, L"005930", 1, 1, 60, &rows, &series, nullptr,
                                nullptr, 0),
            -1);
  EXPECT_EQ(rows, "{\"days_60\" : []}") << "the rows text is closed without a reply too";
}

TEST_F(KiwoomMarketDataTest, InvestorTrendAsksOneAndAHalfTimesTheDays) {
  peer_.SetInvestorRows({{"20250106", 71000, -1200, 3400, 51.25},
                         {"20250103", 70000, 500, -200, 51.10}});
  std::string rows, series;
  std::deque<double> closes{1};
  EXPECT_EQ(agent_.GetBuyTrendData(nullptr, stock_, L"005930", 6, 10, &rows, &series, nullptr,
                                   &closes, 0),
            1);
  const RecordedRequest asked = OnlyRequest("ka10045");
  EXPECT_EQ(asked.path, "/api/dostk/mrkcond");
  EXPECT_EQ(asked.body,
            "{\"stk_cd\" : \"005930\",\"orgn_prsm_unp_tp\" : \"1\", \"for_prsm_unp_tp\" : \"1\",\t"
            "\"strt_dt\" : \"20241222\",\t\"end_dt\" : \"20250106\"}");
  EXPECT_EQ(rows,
            "{\"investor_10\" : ["
            "{\"date\":\"20250103\",\"agency\":500,\"agency_money\":35000000,\"foreigner\":-200,"
            "\"foreigner_money\":-14000000,\"foreigner_ratio\":51.10}\n,"
            "{\"date\":\"20250106\",\"agency\":-1200,\"agency_money\":-85200000,"
            "\"foreigner\":3400,\"foreigner_money\":241400000,\"foreigner_ratio\":51.25}]}");
  EXPECT_EQ(series, "20250103,500,-200,\n20250106,-1200,3400");
  EXPECT_EQ(closes, (std::deque<double>{70000, 71000}));

  peer_.Http().ClearRequests();
  EXPECT_EQ(agent_.GetBuyTrendData(nullptr, stock_, L"005930", 6, 1, &rows, nullptr, nullptr,
                                   nullptr, 1),
            1);
  EXPECT_NE(OnlyRequest("ka10045").body.find("\"strt_dt\" : \"20250105\""), std::string::npos);
  EXPECT_EQ(rows,
            "20250103,500,35000000,-200,-14000000,51.10\n\n,"
            "20250106,-1200,-85200000,3400,241400000,51.25\n");
}

TEST_F(KiwoomMarketDataTest, ShortSellingRowsAndTheirCount) {
  peer_.SetShortRows({{"20250106", 71000, -1.25, 15000, 120000, 2.5},
                      {"20250103", 70000, 0.5, 9000, 105000, 1.75}});
  std::string rows, series;
  EXPECT_EQ(agent_.GetShortSellingData(nullptr, stock_, L"005930", 10, &rows, &series, 0), 2);
  const RecordedRequest asked = OnlyRequest("ka10014");
  EXPECT_EQ(asked.path, "/api/dostk/shsa");
  EXPECT_EQ(asked.body,
            "{\"stk_cd\" : \"005930\",\"tm_tp\" : \"1\",\t\"strt_dt\" : \"20241222\",\t"
            "\"end_dt\" : \"20250106\"}");
  EXPECT_EQ(rows,
            "{\"short_selling_10\" : ["
            "{\"date\":\"20250103\",\"sell\":9000,\"sell_sum\":105000,\"weight\":1.750,"
            "\"price\":70000,\"updown\":0.500}\n,"
            "{\"date\":\"20250106\",\"sell\":15000,\"sell_sum\":120000,\"weight\":2.500,"
            "\"price\":71000,\"updown\":-1.250}]}");
  EXPECT_EQ(series, "20250103,9000,\n20250106,15000");
  EXPECT_EQ(agent_.GetShortSellingData(nullptr, stock_, L"005930", 10, &rows, &series, 1), 2);
  EXPECT_EQ(rows, "20250103,9000,105000,1.750,70000,0.500\n,20250106,15000,120000,2.500,71000,-1.250");

  EXPECT_EQ(agent_.GetShortSellingData(nullptr, stock_, L"005930", 10, nullptr, &series, 0), 0);
  peer_.SetRawReply("ka10014", "{\"error\":{\"message\":\"없음\"}}");
  EXPECT_EQ(agent_.GetShortSellingData(nullptr, stock_, L"005930", 10, &rows, &series, 0), 0);
  EXPECT_EQ(rows, "{\"short_selling_10\" : []}");
}

TEST_F(KiwoomMarketDataTest, BidAskByExchangeLetter) {
  peer_.SetBidAsk("005930", {71100, 120, 71000, 80, 71200, 300, 70900, 250, false});
  peer_.SetBidAsk("005930_NX", {71150, 12, 71050, 8, 71250, 30, 70950, 25, true});
  peer_.SetBidAsk("005930_AL", {71120, 132, 71020, 88, 71220, 330, 70920, 275, false});
  const struct {
    uint8_t letter;
    const char* body;
    double ask;
    double bid2Qty;
  } cases[] = {{'K', "{\"stk_cd\": \"005930\"}", 71100, 250},
               {'X', "{\"stk_cd\": \"005930_NX\"}", 71150, 25},
               {'S', "{\"stk_cd\": \"005930_AL\"}", 71120, 275}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.body);
    peer_.Http().ClearRequests();
    double out[8]{};
    EXPECT_EQ(agent_.GetBidAskData(nullptr, stock_, L"005930", c.letter, out), 1);
    const RecordedRequest asked = OnlyRequest("ka10004");
    EXPECT_EQ(asked.path, "/api/dostk/mrkcond");
    EXPECT_EQ(asked.body, c.body);
    EXPECT_DOUBLE_EQ(out[0], c.ask) << "the NXT prices come with a minus and go without";
    EXPECT_DOUBLE_EQ(out[7], c.bid2Qty);
  }
  double out[8]{};
  ASSERT_EQ(agent_.GetBidAskData(nullptr, stock_, L"005930", 'K', out), 1);
  EXPECT_EQ(std::vector<double>(out, out + 8),
            (std::vector<double>{71100, 120, 71000, 80, 71200, 300, 70900, 250}));

  // A refusal leaves the outputs; no answer and no outputs are -1.
  peer_.SetRawReply("ka10004", "{\"return_code\":2,\"return_msg\":\"종목코드를 확인하세요\"}");
  EXPECT_EQ(agent_.GetBidAskData(nullptr, stock_, L"005930", 'K', out), 1);
  EXPECT_DOUBLE_EQ(out[0], 71100);
  peer_.SetRawReply("ka10004", "<html>bad gateway</html>", 502, "text/html");
  EXPECT_EQ(agent_.GetBidAskData(nullptr, stock_, L"005930", 'K', out), -1);
  EXPECT_DOUBLE_EQ(out[0], 71100);
  EXPECT_EQ(agent_.GetBidAskData(nullptr, stock_, L"005930", 'K', nullptr), -1);
}

TEST_F(KiwoomMarketDataTest, EveryRequestGoesOutOnItsOwnHandleWithoutCredentialsNone) {
  // The caller's handle is never used: a handle that could not reach anything is no matter.
  CURL* unused = curl_easy_init();
  std::string rows, series;
  EXPECT_EQ(agent_.GetChartData(unused, stock_, L"005930", 1, 1, 60, &rows, &series, nullptr,
                                nullptr, 0),
            1);
  curl_easy_cleanup(unused);

  CKiwoomSecuAgent loggedOut(kMarketDomestic, L"x", '1', kKiwoomBrokerId, 2, 1, 0, 40);
  loggedOut.SetHostUrlA(peer_.BaseUrl().c_str());
  peer_.Http().ClearRequests();
  double out[8]{};
  EXPECT_EQ(loggedOut.GetChartData(nullptr, stock_, L"005930", 1, 1, 60, &rows, &series, nullptr,
                                   nullptr, 0),
            -1);
  EXPECT_EQ(loggedOut.GetBuyTrendData(nullptr, stock_, L"005930", 6, 10, &rows, &series, nullptr,
                                      nullptr, 0),
            -1);
  EXPECT_EQ(loggedOut.GetShortSellingData(nullptr, stock_, L"005930", 10, &rows, &series, 0), 0);
  EXPECT_EQ(loggedOut.GetBidAskData(nullptr, stock_, L"005930", 'K', out), -1);
  EXPECT_TRUE(peer_.Requests().empty());
}

TEST_F(KiwoomMarketDataTest, ReadersTakeMalformedRepliesWithoutHarm) {
  const char* replies[] = {"",
                           "{",
                           "[]",
                           "null",
                           "{\"rows\":[1,\"x\",null,{}]}",
                           "{\"rows\":[{\"dt\":\"\\\"}]\",\"cur_prc\":\"1e999\"}]}",
                           "{\"rows\":[{\"cntr_tm\":20250106093000,\"cur_prc\":{}}]}",
                           "{\"return_code\":\"x\",\"rows\":{}}"};
  for (const char* reply : replies) {
    SCOPED_TRACE(reply);
    const size_t len = std::strlen(reply);
    std::string rows, series;
    std::deque<int32_t> dates;
    std::deque<double> closes;
    for (int kind : {1, 3, 4}) {
      agent_.ParseChartReply(reply, len, kind, 60, "k", stock_, &rows, &series, &dates, &closes,
                             kind == 4);
      EXPECT_EQ(rows.find("\"}]"), std::string::npos) << "a date text never leaves its quotes";
    }
    agent_.ParseBuyTrendReply(reply, len, "k", stock_, &rows, &series, &closes, 0);
    agent_.ParseShortSellingReply(reply, len, "k", stock_, &rows, &series, 0);
    double out[8]{};
    agent_.ParseBidAskReply(reply, len, out);
  }
}

}  // namespace
}  // namespace orv::test
