#pragma once
// One test CA per test program, its certificate written where the plug-in reads it:
// "<temporary program folder>/Settings/cacert.pem".

#include <string>

#include "tests/peers/TestCa.h"

namespace orv::test {

const TestCa& SharedCa();
const std::string& SharedCaFile();
std::wstring SharedCaFileW();

}  // namespace orv::test
