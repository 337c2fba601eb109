// The credential vault's readers: the decrypted table text (lines of tab-separated fields,
// dates, kinds) with its writer, which must give back a text that reads to the same entries,
// and the web server's upload and download replies.

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/support/SecretTable.h"
#include "platform/support/SecretVault.h"
#include "tests/fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const orv::fuzz::FuzzInput in(data, size);
  switch (in.selector % 3) {
    case 0: {
      int entries = 0, newEntry = -1;
      const std::vector<SecretEntry_s> rows =
          ParseSecretTable(in.text, in.selector >> 6, &entries, &newEntry);
      if (newEntry >= static_cast<int>(rows.size())) std::abort();
      // What the writer makes of the rows reads back to as many entries, and writes again to
      // the same text.
      const std::string written = WriteSecretTable(rows);
      int again = 0;
      const std::vector<SecretEntry_s> reread = ParseSecretTable(written, 0, &again);
      if (again != entries) std::abort();
      if (WriteSecretTable(reread) != written) std::abort();
      break;
    }
    case 1: {
      int idx = 0;
      ReadVaultUploadReply(in.text, &idx);
      break;
    }
    default: {
      int idx = 0;
      SYSTEMTIME stamp{};
      std::string crypted;
      ReadVaultDownloadReply(in.text, &idx, &stamp, &crypted);
      break;
    }
  }
  return 0;
}
