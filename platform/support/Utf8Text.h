#pragma once
// The support library's UTF-8 conversions under the orv::support namespace.

#include "platform/support/TextConv.h"

namespace orv::support {

using ::Utf8ToWide;
using ::WideToUtf8;

}  // namespace orv::support
