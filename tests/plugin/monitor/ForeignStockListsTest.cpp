// The foreign stock list loader against a loopback portal: paging by the total, whole pages,
// the Dow constituents' fallbacks, and failures that end a list without losing the others.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "plugin/monitor/core/ForeignStockLists.h"
#include "tests/peers/HttpPeer.h"

using orv::test::HttpPeer;
using orv::test::PeerReply;
using orv::test::RecordedRequest;

namespace {

// A page of `n` items from `first`, codes "<prefix><i>.O" and names "Name <i>".
std::string Page(const std::string& prefix, int first, int n, const std::string& total) {
  std::string items;
  for (int i = first; i < first + n; ++i) {
    if (!items.empty()) items += ",";
    items += "{\"symbolCode\":\"" + prefix + std::to_string(i) + ".O\",\"stockName\":\"Name " +
             std::to_string(i) + "\",\"closePrice\":\"1,234\"}";
  }
  return "{\"stocks\":[" + items + "]" + (total.empty() ? "" : ",\"totalCount\": " + total) + "}";
}

PeerReply Json(const std::string& body, int status = 200) {
  PeerReply reply;
  reply.status = status;
  reply.body = body;
  return reply;
}

int Count(const std::vector<ForeignStockRow_s>& rows, const std::wstring& market) {
  int n = 0;
  for (const auto& row : rows) n += row.market == market;
  return n;
}

class ForeignListsTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(peer.Start()); }
  CForeignStockLists Lists() { return CForeignStockLists(peer.BaseUrl() + "/", peer.BaseUrl() + "/m/"); }
  int PagesAsked(const std::string& path) {
    int n = 0;
    for (const RecordedRequest& r : peer.Requests()) n += r.path == path;
    return n;
  }
  HttpPeer peer;
};

}  // namespace

TEST_F(ForeignListsTest, LoadsEveryListPageByPageInOrder) {
  // NASDAQ: 250 items in three pages of 100 (the whole page is taken); KOSPI without a total
  // (30 pages asked for; the 4th fails and ends the paging, the first three stay); KOSDAQ fails
  // at once.
  peer.On("GET", "/stock/exchange/NASDAQ/marketValue", [](const RecordedRequest& r) {
    const std::string page = r.Param("page");
    if (page.empty()) return Json(Page("N", 0, 100, "250"));
    if (r.Param("pageSize") != "100") return Json("", 400);
    const int n = std::stoi(page);
    return Json(Page("N", (n - 1) * 100, n == 3 ? 50 : 100, "250"));
  });
  peer.On("GET", "/m/api/worldstock/index/.DJI/constituents",
          Json("{\"result\":[{\"symbol\":\"AAPL.OQ\",\"name\":\"Apple\"},"
               "{\"symbol\":\"IBM.N\",\"name\":\"IBM\"},{\"symbol\":\"XYZ\",\"name\":\"X \\\"Y\\\" Z\"}]}"));
  peer.On("GET", "/stock/exchange/KOSPI/marketValue", [](const RecordedRequest& r) {
    const std::string page = r.Param("page");
    if (page == "4") return Json("oops", 500);
    return Json(Page("K", page.empty() ? 0 : std::stoi(page) * 10, 10, ""));
  });
  peer.On("GET", "/stock/exchange/KOSDAQ/marketValue", Json("", 503));

  CForeignStockLists lists = Lists();
  EXPECT_EQ(lists.LoadForeignStockLists(), 250 + 3 + 30);
  const auto& rows = lists.Rows();
  EXPECT_EQ(Count(rows, L"NASDAQ"), 250);
  EXPECT_EQ(Count(rows, L"DOW"), 3);
  EXPECT_EQ(Count(rows, L"KOSPI"), 30);
  EXPECT_EQ(Count(rows, L"KOSDAQ"), 0);
  EXPECT_EQ(PagesAsked("/stock/exchange/NASDAQ/marketValue"), 3);
  EXPECT_EQ(PagesAsked("/stock/exchange/KOSPI/marketValue"), 4);
  EXPECT_EQ(PagesAsked("/stock/exchange/KOSDAQ/marketValue"), 1);
  // The mobile host answered: the API host's constituents were not asked for.
  EXPECT_EQ(PagesAsked("/worldstock/index/.DJI/constituents"), 0);

  const ForeignStockRow_s& first = rows.front();
  EXPECT_EQ(first.code, L"N0.O");
  EXPECT_EQ(first.symbol, L"N0");
  EXPECT_EQ(first.name, L"Name 0");
  EXPECT_EQ(first.exchange, L"NASDAQ");
  EXPECT_EQ(first.nation, L"USA");
  EXPECT_EQ(rows[249].code, L"N249.O");
  // The Dow rows: the exchange by suffix, escapes kept as they stand.
  EXPECT_EQ(rows[250].exchange, L"NASDAQ");
  EXPECT_EQ(rows[251].exchange, L"NYSE");
  EXPECT_EQ(rows[252].exchange, L"USA");
  EXPECT_EQ(rows[252].name, L"X \\\"Y\\\" Z");
  EXPECT_EQ(rows[253].market, L"KOSPI");
  EXPECT_EQ(rows[253].nation, L"KOR");

  // The requests carry the JSON accept header and the portal's referer.
  const RecordedRequest sent = peer.Requests().front();
  EXPECT_EQ(sent.Header("Accept"), "application/json");
  EXPECT_FALSE(sent.Header("Referer").empty());
  EXPECT_NE(sent.Header("User-Agent").find("Mozilla/5.0"), std::string::npos);
}

