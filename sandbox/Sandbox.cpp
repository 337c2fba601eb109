#include "sandbox/Sandbox.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>

namespace orv::test {
namespace {

// Requests kept for inspection; a long run must not grow without bound.
constexpr size_t kRecordLimit = 200;
// SMS messages the member may still send.
constexpr int kSmsRemain = 100;

// The account's opening holdings: code, quantity, average buy price.
struct OpeningHolding {
  const char* code;
  double qty;
  double avgPrice;
};
constexpr OpeningHolding kOpeningHoldings[] = {
    {"005930", 10, 68500},
    {"000660", 3, 182000},
    {"035420", 4, 201000},
};

std::unique_ptr<DbBrokerPeer> MakeBroker(int brokerId, const TestCa& ca) {
  if (brokerId == kSandboxHangukBroker) return std::make_unique<HangukBrokerPeer>(ca);
  return std::make_unique<DbBrokerPeer>(ca);
}

}  // namespace

Sandbox::Sandbox(SandboxOptions options)
    : options_(std::move(options)),
      ca_("Orvella Sandbox CA"),
      broker_(MakeBroker(options_.brokerId, ca_)),
      web_(ca_),
      market_(SandboxStocks(), options_.seed) {
  if (!options_.script.empty()) market_.SetScript(options_.script);

  DbBrokerPeer& broker = *broker_;
  broker.AcceptCredentials(SandboxAccount::kAppKey, SandboxAccount::kAppSecret);
  broker.SetToken(SandboxAccount::kAccessToken);
  if (auto* hanguk = dynamic_cast<HangukBrokerPeer*>(broker_.get())) {
    std::vector<HangukListRow> list;
    for (const SandboxStock& stock : market_.Stocks()) {
      // The list's market class: '1' the main market, '2' the second (the DB list's "4").
      const std::string gubun = stock.marketClass == "4" ? "2" : stock.marketClass;
      list.push_back({"A" + stock.code, stock.stdCode, gubun, stock.name});
    }
    hanguk->SetListPages(HangukBrokerPeer::kStockListPath, {list});
  } else {
    std::vector<DbTickerRow> list;
    for (const SandboxStock& stock : market_.Stocks()) {
      list.push_back({"A" + stock.code, stock.stdCode, stock.marketClass, stock.name});
    }
    broker.SetTickerPages(DbBrokerPeer::kDomesticTickerPath, {list});
  }
  broker.SetQuotes(market_.Quotes());
  std::vector<DbHoldingRow> rows;
  for (const OpeningHolding& h : kOpeningHoldings) {
    DbHoldingRow row;
    row.code = std::string("A") + h.code;
    for (const SandboxStock& stock : market_.Stocks()) {
      if (stock.code == h.code) row.name = stock.name;
    }
    row.balanceQty = h.qty;
    row.ableQty = h.qty;
    row.avgPrice = h.avgPrice;
    rows.push_back(row);
  }
  broker.SetDomesticBalance({}, rows);
  DbDeposit deposit;
  deposit.deposit = SandboxAccount::kDeposit;
  deposit.withdrawable = SandboxAccount::kDeposit;
  deposit.nextDay = SandboxAccount::kDeposit;
  broker.SetDeposit(deposit);
  broker.SetLiveAccount(true);
  broker.Http().SetRecordLimit(kRecordLimit);

  WebServerUser user;
  user.userId = SandboxAccount::kUserId;
  user.userIdx = SandboxAccount::kUserIdx;
  user.token = SandboxAccount::kUserToken;
  user.webApiToken = 7;
  user.webApiKey = "sandbox-web-api-key";
  user.tel = "01000000000";
  web_.AddUser(user);
  web_.SetServiceFields({{"sms_remain", std::to_string(kSmsRemain)},
                         {"sms_used", "0"},
                         {"nick_name", "\"" + WebServerPeer::Base64("샌드박스") + "\""},
                         {"level", "1"},
                         {"fee_rate", "0.015"},
                         {"tax_rate", "0.15"}});
  web_.AnswerReports(kSmsRemain);
  web_.Http().SetRecordLimit(kRecordLimit);

  auto served = [this](const char* server) {
    return [this, server](const RecordedRequest& request, int status) {
      if (options_.tickMs == 0 && status == 200 && request.path == DbBrokerPeer::kDomesticPricePath)
        Tick();
      std::function<void(const std::string&)> log;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        log = log_;
      }
      if (log) {
        log(std::string(server) + " " + request.method + " " + request.path + " -> " +
            std::to_string(status));
      }
    };
  };
  broker.Http().OnServed(served("broker"));
  web_.Http().OnServed(served("web"));
}

Sandbox::~Sandbox() { Stop(); }

bool Sandbox::Start(std::string* error) {
  auto fail = [&](const std::string& why) {
    if (error) *error = why;
    Stop();
    return false;
  };
  if (!ca_.IsValid()) return fail("the test CA could not be made");
  if (!broker_->Http().Start(options_.brokerPort)) return fail("the broker cannot listen");
  if (!web_.Http().Start(options_.webPort)) return fail("the web server cannot listen");
  brokerPort_ = broker_->Http().Port();
  webPort_ = web_.Http().Port();
  if (options_.tickMs > 0) {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = false;
    clock_ = std::thread([this] { RunClock(); });
  }
  return true;
}

void Sandbox::Stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  if (clock_.joinable()) clock_.join();
  broker_->Stop();
  web_.Stop();
}

void Sandbox::RunClock() {
  std::unique_lock<std::mutex> lock(mutex_);
  const auto period = std::chrono::milliseconds(options_.tickMs);
  auto next = std::chrono::steady_clock::now() + period;
  while (!wake_.wait_until(lock, next, [this] { return stopping_; })) {
    lock.unlock();
    Tick();
    lock.lock();
    next += period;
  }
}

void Sandbox::Tick() {
  std::vector<DbQuote> quotes;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    market_.Step();
    quotes = market_.Quotes();
  }
  broker_->SetQuotes(quotes);
}

std::string Sandbox::BrokerHost() const { return "127.0.0.1:" + std::to_string(BrokerPort()); }

std::string Sandbox::WebUrl() const { return web_.BaseUrl() + "/"; }

std::string Sandbox::StateText(const std::string& caFile) const {
  return "broker_host=" + BrokerHost() + "\nbroker_port=" + std::to_string(BrokerPort()) +
         "\nbroker_id=" + std::to_string(options_.brokerId) + "\nweb_url=" + WebUrl() + "\nweb_port=" + std::to_string(WebPort()) +
         "\nca_file=" + caFile + "\npid=" + std::to_string(getpid()) + "\n";
}

std::vector<DbQuote> Sandbox::Quotes() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return market_.Quotes();
}

int Sandbox::Ticks() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return market_.Ticks();
}

void Sandbox::OnServed(std::function<void(const std::string& line)> log) {
  std::lock_guard<std::mutex> lock(mutex_);
  log_ = std::move(log);
}

bool WriteFileAtomically(const std::string& path, const std::string& text) {
  const std::string temporary = path + ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out << text;
    out.flush();
    if (!out) return false;
  }
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    std::remove(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace orv::test
