#pragma once
// The password prompt ("Enter Password : <name>" or "Change Password : <name>"): the password
// is typed twice, and OK stays disabled until both entries are equal and not empty, so the
// prompt never answers success with a password the user did not confirm.

#include <functional>
#include <string>

#include "platform/ui/ControlDialog.h"

class wxWindow;

class CPasswordDlg : public orv::ui::CControlDialog {
 public:
  enum : int {
    IDC_NAME = 1101,
    IDC_PWD_LABEL,
    IDC_PWD,
    IDC_CONFIRM_LABEL,
    IDC_CONFIRM,
    IDC_OK,
    IDC_CANCEL,
    IDC_HINT
  };
  // Answers of Run.
  static constexpr int kAnswerOk = 1;
  static constexpr int kAnswerCancel = 7;

  // The title of a prompt.
  static std::wstring TitleFor(bool change, const std::wstring& name);
  // Whether two entries are accepted.
  static bool EntriesAccepted(const std::wstring& first, const std::wstring& second);

  bool CreateDlg(wxWindow* parent);
  // Sets the title and clears both entries.
  void Prepare(bool change, const std::wstring& name);
  // Runs the prompt (modal with owner). 1 with the password in *out when OK was pressed, 7 when
  // cancelled (out cleared).
  int Run(wxWindow* owner, std::wstring* out);
  // Presses OK (as the button does; nothing while it is disabled).
  void PressOk();
  void PressCancel();
  bool IsOkEnabled() const { return IsDlgItemEnabled(IDC_OK); }

 private:
  void UpdateOk();
  int answer_ = kAnswerCancel;
  std::wstring password_;
};