TEST_F(ForeignListsTest, TheDowFallsBackToTheApiHostAndToItsOtherKeys) {
  peer.On("GET", "/m/api/worldstock/index/.DJI/constituents", Json("", 404));
  peer.On("GET", "/worldstock/index/.DJI/constituents",
          Json("{\"list\":[{\"symbolCode\":\"MSFT.OQ\",\"stockName\":\"Microsoft\"}]}"));
  CForeignStockLists lists = Lists();
  EXPECT_EQ(lists.LoadDowConstituents(nullptr), 0) << "no handle, no rows";
  lists.LoadForeignStockLists();
  ASSERT_EQ(lists.Rows().size(), 1u);
  EXPECT_EQ(lists.Rows()[0].name, L"Microsoft");
  EXPECT_EQ(lists.Rows()[0].exchange, L"NASDAQ");
}

TEST_F(ForeignListsTest, AStoppedLoadAsksForNothingMore) {
  peer.On("GET", "/stock/exchange/NASDAQ/marketValue", Json(Page("N", 0, 100, "10000")));
  CForeignStockLists lists = Lists();
  int asked = 0;
  lists.LoadForeignStockLists([&] { return ++asked < 3; });
  EXPECT_LT(peer.Requests().size(), 5u);
}

TEST(ForeignListScanners, KeysTotalsAndSymbols) {
  char entries[4][8];
  EXPECT_EQ(ScanJsonStrings("{\"k\":\"a\",\"k\":\"long value\",\"k\":\"e\\\"q\"}", "k", entries[0],
                            8, 4),
            3);
  EXPECT_STREQ(entries[0], "a");
  EXPECT_STREQ(entries[1], "long va");  // cut to the entry
  EXPECT_STREQ(entries[2], "e\\\"q");
  EXPECT_EQ(ScanJsonStrings("{\"k\":\"a\",\"k\":\"b", "k", entries[0], 8, 4), 1)
      << "a value that never ends stops the scan";
  EXPECT_EQ(ScanJsonStrings("{\"k\":\"a\",\"k\":\"b\"}", "k", entries[0], 8, 1), 1);

  const struct {
    const char* json;
    long total;
  } totals[] = {{"{\"totalCount\": 101}", 101}, {"{\"totalCount\":\"12\"}", 0},
                {"{\"count\": 5}", 0},        {"{\"totalCount\"}", 0},
                {"{\"totalCount\":\n\t7,", 7}};
  for (const auto& t : totals) EXPECT_EQ(ParseTotalCount(t.json), t.total) << t.json;

  // A reply with more codes than names gives a row per name; one without names gives none.
  CForeignStockLists lists("http://127.0.0.1:1/", "http://127.0.0.1:1/");
  EXPECT_EQ(lists.AddPageRows("{\"symbolCode\":\"A\",\"stockName\":\"a\",\"symbolCode\":\"B\"}",
                              "symbolCode", "stockName", L"KOSPI", L"KOSPI", L"KOR", false),
            1);
  EXPECT_EQ(lists.AddPageRows("{\"symbolCode\":\"A\"}", "symbolCode", "stockName", L"KOSPI",
                              L"KOSPI", L"KOR", false),
            0);
  ASSERT_EQ(lists.Rows().size(), 1u);
  EXPECT_EQ(lists.Rows()[0].code, L"A");

  char base[4], suffix[6];
  SplitSymbol("AAPL.OQ", base, sizeof base, suffix, sizeof suffix);
  EXPECT_STREQ(base, "AAP");
  EXPECT_STREQ(suffix, ".OQ");
  SplitSymbol("IBM", base, sizeof base, suffix, sizeof suffix);
  EXPECT_STREQ(base, "IBM");
  EXPECT_STREQ(suffix, "");
  SplitSymbol("A.LONGSUFFIX", base, sizeof base, suffix, sizeof suffix);
  EXPECT_STREQ(suffix, ".LONG");
}

TEST_F(ForeignListsTest, HttpGetJsonFailures) {
  peer.On("GET", "/ok", Json("{}"));
  peer.On("GET", "/empty", Json(""));
  peer.On("GET", "/error", Json("{}", 500));
  PeerReply cut = Json(std::string(2000, 'x'));
  cut.wire = PeerReply::Wire::kCut;
  peer.On("GET", "/cut", cut);
  CURL* curl = curl_easy_init();
  HttpBuffer buffer;
  EXPECT_TRUE(HttpGetJson(curl, peer.Url("/ok").c_str(), &buffer));
  EXPECT_STREQ(buffer.data, "{}");
  for (const char* path : {"/empty", "/error", "/cut", "/missing"}) {
    EXPECT_FALSE(HttpGetJson(curl, peer.Url(path).c_str(), &buffer)) << path;
    EXPECT_EQ(buffer.data, nullptr) << path;
    EXPECT_EQ(buffer.size, 0u) << path;
  }
  curl_easy_cleanup(curl);
}
