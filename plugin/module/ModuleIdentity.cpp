#include "plugin/module/ModuleIdentity.h"

namespace pelomar {

const char* ModuleName() { return kModuleName; }

}  // namespace pelomar
