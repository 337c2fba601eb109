#pragma once
// Message boxes through one function. The program shows a real dialog (platform/ui installs
// the presenter); tests queue answers in advance and read back what was asked.

#include <functional>
#include <string>
#include <vector>

#include "platform/win/WinTypes.h"

// Buttons and icons, combined as on Windows.
constexpr UINT MB_OK = 0x0;
constexpr UINT MB_OKCANCEL = 0x1;
constexpr UINT MB_YESNOCANCEL = 0x3;
constexpr UINT MB_YESNO = 0x4;
constexpr UINT MB_ICONERROR = 0x10;
constexpr UINT MB_ICONQUESTION = 0x20;
constexpr UINT MB_ICONWARNING = 0x30;
constexpr UINT MB_ICONINFORMATION = 0x40;
constexpr UINT MB_SETFOREGROUND = 0x10000;  // bring the box to the front (no other effect here)

// Answers.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

namespace orv::win {

struct MessageBoxCall {
  std::string caption;
  std::string text;
  UINT type = 0;
};

// Shows a message box (UTF-8 texts) and returns the answer (IDOK, IDYES, ...).
int MessageBox(const std::string& text, const std::string& caption, UINT type);

// The function that really shows a box; platform/ui installs a wxMessageDialog one.
using MessageBoxPresenter = std::function<int(const MessageBoxCall&)>;
void SetMessageBoxPresenter(MessageBoxPresenter presenter);

// Scripting for tests: while scripted, no dialog is shown; each call takes the next queued
// answer (IDOK, or the first button's answer, when the queue is empty) and is recorded.
void ScriptMessageBoxes(std::vector<int> answers);
void StopScriptingMessageBoxes();
std::vector<MessageBoxCall> ScriptedMessageBoxCalls();

// A plug-in library carries its own copy of this service. At module start it hands its boxes
// to the host's copy, which the host program exports under kHostMessageBoxSymbol, so that they
// are shown by the host's presenter (and answered by a test's script) like the host's own.
// Without that symbol (a process that exports none) the module shows its boxes itself through
// `fallback`, which installs a presenter of its own. Returns true when the host's copy is used.
using HostMessageBoxFunction = int (*)(const char* text, const char* caption, UINT type);
extern const char kHostMessageBoxSymbol[];
bool UseHostMessageBoxes(const std::function<void()>& fallback);

}  // namespace orv::win

// The host's copy, exported by the program (never by a plug-in library).
extern "C" __attribute__((visibility("default"))) int orv_HostMessageBox(const char* text,
                                                                     const char* caption,
                                                                     UINT type);
