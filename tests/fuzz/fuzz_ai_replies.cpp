// The readers of the generative-AI service's replies: the chat reply (its content, token count
// and error text, and the two content extractors) and the assistants API's message list and
// its id reader, each given the whole text and its length (not terminated).

#include <cstdlib>
#include <string>

#include "plugin/community/AiAnalysis.h"
#include "plugin/community/AssistantClient.h"
#include "tests/fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const orv::fuzz::FuzzInput in(data, size);
  const std::string text(in.text);
  switch (in.selector % 3) {
    case 0: {
      const AiChatReply_s reply = ReadAiChatReply(text.data(), text.size());
      if (reply.hasContent && reply.content.empty()) std::abort();
      char* copy = nullptr;
      const size_t n = ExtractAiReplyContent(text.data(), text.size(), &copy);
      if ((n == 0) != (copy == nullptr)) std::abort();
      std::free(copy);
      ExtractAiReplyContentString(text.data(), text.size());
      break;
    }
    case 1:
      AssistantAnswerText(text.data(), text.size());
      break;
    case 2:
      // Terminated copies: the id reader takes a C string.
      std::free(JsonGetStringDup(in.text.c_str(), "id"));
      break;
  }
  return 0;
}
