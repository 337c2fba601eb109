// One DB agent used by several workers at once, as the trading view uses it: a stock list paged
// while deposit and balance requests go out, and token renewals while requests go out.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "tests/plugin/brokers/DbAgentFixture.h"

namespace orv::test {
namespace {

using namespace std::chrono_literals;

// A program clock whose paging pauses last until the other workers have each completed one
// more request: every pause of the list has a deposit and a balance reply inside it.
class BusyPauseClock : public orv::win::FakeClock {
 public:
  void SetPager(std::thread::id pager) { pager_ = pager; }
  void RequestDone(int worker) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      ++done_[worker];
    }
    cv_.notify_all();
  }
  void Sleep(DWORD ms) override {
    if (std::this_thread::get_id() == pager_) {
      std::unique_lock<std::mutex> lock(mutex_);
      const int deposits = done_[0];
      const int balances = done_[1];
      const bool both =
          cv_.wait_for(lock, 10s, [&] { return done_[0] > deposits && done_[1] > balances; });
      EXPECT_TRUE(both) << "the other workers stopped answering";
      ++pauses_;
    }
    FakeClock::Sleep(ms);
  }
  int Pauses() {
    std::lock_guard<std::mutex> lock(mutex_);
    return pauses_;
  }

 private:
  std::thread::id pager_;
  std::mutex mutex_;
  std::condition_variable cv_;
  int done_[2] = {0, 0};
  int pauses_ = 0;
};

class DbAgentConcurrencyTest : public DbAgentFixture {
 protected:
  // As the view does: replies reach the shared maps under one lock.
  void SetUp() override {
    DbAgentFixture::SetUp();
    agent_.SetMergeStep([this](const std::function<void()>& merge) {
      std::lock_guard<std::mutex> lock(viewLock_);
      merge();
    });
  }

  BalanceQueryArgs_s BalanceArgs() {
    BalanceQueryArgs_s args;
    args.totals = &agent_.m_accountRecord;
    args.holdings = &holdings_;
    args.stocks = &held_;
    return args;
  }

  std::mutex viewLock_;
  GroupInfoMap accounts_;
  OwningHoldingMap holdings_;
  OwningStockMap held_;
};

TEST_F(DbAgentConcurrencyTest, PagedListLoadsWholeWhileDepositAndBalanceRequestsGoOut) {
  constexpr int kPages = 12;
  constexpr int kPerPage = 1000;
  std::vector<std::vector<DbTickerRow>> pages(kPages);
  for (int p = 0; p < kPages; ++p) {
    for (int i = 0; i < kPerPage; ++i) {
      const std::string code = std::to_string(100000 + p * kPerPage + i);
      pages[p].push_back({"A" + code, "KR7" + code, "1", "종목" + code});
    }
  }
  peer_.SetTickerPages(DbBrokerPeer::kDomesticTickerPath, pages);
  peer_.SetDeposit({1000000, 900000, 0, 0});
  DbHoldingRow held;
  held.code = "A005930";
  held.name = "삼성전자";
  held.balanceQty = 10;
  held.ableQty = 10;
  held.avgPrice = 70000;
  held.nowPrice = 71000;
  peer_.SetDomesticBalance({}, {held});

  BusyPauseClock clock;
  orv::win::ScopedClock installed(clock);
  std::atomic<bool> listed{false};
  std::atomic<int> failures{0};
  std::thread deposits([&] {
    while (!listed) {
      if (agent_.QueryDeposit(nullptr, &accounts_, nullptr, 0) != 1) ++failures;
      clock.RequestDone(0);
    }
  });
  std::thread balances([&] {
    while (!listed) {
      if (agent_.QueryBalance(nullptr, kMarketDomestic, 0, 0, BalanceArgs()) != 1) ++failures;
      clock.RequestDone(1);
    }
  });

  OwningStockMap stocks;
  int status = 0;
  clock.SetPager(std::this_thread::get_id());
  const int loaded = agent_.LoadStockList(curl_, &stocks, kMarketDomestic, '1', 0, 0, &status, 0);
  listed = true;
  deposits.join();
  balances.join();

  EXPECT_EQ(loaded, kPages * kPerPage);
  EXPECT_EQ(stocks.size(), static_cast<size_t>(kPages * kPerPage));
  EXPECT_EQ(clock.Pauses(), kPages);
  EXPECT_EQ(failures.load(), 0);
  EXPECT_EQ(peer_.RequestsTo(DbBrokerPeer::kDomesticTickerPath).size(),
            static_cast<size_t>(kPages));
}

TEST_F(DbAgentConcurrencyTest, RenewalsWhileRequestsGoOutSendOnlyWholeIssuedTokens) {
  peer_.RotateTokens(true);
  peer_.SetDeposit({1000000, 900000, 0, 0});
  constexpr int kRenewals = 40;
  std::atomic<bool> renewing{true};
  std::atomic<int> refused{0};
  std::atomic<int> sent{0};
  auto worker = [&] {
    GroupInfoMap accounts;
    while (renewing) {
      if (agent_.QueryDeposit(nullptr, &accounts, nullptr, 0) != 1) ++refused;
      ++sent;
    }
  };
  std::thread first(worker);
  std::thread second(worker);
  int renewed = 0;
  for (int i = 0; i < kRenewals; ++i) {
    // The renewal the trading timer makes: no new credentials, a new token.
    renewed += agent_.Login(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0);
    std::this_thread::sleep_for(2ms);
  }
  renewing = false;
  first.join();
  second.join();

  EXPECT_EQ(renewed, kRenewals);
  EXPECT_EQ(refused.load(), 0);
  EXPECT_GT(sent.load(), kRenewals);
  const std::vector<std::string> issued = peer_.IssuedTokens();
  ASSERT_EQ(issued.size(), static_cast<size_t>(kRenewals + 1)) << "the fixture's login + renewals";
  EXPECT_EQ(agent_.AccessToken(), issued.back());
  const std::set<std::string> valid(issued.begin(), issued.end());
  std::set<std::string> used;
  for (const RecordedRequest& request : peer_.RequestsTo(DbBrokerPeer::kDepositPath)) {
    const std::string header = request.Header("Authorization");
    const std::string token = header.rfind("Bearer ", 0) == 0 ? header.substr(7) : std::string();
    EXPECT_EQ(valid.count(token), 1u) << "not a whole issued token: " << header.substr(0, 40);
    used.insert(token);
  }
  EXPECT_GT(used.size(), 1u) << "the requests spanned several renewals";
}

}  // namespace
}  // namespace orv::test
