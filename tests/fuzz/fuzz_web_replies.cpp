// The product web server's replies: the reply scanners every request shares (value, text,
// number, integer, accepted), the service check's reply (login and service settings, market
// times, rates, base64 fields), the server-given address checks and templates.

#include <string>

#include "plugin/community/WebLogin.h"
#include "plugin/community/WebText.h"
#include "shared/AppRunSetting.h"
#include "shared/LoginInfo.h"
#include "tests/fuzz/FuzzInput.h"
#include "tests/plugin/community/InertLoginEngine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const orv::fuzz::FuzzInput in(data, size);
  const char* reply = in.text.c_str();
  switch (in.selector & 3) {  // bit 4 is a flag
    case 0: {
      // The keys the reports, the SMS and the uploads read.
      for (const char* key : {"err", "msg", "idx", "sms_remain", "errmsg", "token"}) {
        std::string value;
        ReplyValue(reply, key, &value);
        double number = 0;
        ReplyNumber(reply, key, &number);
        ReplyInt(reply, key, -1);
      }
      ReplyAccepted(reply, 200);
      break;
    }
    case 1: {
      orv::test::InertLoginEngine engine;
      app_run_setting_s run{};
      login_info_s login{};
      CWebLogin web(engine, run, login);
      web.ApplyReply(reply, (in.selector & 0x10) ? &login : nullptr, 1);
      break;
    }
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
