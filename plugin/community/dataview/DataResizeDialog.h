#pragma once
// The base of the record editor's small companion dialogs: a resizable control dialog made on
// demand (CreateDlg runs the dialog's own initialisation once), shown modal or not, with an OK
// and a Cancel button that stay at the bottom right of the window.

#include <wx/gdicmn.h>

#include <string>

#include "platform/ui/ControlDialog.h"


class CDataResizeDialog : public orv::ui::CControlDialog {
 public:
  explicit CDataResizeDialog(wxWindow* parent) : m_parent(parent) {}

  // Makes the (hidden) window and its controls; false when it exists already or cannot be made.
  bool CreateDlg();
  // Shows the window, made first when needed; a modal show runs until the window is hidden
  // (IDCANCEL).
  int DoModal(bool modal = true);

 protected:
  // The caption and the client size the window is made with.
  virtual std::wstring Caption() const = 0;
  virtual wxSize InitialSize() const = 0;
  // Makes the controls once the window exists.
  virtual void OnInitDialog() = 0;
  // Called after every resize of the window (not for the size it is made with).
  virtual void OnSize() {}

  // Adds the OK and Cancel buttons (ids IDOK and IDCANCEL).
  void AddOkCancel();
  // Puts OK and Cancel side by side at the right end of the `stripHeight` pixels at the bottom
  // of the client area, centred in that strip.
  void PlaceOkCancel(int stripHeight);

  wxWindow* m_parent = nullptr;
};
