#include "tests/plugin/brokers/TestCaFile.h"

#include <stdlib.h>

#include "platform/support/TextConv.h"

namespace orv::test {

const TestCa& SharedCa() {
  static const TestCa ca("Orvella Broker Test CA");
  return ca;
}

const std::string& SharedCaFile() {
  static const std::string path = [] {
    char pattern[] = "/tmp/orv-brokers-XXXXXX";
    const char* folder = mkdtemp(pattern);
    const std::string file = std::string(folder ? folder : "/tmp") + "/Settings/cacert.pem";
    SharedCa().WriteCertificate(file);
    return file;
  }();
  return path;
}

std::wstring SharedCaFileW() { return Utf8ToWide(SharedCaFile()); }

}  // namespace orv::test
