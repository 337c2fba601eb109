#pragma once
// Windows of the running program found as the road tests look for them.

#include <wx/app.h>
#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/grid.h>
#include <wx/timer.h>
#include <wx/uiaction.h>
#include <wx/string.h>
#include <wx/toplevel.h>
#include <wx/window.h>

namespace orv::test::windows {

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

// A click on the button, as the user gives it.
inline void Press(wxButton* button) {
  wxCommandEvent press(wxEVT_BUTTON, button->GetId());
  press.SetEventObject(button);
  button->GetEventHandler()->ProcessEvent(press);
}

}  // namespace orv::test::windows
