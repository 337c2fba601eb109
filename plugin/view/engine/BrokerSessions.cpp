// The broker sessions: the agent factory and its map, the logins of the configured broker
// slots with the service check, the market switch, token renewal and the user logout.

#include <cstring>
#include <cwchar>
#include <string>

#include "platform/stocklib/StockAgentBase.h"
#include "platform/win/Clock.h"
#include "platform/win/MessageBox.h"
#include "plugin/brokers/DbSecuAgent.h"
#include "plugin/brokers/ExchangeAgent.h"
#include "plugin/brokers/HangukSecuAgent.h"
#include "plugin/brokers/KiwoomSecuAgent.h"
#include "plugin/brokers/LsSecuAgent.h"
#include "plugin/view/engine/PelomarEngine.h"
#include "shared/LoginInfo.h"

namespace {
constexpr int kErrorTextLen = 500;
constexpr size_t kLogLineLen = 1000;
constexpr int64_t kTokenDueMs = 300;
constexpr uint8_t kKindDomestic = 1;
constexpr uint8_t kKindOverseas = 2;
constexpr uint8_t kKindCoin = 5;
constexpr int32_t kAgentReserved = 40;

// A fixed slot text up to its first NUL or its size, whichever comes first.
template <size_t N>
std::wstring SlotText(const wchar_t (&field)[N]) {
  return std::wstring(field, wcsnlen(field, N));
}

// The texts of one broker slot.
struct SlotTexts {
  std::wstring key, secret, name, account;
  // A slot is usable with a broker id, a key and a secret.
  bool usable = false;
};

template <int N>
SlotTexts ReadSlot(const broker_slots_s<N>& group, int i) {
  SlotTexts slot{SlotText(group.app_key[i]), SlotText(group.app_secret[i]), SlotText(group.name[i]),
                 SlotText(group.account[i])};
  slot.usable = group.broker_id[i] != 0 && !slot.key.empty() && !slot.secret.empty();
  return slot;
}

// A slot group's name in the two interface languages.
struct SlotGroup {
  const wchar_t* korean;
  const wchar_t* english;
};
constexpr SlotGroup kSlotDomestic{L"국내", L"Domestic"};
constexpr SlotGroup kSlotOverseas{L"해외", L"Overseas"};
constexpr SlotGroup kSlotCoin{L"코인", L"Coin"};

// The line for a slot whose broker has no agent, in the interface language, cut at 1000
// characters.
std::wstring NoAgentLogLine(bool english, const SlotGroup& group, const std::wstring& name,
                            int brokerId) {
  wchar_t line[kLogLineLen + 1];
  if (english)
    std::swprintf(line, kLogLineLen + 1,
                  L"[%ls] %ls (broker %d): this broker has no agent yet; the account slot stays "
                  L"empty",
                  group.english, name.c_str(), brokerId);
  else
    std::swprintf(line, kLogLineLen + 1,
                  L"[%ls] %ls (증권사 %d): 아직 지원하지 않는 증권사라 계좌 슬롯은 비어 있습니다",
                  group.korean, name.c_str(), brokerId);
  return line;
}

// A log line, cut at 1000 characters.
std::wstring LoginLogLine(const wchar_t* group, const CStockAgentBase* agent, int ok, int code,
                          const wchar_t* error) {
  wchar_t line[kLogLineLen + 1];
  std::swprintf(line, kLogLineLen + 1, L"[%ls] %ls 로그인/토큰 발급: %ls (%d/%ls)", group,
                agent ? agent->m_brokerName : L"", ok ? L"성공" : L"*실패*", code,
                error ? error : L"");
  return line;
}

const wchar_t* NullIfEmpty(const std::wstring& text) {
  return text.empty() ? nullptr : text.c_str();
}
}  // namespace

CURL* CPelomarEngine::UiCurl() {
  if (!m_uiCurl) m_uiCurl.reset(curl_easy_init());
  return m_uiCurl.get();
}

void CPelomarEngine::SetUserLoginCredentials(const std::wstring& account, const std::wstring& key,
                                             const std::wstring& secret) {
  m_loginAccount = account;
  m_loginKey = key;
  m_loginSecret = secret;
}

