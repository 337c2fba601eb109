#pragma once
// Small writers of the JSON replies the broker peers send.

#include <cstdio>
#include <string>
#include <vector>

#include "tests/peers/HttpPeer.h"

namespace orv::test::peer_json {

inline std::string Number(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.10g", value);
  return text;
}

// A JSON string literal (the test texts need only quotes and backslashes escaped).
inline std::string Quoted(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

// An object written member by member, in order.
class JsonObject {
 public:
  JsonObject& Num(const char* name, double value, bool asText = false) {
    return Raw(name, asText ? Quoted(Number(value)) : Number(value));
  }
  JsonObject& Text(const char* name, const std::string& value) { return Raw(name, Quoted(value)); }
  JsonObject& Raw(const char* name, const std::string& json) {
    if (!body_.empty()) body_ += ',';
    body_ += Quoted(name) + ':' + json;
    return *this;
  }
  std::string Str() const { return "{" + body_ + "}"; }

 private:
  std::string body_;
};

inline std::string Array(const std::vector<std::string>& items) {
  std::string out = "[";
  for (size_t i = 0; i < items.size(); ++i) out += (i ? "," : "") + items[i];
  return out + "]";
}

// A JSON reply with this status.
inline PeerReply Json(const std::string& body, int status = 200) {
  PeerReply reply;
  reply.status = status;
  reply.body = body;
  return reply;
}

}  // namespace orv::test::peer_json
