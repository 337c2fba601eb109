// The readers of the three cafe replies of the product web server (cafe list, member list,
// recommended items), each given the whole text and its length (not terminated), and the
// sub-manager id list and the changes-since text of what they kept.

#include <string>

#include "plugin/community/CafeReplies.h"
#include "tests/fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const orv::fuzz::FuzzInput in(data, size);
  // A copy without the terminator, so that a reader running past the length is caught.
  const std::string text(in.text);
  switch (in.selector % 3) {
    case 0: {
      CafeListReply_s list;
      ReadCafeListReply(text.data(), text.size(), 3, in.selector >> 2, 7, &list);
      for (const auto& entry : list.cafes) CafeIdListHasMember(entry.second->subManagerIds, 77);
      break;
    }
    case 1: {
      SYSTEMTIME now{};
      now.wYear = 2025;
      now.wMonth = 1;
      now.wDay = 6;
      CafeMembersReply_s members;
      ReadCafeMembersReply(text.data(), text.size(), 77, 7, now, &members);
      break;
    }
    case 2: {
      CafeRecItemsReply_s items;
      ReadCafeRecItemsReply(text.data(), text.size(), &items);
      MakeCafeChangesSince(items.modTime);
      break;
    }
  }
  return 0;
}
