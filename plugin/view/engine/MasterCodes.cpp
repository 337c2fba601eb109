// The master-code download: the domestic lists of the market-data agent, the coin lists of the
// exchange agents and the three overseas lists of the DB broker, into the master stock map.
// The all-stock grid is a window: the download only asks the tick to rebuild it.

#include "platform/stocklib/StockAgentBase.h"
#include "platform/win/Clock.h"
#include "plugin/brokers/DbSecuAgent.h"
#include "plugin/view/engine/PelomarEngine.h"
#include "plugin/view/engine/WideText.h"
#include "shared/Messages.h"

namespace {
constexpr int32_t kMarketIdDomestic = 1;
constexpr int32_t kMarketIdCoin = 5;
constexpr uint8_t kKiwoomBrokerId = 1;
constexpr char kSecondDomesticLetter = '2';
constexpr DWORD kOverseasPopupMs = 10000;
constexpr DWORD kShowingPopupMs = 15000;
constexpr DWORD kDonePopupMs = 5000;
constexpr DWORD kMasterLogKind = 4;

// A securities agent without a letter of its own lists its first domestic market.
char ListLetter(const CStockAgentBase& agent) {
  return agent.m_marketLetter ? static_cast<char>(agent.m_marketLetter) : '1';
}
}  // namespace

int CPelomarEngine::LoadMasterCodes(CURL* curl, int previousCount, int force) {
  const bool popups = (m_popupMode.load() & 7) != 0;
  auto popup = [&](const wchar_t* text, const wchar_t* caption, DWORD timeoutMs) {
    if (popups && m_window) m_window->ShowWaitingPopup(true, text, caption, timeoutMs);
  };
  OwningStockMap& master = m_stocks.Master();
  auto load = [&](CStockAgentBase* agent, uint8_t kind, char letter) {
    agent->LoadStockList(curl, &master, kind, letter, agent->m_slotIndex,
                         static_cast<int>(master.size()), nullptr, 0);
  };
  auto loadDomestic = [&](CStockAgentBase* agent) {
    popup(L"국내 종목 마스터 코드 조회중입니다.\r\n잠시만 기다려 주세요\n",
          L"(국내)마스터 코드 조회", 0);
    load(agent, static_cast<uint8_t>(agent->m_marketKind), ListLetter(*agent));
    if (agent->m_brokerId == kKiwoomBrokerId) load(agent, 1, kSecondDomesticLetter);
  };

  m_masterCodeCount.store(0);
  popup(L"(전체) 종목 마스터 코드 조회중입니다.\r\n잠시만 기다려 주세요\n",
        L"(전체)마스터 코드 조회", 0);
  bool domesticLoaded = false;
  bool overseasLoaded = false;
  CStockAgentBase* dataAgent = m_roles.marketData;
  if (dataAgent && dataAgent->m_marketId == kMarketIdDomestic) {
    loadDomestic(dataAgent);
    domesticLoaded = true;
  }
  for (auto& entry : m_agents) {
    if (!IsRunning()) break;
    CStockAgentBase* agent = entry.second.get();
    if (!agent) continue;
    if (agent->m_marketId == kMarketIdCoin) {
      popup(L"코인 종목 마스터 코드 조회중입니다.\r\n잠시만 기다려 주세요\n",
            L"(코인)마스터 코드 조회", 0);
      load(agent, static_cast<uint8_t>(agent->m_marketKind), ListLetter(*agent));
      continue;
    }
    if (!domesticLoaded) {
      loadDomestic(agent);
      domesticLoaded = true;
    }
    if (!overseasLoaded && m_option.overseas_on && agent->m_brokerId == kDbBrokerId) {
      const struct {
        char letter;
        const wchar_t* text;
        const wchar_t* caption;
      } lists[3] = {
          {'D', L"해외 DOW 종목 마스터 코드 조회중입니다.\r\n잠시만 기다려 주세요\n",
           L"(해외)DOW 종목 코드 조회"},
          {'N', L"해외 NASDAQ 종목 마스터 코드 조회중입니다.\r\n잠시만 기다려 주세요\n",
           L"(해외)NASDAQ 종목 코드 조회"},
          {'A', L"해외 AMEX 종목 마스터 코드 조회중입니다.\r\n잠시만 기다려 주세요\n",
           L"(해외)AMEX 종목 코드 조회"},
      };
      for (const auto& list : lists) {
        popup(list.text, list.caption, kOverseasPopupMs);
        load(agent, kMarketOverseas, list.letter);
      }
      overseasLoaded = true;
    }
  }

  // The portal's exchange-wide lists for the board's list grid.
  if (m_window && IsRunning()) m_window->LoadForeignStockLists([this] { return IsRunning(); });

  const int size = static_cast<int>(master.size());
  if (!force && size == previousCount) {
    m_gridRebuildRequest.store(size > 0 ? 1 : 0);
  } else {
    // The grid belongs to the user-interface thread: the next tick fills it.
    popup(L"종목 마스터 코드를 표시중. 잠시만 기다려 주세요\n", L"마스터 코드 표시중",
          kShowingPopupMs);
    m_gridRebuildRequest.store(1);
  }
  m_masterCodeCount.store(size);
  m_logs.AddLogMsg(0, kMasterLogKind, 0, L"",
                   StrPrintfW(L"> Master 코드 수신 (종목수 : %d)", size).c_str(), 0);
  popup(L"종목 마스터 코드 조회 완료했습니다\n", L"마스터 코드 조회 완료", kDonePopupMs);
  return size;
}

int CPelomarEngine::LogAllStockWebQuery() {
  m_logs.AddLogMsg(0, 0, 0, L"", L"▶ 전 종목 시세 조회 (WEB)...\n", 0);
  return 0;
}

bool CPelomarEngine::StartCodeUpdateThread() {
  if (m_codeUpdateThread && m_codeUpdateThread->IsRunning()) return false;
  JoinCodeUpdateThread();
  m_codeUpdateStop.store(0);
  m_codeUpdateThread = std::make_unique<orv::win::Thread>();
  return m_codeUpdateThread->Start([this] {
    if (!m_codeUpdateStop.load() && ThreadsRunning() && !m_stocks.Master().empty()) {
      // The update opens its own handle, as every thread does, and needs nothing more.
      if (CURL* curl = curl_easy_init()) curl_easy_cleanup(curl);
    }
    if (m_window) m_window->PostViewMessage(WM_CODE_UPDATE_ENDED, 0, 0);
    return 0;
  });
}

bool CPelomarEngine::CodeUpdateRunning() const {
  return m_codeUpdateThread && m_codeUpdateThread->IsRunning();
}

bool CPelomarEngine::StopCodeUpdateThread(DWORD timeoutMs) {
  m_codeUpdateStop.store(1);
  if (!m_codeUpdateThread) return true;
  if (!m_codeUpdateThread->Join(timeoutMs)) return false;
  m_codeUpdateThread.reset();
  return true;
}

void CPelomarEngine::RequestAiAnalysis(uint8_t market, const std::wstring& code) {
  {
    std::lock_guard<std::mutex> lock(m_aiMutex);
    m_aiMarket = market;
    m_aiCode = code;
  }
  SetWorkEvent(EngineWorker::kAi);
}

void CPelomarEngine::SetAutoBuy(bool on) {
  m_autoBuyOn.store(on ? 1 : 0);
  if (on) SetWorkEvent(EngineWorker::kAutoBuy);
}

void CPelomarEngine::JoinCodeUpdateThread() {
  if (m_codeUpdateThread) {
    m_codeUpdateThread->Join();
    m_codeUpdateThread.reset();
  }
}
