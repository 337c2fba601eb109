// The Korea Investment agent's reply readers: its "t8430" stock lists, and the DB-format deposit,
// balance, price and order replies read with this broker's result codes, the revoke reply's
// "return_code" and the result codes themselves.

#include <cstdio>
#include <string>

#include "plugin/brokers/BrokerTransport.h"
#include "plugin/brokers/HangukSecuAgent.h"
#include "shared/StockRecords.h"
#include "tests/fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const orv::fuzz::FuzzInput in(data, size);
  const char* reply = in.text.c_str();
  const size_t len = in.text.size();
  const uint8_t market = (in.selector & 0x80) ? kMarketOverseas : kMarketDomestic;
  CHangukSecuAgent agent(market, L"fuzz", '1', kHangukBrokerId, 1, market, 1500.0, 40);
  static std::FILE* priceLog = std::fopen("/dev/null", "w");
  OwningStockMap stocks;
  for (const wchar_t* code : {L"005930", L"000660", L"AAPL"})
    GfxAddStockToMap(&stocks, code, kMarketDomestic, 0, 0, nullptr);

  switch ((in.selector & 0x0f) % 7) {
    case 0: {
      int status = 0;
      agent.ParseStockList(reply, &stocks, market, "KR", (in.selector & 0x40) ? 'D' : '1', 3, 0,
                           &status);
      break;
    }
    case 1: {
      GroupInfoMap accounts;
      group_info_s* record = nullptr;
      agent.ParseDepositResponse(reply, len, &accounts, &record, in.selector & 0x40 ? 1 : 0);
      break;
    }
    case 2: {
      OwningHoldingMap holdings;
      std::wstring codes;
      int32_t result = 0;
      BalanceQueryArgs_s args;
      args.totals = &agent.m_accountRecord;
      args.holdings = &holdings;
      args.stocks = &stocks;
      args.outCodes = &codes;
      args.feeRateDomestic = 0.015;
      args.taxRate = 0.2;
      args.outResult = &result;
      agent.ParseBalanceResponse(market, 3, 0, reply, len, args);
      break;
    }
    case 3: {
      char codeText[20]{};
      int code = 0;
      agent.ParseMultiPriceResponse(3, reply, len, &stocks, codeText, &code, priceLog);
      agent.ParsePriceResponse(reply, len, stocks.Find(L"AAPL"), 3, priceLog);
      break;
    }
    case 4: {
      char orderNoText[50]{};
      int64_t orderNo = 0;
      int result = 0;
      char codeText[20]{};
      wchar_t message[256]{};
      agent.ParseTradeOrderResponse(reply, orderNoText, &orderNo, &result, codeText, message);
      break;
    }
    case 5:
      RevokeReplyCode(reply, kDbRevokeNoCode, "\"return_code\"");
      break;
    case 6:
      ParseHangukResultCode(reply);
      break;
  }
  return 0;
}
