// The DB broker agent's reply readers: stock lists, multi, single and overseas prices,
// deposit, balance (domestic and overseas), orders, candles and the investor trend, the
// result-code reader, and the coin order readers every agent carries.

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <string>

#include "plugin/brokers/BrokerTransport.h"
#include "plugin/brokers/DbSecuAgent.h"
#include "platform/stocklib/CoinOrderReply.h"
#include "shared/StockRecords.h"
#include "tests/fuzz/FuzzInput.h"

namespace {

int OnStockAdded(void*, int, int, uint32_t, const wchar_t*, const wchar_t*, uint8_t, double,
                 double, double, double, int, int, int, void*) {
  return 0;
}

// The master list the price readers update: a few codes the seeds name.
void AddKnownStocks(OwningStockMap* stocks, uint8_t market) {
  for (const wchar_t* code : {L"005930", L"000660", L"AAPL", L"TSLA"})
    GfxAddStockToMap(stocks, code, market, 0, 0, nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const orv::fuzz::FuzzInput in(data, size);
  const char* reply = in.text.c_str();
  const size_t len = in.text.size();
  const uint8_t market = (in.selector & 0x80) ? kMarketOverseas : kMarketDomestic;
  CDbSecuAgent agent(market, L"fuzz", '1', kDbBrokerId, 1, market, 1500.0, 40);
  static std::FILE* priceLog = std::fopen("/dev/null", "w");
  OwningStockMap stocks;
  AddKnownStocks(&stocks, market);

  const int kind = (in.selector & 0x0f) % 12;  // the high bits are flags
  switch (kind) {
    case 0: {
      int status = 0;
      agent.ParseStockList(reply, &stocks, market, market == kMarketDomestic ? "KR" : "US",
                           market == kMarketDomestic ? '1' : 'N', 3, 0, &status);
      break;
    }
    case 1: {
      char codeText[20]{};
      int code = 0;
      agent.ParseMultiPriceResponse(3, reply, len, &stocks, codeText, &code, priceLog);
      break;
    }
    case 2: {
      Stock_s* stock = stocks.begin()->second;
      agent.ParsePriceResponse(reply, len, stock, 3, priceLog);
      agent.ParseUSAPriceResponse(reply, len, &stocks, 3, priceLog);
      break;
    }
    case 3: {
      GroupInfoMap accounts;
      group_info_s* record = nullptr;
      agent.ParseDepositResponse(reply, len, &accounts, &record, 0);  // the agent's own record
      break;
    }
    case 4: {
      OwningHoldingMap holdings;
      std::wstring codes;
      int32_t result = 0, transfer = 0;
      BalanceQueryArgs_s args;
      args.totals = market == kMarketDomestic ? &agent.m_domesticRecord : &agent.m_accountRecord;
      args.holdings = &holdings;
      args.stocks = &stocks;
      args.outCodes = &codes;
      args.feeRateDomestic = 0.015;
      args.feeRateOther = 0.25;
      args.taxRate = 0.2;
      args.exchangeRate = 1400;
      args.outResult = &result;
      args.outTransfer = &transfer;
      args.callback = OnStockAdded;
      agent.ParseBalanceResponse(market, 3, in.selector & 0x40 ? 1 : 0, reply, len, args);
      break;
    }
    case 5:
    case 6: {
      char orderNoText[64]{};
      char codeText[64]{};
      wchar_t message[300]{};
      int64_t orderNo = 0;
      int result = 0;
      if (kind == 5)
        agent.ParseTradeOrderResponse(reply, orderNoText, &orderNo, &result, codeText, message);
      else
        agent.ParseUSATradeOrderResponse(reply, orderNoText, &orderNo, &result, codeText, message);
      break;
    }
    case 7:
    case 8: {
      Stock_s* stock = stocks.begin()->second;
      std::string rows, series;
      std::deque<int32_t> dates;
      std::deque<double> values;
      if (kind == 7)
        agent.ParseChartResponse(reply, len, in.selector & 0x40 ? 1 : 2, "days_30", stock, &rows,
                                 &series, &dates, &values, in.selector & 0x20);
      else
        agent.ParseBuyTrendResponse(reply, len, 10, stock, &rows, &series, &dates, &values,
                                    in.selector & 0x20);
      break;
    }
    case 9:
      ParseResultCode(reply);
      break;
    case 10: {
      wchar_t message[200]{};
      char name[100]{};
      agent.ParseCoinOrderError(reply, message, 200, name, sizeof name);
      CoinOrderReply_s out;
      agent.ParseCoinOrderResponse(reply, len, &out);
      break;
    }
    case 11: {
      wchar_t* text = nullptr;
      agent.GetCoinOrderId(reply, len, nullptr, &text);
      std::free(text);
      ReadCoinOrderError(reply, nullptr, 0, nullptr, 0);
      break;
    }
  }
  return 0;
}
