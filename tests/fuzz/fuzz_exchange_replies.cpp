// The exchange agents' reply readers: the exchange's error object and the key-check code it
// gives, the account list as the account entry and as holdings, the order replies, the market
// list, the ticker reply (with its price-log lines) and the candle reply with its minute gaps.

#include <cstdlib>
#include <string>
#include <vector>

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

  switch ((in.selector & 0x0f) % 8) {
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
    case 5: {
      OwningStockMap stocks;
      agent.ParseStockList(reply, &stocks, kExchangeMarketKind, "KR", '1', in.selector & 1, 0,
                           nullptr);
      agent.ParseStockList(reply, &stocks, kExchangeMarketKind, "KR", '1', 1, 0, nullptr);
      break;
    }
    case 6: {
      OwningStockMap stocks;
      GfxAddStockToMap(&stocks, L"KRW-BTC", kExchangeMarketKind, 0, 0, nullptr);
      GfxAddStockToMap(&stocks, L"KRW-ETH", kExchangeMarketKind, 0, 0, nullptr);
      char codeText[20];
      int status = 0;
      std::FILE* log = (in.selector & 0x40) ? std::tmpfile() : nullptr;
      agent.ParseMultiPriceResponse(in.selector & 1, reply, len, &stocks, codeText, &status, log);
      if (log) std::fclose(log);
      break;
    }
    case 7: {
      std::vector<ExchangeCandle> candles;
      if (ReadExchangeCandles(reply, len, &candles)) {
        Stock_s stock;
        GfxAllocStockPointerVars(&stock, kExchangeMarketKind);
        const int count = (in.selector >> 4) * 20;
        StoreExchangeCandles(&stock, kExchangeDayCandles, 1, count, candles);
        StoreExchangeCandles(&stock, 3, 1 + (in.selector & 3), count, candles);
      }
      break;
    }
  }
  return 0;
}
