// One Upbit ticker poll of 100 markets by the Upbit agent (a signed GET to a loopback exchange
// peer on the poll's kept connection, the reply read and applied to the records) against the
// same poll by the npm package ccxt's Upbit client (fetchTickers of the same 100 markets, on the
// same peer, in node). The "x_ccxt" counter is ccxt's median time per poll over the agent's;
// the aim is 5 or more. Without node or ccxt (scripts/bench-ccxt-setup installs it into
// <build>/bench-ccxt; ORV_CCXT_DIR names another folder) the agent's poll is timed alone.

#include <benchmark/benchmark.h>
#include <curl/curl.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "plugin/brokers/ExchangeAgent.h"
#include "tests/peers/ExchangePeer.h"
#include "tests/peers/TestCa.h"

namespace {

using orv::test::ExchangePeer;

constexpr int kListed = 200;  // markets the exchange lists
constexpr int kPolled = 100;  // markets one poll asks for
constexpr int kRounds = 201;
constexpr const char* kKey = "bench-access-key";
constexpr const char* kSecret = "bench-secret-key";

std::string Market(int i) { return "KRW-C" + std::to_string(1000 + i); }

struct Fixture {
  Fixture() : ca("Orvella Bench CA"), peer(ExchangePeer::Kind::kUpbit, ca) {
    peer.Http().SetKeepAlive(1000000, 60);
    peer.Http().SetRecordLimit(0);
    if (!peer.Start()) return;
    peer.AcceptCredentials(kKey, kSecret);
    std::vector<orv::test::ExchangeMarketRow> markets;
    std::vector<orv::test::ExchangeTickerRow> tickers;
    for (int i = 0; i < kListed; ++i) {
      markets.push_back({Market(i), "코인" + std::to_string(i), "Coin " + std::to_string(i)});
      orv::test::ExchangeTickerRow t;
      t.market = Market(i);
      t.price = 1000 + i * 13;
      t.open = t.prevClose = t.price - 10;
      t.high = t.price + 20;
      t.low = t.price - 30;
      t.change = "RISE";
      t.changePrice = 10;
      t.changeRate = 10.0 / t.open;
      t.accVolume = 1500 + i;
      t.accVolume24h = 3000 + i;
      t.accPrice = t.accVolume * t.price;
      t.accPrice24h = t.accVolume24h * t.price;
      tickers.push_back(t);
    }
    peer.SetMarkets(markets);
    peer.SetTickers(tickers);
    char path[] = "/tmp/orv-bench-ca-XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0) return;
    close(fd);
    caFile = path;
    if (!ca.WriteCertificate(caFile)) return;

    agent.SetHostUrlA(peer.BaseUrl().c_str());
    const std::wstring caWide(caFile.begin(), caFile.end());
    agent.SetCaCertPemFilePath(caWide.c_str());
    curl = curl_easy_init();
    int code = 0;
    wchar_t message[200]{};
    if (!curl || agent.LoginA(curl, "bench", kKey, kSecret, &code, message, 200) != 1) return;
    for (int i = 0; i < kPolled; ++i) {
      const std::string m = Market(i * 2);
      const std::wstring code(m.begin(), m.end());
      GfxAddStockToMap(&stocks, code.c_str(), kExchangeMarketKind, 0, 0, nullptr);
    }
    ready = true;
  }
  ~Fixture() {
    if (curl) curl_easy_cleanup(curl);
    if (!caFile.empty()) std::remove(caFile.c_str());
  }
  int Poll() {
    std::atomic<int> running{1};
    char message[20];
    int status = 0;
    return agent.UpdatePrices(curl, kExchangeMarketKind, 0, 0, &stocks, &running, 0, message,
                              &status, nullptr);
  }

  orv::test::TestCa ca;
  ExchangePeer peer;
  std::string caFile;
  CUpBitAgent agent{kExchangeMarketKind, L"bench", 'b', kUpBitBrokerId, 1, kExchangeMarketId, 0,
                    40};
  CURL* curl = nullptr;
  OwningStockMap stocks;
  bool ready = false;
};

Fixture& Shared() {
  static Fixture fixture;
  return fixture;
}

// ccxt's median milliseconds per poll, or a negative value with the reason in `why`.
double CcxtMedianMs(Fixture& f, std::string* why) {
  const char* given = std::getenv("ORV_CCXT_DIR");
  const std::string dir = given ? given : std::string(ORV_BINARY_DIR) + "/bench-ccxt";
  if (access((dir + "/node_modules/ccxt/package.json").c_str(), R_OK) != 0) {
    *why = "ccxt is not installed in " + dir + " (scripts/bench-ccxt-setup)";
    return -1;
  }
  const std::string command = "NODE_EXTRA_CA_CERTS='" + f.caFile + "' node '" +
                              std::string(ORV_SOURCE_DIR) + "/bench/ccxt/upbit_tickers.js' '" +
                              dir + "' 127.0.0.1:" + std::to_string(f.peer.Port()) + " " +
                              std::to_string(kPolled) + " " + std::to_string(kRounds) + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) {
    *why = "node could not be started";
    return -1;
  }
  std::string out;
  char buf[4096];
  size_t n = 0;
  while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) out.append(buf, n);
  const int status = pclose(pipe);
  double median = -1;
  int tickers = 0;
  const size_t at = out.find("{\"median_ms\":");
  if (status != 0 || at == std::string::npos ||
      std::sscanf(out.c_str() + at, "{\"median_ms\":%lf,\"tickers\":%d", &median, &tickers) != 2 ||
      tickers != kPolled) {
    *why = "the ccxt poll failed: " + out.substr(0, 400);
    return -1;
  }
  return median;
}

void BM_UpbitTickerPoll100(benchmark::State& state) {
  Fixture& f = Shared();
  if (!f.ready || f.Poll() != kPolled) {
    state.SkipWithError("the agent's poll did not apply 100 tickers");
    return;
  }
  for (auto _ : state) benchmark::DoNotOptimize(f.Poll());
  if (!f.peer.TokenRefusals().empty()) state.SkipWithError(f.peer.TokenRefusals().front().c_str());

  // The agent's median per poll over as many rounds as ccxt's.
  std::vector<double> times;
  for (int i = 0; i < kRounds; ++i) {
    const auto t0 = std::chrono::steady_clock::now();
    f.Poll();
    times.push_back(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
  }
  std::sort(times.begin(), times.end());
  const double ours = times[times.size() / 2];
  state.counters["agent_ms"] = ours;
  std::string why;
  const double theirs = CcxtMedianMs(f, &why);
  if (theirs > 0) {
    state.counters["ccxt_ms"] = theirs;
    state.counters["x_ccxt"] = theirs / ours;
    state.counters["target_x_ccxt"] = 5;
  } else {
    state.SetLabel("agent alone: " + why);
  }
}

}  // namespace

BENCHMARK(BM_UpbitTickerPoll100)->Unit(benchmark::kMillisecond);
