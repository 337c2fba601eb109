#pragma once

namespace pelomar {

// The module's name as the host and the exports know it.
inline constexpr const char* kModuleName = "PELOMAR";

const char* ModuleName();

}  // namespace pelomar
