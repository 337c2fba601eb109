// The reader of Kiwoom's condition-search messages (the list, a search's matches, real-time
// entries and exits) and the list text made from what it read.

#include <string>

#include "plugin/brokers/KiwoomConditionFrames.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  KiwoomConditionMessage_s message;
  if (ReadKiwoomConditionMessage(text.c_str(), text.size(), &message))
    KiwoomConditionListText(message.conditions);
  return 0;
}
