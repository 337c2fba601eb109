// The cafe worker in the engine's worker table: the cafe downloads and data (CCafeService)
// made with the engine, reaching the master stock list under the view lock, the application
// log and the user-interface thread through the window side.

#include "platform/support/TextConv.h"
#include "plugin/community/CafeService.h"
#include "plugin/view/engine/PelomarEngine.h"

namespace {
constexpr DWORD kCafeLogKind = 4;
}  // namespace

std::unique_ptr<CCafeService> CPelomarEngine::MakeCafeService() {
  CafeHostCalls_s host;
  host.masterStockCount = [this] { return MasterStockCount(); };
  host.markRecommendedStock = [this](uint8_t market, const char* code, uint8_t approval,
                                     CafeRecStock_s* recStock) {
    orv::win::CSingleLock lock(&m_viewLock, TRUE);
    Stock_s* stock = m_stocks.FindMasterStockA(market, code);
    if (!stock) return false;
    stock->cafe_approved = approval;
    recStock->code = stock->code;
    recStock->name = stock->name;
    recStock->marketLetter = stock->market_letter;
    recStock->nation = stock->nation;
    return true;
  };
  host.runOnUi = [this](std::function<void()> task) {
    if (m_window)
      m_window->RunOnUiThread(std::move(task));
    else
      task();
  };
  host.log = [this](const wchar_t* text) { m_logs.AddLogMsg(0, kCafeLogKind, 0, L"", text, 0); };
  host.signalWorker = [this] { SetWorkEvent(EngineWorker::kCafeList); };
  return std::make_unique<CCafeService>(std::move(host));
}

size_t CPelomarEngine::MasterStockCount() {
  orv::win::CSingleLock lock(&m_viewLock, TRUE);
  return m_stocks.Master().size();
}
