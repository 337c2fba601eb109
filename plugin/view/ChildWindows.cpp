#include "plugin/view/ChildWindows.h"

#include "platform/win/MessageBox.h"
#include "plugin/community/CafeDlgGrids.h"

const char kNotAvailableText[] = "아직 사용할 수 없는 기능입니다.";

void CPelomarChildDialog::ShowDialog(wxWindow*, bool, bool, int) {
  orv::win::MessageBox(kNotAvailableText, "INFORMATION", MB_OK | MB_ICONINFORMATION);
}

CPelomarCafeDialog::CPelomarCafeDialog() : m_grids(std::make_unique<CCafeDlgGrids>()) {}

CPelomarCafeDialog::~CPelomarCafeDialog() = default;

ICafeFiller& CPelomarCafeDialog::CafeFiller() { return *m_grids; }

PelomarChildMakers& ChildMakers() {
  static PelomarChildMakers makers;
  return makers;
}
