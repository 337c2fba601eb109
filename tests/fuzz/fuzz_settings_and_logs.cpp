// The readers of what the program left on disk: the "Settings" file (INI text), the price log
// and the rate file, the App_Data block.

#include <string>

#include "AppDataFile.h"  // host/
#include "platform/win/Registry.h"
#include "plugin/view/engine/PriceLog.h"
#include "tests/fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const orv::fuzz::FuzzInput in(data, size);
  static orv::fuzz::ScratchFile file("file");
  switch ((in.selector & 3) % 3) {  // bits 4 and 5 are flags
    case 0: {
      // What is read is written back the same: a second read gives the same sections.
      const auto sections = orv::win::ParseSettingsText(in.text);
      const std::string text = orv::win::FormatSettingsText(sections);
      if (orv::win::ParseSettingsText(text) != sections) __builtin_trap();
      break;
    }
    case 1: {
      CPriceSeries series;
      int skipped = 0;
      series.ReadPriceLog(file.Write(in.text), (in.selector & 0x10) ? CPriceSeries::kModeRates : 0,
                          in.selector & 0x20 ? 900 : 0, &skipped);
      break;
    }
    case 2: {
      orv::host::AppDataBlock block;
      orv::host::LoadAppDataFile(file.Write(in.text), block);
      break;
    }
  }
  return 0;
}
