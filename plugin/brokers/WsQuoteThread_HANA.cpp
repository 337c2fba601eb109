#include "plugin/brokers/WsQuoteThread_HANA.h"

#include <exception>
#include <iostream>

#include "plugin/brokers/QuoteFrames.h"

CWsQuoteThread_HANA::~CWsQuoteThread_HANA() { Stop(); }

void CWsQuoteThread_HANA::PrintFrame(const std::string& payload) {
  std::string errors;
  if (ReadHanaFrame(payload.data(), payload.size(), &errors))
    std::cout << "[HANA] Received: " << payload << std::endl;
  else
    std::cerr << "Parse Error: " << errors << std::endl;
}

void CWsQuoteThread_HANA::Run() {
  try {
    std::string error;
    if (!RunBaseConnection({{"authorization", m_token}}, &CWsQuoteThread_HANA::PrintFrame, &error))
      std::cerr << "Connection Error: " << error << std::endl;
  } catch (const std::exception& e) {
    std::cerr << "Run Error: " << e.what() << std::endl;
  }
}