std::unique_ptr<CStockAgentBase> CPelomarEngine::MakeAgent(uint8_t marketKind, uint8_t brokerId,
                                                           uint8_t instance,
                                                           const wchar_t* displayName) {
  // The exchanges: market kind 9, class 'b', market id 5, whatever slot group names them.
  if (brokerId == kBithumbBrokerId || brokerId == kUpBitBrokerId) {
    std::unique_ptr<CExchangeAgent> exchange;
    if (brokerId == kBithumbBrokerId)
      exchange = std::make_unique<CBithumbAgent>(kExchangeMarketKind, displayName, 'b', brokerId,
                                                 instance, kExchangeMarketId,
                                                 m_option.exchange_rate, kAgentReserved);
    else
      exchange = std::make_unique<CUpBitAgent>(kExchangeMarketKind, displayName, 'b', brokerId,
                                               instance, kExchangeMarketId,
                                               m_option.exchange_rate, kAgentReserved);
    exchange->SetStopFlag(&m_abortTransfers);
    return exchange;
  }
  const uint8_t kind = marketKind == 0 ? 1 : marketKind;
  const uint8_t securitiesKind = kind == 2 ? 2 : kind == 3 ? 3 : 1;
  if (brokerId == kKiwoomBrokerId) {
    auto kiwoom = std::make_unique<CKiwoomSecuAgent>(securitiesKind, displayName, '1',
                                                     kKiwoomBrokerId, instance, kind,
                                                     m_option.exchange_rate, kAgentReserved);
    kiwoom->SetStopFlag(&m_abortTransfers);
    return kiwoom;
  }
  if (brokerId == kLsBrokerId) {
    auto ls = std::make_unique<CLsSecuAgent>(securitiesKind, displayName, '1', kLsBrokerId,
                                             instance, kind, m_option.exchange_rate,
                                             kAgentReserved);
    ls->SetStopFlag(&m_abortTransfers);
    return ls;
  }
  if (brokerId == kHangukBrokerId) {
    auto hanguk = std::make_unique<CHangukSecuAgent>(securitiesKind, displayName, '1',
                                                     kHangukBrokerId, instance, kind,
                                                     m_option.exchange_rate, kAgentReserved);
    hanguk->SetStopFlag(&m_abortTransfers);
    return hanguk;
  }
  // DB, and any broker id the factory does not know, is a DB agent.
  const bool known = brokerId == kDbBrokerId;
  auto db = std::make_unique<CDbSecuAgent>(known ? securitiesKind : 1, displayName, '1',
                                           kDbBrokerId, instance, kind, m_option.exchange_rate,
                                           kAgentReserved);
  db->SetStopFlag(&m_abortTransfers);
  return db;
}

CStockAgentBase* CPelomarEngine::GetStockAgent(uint8_t marketKind, uint8_t brokerId,
                                               int32_t instance, uint8_t* outInstance,
                                               const wchar_t* displayName) {
  if (instance < 1) {
    auto it = m_instanceCounts.find(brokerId);
    if (it == m_instanceCounts.end()) {
      m_instanceCounts.emplace(brokerId, 1);
      instance = 1;
    } else {
      instance = ++it->second;
    }
  }
  const auto instanceByte = static_cast<uint8_t>(instance & 0xFF);
  if (outInstance) *outInstance = instanceByte;
  const uint32_t key = MakeAgentKey(marketKind, brokerId, instanceByte);
  if (CStockAgentBase* found = FindAgent(key)) return found;

  std::unique_ptr<CStockAgentBase> made =
      MakeAgent(marketKind, brokerId, instanceByte, displayName);
  if (!made) return nullptr;
  CStockAgentBase* agent = made.get();
  agent->m_key = key;
  if (agent->m_dataAgent) m_roles.data = agent;
  m_agents.emplace(key, std::move(made));
  if (!m_caCertPath.empty()) agent->SetCaCertPemFilePath(m_caCertPath.c_str());
  agent->m_masterStocks = &m_stocks.Master();
  agent->SetAccListPtr(&m_accounts);
  agent->SetMergeStep([this](const std::function<void()>& merge) { MergeUnderViewLock(merge); });
  // No order reaches a broker while the price simulation runs.
  agent->SetSimulationFlag(&m_simulationRunning);
  return agent;
}

CStockAgentBase* CPelomarEngine::FindStockAgentByMarket(uint8_t marketKind) const {
  for (const auto& entry : m_agents)
    if (entry.second && entry.second->m_marketKind == marketKind) return entry.second.get();
  return nullptr;
}

