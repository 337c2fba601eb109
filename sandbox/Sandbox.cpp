#include "sandbox/Sandbox.h"

#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>

namespace orv::test {
namespace {

// Requests kept for inspection; a long run must not grow without bound.
constexpr size_t kRecordLimit = 200;
// The brokers keep a connection open for this many requests, idle at most this long.
constexpr int kBrokerKeepAliveRequests = 1000;
constexpr int kBrokerKeepAliveSeconds = 5;
// SMS messages the member may still send.
constexpr int kSmsRemain = 100;
// Members of the member's own cafe with a phone (three SMS posts of up to ten numbers).
constexpr int kOwnCafePhones = 25;
std::string FormatPhone(int member) {
  char phone[16];
  std::snprintf(phone, sizeof phone, "0109000%04d", member);
  return phone;
}
// The path of the portal's stock page.
constexpr const char* kPortalStockPath = "/item/main";

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

// The market's quotes as the LS broker answers them.
std::vector<LsQuote> LsQuotes(const std::vector<DbQuote>& quotes) {
  std::vector<LsQuote> ls;
  for (const DbQuote& q : quotes) ls.push_back({q.code, q.price, q.open, q.high, q.low, q.rate});
  return ls;
}

// The coin markets each exchange lists; the held coin's price moves a step per market tick,
// a little above its average buy price.
const std::vector<ExchangeMarketRow> kCoinMarkets = {
    {"KRW-BTC", "비트코인", "Bitcoin"},
    {"KRW-ETH", "이더리움", "Ethereum"},
    {"KRW-XRP", "리플", "XRP"},
};
constexpr const char* kHeldCoinMarket = "KRW-BTC";

double CoinPrice(int ticks) { return SandboxAccount::kCoinAvgPrice + 20000 + 10000 * (ticks % 4); }

std::vector<ExchangeTickerRow> CoinTickers() {
  const double prices[] = {CoinPrice(0), 3000000, 700};
  std::vector<ExchangeTickerRow> tickers;
  for (size_t i = 0; i < kCoinMarkets.size(); ++i) {
    ExchangeTickerRow t;
    t.market = kCoinMarkets[i].market;
    t.price = t.open = t.high = t.low = t.prevClose = prices[i];
    t.accVolume = 100;
    t.accVolume24h = 200;
    t.accPrice = prices[i] * 100;
    t.accPrice24h = prices[i] * 200;
    tickers.push_back(t);
  }
  return tickers;
}

// Sixty day and sixty one-minute candles of the held coin, newest first.
std::vector<ExchangeCandleRow> CoinCandles(bool days) {
  constexpr int kMonthDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  std::vector<ExchangeCandleRow> rows;
  int month = 12;
  int day = 11;
  for (int i = 0; i < 60; ++i) {
    char utc[32];
    char kst[32];
    if (days) {
      std::snprintf(utc, sizeof utc, "2026-%02d-%02dT00:00:00", month, day);
      std::snprintf(kst, sizeof kst, "2026-%02d-%02dT09:00:00", month, day);
      if (--day == 0) day = kMonthDays[--month - 1];
    } else {
      std::snprintf(utc, sizeof utc, "2026-12-11T00:%02d:00", 59 - i);
      std::snprintf(kst, sizeof kst, "2026-12-11T09:%02d:00", 59 - i);
    }
    const double close = SandboxAccount::kCoinAvgPrice + 1000.0 * ((i * 7) % 11);
    rows.push_back({utc, kst, close - 5000, close + 10000, close - 10000, close, 1.5});
  }
  return rows;
}

}  // namespace

Sandbox::Sandbox(SandboxOptions options)
    : options_(std::move(options)),
      ca_("Orvella Sandbox CA"),
      broker_(ca_),
      kiwoom_(ca_),
      hanguk_(ca_),
      lsBroker_(ca_),
      bithumb_(ExchangePeer::Kind::kBithumb, ca_),
      upbit_(ExchangePeer::Kind::kUpbit, ca_),
      web_(ca_),
      dbStream_(ca_),
      kiwoomStream_(ca_),
      ai_(ca_),
      market_(SandboxStocks(), options_.seed) {
  if (!options_.script.empty()) market_.SetScript(options_.script);
  kiwoomStream_.SetConditions(ConditionNames());
  if (!SandboxStocks().empty())
    kiwoomStream_.SetMatches(ConditionNames().front().first, {SandboxStocks().front().code});

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
  DbDeposit deposit;
  deposit.deposit = SandboxAccount::kDeposit;
  deposit.withdrawable = SandboxAccount::kDeposit;
  deposit.nextDay = SandboxAccount::kDeposit;
  // The Korea Investment broker answers in the DB broker's formats: its account is the DB
  // account's twin, listed in its own "t8430" list.
  std::vector<DbTickerRow> list;
  std::vector<HangukListRow> hangukList;
  for (const SandboxStock& stock : market_.Stocks()) {
    list.push_back({"A" + stock.code, stock.stdCode, stock.marketClass, stock.name});
    hangukList.push_back(
        {"A" + stock.code, stock.stdCode, stock.marketClass == "4" ? "2" : "1", stock.name});
  }
  broker_.SetTickerPages(DbBrokerPeer::kDomesticTickerPath, {list});
  hanguk_.SetListPages(HangukBrokerPeer::kStockListPath, {hangukList});
  for (DbBrokerPeer* peer : {&broker_, static_cast<DbBrokerPeer*>(&hanguk_)}) {
    peer->AcceptCredentials(SandboxAccount::kAppKey, SandboxAccount::kAppSecret);
    peer->SetToken(SandboxAccount::kAccessToken);
    peer->SetQuotes(market_.Quotes());
    // With the holdings in the LS account the DB account starts empty.
    const bool empty = peer == &broker_ && options_.lsHoldings;
    peer->SetDomesticBalance({}, empty ? std::vector<DbHoldingRow>() : rows);
    peer->SetDeposit(deposit);
    peer->SetLiveAccount(true);
    peer->Http().SetRecordLimit(kRecordLimit);
    // As a broker's server does: a connection serves the polls that follow it while it is used.
    peer->Http().SetKeepAlive(kBrokerKeepAliveRequests, kBrokerKeepAliveSeconds);
  }

  // The Kiwoom account holds the same stocks; its balance values them at the quotes, its orders
  // move them, and its charts, investor trend, short selling and bid/ask follow the quotes.
  kiwoom_.AcceptCredentials(SandboxAccount::kAppKey, SandboxAccount::kAppSecret);
  kiwoom_.SetToken(SandboxAccount::kAccessToken, "\"" + KiwoomBrokerPeer::KstDateTime(86400) + "\"");
  std::vector<KiwoomListRow> kiwoomList;
  for (const SandboxStock& stock : market_.Stocks()) {
    kiwoomList.push_back({stock.code, stock.name, stock.marketClass == "4" ? "10" : "0",
                          stock.previousClose});
  }
  kiwoom_.SetListPages({kiwoomList});
  std::vector<KiwoomHolding> kiwoomRows;
  for (const DbHoldingRow& row : rows) {
    KiwoomHolding h;
    h.code = row.code;
    h.name = row.name;
    h.quantity = row.balanceQty;
    h.avgPrice = row.avgPrice;
    kiwoomRows.push_back(h);
  }
  kiwoom_.SetBalancePages({kiwoomRows});
  kiwoom_.SetDeposit({SandboxAccount::kDeposit, SandboxAccount::kDeposit, 0,
                      SandboxAccount::kDeposit});
  SetKiwoomQuotes(market_.Quotes());
  kiwoom_.SetLiveAccount(true);
  kiwoom_.Http().SetRecordLimit(kRecordLimit);
  kiwoom_.Http().SetKeepAlive(kBrokerKeepAliveRequests, kBrokerKeepAliveSeconds);

  // The LS broker: the same member's key, market and opening account.
  lsBroker_.AcceptCredentials(SandboxAccount::kAppKey, SandboxAccount::kAppSecret);
  lsBroker_.SetToken(SandboxAccount::kAccessToken);
  std::vector<LsListRow> lsList;
  for (const SandboxStock& stock : market_.Stocks())
    lsList.push_back({"A" + stock.code, stock.name, stock.marketClass == "1" ? "1" : "2"});
  lsBroker_.SetListPages(LsBrokerPeer::kDomesticListPath, {lsList});
  lsBroker_.SetQuotes(LsQuotes(market_.Quotes()));
  std::vector<LsHolding> lsRows;
  for (const DbHoldingRow& row : rows)
    lsRows.push_back({row.code, row.name, row.ableQty, row.avgPrice, row.avgPrice, 0});
  lsBroker_.SetDomesticHoldings(options_.lsHoldings ? lsRows : std::vector<LsHolding>());
  lsBroker_.SetDeposit(SandboxAccount::kDeposit, SandboxAccount::kDeposit, 0,
                       SandboxAccount::kDeposit);
  lsBroker_.SetLiveAccount(true);
  lsBroker_.Http().SetRecordLimit(kRecordLimit);

  for (ExchangePeer* exchange : {&bithumb_, &upbit_}) {
    exchange->AcceptCredentials(SandboxAccount::kAppKey, SandboxAccount::kAppSecret);
    exchange->SetAccounts({{"KRW", SandboxAccount::kCoinDeposit, 0, 0, "KRW"},
                           {SandboxAccount::kCoin, SandboxAccount::kCoinBalance, 0,
                            SandboxAccount::kCoinAvgPrice, "KRW"}});
    exchange->SetMarkets(kCoinMarkets);
    exchange->SetTickers(CoinTickers());
    exchange->SetCandles(kHeldCoinMarket, 0, CoinCandles(true));
    exchange->SetCandles(kHeldCoinMarket, 1, CoinCandles(false));
    exchange->Http().SetRecordLimit(kRecordLimit);
  }

  WebServerUser user;
  user.userId = SandboxAccount::kUserId;
  user.userIdx = SandboxAccount::kUserIdx;
  user.token = SandboxAccount::kUserToken;
  user.webApiToken = 7;
  user.webApiKey = "sandbox-web-api-key";
  user.tel = "01000000000";
  // The web login (the credential vault's) takes the id with the account's key as password.
  user.password = SandboxAccount::kAppKey;
  web_.AddUser(user);
  serviceFields_ = {{"sms_remain", std::to_string(kSmsRemain)},
                    {"sms_used", "0"},
                    {"nick_name", "\"" + WebServerPeer::Base64("샌드박스") + "\""},
                    {"level", "1"},
                    {"fee_rate", "0.015"},
                    {"tax_rate", "0.15"},
                    // The number the cafe's recommendation SMS goes out from.
                    {"sms_tel", "\"0212345678\""}};
  web_.SetServiceFields(serviceFields_);
  // The portal's stock page: the stock's name, code and current price.
  portal_.On("GET", kPortalStockPath, [this](const RecordedRequest& request) {
    const std::string code = request.Param("code");
    PeerReply reply;
    reply.contentType = "text/html; charset=utf-8";
    for (const DbQuote& quote : Quotes()) {
      if (quote.code != code) continue;
      char price[64];
      std::snprintf(price, sizeof price, "%.0f원 (%+.2f%%)", quote.price, quote.rate);
      reply.body = "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>" + quote.name +
                   "</title></head><body style=\"font-family:sans-serif\"><h2>" + quote.name +
                   " (" + quote.code + ")</h2><p>현재가 " + price +
                   "</p><p>샌드박스 포털 정보</p></body></html>";
      return reply;
    }
    reply.status = 404;
    reply.body = "<!DOCTYPE html><html><body>no such stock</body></html>";
    return reply;
  });
  web_.AnswerReports(kSmsRemain);
  web_.ServeCryptedData();
  web_.ServeLoginCheck();
  // One cafe the member belongs to (approved for a long period) and helps manage, recommending
  // the market's first two stocks for buying at their previous close.
  WebServerCafe cafe;
  cafe.idx = 1;
  cafe.title = "샌드박스 카페";
  cafe.managerName = "샌드박스 매니저";
  cafe.managerTel = "01000000001";
  cafe.managerIdx = SandboxAccount::kUserIdx + 1;
  cafe.subManagerIdx = SandboxAccount::kUserIdx;
  cafe.members = {{SandboxAccount::kUserIdx, SandboxAccount::kUserId, "샌드박스"}};
  for (const SandboxStock& stock : market_.Stocks()) {
    if (cafe.items.size() == 2) break;
    WebServerCafeItem item{1, stock.code, stock.name};
    item.buyPrice = stock.previousClose;
    item.targetPrice = std::round(stock.previousClose * 1.05);
    item.cutPrice = std::round(stock.previousClose * 0.95);
    item.minProfitRate = 5;
    item.losscutRate = 5;
    item.buyMsg = "샌드박스 추천 사유";
    cafe.items.push_back(item);
  }
  // A second cafe the member runs as its manager, so recommendations can be composed and sent:
  // its members' phones receive them by SMS.
  WebServerCafe own;
  own.idx = 2;
  own.title = "샌드박스 전문가 카페";
  own.managerName = "샌드박스";
  own.managerTel = "01000000000";
  own.managerIdx = SandboxAccount::kUserIdx;
  own.subManagerIds = std::to_string(SandboxAccount::kUserIdx);
  own.members = cafe.members;
  for (int i = 1; i <= kOwnCafePhones; ++i) own.phones.push_back(FormatPhone(i));
  if (!cafe.items.empty()) own.items.push_back(cafe.items.front());
  web_.ServeCafes({cafe, own});
  web_.ServeRecommendations();
  // The member's client list: a first-tier client with a second-tier client under it, and one
  // more first-tier client.
  clients_.SetClients({
      {{"idx", "11"}, {"com_idx", "1"}, {"vendor_type", "1"}, {"title", "(주)샌드박스상사"},
       {"com_name", "샌드박스상사"}, {"ceo_name", "김대표"}, {"tel", "0212345678"},
       {"biz_reg_num", "1234567890"}, {"member_cnt", "3"}, {"reg_date", "2024-03-02"}},
      {{"idx", "12"}, {"com_idx", "1"}, {"vendor_type", "1"}, {"title", "모래물산"},
       {"com_name", "모래물산"}, {"ceo_name", "이대표"}, {"mobile", "01022223333"}},
      {{"idx", "21"}, {"com_idx", "1"}, {"vendor_type", "2"}, {"group_idx", "11"},
       {"title", "샌드박스 대리점"}, {"com_name", "샌드박스 대리점"}, {"ceo_name", "박점장"}},
  });
  web_.Http().SetRecordLimit(kRecordLimit);
  portal_.SetRecordLimit(kRecordLimit);

  auto served = [this](const char* server) {
    return [this, server](const RecordedRequest& request, int status) {
      const bool priceInquiry =
          request.path == DbBrokerPeer::kDomesticPricePath ||
          request.path == LsBrokerPeer::kDomesticPricePath ||
          (request.path == KiwoomBrokerPeer::kStockInfoPath &&
           request.Header("api-id") == "ka10095");
      if (options_.tickMs == 0 && status == 200 && priceInquiry) Tick();
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
  broker_.Http().OnServed(served("broker"));
  kiwoom_.Http().OnServed(served("kiwoom"));
  hanguk_.Http().OnServed(served("hanguk"));
  lsBroker_.Http().OnServed(served("ls-broker"));
  bithumb_.Http().OnServed(served("bithumb"));
  upbit_.Http().OnServed(served("upbit"));
  web_.Http().OnServed(served("web"));
  ai_.AcceptKey(SandboxAccount::kAiKey);
  ai_.Http().SetRecordLimit(kRecordLimit);
  ai_.Http().OnServed(served("ai"));
}

Sandbox::~Sandbox() { Stop(); }

bool Sandbox::Start(std::string* error) {
  auto fail = [&](const std::string& why) {
    if (error) *error = why;
    Stop();
    return false;
  };
  if (!ca_.IsValid()) return fail("the test CA could not be made");
  if (!broker_.Http().Start(options_.brokerPort)) return fail("the broker cannot listen");
  if (!kiwoom_.Http().Start()) return fail("the Kiwoom broker cannot listen");
  if (!hanguk_.Http().Start()) return fail("the Korea Investment broker cannot listen");
  if (!web_.Http().Start(options_.webPort)) return fail("the web server cannot listen");
  if (!portal_.Start()) return fail("the portal cannot listen");
  {
    auto fields = serviceFields_;
    fields.emplace_back("stock_url", "\"" + PortalStockUrl() + "\"");
    web_.SetServiceFields(std::move(fields));
  }
  if (!lsBroker_.Start(options_.lsBrokerPort)) return fail("the LS broker cannot listen");
  if (!dbStream_.Start()) return fail("the DB quote stream cannot listen");
  if (!kiwoomStream_.Start()) return fail("the Kiwoom stream cannot listen");
  if (!bithumb_.Start()) return fail("the Bithumb exchange cannot listen");
  if (!upbit_.Start()) return fail("the Upbit exchange cannot listen");
  if (!ai_.Start()) return fail("the AI chat service cannot listen");
  brokerPort_ = broker_.Http().Port();
  kiwoomPort_ = kiwoom_.Http().Port();
  hangukPort_ = hanguk_.Http().Port();
  lsBrokerPort_ = lsBroker_.Http().Port();
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
  broker_.Stop();
  kiwoom_.Stop();
  hanguk_.Stop();
  lsBroker_.Stop();
  dbStream_.Stop();
  kiwoomStream_.Stop();
  bithumb_.Stop();
  upbit_.Stop();
  web_.Stop();
  portal_.Stop();
  ai_.Stop();
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
  int ticks = 0;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    market_.Step();
    quotes = market_.Quotes();
    ticks = market_.Ticks();
  }
  for (ExchangePeer* exchange : {&bithumb_, &upbit_})
    exchange->SetTickerPrice(kHeldCoinMarket, CoinPrice(ticks));
  broker_.SetQuotes(quotes);
  SetKiwoomQuotes(quotes);
  hanguk_.SetQuotes(quotes);
  lsBroker_.SetQuotes(LsQuotes(quotes));
  // A market that ticks after each answered inquiry is a script the polling client walks step
  // by step; a push would run one step ahead of the reply being read. Only the clock's ticks
  // are streamed (tests push their own prices).
  if (options_.tickMs > 0) {
    PushStreamQuotes(quotes);
    PushConditionEvents(quotes, ticks);
  }
}

const std::vector<std::pair<int, std::string>>& Sandbox::ConditionNames() {
  static const std::vector<std::pair<int, std::string>> names{
      {0, "급등주 포착"}, {1, "거래량 급증"}, {2, "눌림목 매수"}};
  return names;
}

void Sandbox::PushConditionEvents(const std::vector<DbQuote>& quotes, int ticks) {
  if (quotes.empty() || ticks % 2 != 0) return;
  // Tick 4n: stock n enters condition n; tick 4n + 2: it leaves again.
  const int round = ticks / 4;
  const auto& names = ConditionNames();
  const int seq = names[static_cast<size_t>(round) % names.size()].first;
  const std::string& code = quotes[static_cast<size_t>(round) % quotes.size()].code;
  kiwoomStream_.PushConditionEvent(seq, code, ticks % 4 == 0 ? 'I' : 'D');
}

void Sandbox::PushStreamQuotes(const std::vector<DbQuote>& quotes) {
  // Like a broker's feed, a stock's price goes out when it changed (or was never sent).
  std::lock_guard<std::mutex> lock(streamMutex_);
  const double volume = static_cast<double>(Ticks()) * 100.0;
  for (const DbQuote& q : quotes) {
    const auto sent = streamed_.find(q.code);
    if (sent != streamed_.end() && sent->second == q.price) continue;
    if (dbStream_.PushQuote(q.code, q.price, volume, q.rate) > 0) streamed_[q.code] = q.price;
  }
}

void Sandbox::SetKiwoomQuotes(const std::vector<DbQuote>& quotes) {
  std::vector<KiwoomQuote> kiwoom;
  for (const DbQuote& q : quotes) {
    KiwoomQuote k;
    k.code = q.code;
    k.name = q.name;
    k.price = q.price;
    k.open = q.open;
    k.high = q.high;
    k.low = q.low;
    k.change = q.change;
    k.rate = q.rate;
    k.falling = q.change < 0;
    kiwoom.push_back(k);
  }
  kiwoom_.SetQuotes(kiwoom);
}

std::string Sandbox::BrokerHost() const { return "127.0.0.1:" + std::to_string(BrokerPort()); }

std::string Sandbox::KiwoomHost() const { return "127.0.0.1:" + std::to_string(kiwoomPort_); }

std::string Sandbox::HangukHost() const { return "127.0.0.1:" + std::to_string(hangukPort_); }
std::string Sandbox::LsBrokerHost() const {
  return "127.0.0.1:" + std::to_string(lsBrokerPort_);
}

std::string Sandbox::DbQuoteStreamHost() const {
  return dbStream_.Socket().Host();
}
std::string Sandbox::KiwoomStreamHost() const { return kiwoomStream_.Socket().Host(); }
std::string Sandbox::BithumbHost() const { return "127.0.0.1:" + std::to_string(bithumb_.Port()); }
std::string Sandbox::UpbitHost() const { return "127.0.0.1:" + std::to_string(upbit_.Port()); }

std::string Sandbox::WebUrl() const { return web_.BaseUrl() + "/"; }

std::string Sandbox::PortalStockUrl() const {
  return portal_.BaseUrl() + kPortalStockPath + "?code=%s";
}

std::string Sandbox::StateText(const std::string& caFile) const {
  return "broker_host=" + BrokerHost() + "\nbroker_port=" + std::to_string(BrokerPort()) +
         "\nkiwoom_host=" + KiwoomHost() + "\nls_broker_host=" + LsBrokerHost() +
         "\nhanguk_host=" + HangukHost() + "\ndb_ws_host=" + DbQuoteStreamHost() +
         "\nkiwoom_ws_host=" + KiwoomStreamHost() +
         "\nbithumb_host=" + BithumbHost() + "\nupbit_host=" + UpbitHost() +
         "\nweb_url=" + WebUrl() + "\nweb_port=" + std::to_string(WebPort()) +
         "\nca_file=" + caFile + "\npid=" + std::to_string(getpid()) + "\nai_url=" + AiChatUrl() + "\n";
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
