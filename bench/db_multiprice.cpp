// What reading a 50-stock multi-price reply costs the DB agent (records found and updated,
// with and without the price log) against a bare RapidJSON parse of the same bytes. The
// "x_bare" counter is the agent's time per reply over the bare parse's (median of interleaved
// rounds); the aim is 2 or less.

#include <benchmark/benchmark.h>
#include <rapidjson/document.h>

#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "plugin/brokers/DbSecuAgent.h"
#include "plugin/view/engine/DailyLogs.h"
#include "tests/peers/DbBrokerPeer.h"

namespace {

constexpr int kListed = 2500;  // a full domestic list in the map
constexpr int kQuoted = 50;

std::string Code(int i) {
  char text[16];
  std::snprintf(text, sizeof text, "%06d", 100000 + i * 7);
  return text;
}

// A reply as the broker sends it for one batch of a polling pass: the agent asks the quoted
// list's stocks 50 at a time in the list's order (UpdatePrices), and the broker answers in the
// order asked. The batch here is one from the middle of the list.
constexpr int kFirstQuoted = 1200;

std::string RecordedReply() {
  std::vector<orv::test::DbQuote> quotes;
  for (int i = 0; i < kQuoted; ++i) {
    const double price = 10000 + i * 130;
    quotes.push_back({Code(kFirstQuoted + i), "종목이름" + std::to_string(i), price, price - 200, price + 350,
                      price - 420, price - 100, 100, 0.87});
  }
  return orv::test::DbBrokerPeer::MultiPriceBody(quotes);
}

struct Fixture {
  Fixture() : reply(RecordedReply()) {
    for (int i = 0; i < kListed; ++i) {
      const std::string narrow = Code(i);
      const std::wstring code(narrow.begin(), narrow.end());
      GfxAddStockToMap(&stocks, code.c_str(), kMarketDomestic, 0, 0, nullptr);
    }
  }
  std::string reply;
  OwningStockMap stocks;
  CDbSecuAgent agent{kMarketDomestic, nullptr, '1', kDbBrokerId, 1, 1, 1500.0, 40};
};

Fixture& Shared() {
  static Fixture fixture;
  return fixture;
}

void BareParse(const std::string& reply) {
  rapidjson::Document doc;
  doc.Parse(reply.c_str());
  benchmark::DoNotOptimize(doc.HasParseError());
}

int AgentParse(Fixture& f, FILE* log) {
  char codeText[20];
  int code = 0;
  return f.agent.ParseMultiPriceResponse(0, f.reply.c_str(), f.reply.size(), &f.stocks, codeText,
                                         &code, log);
}

// The median over `rounds` interleaved A/B rounds of (seconds of `a`) / (seconds of `b`), each
// round timing a batch of calls of both, so that load from elsewhere falls on both alike.
template <class A, class B>
double MedianRatio(A a, B b, int rounds = 201) {
  constexpr int kCalls = 20;
  std::vector<double> ratios;
  for (int r = 0; r < rounds; ++r) {
    auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < kCalls; ++i) a();
    auto t1 = std::chrono::steady_clock::now();
    for (int i = 0; i < kCalls; ++i) b();
    auto t2 = std::chrono::steady_clock::now();
    ratios.push_back(std::chrono::duration<double>(t1 - t0).count() /
                     std::chrono::duration<double>(t2 - t1).count());
  }
  std::sort(ratios.begin(), ratios.end());
  return ratios[ratios.size() / 2];
}

void BM_BareRapidJsonParse(benchmark::State& state) {
  Fixture& f = Shared();
  for (auto _ : state) BareParse(f.reply);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.reply.size()));
}

// Replies in one polling pass: a pass over 1,000 quoted stocks. The agent appends each reply's
// lines to the log's buffer and the pass flushes the file once at its end (QuotePass.cpp), so
// every pass of this many replies pays one flush, counted here in the replies' time.
constexpr int kRepliesPerPass = 20;

void Run(benchmark::State& state, FILE* log) {
  Fixture& f = Shared();
  if (AgentParse(f, log) != kQuoted) state.SkipWithError("the reply did not update 50 records");
  int replies = 0;
  auto reply = [&] {
    const int updated = AgentParse(f, log);
    if (log && ++replies % kRepliesPerPass == 0) std::fflush(log);
    return updated;
  };
  for (auto _ : state) benchmark::DoNotOptimize(reply());
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.reply.size()));
  state.counters["x_bare"] = MedianRatio(reply, [&] { BareParse(f.reply); });
  state.counters["target_x_bare"] = 2;
}

void BM_ParseMultiPriceResponse(benchmark::State& state) { Run(state, nullptr); }

// The price log as the program keeps it: a file on disk, opened by the trading view's daily
// logs (with their write buffer), appended per reply and flushed once per pass.
void BM_ParseMultiPriceResponseWithLog(benchmark::State& state) {
  char folder[] = "/tmp/bench_price_log_XXXXXX";
  if (!mkdtemp(folder)) {
    state.SkipWithError("no log folder");
    return;
  }
  {
    CDailyLogs logs;
    logs.SetLogFolder(std::wstring(folder, folder + std::strlen(folder)));
    LogStream log = logs.OpenPriceLog();
    if (log) {
      Run(state, log.get());
    } else {
      state.SkipWithError("no price log file");
    }
  }
  std::filesystem::remove_all(folder);
}

}  // namespace

BENCHMARK(BM_BareRapidJsonParse);
BENCHMARK(BM_ParseMultiPriceResponse);
BENCHMARK(BM_ParseMultiPriceResponseWithLog);