int CPelomarEngine::DeleteAllStockAgents() {
  int visited = 0;
  {
    // The account records live in the agents: the map that points at them goes first.
    orv::win::CSingleLock lock(&m_viewLock, TRUE);
    m_accounts.clear();
  }
  for (auto& entry : m_agents) {
    entry.second.reset();
    ++visited;
  }
  m_agents.clear();
  CStockAgentBase* firstCoin = m_roles.firstCoin;
  CStockAgentBase* firstOverseas = m_roles.firstOverseas;
  m_roles = AgentRoles_s();
  // These two are kept as they were (they point at agents that are gone until set again).
  m_roles.firstCoin = firstCoin;
  m_roles.firstOverseas = firstOverseas;
  for (int i = 0; i < kDomesticBrokerSlots; ++i) {
    m_option.domestic.instance[i] = 0;
    m_option.domestic.logged_in[i] = 0;
  }
  m_instanceCounts.clear();
  return visited;
}

int CPelomarEngine::LogoutAllStockAgents() {
  int count = 0;
  for (auto& entry : m_agents) {
    if (entry.second) entry.second->Logout();
    ++count;
  }
  m_chartPass.store(kChartPassNone);
  return count;
}

void CPelomarEngine::RunServiceCheck(CStockAgentBase* agent, uint8_t brokerId,
                                     const wchar_t* account) {
  int userCheck = 0;
  if (!m_window ||
      !m_window->CheckServiceUser(UiCurl(), brokerId, agent->m_clientName, account, &userCheck))
    return;
  agent->m_userCheck[0] = userCheck;
  agent->m_userCheck[1] = userCheck;
}

int CPelomarEngine::LoginSlotAgent(CURL* curl, CStockAgentBase* agent, uint8_t brokerId,
                                   const wchar_t* account, const wchar_t* key,
                                   const wchar_t* secret, int* code, wchar_t* error, int errorLen) {
  const int result = agent->Login(curl, account, key, secret, code, error, errorLen);
  if (result == 1) RunServiceCheck(agent, brokerId, account);
  return result;
}

int CPelomarEngine::LoginBrokerAgents(CURL* curl, int loginSwitch) {
  wchar_t error[kErrorTextLen] = {};
  int code = 0;
  int handled = 0;

  auto& dom = m_option.domestic;
  for (int i = 0; i < kDomesticBrokerSlots; ++i) {
    const SlotTexts slot = ReadSlot(dom, i);
    if (!slot.usable) continue;
    uint8_t instance = 0;
    CStockAgentBase* agent = GetStockAgent(kKindDomestic, dom.broker_id[i], dom.instance[i],
                                           &instance, slot.name.c_str());
    if (!agent) {
      dom.instance[i] = 0;
      LogApp(NoAgentLogLine(EnglishInterface(), kSlotDomestic, slot.name, dom.broker_id[i]));
      continue;
    }
    dom.instance[i] = instance;
    if (!loginSwitch || dom.logged_in[i]) {
      ++handled;
      continue;
    }
    const int result =
        LoginSlotAgent(curl, agent, dom.broker_id[i], slot.account.c_str(), slot.key.c_str(),
                       slot.secret.c_str(), &code, error, kErrorTextLen);
    dom.logged_in[i] = static_cast<uint8_t>(result);
    if (result == 1) {
      if (!m_roles.defaultDomestic || agent->m_brokerId == m_option.default_domestic_broker)
        m_roles.defaultDomestic = agent;
      if (agent->m_brokerId == m_option.data_broker) m_roles.data = agent;
    }
    LogApp(LoginLogLine(kSlotDomestic.korean, agent, result == 1, code, error));
    ++handled;
  }

  auto& ovs = m_option.overseas;
  {
    const SlotTexts slot = ReadSlot(ovs, 0);
    if (slot.usable) {
      uint8_t instance = 0;
      CStockAgentBase* agent = GetStockAgent(kKindOverseas, ovs.broker_id[0], ovs.instance[0],
                                             &instance, slot.name.c_str());
      if (!agent) {
        LogApp(NoAgentLogLine(EnglishInterface(), kSlotOverseas, slot.name, ovs.broker_id[0]));
      } else {
        if (loginSwitch && !ovs.logged_in[0]) {
          const int result =
              LoginSlotAgent(curl, agent, ovs.broker_id[0], slot.account.c_str(), slot.key.c_str(),
                             slot.secret.c_str(), &code, error, kErrorTextLen);
          ovs.logged_in[0] = static_cast<uint8_t>(result);
          if (result == 1) {
            if (!m_roles.firstOverseas) m_roles.firstOverseas = agent;
            m_roles.overseas = agent;
          }
          LogApp(LoginLogLine(kSlotOverseas.korean, agent, result == 1, code, error));
        }
        ++handled;
      }
    }
  }

  if (m_option.coin_on) {
    auto& coin = m_option.coin;
    for (int i = 0; i < kCoinBrokerSlots; ++i) {
      const SlotTexts slot = ReadSlot(coin, i);
      if (!slot.usable) continue;
      uint8_t instance = 0;
      CStockAgentBase* agent = GetStockAgent(kKindCoin, coin.broker_id[i], coin.instance[i],
                                             &instance, slot.name.c_str());
      if (!agent) {
        LogApp(NoAgentLogLine(EnglishInterface(), kSlotCoin, slot.name, coin.broker_id[i]));
        continue;
      }
      agent->m_slotIndex = static_cast<uint8_t>(i);
      if (!loginSwitch || coin.logged_in[i]) {
        ++handled;
        continue;
      }
      const int result =
          LoginSlotAgent(curl, agent, coin.broker_id[i], slot.account.c_str(), slot.key.c_str(),
                         slot.secret.c_str(), &code, error, kErrorTextLen);
      coin.logged_in[i] = static_cast<uint8_t>(result);
      if (result == 1 && !m_roles.firstCoin) m_roles.firstCoin = agent;
      LogApp(LoginLogLine(kSlotCoin.korean, agent, result == 1, code, error));
      ++handled;
    }
  }
  return handled;
}

