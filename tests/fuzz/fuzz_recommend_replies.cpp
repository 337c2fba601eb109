// The readers of the recommendation replies of the product web server: the upload (with its
// base64 recipient list, handed out in chunks as the SMS timer does), an SMS chunk, the profit
// check and the cafe join.

#include <string>

#include "plugin/community/RecommendSender.h"
#include "tests/fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const orv::fuzz::FuzzInput in(data, size);
  const char* text = in.text.c_str();
  switch (in.selector % 4) {
    case 0: {
      RecUploadReply_s reply;
      reply.httpStatus = 200;
      ReadRecUploadReply(text, &reply);
      CSmsRecipients recipients;
      recipients.Reset(reply.tels);
      std::string chunk;
      int count = 0;
      while (recipients.Next(&chunk, &count)) {
      }
      RecUploadFailureText(L"매수", reply);
      break;
    }
    case 1:
      ReadSmsChunkReply(text);
      break;
    case 2: {
      int checked = 0;
      ReadProfitCheckReply(text, in.selector & 4 ? 200 : 500, &checked);
      break;
    }
    case 3: {
      std::string message;
      ReadCafeJoinReply(text, 200, &message);
      break;
    }
  }
  return 0;
}
