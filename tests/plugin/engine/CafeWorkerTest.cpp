// The cafe worker against the loopback web server: the engine's own cafe data (made with the
// engine), woken by the trading tick and run on the cafe worker, or a pass run on the test's
// thread with a handle of its own where only the downloads matter.

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/support/Encoding.h"
#include "platform/support/TextConv.h"
#include "platform/win/Clock.h"
#include "plugin/community/CafeDlgGrids.h"
#include "plugin/community/CafeService.h"
#include "plugin/rows/CafeStockRecord.h"
#include "tests/plugin/community/WebFixture.h"
#include "tests/plugin/engine/EngineTestSupport.h"
#include "tests/plugin/engine/FakeEngineWindow.h"
#include "tests/plugin/engine/ScriptedEngine.h"

namespace orv::test {
namespace {

constexpr int kUser = 77;  // the fixture's user and member index

WebServerCafe MakeCafe(int idx, int managerIdx = 500, int subManagerIdx = 501) {
  WebServerCafe cafe;
  cafe.idx = idx;
  cafe.title = "카페 " + std::to_string(idx);
  cafe.managerName = "매니저" + std::to_string(idx);
  cafe.managerTel = "0101234" + std::to_string(1000 + idx);
  cafe.managerIdx = managerIdx;
  cafe.subManagerIdx = subManagerIdx;
  cafe.chatToken = "chat-" + std::to_string(idx);
  cafe.items = {{1, "005930", "삼성전자"}, {1, "000660", "SK하이닉스"}};
  return cafe;
}

PeerReply Reply(int status, std::string body, PeerReply::Wire wire = PeerReply::Wire::kWhole) {
  PeerReply reply;
  reply.status = status;
  reply.body = std::move(body);
  reply.wire = wire;
  return reply;
}

class CafeWorker : public WebFixture {
 protected:
  CafeWorker() : scopedClock_(clock_), engine_(&window_) {}

  void SetUp() override {
    WebFixture::SetUp();
    peer.AddUser({"a+b>?", kUser, "tk-77", 0, "", ""});
    login.nOwnCafeIdx = 0;
    engine_.Cafe().SetWebLogin(&web);
    engine_.SetLoginInfo(&login);
    engine_.CreateEvents();
    engine_.accounts = [](CURL*, int, uint32_t*, int) { return 0; };
    engine_.charts = [](CURL*) { return 0; };
    for (const auto& [code, name] : std::vector<std::pair<const wchar_t*, const wchar_t*>>{
             {L"005930", L"삼성전자"}, {L"000660", L"SK하이닉스"}, {L"035420", L"NAVER"}})
      engine_.Stocks().AddMasterStock(kMarketDomestic, code, name, 1, 0, 0, 0, 1000, 0, 0);
  }
  void TearDown() override { engine_.StopWorkerThreads(); }

  // One pass as the cafe worker runs it, woken as the tick wakes it.
  int Pass() {
    engine_.Cafe().Wake();
    return engine_.Cafe().RunPass(curl_.get());
  }
  CafeSnapshotPtr Data() { return engine_.Cafe().Snapshot(); }
  std::vector<int> CafeKeys() {
    std::vector<int> keys;
    for (const auto& entry : *Data()->cafes) keys.push_back(entry.first);
    return keys;
  }
  std::vector<std::wstring> RecCodes() {
    std::vector<std::wstring> codes;
    for (const CafeRecStock_s& stock : Data()->recStocks) codes.push_back(stock.code);
    return codes;
  }
  Stock_s* Master(const wchar_t* code) {
    return engine_.Stocks().FindMasterStock(kMarketDomestic, code);
  }
  size_t Sent(const char* path) { return To(path).size(); }
  // Another engine of the same user and master list, as a new session makes it.
  std::unique_ptr<ScriptedEngine> Fresh() {
    auto engine = std::make_unique<ScriptedEngine>(&window_);
    engine->Cafe().SetWebLogin(&web);
    engine->Stocks().AddMasterStock(kMarketDomestic, L"005930", L"삼성전자", 1, 0, 0, 0, 1000, 0,
                                    0);
    return engine;
  }

