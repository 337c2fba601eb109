// The real-time quote clients' frame readers: the DB price message (read and written into a
// quote list through the DB client), the Kiwoom reply and the Hana message check.

#include <string>

#include "plugin/brokers/QuoteFrames.h"
#include "plugin/brokers/WsQuoteThread_DBSEC.h"
#include "shared/StockRecords.h"
#include "tests/fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const orv::fuzz::FuzzInput in(data, size);
  const std::string& frame = in.text;
  switch (in.selector % 3) {
    case 0: {
      static Stock_s records[2];
      static StockViewMap* quotes = [] {
        auto* map = new StockViewMap();
        map->emplace(L"005930", &records[0]);
        map->emplace(L"000660", &records[1]);
        return map;
      }();
      static CWsQuoteThread_DBSEC* client = [] {
        auto* made = new CWsQuoteThread_DBSEC();
        made->SetTarget(quotes);
        return made;
      }();
      client->ApplyPriceFrame(frame);
      break;
    }
    case 1: {
      KiwoomReply_s reply;
      if (ReadKiwoomReply(frame.data(), frame.size(), &reply)) IsAcceptedLogin(reply);
      break;
    }
    case 2: {
      std::string errors;
      ReadHanaFrame(frame.data(), frame.size(), &errors);
      break;
    }
  }
  return 0;
}