int CPelomarEngine::SwitchTradingMarket(CURL* curl) {
  m_quotePolling.store(0);
  if (m_window)
    m_window->ShowWaitingPopup(true, L"거래 시작을 변경중.\r\n잠시만 기다려 주세요\n",
                               L"마켓 변경중", 3000);
  orv::win::Sleep(10);
  // The agents are about to be replaced: no worker may be inside one.
  if (!SuspendWorkers()) {
    LogApp(L"마켓 변경 취소: 작업 스레드가 끝나지 않았습니다");
    ResumeWorkers();
    return 0;
  }

  int count = 0;
  {
    // No view lock here: the revocations and logins below wait for the brokers, and the
    // workers that use the agents are suspended. The account map is emptied under the lock by
    // DeleteAllStockAgents.
    if (m_window) {
      const std::wstring user = m_loginInfo ? SlotText(m_loginInfo->szUserId) : std::wstring();
      const std::wstring text = user + L"님, 로그아웃중.\r\n잠시만 기다려 주세요\n";
      m_window->ShowWaitingPopup(true, text.c_str(), L"로그아웃", 3000);
    }
    LogoutAllStockAgents();
    DeleteAllStockAgents();
    LoginBrokerAgents(curl, 0);

    if (m_option.trading_market != kKindOverseas) {
      if (m_window)
        m_window->ShowWaitingPopup(true, L"국내주식 토큰 발급.\r\n잠시만 기다려 주세요\n",
                                   L"국내주식 로그인중", 10000);
      auto& dom = m_option.domestic;
      for (int i = 0; i < kDomesticBrokerSlots; ++i) {
        if (dom.broker_id[i] == 0) continue;
        const std::wstring name = SlotText(dom.name[i]);
        CStockAgentBase* agent =
            GetStockAgent(kKindDomestic, dom.broker_id[i], dom.instance[i], nullptr, name.c_str());
        if (!agent) continue;
        agent->m_slotIndex = static_cast<uint8_t>(i);
        m_roles.currentLogin = agent;
        const std::wstring key = SlotText(dom.app_key[i]);
        const std::wstring secret = SlotText(dom.app_secret[i]);
        if (agent->Login(curl, nullptr, key.c_str(), secret.c_str(), nullptr, nullptr, 0) == 1)
          ++count;
      }
    } else if (m_option.overseas.broker_id[0] != 0) {
      if (m_window)
        m_window->ShowWaitingPopup(true, L"해외주식 토큰 발급.\r\n잠시만 기다려 주세요\n",
                                   L"해외주식 로그인중", 3000);
      auto& ovs = m_option.overseas;
      const std::wstring name = SlotText(ovs.name[0]);
      CStockAgentBase* agent =
          GetStockAgent(kKindOverseas, ovs.broker_id[0], ovs.instance[0], nullptr, name.c_str());
      if (agent) {
        m_roles.currentLogin = agent;
        const std::wstring key = SlotText(ovs.app_key[0]);
        const std::wstring secret = SlotText(ovs.app_secret[0]);
        const int result =
            !key.empty() && !secret.empty()
                ? agent->Login(curl, nullptr, key.c_str(), secret.c_str(), nullptr, nullptr, 0)
                : agent->Login(curl, NullIfEmpty(m_loginAccount), m_loginKey.c_str(),
                               m_loginSecret.c_str(), nullptr, nullptr, 0);
        count = result == 1 ? 1 : 0;
      }
    }
  }
  ResumeWorkers();

  if (m_roles.currentLogin && count >= 1) {
    m_quotePolling.store(1);
    SetWorkEvent(EngineWorker::kMasterCode);
  }
  return count;
}

