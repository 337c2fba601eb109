// The exchange agents' reply readers: the exchange's error object and the key-check code it
// gives, the account list as the account entry and as holdings, and the order replies.

#include <cstdlib>
#include <string>

#include "plugin/brokers/ExchangeAgent.h"
#include "shared/StockRecords.h"
#include "tests/fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const orv::fuzz::FuzzInput in(data, size);
  const char* reply = in.text.c_str();
  const size_t len = in.text.size();
  CUpBitAgent upbit(kExchangeMarketKind, L"fuzz", 'b', kUpBitBrokerId, 1, kExchangeMarketId, 0, 40);
  CBithumbAgent bithumb(kExchangeMarketKind, L"fuzz", 'b', kBithumbBrokerId, 1, kExchangeMarketId,
                        0, 40);
  CExchangeAgent& agent = (in.selector & 0x80) ? static_cast<CExchangeAgent&>(bithumb) : upbit;

  switch ((in.selector & 0x0f) % 5) {
    case 0: {
      const ExchangeError error = ReadExchangeError(reply, len);
      KeyCheckCodeForError(error.name, "no_access_key");
      break;
    }
    case 1: {
      GroupInfoMap accounts;
      group_info_s* entry = nullptr;
      agent.ParseDepositResponse(reply, len, &accounts, &entry, in.selector & 0x40 ? 1 : 0);
      agent.ParseDepositResponse(reply, len, &accounts, &entry, 0);
      break;
    }
    case 2: {
      OwningStockMap stocks;
      GfxAddStockToMap(&stocks, L"KRW-BTC", kExchangeMarketKind, 0, 0, nullptr);
      OwningHoldingMap holdings;
      std::wstring codes;
      BalanceQueryArgs_s args;
      args.totals = &agent.m_accountRecord;
      args.holdings = &holdings;
      args.stocks = &stocks;
      args.outCodes = &codes;
      args.feeRateOther = 0.05;
      agent.ParseBalanceResponse(kExchangeMarketKind, 0, 0, reply, len, args);
      break;
    }
    case 3: {
      wchar_t message[256]{};
      char name[100]{};
      agent.ParseCoinOrderError(reply, message, 256, name, sizeof name);
      break;
    }
    case 4: {
      CoinOrderReply_s parsed;
      agent.ParseCoinOrderResponse(reply, len, &parsed);
      wchar_t* text = nullptr;
      agent.GetCoinOrderId(reply, len, nullptr, &text);
      std::free(text);
      break;
    }
  }
  return 0;
}
