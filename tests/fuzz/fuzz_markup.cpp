// The host's XML reader (CMarkup) and the layout files read through it.

#include <string>

#include "LayoutFiles.h"  // host/
#include "Markup.h"       // host/
#include "platform/support/TextConv.h"
#include "tests/fuzz/FuzzInput.h"

namespace {

// Walks every element as the layout readers do: siblings, then into each one's children.
void Walk(CMarkup& doc, int depth) {
  while (doc.FindElem()) {
    doc.GetTagName(doc.GetCurrentElem());
    doc.GetChildData(doc.GetCurrentElem());
    if (depth < 16 && doc.IntoElem()) {
      Walk(doc, depth + 1);
      doc.OutOfElem();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const orv::fuzz::FuzzInput in(data, size);
  if (in.selector & 1) {
    CMarkup doc;
    doc.SetDoc(Utf8ToWide(in.text).c_str());
    Walk(doc, 0);
    doc.ResetPos();
    while (doc.FindChildElem()) {
      doc.IntoElem();
      doc.OutOfElem();
    }
  } else {
    static orv::fuzz::ScratchFile file("layout.xml");
    const std::string& path = file.Write(in.text);
    std::string perspective;
    orv::host::LoadDockingLayoutFile(path, orv::host::kNormalLayoutName, &perspective);
    orv::host::RibbonLayoutState state;
    orv::host::LoadRibbonLayoutFile(path, &state);
    orv::host::LoadRibbonDockingLayout(path, orv::host::kNormalLayoutName, &perspective);
  }
  return 0;
}
