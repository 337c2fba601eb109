// The product web server's replies through the scanners every request shares: value, text,
// number, integer and accepted, over the keys the service check (login and service settings,
// market times, rates, base64 and address fields), the reports, the SMS and the uploads read;
// the server-given address checks and templates.

#include <string>

#include "platform/support/Encoding.h"
#include "plugin/community/WebText.h"
#include "tests/fuzz/FuzzInput.h"

namespace {

// The keys the readers of the service check, the reports, the SMS and the uploads look up.
constexpr const char* kKeys[] = {
    "err", "msg", "errmsg", "idx", "co", "table_type", "official_ip", "search_app_keys",
    "dart_url", "sms_uid", "sms_key", "sms_tel", "tel", "nick_name", "sms_footer_msg",
    "market_start", "market_end", "nxt_market_start", "market_delay_begin", "web_api_token",
    "web_api_key", "token", "sms_remain", "sms_used", "o_cafe", "my_cafe", "tax_rate",
    "fee_rate", "fee_rate2", "level", "deployer", "kor_stk_delay", "usa_stk_delay"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const orv::fuzz::FuzzInput in(data, size);
  const char* reply = in.text.c_str();
  switch (in.selector & 3) {
    case 0:
    case 1:
      for (const char* key : kKeys) {
        std::string value;
        if (ReplyValue(reply, key, &value)) {
          std::string decoded;
          base64_decode(value, &decoded);
          ReplaceAll(value, "&amp;", "&");
        }
        double number = 0;
        ReplyNumber(reply, key, &number);
        ReplyInt(reply, key, -1);
      }
      ReplyAccepted(reply, 200);
      break;
    case 2: {
      IsWebAddress(in.text);
      const size_t half = in.text.size() / 2;
      FillAddressTemplate(in.text.substr(0, half), in.text.substr(half), "x");
      break;
    }
    case 3: {
      std::string value;
      const size_t cut = in.text.find('\n');
      if (cut != std::string::npos)  // "key\nreply": any key, any reply
        ReplyValue(in.text.c_str() + cut + 1, in.text.substr(0, cut).c_str(), &value);
      break;
    }
  }
  return 0;
}
