// The LS broker agent's reply readers: t8430 stock lists (domestic and overseas rows), the
// multi-price and single overseas price replies, the deposit, t0424 and COSOQ00201 balance pages
// (one page, and two read as one balance), CSPAT00601 and COSAT00301 order replies, and the
// revoke reply's code.

#include <cstdio>
#include <string>

#include "plugin/brokers/BrokerTransport.h"
#include "plugin/brokers/LsSecuAgent.h"
#include "shared/StockRecords.h"
#include "tests/fuzz/FuzzInput.h"

namespace {

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
  CLsSecuAgent agent(market, L"fuzz", '1', kLsBrokerId, 1, market, 1500.0, 40);
  static std::FILE* priceLog = std::fopen("/dev/null", "w");
  OwningStockMap stocks;
  AddKnownStocks(&stocks, market);

  const int kind = (in.selector & 0x0f) % 8;  // the high bits are flags
  switch (kind) {
    case 0: {
      int status = 0;
      agent.ParseStockList(reply, &stocks, market, market == kMarketDomestic ? "KR" : "US",
                           market == kMarketDomestic ? '1' : 'D', 3, 0, &status);
      break;
    }
    case 1: {
      char codeText[20]{};
      int code = 0;
      agent.ParseMultiPriceResponse(3, reply, len, &stocks, codeText, &code, priceLog);
      break;
    }
    case 2:
      agent.ParsePriceResponse(reply, len, stocks.begin()->second, 3, priceLog);
      break;
    case 3: {
      GroupInfoMap accounts;
      group_info_s* record = nullptr;
      agent.ParseDepositResponse(reply, len, &accounts, &record, in.selector & 0x40 ? 1 : 0);
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
      agent.ParseBalanceResponse(market, 3, 0, reply, len, args);
      break;
    }
    case 5: {
      // Two pages of one balance: the same reply twice, read into one.
      BalanceReply_s read;
      if (agent.ReadBalanceReply(market, reply, len, &read))
        agent.ReadBalanceReply(market, reply, len, &read);
      break;
    }
    case 6: {
      char orderNoText[64]{};
      char codeText[64]{};
      wchar_t message[300]{};
      int64_t orderNo = 0;
      int result = 0;
      if (in.selector & 0x40)
        agent.ParseUSATradeOrderResponse(reply, orderNoText, &orderNo, &result, codeText, message);
      else
        agent.ParseTradeOrderResponse(reply, orderNoText, &orderNo, &result, codeText, message);
      break;
    }
    case 7:
      RevokeReplyCode(reply, kLsRevokeNoCode, "\"return_code\"");
      break;
  }
  return 0;
}
