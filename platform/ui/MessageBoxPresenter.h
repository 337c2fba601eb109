#pragma once
// Message boxes shown as toolkit dialogs.

#include "platform/win/WinTypes.h"

namespace orv::ui {

// Makes orv::win::MessageBox show a modal wxMessageDialog on the UI thread (a call from another
// thread waits there for the user's answer). Call once the application has started.
void InstallMessageBoxPresenter();

// The dialog's style (wxOK, wxYES_NO, wxCANCEL, wxICON_...) for a box type made of MB_ flags.
long MessageBoxStyle(UINT type);

// The box's answer (IDOK, IDCANCEL, IDYES, IDNO) for the dialog's result (wxID_OK, ...). A
// dialog closed without a button answers as the box would: Cancel where it has one, else the
// last button (OK of an OK box, No of a Yes/No box).
int MessageBoxAnswer(UINT type, int dialogResult);

}  // namespace orv::ui
