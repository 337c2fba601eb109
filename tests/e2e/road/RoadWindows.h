#pragma once
// Windows of the running program found as a user finds them, for the road tests.

#include <wx/dialog.h>
#include <wx/string.h>
#include <wx/window.h>

namespace orv::test {

// The window of an id under `window` whose type is T, or null.
template <class T>
T* FindById(wxWindow* window, int id) {
  if (window->GetId() == id)
    if (auto* found = dynamic_cast<T*>(window)) return found;
  for (wxWindow* child : window->GetChildren())
    if (T* found = FindById<T>(child, id)) return found;
  return nullptr;
}

// The shown top-level dialog titled `title`, or null.
inline wxDialog* ShownDialog(const wxString& title) {
  for (wxWindow* top : wxTopLevelWindows)
    if (auto* dialog = dynamic_cast<wxDialog*>(top))
      if (dialog->IsShown() && dialog->GetTitle() == title) return dialog;
  return nullptr;
}

}  // namespace orv::test
