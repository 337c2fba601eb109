#pragma once
// The agent for the DB securities broker's open REST API (broker id 11, and the agent the
// factory makes for any broker id it does not know): token login and revocation, deposit and
// balance queries.
//
// Every request goes through SendBrokerRequest with the agent's base URL, key, secret, bearer
// token, CA file and continuation-key buffer. The base URL is "https://<host:port>", the host
// coming from the "Settings" value "BrokerHost-11" or the broker's production host; tests point
// it elsewhere with SetHostUrlA/SetHostUrl.

#include <atomic>
#include <cstdint>

#include "platform/stocklib/StockAgentBase.h"

constexpr uint8_t kDbBrokerId = 11;
// Token lifetime bounds (seconds): a lifetime below 1 s means a day; longer than ten days is
// cut to ten days.
constexpr int32_t kDbDefaultTokenLifetime = 86400;
constexpr int32_t kDbMaxTokenLifetime = 864000;
// Revoke results besides the broker's code.
constexpr int kDbRevokeNotSent = -1;
constexpr int kDbRevokeNoCode = -404;

// Totals of the last balance reply: purchase, evaluation and the profit rate between them.
struct DbBalanceSummary_s {
  double purchase = 0;
  double evaluation = 0;
  double profitRate = 0;  // (evaluation - purchase) x 100 / purchase; 0 without a purchase
};

class CDbSecuAgent : public CStockAgentBase {
 public:
  // (market kind, agent name (may be null), class letter, broker id, account instance, market
  //  id, the view's double, 40)
  CDbSecuAgent(uint8_t marketKind, const wchar_t* name, char classLetter, uint8_t brokerId,
               uint8_t instance, int32_t marketId, double exchangeRate, int32_t reserved40);
  ~CDbSecuAgent() override;

  int Logout() override;
  int Login(CURL* curl, const wchar_t* account, const wchar_t* key, const wchar_t* secret,
            int* outCode, wchar_t* outMsg, int msgLen) override;
  int LoginA(CURL* curl, const char* account, const char* key, const char* secret, int* outCode,
             wchar_t* outMsg, int msgLen) override;
  // 1 when the deposit reply was read into the agent's account record, else 0 (a failed
  // transfer or a refusal leaves the record as it was).
  int QueryDeposit(CURL* curl, GroupInfoMap* accounts, group_info_s** outRecord,
                   int clear) override;
  int ParseDepositResponse(const char* reply, size_t len, GroupInfoMap* accounts,
                           group_info_s** outRecord, int clear) override;
  // The number of holdings the reply named (0 when the transfer failed or the broker refused:
  // then no holding is dropped; *args.outTransfer and the last message tell why).
  int QueryBalance(CURL* curl, uint8_t market, uint8_t priceSlot, int filter,
                   const BalanceQueryArgs_s& args) override;
  int ParseBalanceResponse(uint8_t market, uint8_t priceSlot, int filter, const char* reply,
                           size_t len, const BalanceQueryArgs_s& args) override;

  // Total time-out of every request (ms; 500 and below mean 5000). 20000 by default.
  void SetRequestTimeout(int timeoutMs) { m_timeoutMs = timeoutMs; }
  int RequestTimeout() const { return m_timeoutMs; }
  // A flag the owner sets non-zero to abort the transfer in progress (and every later one
  // while set); null for none.
  void SetStopFlag(const std::atomic<int>* stop) { m_stopFlag = stop; }
  // The libcurl code of the last transfer (kTransferNoHandle when no handle could be made).
  unsigned LastTransferCode() const { return m_lastTransfer; }
  const DbBalanceSummary_s& LastBalanceSummary() const { return m_summary; }

 private:
  // POST to the path with the agent's credentials; the reply (free()) or null.
  char* Post(CURL* curl, const char* path, const char* body, int json, const char* extraHeader,
             const char* bearer, int* outLen);
  // Reads "rsp_cd"/"rsp_msg" of a refusal into the last message; returns the mapped code.
  int NoteRefusal(const char* reply);

  int m_timeoutMs = 20000;
  const std::atomic<int>* m_stopFlag = nullptr;
  unsigned m_lastTransfer = 0;
  uint32_t m_balanceStamp = 0;  // marks the holdings each balance reply names
  DbBalanceSummary_s m_summary;
};
