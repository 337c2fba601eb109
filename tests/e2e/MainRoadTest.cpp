// The main road end to end: the real host, started in this process from a staged program folder
// whose module row names the real Pelomar.so, signs in through its log-in dialog against the
// sandbox, polls prices along a scripted path until the held stock's profit falls back from a
// high step, sells it at the market, reports the order, asks for the balance again, and closes
// with every worker stopped and the plug-in unloaded. On the way it reads the trading view's
// grids as the user sees them: the all-stock tab after the master codes, the holdings rows with
// their totals and a price that only the quote passes bring, and host commands 113 and 114
// switching every holding row's automatic trading on and off.
#include <gtest/gtest.h>
#include <wx/grid.h>
#include <wx/notebook.h>
#include <wx/stattext.h>
#include <wx/string.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "host/app/VarqoMainApp.h"
#include "host/frame/MainFrame.h"
#include "host/user/HostUserServices.h"
#include "platform/support/PluginLoader.h"
#include "platform/support/TextConv.h"
#include "tests/e2e/road/RoadHost.h"
#include "tests/e2e/road/TradingGrids.h"

using orv::test::DbBrokerPeer;
using orv::test::RoadHost;
using orv::test::SandboxAccount;
using namespace orv::test::grids;

namespace {

// The held stock the script moves: 10 shares at an average of 68,500 won in the sandbox.
constexpr const char* kCode = "005930";
// Below the first take-profit step, then about +14.6% (a high step), then about +10.2%: the
// fall of two steps queues a sell of the holding. A second holding only rises, from its
// opening 196,500 to 198,000, so only a quote pass can bring that price to its row.
constexpr const char* kScript =
    "005930 70000\n"
    "005930 70000 000660 198000\n"
    "005930 78500\n"
    "005930 78500\n"
    "005930 78500\n"
    "005930 75500\n";
constexpr auto kStepBound = std::chrono::seconds(20);
// The report's fields per order line.
constexpr size_t kMoneyLogFields = 52;

// Fields of a comma-separated line whose quoted fields may hold commas.
std::vector<std::string> CsvFields(const std::string& line) {
  std::vector<std::string> fields(1);
  bool quoted = false;
  for (char c : line) {
    if (c == '"')
      quoted = !quoted;
    else if (c == ',' && !quoted)
      fields.emplace_back();
    else
      fields.back() += c;
  }
  return fields;
}

// The texts of the host's open notice popups.
std::vector<std::wstring> PopupTexts(CMainFrame* frame) {
  std::vector<std::wstring> texts;
  std::function<void(wxWindow*)> collect = [&](wxWindow* window) {
    if (auto* text = dynamic_cast<wxStaticText*>(window))
      texts.push_back(text->GetLabel().ToStdWstring());
    for (wxWindow* child : window->GetChildren()) collect(child);
  };
  for (wxWindow* popup : frame->GetOpenPopups()) collect(popup);
  return texts;
}

// The count "(N개)" of the newest popup text that starts with `prefix`; -1 without one.
int PopupCount(CMainFrame* frame, const std::wstring& prefix) {
  int count = -1;
  for (const std::wstring& text : PopupTexts(frame))
    if (text.rfind(prefix, 0) == 0) count = std::stoi(text.substr(prefix.size()));
  return count;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

TEST(MainRoad, SignInPollSellReportRefreshAndClose) {
  RoadHost road({ORV_BINARY_DIR, ORV_SOURCE_DIR});
  std::string error;
  ASSERT_TRUE(road.Start(kScript, &error)) << error;
  ASSERT_NE(road.Frame()->GetPluginLoader(), nullptr);
  ASSERT_EQ(road.Frame()->GetPluginLoader()->GetLoadedCount(), 1u) << "Pelomar.so did not load";
  auto wait = [&](const std::function<bool()>& done) { return road.WaitFor(done, kStepBound); };
  auto asked = [&](const char* path) {
    return [&road, path] { return !road.BrokerRequests(path).empty(); };
  };

  std::wstring loginError;
  const int login = road.LogIn(&loginError);
  if (login != 1 || testing::Test::HasFailure()) road.KeepFolders();
  ASSERT_EQ(login, 1) << "log-in error: " << WideToUtf8(loginError);
  EXPECT_TRUE(wait([&] { return road.Frame()->UserServices().IsLoggedIn(); }));

  // The broker session: token, master codes, deposit and balance.
  EXPECT_TRUE(wait(asked(DbBrokerPeer::kTokenPath)));
  EXPECT_TRUE(wait(asked(DbBrokerPeer::kDomesticTickerPath))) << "no master codes asked for";
  EXPECT_TRUE(wait(asked(DbBrokerPeer::kDepositPath)));
  EXPECT_TRUE(wait(asked(DbBrokerPeer::kDomesticBalancePath)));

  // The account refresh shows the three sandbox holdings in the own-stock grid.
  EXPECT_TRUE(wait([&] {
    return road.FilesEndingWith("_app_log.csv").find("▶ [UI] 계좌 3개 갱신 완료") !=
           std::string::npos;
  })) << "the holdings rows were never refreshed";
  // The log-in and the arrival of the master codes each ask for the balance, in either order;
  // what counts below is that no later balance brought the quotes.
  const size_t balancesAtStart = road.ServedTimes(DbBrokerPeer::kDomesticBalancePath).size();

  // The trading view's grids: the all-stock tab lists the sandbox's listings after the master
  // codes, the own-stock tab the three holdings with their totals in the footer's first row.
  wxNotebook* tabs = TradingTabs(road.Frame());
  ASSERT_NE(tabs, nullptr) << "no trading view tabs";
  const size_t listings = orv::test::SandboxStocks().size();
  const wxString allCaption = wxString::Format(L"전종목 시세 (%d 개)", static_cast<int>(listings));
  EXPECT_TRUE(wait([&] { return tabs->GetPageText(0) == allCaption; }))
      << "all-stock tab caption: " << tabs->GetPageText(0).utf8_string();
  wxGrid* allStocks = TabGrid(tabs, 0, false);
  ASSERT_NE(allStocks, nullptr);
  EXPECT_EQ(allStocks->GetNumberRows(), static_cast<int>(listings));
  wxGrid* own = TabGrid(tabs, 1, false);
  wxGrid* ownFooter = TabGrid(tabs, 1, true);
  ASSERT_NE(own, nullptr);
  ASSERT_NE(ownFooter, nullptr);
  const int priceCol = ColumnTitled(own, L"현재가");
  const int autoCol = ColumnTitled(own, L"자동매매");
  ASSERT_GE(priceCol, 0);
  ASSERT_GE(autoCol, 0);
  // The totals row holds the sums of the shown holding rows.
  auto expectTotals = [&](const char* when) {
    ASSERT_GE(ownFooter->GetNumberRows(), 1) << when;
    // The grid windows show the rows and the totals row as they repaint, which a loaded
    // machine may leave for a moment after the refresh that changed them.
    auto consistent = [&] {
      for (const wchar_t* title : {L"매입금액", L"평가금액"}) {
        const int col = ColumnTitled(own, title);
        double sum = 0;
        for (int row = 0; row < own->GetNumberRows(); ++row) sum += CellNumber(own, row, col);
        if (col < 0 || CellNumber(ownFooter, 0, col) != sum) return false;
      }
      return true;
    };
    wait(consistent);
    for (const wchar_t* title : {L"매입금액", L"평가금액"}) {
      const int col = ColumnTitled(own, title);
      ASSERT_GE(col, 0) << WideToUtf8(title);
      double sum = 0;
      for (int row = 0; row < own->GetNumberRows(); ++row) sum += CellNumber(own, row, col);
      EXPECT_GT(sum, 0) << when;
      EXPECT_DOUBLE_EQ(CellNumber(ownFooter, 0, col), sum) << WideToUtf8(title) << " " << when;
    }
  };
  EXPECT_EQ(own->GetNumberRows(), 3);
  expectTotals("after the account refresh");

  // A quote pass brings the second holding's new price to its row's price cell; the balance
  // had not been asked again by then, so the account refresh did not.
  const bool priced = wait([&] {
    const int row = RowOfCode(own, "000660");
    return row >= 0 && CellNumber(own, row, priceCol) == 198000;
  });
  EXPECT_TRUE(priced) << "the 000660 row's price never followed the quotes";
  if (priced) {
    EXPECT_EQ(road.ServedTimes(DbBrokerPeer::kDomesticBalancePath).size(), balancesAtStart);
    expectTotals("after a quote pass");
    // The stock's all-stock row shows the same price.
    const int code = ColumnTitled(allStocks, L"종목코드");
    const int price = ColumnTitled(allStocks, L"현재가");
    ASSERT_GE(code, 0);
    ASSERT_GE(price, 0);
    int row = 0;
    while (row < allStocks->GetNumberRows() && allStocks->GetCellValue(row, code) != "000660") ++row;
    ASSERT_LT(row, allStocks->GetNumberRows());
    EXPECT_EQ(CellNumber(allStocks, row, price), 198000);
  }

  // Quote polling writes the held stock's prices to the price log.
  EXPECT_TRUE(wait([&] {
    return road.FilesEndingWith("_price_log.csv").find(kCode) != std::string::npos;
  })) << "no price-log line of the held stock";

  // The fall from the high step sells the holding at the market.
  const bool ordered = wait(asked(DbBrokerPeer::kDomesticOrderPath));
  if (!ordered) road.KeepFolders();
  ASSERT_TRUE(ordered) << "no order reached the broker after "
                       << road.BrokerRequests(DbBrokerPeer::kDomesticPricePath).size()
                       << " price inquiries";
  const auto orders = road.BrokerRequests(DbBrokerPeer::kDomesticOrderPath);
  EXPECT_NE(orders[0].body.find(kCode), std::string::npos) << orders[0].body;
  const auto orderTimes = road.ServedTimes(DbBrokerPeer::kDomesticOrderPath);
  for (size_t i = 1; i < orderTimes.size(); ++i)
    EXPECT_GE(orderTimes[i] - orderTimes[i - 1], std::chrono::milliseconds(90));

  // The pass's order report: one line of 52 fields per order, the sold stock among them.
  ASSERT_TRUE(wait([&] { return !road.WebRequests("stock/order_up3").empty(); }))
      << "the order report never reached the web server";
  const auto reports = road.WebRequests("stock/order_up3");
  EXPECT_EQ(reports[0].method, "POST");
  const auto* text = reports[0].Part("op_qry");
  ASSERT_NE(text, nullptr);
  const auto reportLines = Lines(text->content);
  ASSERT_FALSE(reportLines.empty());
  for (const std::string& line : reportLines)
    EXPECT_EQ(CsvFields(line).size(), kMoneyLogFields) << line;
  EXPECT_NE(text->content.find(kCode), std::string::npos);
  ASSERT_NE(reports[0].Part("op_cnt"), nullptr);
  EXPECT_EQ(reports[0].Part("op_cnt")->content, std::to_string(reportLines.size()));

  // Once the master list was loaded, the cafe worker asked the web server for the member's
  // cafes, the member list of the cafe it picked and that cafe's recommended stocks.
  EXPECT_TRUE(wait([&] { return !road.WebRequests("stock/cafe_rec_items_list2").empty(); }))
      << "the cafe downloads never reached the web server";
  const auto cafeLists = road.WebRequests("stock/cafe_list");
  const auto cafeMembers = road.WebRequests("stock/cafe_member_list");
  ASSERT_EQ(cafeLists.size(), 1u);
  ASSERT_EQ(cafeMembers.size(), 1u);
  EXPECT_EQ(cafeMembers[0].Param("cafe"), "1");
  EXPECT_EQ(road.WebRequests("stock/cafe_rec_items_list2")[0].Param("cafe"), "1");
  // The cafe data view takes the results (CafeViewRoadTest looks at what it shows): no window
  // is missing to show them.
  orv::test::PumpEvents(300);
  EXPECT_EQ(road.FilesEndingWith("_app_log.csv").find("is not available to show the cafe data"),
            std::string::npos);

  // ORV_ROAD_SCREENSHOT=FILE.png keeps a picture of the screen after the sale.
  if (const char* shot = std::getenv("ORV_ROAD_SCREENSHOT")) {
    orv::test::PumpEvents(500);
    const std::string command = std::string("import -window root '") + shot + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
  }

  // The trading and application logs hold the sale.
  EXPECT_TRUE(wait(
      [&] { return road.FilesEndingWith("_trading_log.csv").find(kCode) != std::string::npos; }));
  EXPECT_TRUE(wait(
      [&] { return road.FilesEndingWith("_app_log.csv").find("매도 코드") != std::string::npos; }));

  // The holdings are asked for again after the sale: the order that empties the holding asks
  // at once (a split sale leaves the rest to a later pass, about 20 s on).
  EXPECT_TRUE(road.WaitFor(
      [&] {
        const auto balances = road.ServedTimes(DbBrokerPeer::kDomesticBalancePath);
        const auto placed = road.ServedTimes(DbBrokerPeer::kDomesticOrderPath);
        return !placed.empty() && !balances.empty() && balances.back() > placed.front();
      },
      std::chrono::seconds(35)))
      << "no balance request after the order";

  // The account refresh after that balance: the sold holding's row no longer trades.
  auto refreshes = [&] {
    const std::string log = road.FilesEndingWith("_app_log.csv");
    size_t count = 0;
    for (size_t at = log.find("개 갱신 완료"); at != std::string::npos;
         at = log.find("개 갱신 완료", at + 1))
      ++count;
    return count;
  };
  EXPECT_TRUE(wait([&] { return refreshes() >= 2; })) << "no account refresh after the sale";

  // Host commands 113 and 114 switch automatic trading on and off for every holding row the
  // grid shows; the host's notice counts the rows switched.
  auto checkedRows = [&] {
    int checked = 0;
    for (int row = 0; row < own->GetNumberRows(); ++row)
      checked += own->GetTable()->GetValueAsBool(row, autoCol) ? 1 : 0;
    return checked;
  };
  EXPECT_EQ(road.Frame()->SendCommandToAllModules(113, 0), 1);
  const int switchedOn = PopupCount(road.Frame(), L"전체 보유 종목이 [자동 매매] *설정* (");
  EXPECT_GE(switchedOn, 1) << "no notice of the switch";
  EXPECT_EQ(checkedRows(), switchedOn);
  EXPECT_EQ(road.Frame()->SendCommandToAllModules(114, 0), 1);
  EXPECT_EQ(PopupCount(road.Frame(), L"전체 보유 종목이 [자동 매매] *취소(Cancel)* ("),
            switchedOn);
  EXPECT_EQ(checkedRows(), 0);

  // The user types a stop-loss of 3 into the second holding's 손절기준 cell: it is taken as a
  // loss of 3 %, and the cell shows what the holding now has.
  const int stopCol = ColumnTitled(own, L"손절기준");
  const int held = RowOfCode(own, "000660");
  ASSERT_GE(stopCol, 0);
  ASSERT_GE(held, 0);
  own->GetTable()->SetValue(held, stopCol, wxString(L"3"));
  EXPECT_TRUE(wait([&] { return CellNumber(own, RowOfCode(own, "000660"), stopCol) == -3.0; }))
      << "the typed stop-loss did not reach the row: "
      << own->GetCellValue(RowOfCode(own, "000660"), stopCol).ToStdString();
  expectTotals("after the sale and the balance that followed it");

  // The user closes the program and answers yes: command 21 stops the workers, the modules are
  // destroyed and the library unloaded, without a crash.
  ASSERT_TRUE(road.CloseWithYes(std::chrono::seconds(10))) << "the main window did not close";
  EXPECT_EQ(road.App().RunSettings().nAppRunning, 0);
  // No worker is left to reach the sandbox once the plug-in is gone.
  const size_t after = road.Market().Broker().Http().Requests().size();
  orv::test::PumpEvents(1500);
  EXPECT_EQ(road.Market().Broker().Http().Requests().size(), after);

  // No key, secret or token is left in clear in any file of the run: not in the catalogue
  // (the staged one held the key and secret in clear; the first start sealed them), its
  // write-ahead log, the plug-in's database, the settings or the logs.
  const std::string everything = road.FilesEndingWith("");
  ASSERT_FALSE(everything.empty());
  for (const char* secret : {SandboxAccount::kAppKey, SandboxAccount::kAppSecret,
                             SandboxAccount::kAccessToken, SandboxAccount::kUserToken}) {
    EXPECT_EQ(everything.find(secret), std::string::npos) << secret << " is on disk in clear";
  }
  if (testing::Test::HasFailure()) road.KeepFolders();
}

}  // namespace
