#include <wx/defs.h>

#include "platform/ui/MessageBoxPresenter.h"
#include "platform/win/MessageBox.h"

namespace orv::ui {
namespace {

constexpr UINT kButtonMask = 0x0F;
constexpr UINT kIconMask = 0xF0;

}  // namespace

long MessageBoxStyle(UINT type) {
  long style = 0;
  switch (type & kButtonMask) {
    case MB_OKCANCEL:
      style = wxOK | wxCANCEL;
      break;
    case MB_YESNOCANCEL:
      style = wxYES_NO | wxCANCEL;
      break;
    case MB_YESNO:
      style = wxYES_NO;
      break;
    default:
      style = wxOK;
      break;
  }
  switch (type & kIconMask) {
    case MB_ICONERROR:
      style |= wxICON_ERROR;
      break;
    case MB_ICONQUESTION:
      style |= wxICON_QUESTION;
      break;
    case MB_ICONWARNING:
      style |= wxICON_WARNING;
      break;
    case MB_ICONINFORMATION:
      style |= wxICON_INFORMATION;
      break;
    default:
      style |= wxICON_NONE;
      break;
  }
  return style;
}

int MessageBoxAnswer(UINT type, int dialogResult) {
  const long style = MessageBoxStyle(type);
  switch (dialogResult) {
    case wxID_OK:
      return IDOK;
    case wxID_YES:
      return IDYES;
    case wxID_NO:
      return IDNO;
    default:
      break;
  }
  if (style & wxCANCEL) return IDCANCEL;
  return (style & wxYES_NO) ? IDNO : IDOK;
}

}  // namespace orv::ui
