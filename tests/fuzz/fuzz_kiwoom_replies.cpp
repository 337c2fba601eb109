// The Kiwoom agent's reply readers: token, deposit, balance pages (one merged, and pages gathered),
// stock lists, multi-price replies, revoke codes, the broker's date-times, candles (into the
// record's blocks), investor trend, short selling, best bid/ask and order replies.

#include <cstdio>
#include <deque>
#include <string>

#include "plugin/brokers/BrokerTransport.h"
#include "plugin/brokers/KiwoomSecuAgent.h"
#include "plugin/brokers/KiwoomSecuAgentJson.h"
#include "shared/StockRecords.h"
#include "tests/fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const orv::fuzz::FuzzInput in(data, size);
  const char* reply = in.text.c_str();
  const size_t len = in.text.size();
  const uint8_t market = (in.selector & 0x80) ? kMarketOverseas : kMarketDomestic;
  CKiwoomSecuAgent agent(market, L"fuzz", '1', kKiwoomBrokerId, 1, market, 1500.0, 40);
  static std::FILE* priceLog = std::fopen("/dev/null", "w");
  OwningStockMap stocks;
  for (const wchar_t* code : {L"005930", L"000660", L"AAPL"})
    GfxAddStockToMap(&stocks, code, kMarketDomestic, 0, 0, nullptr);
  stocks.Find(L"005930")->day.close.assign(3, 0.0);
  stocks.Find(L"005930")->day.count = (in.selector & 0x40) ? 3 : 7;  // also a count past the end

  switch ((in.selector & 0x0f) % 12) {
    case 0: {
      const KiwoomTokenReply_s token = ReadKiwoomTokenReply(reply, len);
      if (token.expiresEpoch != 0) KiwoomTokenLifetime(token.expiresEpoch, 1796860800);
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
      // The reply gathered twice, as two pages of one balance are.
      BalanceReply_s pages;
      agent.ReadBalanceReply(market, reply, len, &pages);
      agent.ReadBalanceReply(market, reply, len, &pages);
      break;
    }
    case 3: {
      int status = 0;
      agent.ParseStockList(reply, &stocks, market, "KR", (in.selector & 0x40) ? 'N' : '2', 3, 0,
                           &status);
      break;
    }
    case 4: {
      char codeText[20]{};
      int code = 0;
      agent.ParseMultiPriceResponse(3, reply, len, &stocks, codeText, &code, priceLog);
      break;
    }
    case 5:
      RevokeReplyCode(reply, kKiwoomRevokeNoCode);
      break;
    case 6: {
      int64_t epoch = 0;
      KiwoomDateTimeToEpoch(reply, &epoch);
      break;
    }
    case 7:
    case 8: {
      // Day candles, then minutes, into one record; counts past the block's size too.
      std::string rows, series;
      std::deque<int32_t> dates;
      std::deque<double> closes;
      const int count = (in.selector & 0x40) ? 60 : 500;
      agent.ParseChartReply(reply, len, (in.selector & 0x0f) == 7 ? 1 : 3, count, "days_60",
                            stocks.Find(L"005930"), &rows, &series, &dates, &closes,
                            in.selector & 0x20);
      break;
    }
    case 9: {
      std::string rows, series;
      std::deque<double> closes;
      agent.ParseBuyTrendReply(reply, len, "investor_10", stocks.Find(L"000660"), &rows, &series,
                               &closes, in.selector & 0x20);
      agent.ParseShortSellingReply(reply, len, "short_selling_10", stocks.Find(L"000660"), &rows,
                                   &series, in.selector & 0x40);
      break;
    }
    case 10: {
      double out[8]{};
      agent.ParseBidAskReply(reply, len, out);
      break;
    }
    case 11: {
      char orderNo[50]{};
      int64_t number = 0;
      int result = 0;
      char codeText[20]{};
      wchar_t message[256]{};
      agent.ParseTradeOrderResponse(reply, orderNo, &number, &result, codeText, message);
      break;
    }
  }
  return 0;
}
