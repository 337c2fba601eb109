#pragma once
// The Hana securities broker's quote client: connects with the access token in the
// "authorization" request header and prints every message it receives; it subscribes nothing
// and writes no record.

#include "plugin/brokers/WebSocketQuoteThread.h"

class CWsQuoteThread_HANA : public CWebSocketQuoteThread {
 public:
  CWsQuoteThread_HANA() = default;
  ~CWsQuoteThread_HANA() override;

  void Run() override;
  // Prints a received message ("[HANA] Received: ..." on the standard output, or "Parse Error:
  // ..." on the standard error).
  static void PrintFrame(const std::string& payload);
};