  orv::win::FakeClock clock_;
  orv::win::ScopedClock scopedClock_;
  FakeEngineWindow window_;
  ScriptedEngine engine_;
  std::unique_ptr<CURL, void (*)(CURL*)> curl_{curl_easy_init(), curl_easy_cleanup};
};

TEST_F(CafeWorker, PicksTheOwnCafeElseTheFirstAndSkipsIncompleteEntries) {
  struct Case {
    int ownCafe;
    int picked;
  } cases[] = {{7, 7}, {5, 3}, {0, 3}, {9, 9}};
  for (const Case& c : cases) {
    SCOPED_TRACE("own cafe " + std::to_string(c.ownCafe));
    WebServerCafe noIndex = MakeCafe(0);
    WebServerCafe noTitle = MakeCafe(4);
    noTitle.title.clear();
    WebServerCafe noManager = MakeCafe(5);
    noManager.managerName.clear();
    peer.ServeCafes({noIndex, MakeCafe(3, 30, 31), noTitle, MakeCafe(7, 70, 71), noManager,
                     MakeCafe(9, 90, 91)});
    const auto engine = Fresh();
    CCafeService& service = engine->Cafe();
    login.nOwnCafeIdx = c.ownCafe;
    service.Wake();
    service.RunPass(curl_.get());
    const CafeSnapshotPtr data = service.Snapshot();
    std::vector<int> keys;
    for (const auto& entry : *data->cafes) keys.push_back(entry.first);
    EXPECT_EQ(keys, (std::vector<int>{3, 7, 9}));
    EXPECT_EQ(data->currentCafeIndex, c.picked);
    ASSERT_TRUE(data->currentCafe);
    EXPECT_EQ(data->currentCafe->cafeIndex, c.picked);
    EXPECT_EQ(data->chiefManagerIndex, c.picked * 10);
    EXPECT_EQ(data->subManagerIndex, c.picked * 10 + 1);
  }
  // The record as the reply gave it: base64 texts decoded, the agency it was asked with.
  Pass();
  const CafeRecordPtr record = Data()->FindCafe(7);
  ASSERT_TRUE(record);
  EXPECT_EQ(record->title, L"카페 7");
  EXPECT_EQ(record->managerName, L"매니저7");
  EXPECT_EQ(record->managerPhone, "01012341007");
  EXPECT_EQ(record->chatToken, "chat-7");
  EXPECT_EQ(record->chatId, 70);
  EXPECT_EQ(record->agencyIndex, 3);
  EXPECT_EQ(record->profitRates, "5;10");
}

TEST_F(CafeWorker, RequestsCarryTheUserAndTheScriptsOwnFields) {
  login.nOwnCafeIdx = 7;
  peer.ServeCafes({MakeCafe(3), MakeCafe(7)});
  EXPECT_EQ(Pass(), 3);
  const auto list = To("/stock/cafe_list");
  const auto members = To("/stock/cafe_member_list");
  const auto items = To("/stock/cafe_rec_items_list2");
  ASSERT_EQ(list.size(), 1u);
  ASSERT_EQ(members.size(), 1u);
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(QueryKeys("?" + list[0].query),
            (std::vector<std::string>{"b2b", "rsp", "co", "agc", "gdp", "deployer", "uidx", "tk",
                                      "uid2"}));
  EXPECT_EQ(QueryKeys("?" + members[0].query),
            (std::vector<std::string>{"all", "b2b", "rsp", "cafe", "co", "agc", "gdp", "deployer",
                                      "uidx", "tk", "uid2"}));
  EXPECT_EQ(QueryKeys("?" + items[0].query),
            (std::vector<std::string>{"b2b", "rsp", "cafe", "mycafe", "co", "agc", "gdp",
                                      "deployer", "uidx", "tk", "adm", "uid2"}));
  EXPECT_EQ(members[0].Param("cafe"), "7");
  EXPECT_EQ(items[0].Param("mycafe"), "7");
  EXPECT_EQ(items[0].Param("gdp"), "11");
  EXPECT_EQ(items[0].Param("deployer"), "12");
  EXPECT_EQ(list[0].Param("uid2"), base64_encode("a+b>?"));
  EXPECT_EQ(list[0].Header("User-Agent"), kCafeBrowserUserAgent);
  EXPECT_EQ(items[0].Header("User-Agent"), kWebAgentUserAgent);
  EXPECT_EQ(RecCodes(), (std::vector<std::wstring>{L"000660", L"005930"}));
  EXPECT_EQ(Master(L"005930")->cafe_approved, 1);
  EXPECT_EQ(Data()->recItemsCafe, 7);

  // The list and the members are asked for once; the items on every pass.
  peer.Http().ClearRequests();
  EXPECT_EQ(Pass(), 1);
  EXPECT_EQ(Sent("/stock/cafe_list"), 0u);
  EXPECT_EQ(Sent("/stock/cafe_member_list"), 0u);
  EXPECT_EQ(Sent("/stock/cafe_rec_items_list2"), 1u);
  EXPECT_EQ(engine_.Cafe().RequestMask(), kCafeMaskRecItems);
}

TEST_F(CafeWorker, ApprovesTheMembershipOnlyWhileTheUsersPeriodRuns) {
  // The fake clock stands at 2025-01-06 09:00:00.
  struct Case {
    const char* what;
    WebServerCafeMember row;
    int myCafeApproved;
    int approvedCafe;
  } cases[] = {
      {"running", {kUser, "me", "", 1, "2025-01-01 00:00:00", "2025-02-01 00:00:00"}, 0, 7},
      {"ended", {kUser, "me", "", 1, "2024-01-01 00:00:00", "2025-01-06 09:00:00"}, 0, 0},
      {"not started", {kUser, "me", "", 1, "2025-01-06 09:00:01", "2026-01-01 00:00:00"}, 0, 0},
      {"not approved", {kUser, "me", "", 0, "2025-01-01 00:00:00", "2025-02-01 00:00:00"}, 0, 0},
      {"another member", {kUser + 1, "x", "", 1, "2025-01-01 00:00:00", "2026-01-01"}, 0, 0},
      {"row without uid", {kUser, "", "", 1, "2025-01-01 00:00:00", "2026-01-01"}, 0, 0},
      {"approved by the server", {kUser + 1, "x", "", 1, "2025-01-01", "2026-01-01"}, 1, 7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WebServerCafe cafe = MakeCafe(7);
    cafe.members = {c.row};
    cafe.myCafeApproved = c.myCafeApproved;
    peer.ServeCafes({cafe});
    login.nApprovedCafeIdx = 0;
    const auto engine = Fresh();
    CCafeService& service = engine->Cafe();
    service.Wake();
    service.RunPass(curl_.get());
    EXPECT_EQ(login.nApprovedCafeIdx, c.approvedCafe);
    EXPECT_EQ(service.Snapshot()->approvedCafe, c.approvedCafe);
  }
}

TEST_F(CafeWorker, ASubManagerByListManagesAndSaysSoInTheNextItemsRequest) {
  struct Case {
    const char* what;
    int managerIdx, subManagerIdx;
    std::string ids;
    std::string adm;
    bool chief;
  } cases[] = {
      {"listed only", 500, 501, "12;77;90", "1", false},
      {"listed with commas", 500, 501, "12,77", "1", false},
      {"a number that only contains it", 500, 501, "177;770", "0", false},
      {"chief manager", kUser, 501, "", "1", true},
      {"sub-manager", 500, kUser, "", "1", false},
      {"member", 500, 501, "12", "0", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WebServerCafe cafe = MakeCafe(7, c.managerIdx, c.subManagerIdx);
    cafe.subManagerIds = c.ids;
    peer.ServeCafes({cafe});
    peer.Http().ClearRequests();
    const auto engine = Fresh();
    CCafeService& service = engine->Cafe();
    service.Wake();
    service.RunPass(curl_.get());
    const auto items = To("/stock/cafe_rec_items_list2");
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].Param("adm"), c.adm);
    EXPECT_EQ(service.Snapshot()->managerFlag, c.adm == "1" ? 1 : 0);
    EXPECT_EQ(service.Snapshot()->chiefManager, c.chief);
  }
}

TEST_F(CafeWorker, ItemCodesArriveBase64UnlessApprovedAndEachStockOnce) {
  WebServerCafe cafe = MakeCafe(7);
  cafe.itemsApproved = 0;
  cafe.items = {{1, "005930", "삼성전자"}, {1, "999999", "없는 종목"}, {1, "005930", "삼성전자"}};
  peer.ServeCafes({cafe});
  Pass();
  EXPECT_EQ(RecCodes(), (std::vector<std::wstring>{L"005930"}));
  EXPECT_EQ(Data()->recStocks[0].name, L"삼성전자");
  EXPECT_EQ(Master(L"005930")->cafe_approved, 0);

  // Approved codes are used as received; a reply without "info" counts as not approved.
  const struct {
    const char* what;
    std::string body;
    std::vector<std::wstring> codes;
    uint8_t approved;
  } replies[] = {
      {"approved",
       "{\"info\":[{\"approved\":1,\"data_cnt\":2}],\"data\":[{\"nation_idx\":1,\"stock_code\":"
       "\"035420\"},{\"nation_idx\":1,\"stock_code\":\"MDM1NDIw\"}]}",
       {L"035420"},
       1},
      {"no info",
       "{\"data\":[{\"nation_idx\":1,\"stock_code\":\"MDAwNjYw\"},{\"nation_idx\":1,"
       "\"stock_code\":\"000660\"}]}",
       {L"000660"},
       0},
      {"byte-order mark and duplicates",
       "\xEF\xBB\xBF{\"info\":[{\"approved\":1}],\"data\":[{\"nation_idx\":1,\"stock_code\":"
       "\"000660\"},{\"nation_idx\":1,\"stock_code\":\"000660\"},{\"nation_idx\":1,"
       "\"stock_code\":\"\"},{\"nation_idx\":1,\"stock_code\":\"999999\"}]}",
       {L"000660"},
       1},
  };
  for (const auto& reply : replies) {
    SCOPED_TRACE(reply.what);
    peer.Http().On("GET", "/stock/cafe_rec_items_list2", Reply(200, reply.body));
    Pass();
    EXPECT_EQ(RecCodes(), reply.codes);
    EXPECT_EQ(Master(reply.codes[0].c_str())->cafe_approved, reply.approved);
  }
}

TEST_F(CafeWorker, AFailedDownloadKeepsTheLastGoodData) {
  peer.ServeCafes({MakeCafe(3), MakeCafe(7)});
  // The first cafe list fails: it is asked for again on the next pass, not lost for the
  // session.
  peer.Http().On("GET", "/stock/cafe_list", Reply(500, "server error"));
  Pass();
  EXPECT_TRUE(Data()->cafes->empty());
  EXPECT_EQ(Sent("/stock/cafe_member_list"), 0u) << "no cafe to ask about";
  EXPECT_TRUE(engine_.Cafe().RequestMask() & kCafeMaskList);
  int failureLines = 0;
  for (const std::wstring& line : window_.Logs())
    failureLines += line.find(L"(stock/cafe_list)") != std::wstring::npos;
  EXPECT_EQ(failureLines, 1);

  peer.ServeCafes({MakeCafe(3), MakeCafe(7)});
  Pass();
  EXPECT_EQ(CafeKeys(), (std::vector<int>{3, 7}));
  EXPECT_EQ(Data()->currentCafeIndex, 3);
  EXPECT_EQ(RecCodes().size(), 2u);
  const CafeSnapshotPtr good = Data();

  // Items that fail to arrive in any way leave the last ones; the list stays.
  const PeerReply failures[] = {
      Reply(500, "{}"),
      Reply(200, "<html>proxy</html>"),
      Reply(200, "[1,2]"),
      Reply(200, "{}", PeerReply::Wire::kReset),
      Reply(200, std::string(400, ' ') + "{\"data\":[]}", PeerReply::Wire::kCut),
  };
  for (const PeerReply& failure : failures) {
    peer.Http().On("GET", "/stock/cafe_rec_items_list2", failure);
    Pass();
    EXPECT_EQ(RecCodes(), (std::vector<std::wstring>{L"000660", L"005930"}));
    EXPECT_EQ(CafeKeys(), (std::vector<int>{3, 7}));
    EXPECT_EQ(Data()->currentCafeIndex, 3);
  }
  // What a window kept stays whole whatever later downloads do.
  EXPECT_EQ(good->FindCafe(7)->title, L"카페 7");
  EXPECT_EQ(good->recStocks.size(), 2u);
}

TEST_F(CafeWorker, AListWithoutDataOrNotJsonKeepsTheListToo) {
  for (const char* body : {"not json", "{\"err\":0}", "{\"data\":{}}"}) {
    SCOPED_TRACE(body);
    const auto engine = Fresh();
    CCafeService& service = engine->Cafe();
    peer.Http().On("GET", "/stock/cafe_list", Reply(200, body));
    service.Wake();
    service.RunPass(curl_.get());
    EXPECT_TRUE(service.Snapshot()->cafes->empty());
    EXPECT_TRUE(service.RequestMask() & kCafeMaskList);
    peer.ServeCafes({MakeCafe(4)});
    service.Wake();
    service.RunPass(curl_.get());
    EXPECT_EQ(service.Snapshot()->currentCafeIndex, 4);
  }
}

TEST_F(CafeWorker, AsksNothingWhileNobodyIsSignedInOrWithoutCafeOrMasterList) {
  peer.ServeCafes({MakeCafe(3)});
  web.m_userIdx = 0;
  EXPECT_EQ(Pass(), 0);
  EXPECT_TRUE(peer.Http().Requests().empty());
  EXPECT_EQ(Data()->currentCafeIndex, 0);

  // Signed in, with no cafe: neither the members nor the items of cafe 0 are asked for.
  web.m_userIdx = kUser;
  peer.ServeCafes({});
  EXPECT_EQ(Pass(), 1);
  EXPECT_EQ(Sent("/stock/cafe_list"), 1u);
  EXPECT_EQ(Sent("/stock/cafe_member_list"), 0u);
  EXPECT_EQ(Sent("/stock/cafe_rec_items_list2"), 0u);

  // Before the master list is loaded there are no items to look up.
  ScriptedEngine bare(&window_);
  bare.Cafe().SetWebLogin(&web);
  peer.ServeCafes({MakeCafe(3)});
  peer.Http().ClearRequests();
  bare.Cafe().Wake();
  EXPECT_EQ(bare.Cafe().RunPass(curl_.get()), 2);
  EXPECT_EQ(Sent("/stock/cafe_rec_items_list2"), 0u);
}

TEST_F(CafeWorker, AnotherUserSignedInGetsTheirOwnCafes) {
  peer.AddUser({"other", 88, "tk-88", 0, "", ""});
  WebServerCafe managed = MakeCafe(5, 88);
  peer.ServeCafes({MakeCafe(3), managed});
  Pass();
  EXPECT_EQ(Data()->currentCafeIndex, 3);
  EXPECT_EQ(Data()->managerFlag, 0);

  // The next user of the same session: the list and the standing are asked for again, and
  // while their list cannot be had they see none of the last user's cafes.
  web.m_userIdx = 88;
  web.m_userToken = "tk-88";
  login.nUserIdx = 88;
  login.nOwnCafeIdx = 5;
  peer.Http().On("GET", "/stock/cafe_list", Reply(500, "{}"));
  Pass();
  EXPECT_TRUE(Data()->cafes->empty());
  EXPECT_TRUE(Data()->recStocks.empty());
  EXPECT_EQ(Data()->currentCafeIndex, 0);
  peer.ServeCafes({MakeCafe(3), managed});
  peer.Http().ClearRequests();
  Pass();
  EXPECT_EQ(Sent("/stock/cafe_list"), 1u);
  EXPECT_EQ(Sent("/stock/cafe_member_list"), 1u);
  EXPECT_EQ(Data()->currentCafeIndex, 5);
  EXPECT_EQ(Data()->managerFlag, 1);
  EXPECT_TRUE(Data()->chiefManager);
}

TEST_F(CafeWorker, ChangesSinceTextOfTheModTime) {
  WebServerCafe cafe = MakeCafe(7);
  cafe.modTime = "2025-01-06 09:00:00.123456";
  peer.ServeCafes({cafe});
  Pass();
  EXPECT_EQ(Data()->modTime, "2025-01-06 09:00:00");
  EXPECT_EQ(Data()->changesSince, L"2025-01-06%2009:00:00");
}

TEST_F(CafeWorker, TheTickWakesTheCafeWorkerOnlyForASignedInUserWithAMasterList) {
  peer.ServeCafes({MakeCafe(7)});
  // The chain's other steps stay still: only the cafe worker is watched.
  engine_.m_chartPass.store(CPelomarEngine::kChartPassRunning);
  engine_.StartWorkerThreads();
  auto tick = [this] {
    clock_.Advance(30000);
    engine_.OnTradingTick();
  };
  // Nobody signed in: the tick wakes nothing.
  login.nUserIdx = 0;
  tick();
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_TRUE(peer.Http().Requests().empty());

  login.nUserIdx = kUser;
  engine_.TimerState().viewUserIndex = kUser;
  tick();
  ASSERT_TRUE(peer.Http().WaitForRequests(3, std::chrono::seconds(10)));
  for (int i = 0; i < 500 && Data()->recStocks.empty(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(Data()->currentCafeIndex, 7);
  EXPECT_EQ(RecCodes().size(), 2u);
  // The cafe windows are still to come: the log says so once.
  int said = 0;
  for (const std::wstring& line : window_.Logs())
    said += line.find(L"is not available") != std::wstring::npos;
  EXPECT_EQ(said, 2);
}

// The cafe dialog's grids as the downloads reach them: the master stocks of the cafe's
// recommended items become rows, the same on every pass, names masked until approved.
TEST_F(CafeWorker, DownloadsFillTheCafeDialogsGrids) {
  WebServerCafe cafe = MakeCafe(7);
  cafe.itemsApproved = 0;
  peer.ServeCafes({MakeCafe(3), cafe});
  login.nOwnCafeIdx = 7;
  Master(L"005930")->market_letter = '1';  // as the broker's master list sets it
  CCafeDlgGrids grids;
  engine_.Cafe().SetDialogFiller(&grids);
  auto rows = [&grids] {
    std::vector<std::wstring> out;
    orv::ui::CMyReportCtrl& grid = grids.InterestGrid();
    for (int i = 0; i < grid.GetRecordCount(); ++i)
      out.push_back(grid.GetRecord(i)->GetItemCaption(CCafeStockRecord::kColCode) + L" " +
                    grid.GetRecord(i)->GetItemCaption(CCafeStockRecord::kColName));
    return out;
  };
  for (int pass = 0; pass < 2; ++pass) {
    Pass();
    EXPECT_EQ(rows(), (std::vector<std::wstring>{L"000660 ***", L"005930 ***"}));
  }
  EXPECT_EQ(grids.CurrentCafe(), 7);
  EXPECT_EQ(grids.CafePicker().entries.ToText(), L"3:카페 3;7:카페 7;");
  const Stock_s* master = Master(L"005930");
  auto* row = static_cast<CCafeStockRecord*>(grids.InterestGrid().GetRecord(1));
  EXPECT_EQ(row->GetOptionsValue(CCafeStockRecord::kColNation), master->nation);
  EXPECT_EQ(row->GetItemCaption(CCafeStockRecord::kColMarket), L"1");
  // The rows point at the dialog's own stock records, never at the master list's.
  ASSERT_NE(row->GetStock(), nullptr);
  EXPECT_NE(row->GetStock(), master);
  EXPECT_EQ(master->row_refs[kRowSlotCafeInterest], nullptr);
  EXPECT_EQ(row->GetStock()->row_refs[kRowSlotCafeInterest], row);

  // Without the dialog the downloads reach the grids no more.
  engine_.Cafe().SetDialogFiller(nullptr);
  cafe.items.push_back({1, "035420", "NAVER"});
  peer.ServeCafes({MakeCafe(3), cafe});
  Pass();
  EXPECT_EQ(grids.InterestGrid().GetRecordCount(), 2);
}

TEST_F(CafeWorker, APickedCafeBecomesCurrentAndAListStillToComeStaysAskedFor) {
  peer.ServeCafes({MakeCafe(3, 30, 31), MakeCafe(7, 70, 71)});
  Pass();
  ASSERT_EQ(Data()->currentCafeIndex, 3);
  peer.Http().ClearRequests();

  // The user picks cafe 7: the next pass asks for its members and items, not for the list.
  engine_.Cafe().RequestCafe(7);
  EXPECT_EQ(engine_.Cafe().RequestMask(), kCafeMaskMembers | kCafeMaskRecItems);
  engine_.Cafe().RunPass(curl_.get());
  EXPECT_EQ(Sent("/stock/cafe_list"), 0u);
  ASSERT_EQ(Sent("/stock/cafe_member_list"), 1u);
  EXPECT_EQ(To("/stock/cafe_member_list")[0].Param("cafe"), "7");
  ASSERT_EQ(Sent("/stock/cafe_rec_items_list2"), 1u);
  EXPECT_EQ(To("/stock/cafe_rec_items_list2")[0].Param("cafe"), "7");
  EXPECT_EQ(Data()->currentCafeIndex, 7);
  EXPECT_EQ(Data()->chiefManagerIndex, 70);
  EXPECT_EQ(Data()->subManagerIndex, 71);

  // A pick while the list never came (an empty picker picks nothing) keeps the list asked
  // for, else the picker could never be filled for this session; the list then picks.
  const auto engine = Fresh();
  peer.Http().On("GET", "/stock/cafe_list", Reply(500, "server error"));
  engine->Cafe().Wake();
  engine->Cafe().RunPass(curl_.get());
  ASSERT_TRUE(engine->Cafe().RequestMask() & kCafeMaskList);
  engine->Cafe().RequestCafe(0);
  EXPECT_EQ(engine->Cafe().RequestMask(), kCafeMaskList | kCafeMaskMembers | kCafeMaskRecItems);
  peer.ServeCafes({MakeCafe(3, 30, 31)});
  engine->Cafe().RunPass(curl_.get());
  EXPECT_EQ(engine->Cafe().Snapshot()->cafes->size(), 1u);
  EXPECT_EQ(engine->Cafe().Snapshot()->currentCafeIndex, 3);
}

// A window's picked cafe: the next pass asks for that cafe's members and items (not the list
// again, unless the list still waits for a good download) and makes it the current cafe.
TEST_F(CafeWorker, APickedCafeIsTheOneTheNextPassDownloads) {
  login.nOwnCafeIdx = 7;
  peer.ServeCafes({MakeCafe(3, 30, 31), MakeCafe(7)});
  Pass();
  ASSERT_EQ(Data()->currentCafeIndex, 7);
  peer.Http().ClearRequests();

  engine_.Cafe().RequestCafe(3);
  EXPECT_EQ(engine_.Cafe().RequestMask(), kCafeMaskMembers | kCafeMaskRecItems);
  engine_.Cafe().RunPass(curl_.get());
  EXPECT_EQ(Sent("/stock/cafe_list"), 0u);
  const auto members = To("/stock/cafe_member_list");
  const auto items = To("/stock/cafe_rec_items_list2");
  ASSERT_EQ(members.size(), 1u);
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(members[0].Param("cafe"), "3");
  EXPECT_EQ(items[0].Param("cafe"), "3");
  EXPECT_EQ(Data()->currentCafeIndex, 3);
  ASSERT_TRUE(Data()->currentCafe);
  EXPECT_EQ(Data()->chiefManagerIndex, 30);
  EXPECT_EQ(Data()->recItemsCafe, 3);
  // Later passes stay with it.
  peer.Http().ClearRequests();
  Pass();
  ASSERT_EQ(To("/stock/cafe_rec_items_list2").size(), 1u);
  EXPECT_EQ(To("/stock/cafe_rec_items_list2")[0].Param("cafe"), "3");

  // With the list not downloaded yet, a pick keeps it asked for.
  const auto engine = Fresh();
  engine->Cafe().RequestCafe(9);
  EXPECT_EQ(engine->Cafe().RequestMask(), kCafeMaskList | kCafeMaskMembers | kCafeMaskRecItems);
}

}  // namespace
}  // namespace orv::test
