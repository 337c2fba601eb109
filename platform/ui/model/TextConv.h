#pragma once
// The grid model's text conversions are the support library's.

#include "platform/support/TextConv.h"

namespace orv::ui {

using ::Utf8ToWide;
using ::WideToUtf8;

}  // namespace orv::ui
