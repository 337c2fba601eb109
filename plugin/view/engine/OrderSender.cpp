#include "plugin/view/engine/OrderSender.h"

#include <curl/curl.h>

#include "platform/stocklib/StockAgentBase.h"
#include "platform/support/TextConv.h"
#include "plugin/view/engine/TextFormat.h"
#include "plugin/view/engine/PelomarEngine.h"

using orv::win::CSingleLock;

COrderSender::COrderSender(CPelomarEngine& engine) : m_engine(engine) {}

COrderSender::~COrderSender() { Stop(); }

void COrderSender::Start() {
  std::lock_guard<std::mutex> guard(m_mutex);
  if (m_running) return;
  if (m_thread.joinable()) m_thread.join();
  m_running = true;
  m_thread = std::thread([this] { Run(); });
}

void COrderSender::Stop() {
  std::deque<Job> dropped;
  {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_running = false;
    dropped.swap(m_jobs);
  }
  m_wake.notify_all();
  if (m_thread.joinable()) m_thread.join();
  UserOrderReply_s notSent;
  notSent.message = L"주문이 전송되지 않았습니다 (작업 중지)";
  for (Job& job : dropped) Deliver(std::move(job.done), notSent);
}

bool COrderSender::Running() const {
  std::lock_guard<std::mutex> guard(m_mutex);
  return m_running;
}

bool COrderSender::Send(const UserOrder_s& order, Done done) {
  {
    std::lock_guard<std::mutex> guard(m_mutex);
    if (!m_running) return false;
    m_jobs.push_back({order, std::move(done)});
  }
  m_wake.notify_one();
  return true;
}

void COrderSender::Deliver(Done done, const UserOrderReply_s& reply) {
  if (!done) return;
  if (IEngineWindow* window = m_engine.Window())
    window->RunOnUiThread([done = std::move(done), reply] { done(reply); });
  else
    done(reply);
}

void COrderSender::Run() {
  // The HTTP handle is made with the first order: most runs place none.
  CURL* curl = nullptr;
  for (;;) {
    Job job;
    {
      std::unique_lock<std::mutex> lock(m_mutex);
      m_wake.wait(lock, [this] { return !m_running || !m_jobs.empty(); });
      if (!m_running) break;
      job = std::move(m_jobs.front());
      m_jobs.pop_front();
    }
    if (!curl) curl = curl_easy_init();
    const UserOrderReply_s reply = Place(curl, job.order);
    Deliver(std::move(job.done), reply);
  }
  if (curl) curl_easy_cleanup(curl);
}

UserOrderReply_s COrderSender::Place(void* handle, const UserOrder_s& order) {
  CURL* curl = static_cast<CURL*>(handle);
  UserOrderReply_s reply;
  Stock_s* stock = nullptr;
  TradeOrderArgs_s args;
  {
    // The stock and the account are looked up under the view lock; the order goes out
    // without it.
    CSingleLock lock(&m_engine.ViewLock(), TRUE);
    stock = m_engine.Stocks().FindStockByCode(static_cast<uint8_t>(order.market),
                                              order.code.c_str(), nullptr, true, nullptr);
    group_info_s* account = order.account.empty() ? nullptr
                                                  : m_engine.FindAccount(order.account.c_str());
    if (!account && order.account.empty()) {
      // The market's default broker agent and its account.
      CStockAgentBase* agent = m_engine.FindStockAgentByMarket(static_cast<uint8_t>(order.market));
      for (const auto& entry : m_engine.Accounts())
        if (agent && entry.second && entry.second->agent == agent) account = entry.second;
    }
    if (stock) {
      args.market = order.market;
      args.session = m_engine.SessionState();
      args.account = account;
      args.side = order.side;
      args.cashCredit = order.credit;
      args.stock = stock;
      args.code = stock->code;
      args.quantity = order.quantity;
      args.price = order.price;
      if (account && account->agent) args.accountText = account->agent->AccountNumber();
      if (order.credit == 2) args.orderCondition = Utf8ToWide(StrPrintf("%08d", order.loanDate));
      args.note = L"0:없음";
      args.flags = kOrderFlagSound | kOrderFlagHistory;
      args.intValue = order.credit;
    }
  }
  if (!stock) {
    reply.result = kOrderNoStock;
    reply.message = L"종목을 찾을 수 없습니다";
    return reply;
  }
  TradeOrderResult_s result;
  if (order.splitPart) {
    double cut = 0;
    const std::wstring account =
        args.account ? args.account->label : std::wstring(order.account);
    reply.result = m_engine.PlaceUserOrder(curl, order.market, account.c_str(), stock, &cut,
                                           order.side, order.credit, order.credit, order.price,
                                           order.quantity, order.loanDate, &result, nullptr);
    reply.cut = cut;
  } else {
    reply.result = m_engine.SendTradeOrder(curl, args, &result);
  }
  reply.success = result.success;
  reply.outcome = result.outcome;
  reply.message = result.message;
  return reply;
}

// ---------------------------------------------------------------------------------------
// The engine's part: the order worker runs while the engine's workers run.

void CPelomarEngine::StartOrderSender() {
  if (!m_orderSender) m_orderSender = std::make_unique<COrderSender>(*this);
  m_orderSender->Start();
}

void CPelomarEngine::StopOrderSender() {
  if (m_orderSender) m_orderSender->Stop();
}
