#pragma once
// Where each broker's REST service is: the "Settings" section may name a host for a broker
// ("BrokerHost-<broker id>" = "host:port"); otherwise the broker's public production host is
// used. Tests and the local sandbox point brokers at loopback this way.

#include <string>

// Public production hosts of the DB securities broker (REST, WebSocket quotes).
constexpr const char* kDbBrokerDefaultHost = "openapi.dbsec.co.kr:8443";
constexpr const char* kDbBrokerDefaultWsHost = "openapi.dbsec.co.kr:7070";
// Public production hosts of the Korea Investment securities broker (REST, WebSocket quotes).
constexpr const char* kHangukBrokerDefaultHost = "openapi.koreainvestment.com:9443";
constexpr const char* kHangukBrokerDefaultWsHost = "ops.koreainvestment.com:21000";
// Public production host of the Kiwoom securities broker's WebSocket quotes.
constexpr const char* kKiwoomDefaultWsHost = "api.kiwoom.com:10000";
// Public production host of the LS securities broker (REST).
constexpr const char* kLsBrokerDefaultHost = "openapi.ls-sec.co.kr:8080";

// "BrokerHost-<brokerId>".
std::string BrokerHostKey(int brokerId);
// The "host:port" for a broker: the settings value when one is set (surrounding blanks
// ignored), else `defaultHost`.
std::string ReadBrokerHost(int brokerId, const std::string& defaultHost);
// The same for the WebSocket quote host ("BrokerWsHost-<brokerId>").
std::string ReadBrokerWsHost(int brokerId, const std::string& defaultHost);
// "https://<host:port>" for a broker, as an agent's base URL.
std::string BrokerBaseUrl(int brokerId, const std::string& defaultHost);
