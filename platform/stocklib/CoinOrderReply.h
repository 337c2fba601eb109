#pragma once
// Readers of the exchanges' order replies, shared by every agent (the exchange agents place
// coin orders with them; the securities agents carry them through the agent interface).

#include <cstddef>
#include <string>

// Order error codes, from the error object's "name" (compared whole, case-sensitively).
constexpr int kCoinOrderOk = 0;             // a JSON object without an error object
constexpr int kCoinOrderUnreadable = -1;    // no reply, no message buffer, or not a JSON object
constexpr int kCoinOrderErrorOther = 701;   // any name not in the table
constexpr int kCoinOrderTooMany = 702;      // "too_many_request_order"
constexpr int kCoinOrderUnderMinAsk = 703;  // "under_min_total_market_ask"
constexpr int kCoinOrderDuplicated = 704;   // "duplicated_identifier"
constexpr int kCoinOrderBadType = 705;      // "not_supported_ord_type"
constexpr int kCoinOrderUnderMinBid = 706;  // "under_min_total_bid"
constexpr int kCoinOrderNoFundsBid = 707;   // "insufficient_funds_bid"
constexpr int kCoinOrderNoFundsAsk = 708;   // "insufficient_funds_ask"
constexpr int kCoinOrderOutOfScope = 709;   // "out_of_scope"
constexpr int kCoinOrderRemaining = 710;    // "remaining_volume"

// The code of an exchange error name (701 for any name not in the table, and for null).
int CoinOrderErrorCode(const char* name);

// Reads an order reply's error. Returns -1 without a reply or message buffer, and for a reply
// that is not a JSON object (an HTML error page is never a placed order). Without an error
// object the reply's "volume" goes into the message and the result is 0. Otherwise the error's
// "message" goes into the message, its "name" (at most 99 characters) into outName when given,
// and the result is the name's code. Buffers are emptied first and bounded (msgLen wide
// characters, nameSize bytes).
int ReadCoinOrderError(const char* reply, wchar_t* outMsg, size_t msgLen, char* outName,
                       size_t nameSize);

// What an order reply says.
struct CoinOrderReply_s {
  std::string status;    // "status"
  double units = 0;      // "data" -> "units" (quotes removed)
  double price = 0;      // "data" -> "price"
  std::wstring message;  // "message", JSON escapes ("\uXXXX" included) decoded
  std::wstring orderId;  // "order_id"
};

// Reads an order reply into `out` (emptied first). Returns the number of characters of the
// message; 0 as well for a reply that is not JSON.
int ReadCoinOrderReply(const char* reply, size_t len, CoinOrderReply_s* out);

// "<order id>/<message>" of an order reply as a new wide text (free()) in *outText, when the
// reply names an order id or a message. Returns the message length as ReadCoinOrderReply, or -1
// with a missing argument.
int MakeCoinOrderIdText(const char* reply, size_t len, wchar_t** outText);
