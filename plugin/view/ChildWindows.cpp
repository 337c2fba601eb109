#include "plugin/view/ChildWindows.h"

PelomarChildMakers& ChildMakers() {
  static PelomarChildMakers makers;
  return makers;
}
