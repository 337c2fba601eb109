// Lines per second the log hub takes when several threads add lines at once, as plug-in
// workers do through the notify callback.

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "host/logs/LogHub.h"

namespace {

CLogHub* g_hub = nullptr;

void BM_AddLinesFromThreads(benchmark::State& state) {
  if (state.thread_index() == 0) {
    g_hub = new CLogHub(nullptr, 0, "/nonexistent/");
    g_hub->SetMaximum(CLogHub::kMaxLines);
    g_hub->SetFilter(true, L"7");
  }
  const std::wstring text =
      L"[" + std::to_wstring(state.thread_index()) + L"] order placed: 005930 x 17 @ 71,200\r\n";
  for (auto _ : state) {
    benchmark::DoNotOptimize(g_hub->AddLines(text, false, 0, 0, 0, 0, 0, 0, L"Pelomar"));
  }
  state.SetItemsProcessed(state.iterations());
  if (state.thread_index() == 0) {
    delete g_hub;
    g_hub = nullptr;
  }
}

}  // namespace

BENCHMARK(BM_AddLinesFromThreads)->Threads(1)->Threads(4)->UseRealTime();