int CPelomarEngine::RenewBrokerLogins(CURL* curl, int64_t* outSmallest, int loginSwitch,
                                      int forceSwitch) {
  const uint64_t now = NowTick64();
  if (m_agents.empty()) {
    if (outSmallest) *outSmallest = 0;
    return 0;
  }
  const int total = static_cast<int>(m_agents.size());
  int position = 0;
  int due = 0;
  bool anyExpiry = false;
  int64_t smallest = 0;
  for (auto& entry : m_agents) {
    ++position;
    CStockAgentBase* agent = entry.second.get();
    if (!agent || agent->m_tokenExpiry == 0) continue;
    const int64_t remaining = static_cast<int64_t>(agent->m_tokenExpiry - now);
    agent->m_remainingTicks = remaining;
    if (!anyExpiry || remaining < smallest) smallest = remaining;
    anyExpiry = true;
    if (remaining > kTokenDueMs && !forceSwitch) continue;
    ++due;
    if (!loginSwitch) continue;
    wchar_t line[kLogLineLen + 1];
    std::swprintf(line, kLogLineLen + 1, L"★ [%d/%d] %ls 로그인 시도 (START: %llu, REMAIN: %llu)",
                  position, total, agent->m_brokerName,
                  static_cast<unsigned long long>(agent->m_tokenExpiry),
                  static_cast<unsigned long long>(remaining));
    LogApp(line);
    const int result = agent->Login(curl, nullptr, nullptr, nullptr, nullptr, nullptr, 0);
    std::swprintf(line, kLogLineLen + 1, L"★ [%d/%d] %ls 로그인 결과 : %d", position, total,
                  agent->m_brokerName, static_cast<int>(static_cast<uint8_t>(result)));
    LogApp(line);
  }
  if (outSmallest) *outSmallest = smallest;
  return due;
}

int CPelomarEngine::LogoutUser(CURL*, int ask) {
  // Workers use the agents and the data freed below: they end first.
  const bool suspended = SuspendWorkers();
  if (m_roles.primary) m_roles.primary->Logout();
  if (m_loginInfo) {
    std::memset(m_loginInfo->szToken, 0, sizeof m_loginInfo->szToken);
    m_loginInfo->nTokenValue = 0;
    std::memset(m_loginInfo->szToken2, 0, sizeof m_loginInfo->szToken2);
    m_loginInfo->nToken2Value = 0;
  }
  if (m_window) m_window->ClearViewAfterLogout();
  m_chartPass.store(kChartPassNone);
  if (suspended)
    FreeStockData();
  else
    LogApp(L"로그아웃: 작업 스레드가 끝나지 않아 데이터를 유지합니다");
  ResumeWorkers();

  if (m_autoLoginOn && ask != 0 && m_window &&
      m_window->ShowMessageBox(
          L"로그아웃 되었지만, 자동로그인 정보는 보존되어 있습니다.\n\n자동로그인 정보를 "
          L"지울까요?\n(공용PC에서는 꼭 지우시길 권장합니다)",
          L"QUESTION", MB_YESNO | MB_ICONQUESTION) == IDYES)
    m_window->ForgetAutoLogin();
  return 0;
}
