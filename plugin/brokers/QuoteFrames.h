#pragma once
// The text frames of the real-time quote protocols: what the clients send (DB "S00"
// subscriptions, Kiwoom "LOGIN" and "REG") and the readers of what the servers send. The readers
// never throw and accept any bytes.

#include <cstddef>
#include <string>

// DB: the subscription of one stock to the real-time price service ("1" register, "2" remove).
std::string DbSubscriptionFrame(const char* token, bool add, const char* code);

// DB: one price message as read.
struct DbPriceFrame_s {
  int rspCd = 0;
  std::wstring rspMsg;  // at most 299 characters
  std::string trCd;     // at most 29 bytes
  std::string trKey;
  bool hasBody = false;
  // The stock code; empty when missing or longer than 49 characters.
  std::wstring code;
  std::string businessDate;
  std::string tradeTime;
  double price = 0;  // StckPrpr
  double tradeVolume = 0;
  double accVolume = 0;   // AcmlVol
  double changeRate = 0;  // PrdyCtrt, percent
};
// False when the payload is not a JSON object or has no "header" object (the message is
// ignored then).
bool ReadDbPriceFrame(const char* data, size_t size, DbPriceFrame_s* out);

// Kiwoom: the log-in message and the registration of one stock; the registration is refused
// (empty) when it would exceed the protocol's 1023 characters.
std::string KiwoomLoginFrame(const char* token, const char* appKey, const char* appSecret);
std::string KiwoomRegisterFrame(int group, int refresh, const char* code, const char* type);

// Kiwoom: a reply as read.
struct KiwoomReply_s {
  std::string trnm;  // at most 29 bytes
  int returnCode = 0;
  std::wstring returnMsg;  // at most 299 characters
};
// False when the payload is not a JSON object or has no "trnm".
bool ReadKiwoomReply(const char* data, size_t size, KiwoomReply_s* out);
// True for a reply that accepts the log-in ("LOGIN" with return code 0).
bool IsAcceptedLogin(const KiwoomReply_s& reply);

// Hana: true when the payload parses as JSON (JsonCpp); the parser's error text otherwise (also
// for nesting deeper than the parser allows, which JsonCpp reports by throwing).
bool ReadHanaFrame(const char* data, size_t size, std::string* errors);
