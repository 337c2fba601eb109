// The readers of the client-list replies of the product web server (the XML list and the
// upload's answer), each given the whole text and its length (not terminated).

#include <string>

#include "plugin/community/ClientList.h"
#include "tests/fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const orv::fuzz::FuzzInput in(data, size);
  // A copy without the terminator, so that a reader running past the length is caught.
  const std::string text(in.text);
  if (in.selector % 2 == 0) {
    ClientListReply_s list;
    ReadClientListReply(text.data(), text.size(), &list);
  } else {
    ClientUploadReply_s upload;
    ReadClientUploadReply(text.data(), text.size(), &upload);
  }
  return 0;
}
