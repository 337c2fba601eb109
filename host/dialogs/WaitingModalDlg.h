#pragma once
// The waiting dialogs that modules open through the host: the waiting dialog (a title and an
// information text, optionally running a program and waiting for it, run modally; it passes
// login-state events to the frame's login-state callback) and the wait-confirm window (a text
// with a progress bar and, in confirm mode, a button).

#include <cstdint>
#include <memory>
#include <string>

#include "platform/ui/ControlDialog.h"

class wxProcess;
class wxWindow;

// The frame's login-state callback: (context, event, value, extra) -> answer.
using LoginStateCallback = intptr_t (*)(void* ctx, unsigned event, intptr_t value, intptr_t extra);

class CWaitingModalDlg : public orv::ui::CControlDialog {
 public:
  enum : int { IDC_TITLE = 1301, IDC_INFO, IDC_OK, IDC_STOP };
  // Result when the user closed or stopped it.
  static constexpr int kResultCancel = orv::ui::IDCANCEL;
  // Events 2 and 3 always pass; these pass only when the event mask holds them.
  static constexpr unsigned kMaskedEvents = 0x20000 | 0x40000;

  CWaitingModalDlg();
  ~CWaitingModalDlg() override;

  bool CreateDlg(wxWindow* parent);
  void SetLoginStateCallback(LoginStateCallback callback, uint32_t eventMask, void* ctx);
  void SetTitleArea(const std::wstring& title, int height);
  void SetInfoArea(const std::wstring& info, int height);
  // A program to run while the dialog shows; with wait, the dialog ends when it ends (result 0
  // when it exited with 0, else 1). The stop button asks stopQuestion before killing it.
  void SetProcessCommand(const std::wstring& command, const std::wstring& args, bool wait,
                         const std::wstring& info, const std::wstring& stopQuestion);
  // Shows the dialog modally over owner and answers how it ended: 0 by its OK button or a
  // program that succeeded, kResultCancel when closed or stopped.
  int RunDialog(wxWindow* owner);
  void EndDialog(int result);
  int GetResult() const { return result_; }
  std::wstring GetTitleText() const { return GetDlgItemText(IDC_TITLE); }
  std::wstring GetInfoText() const { return GetDlgItemText(IDC_INFO); }

  // A login-state event of what the dialog waits for; passed to the callback when allowed by
  // the mask. Answers the callback's answer, 0 when not passed.
  intptr_t RaiseLoginEvent(unsigned event, intptr_t value, intptr_t extra);

 protected:
  void OnClose() override { StopAsked(); }

 private:
  void StopAsked();
  void Relayout();

  LoginStateCallback callback_ = nullptr;
  uint32_t mask_ = 0;
  void* ctx_ = nullptr;
  int titleHeight_ = 25;
  int infoHeight_ = 18;
  std::wstring command_;
  std::wstring args_;
  std::wstring stopQuestion_;
  bool wait_ = false;
  wxProcess* process_ = nullptr;
  long pid_ = 0;
  int result_ = kResultCancel;
};

class CWaitConfirmDlg : public orv::ui::CControlDialog {
 public:
  enum : int { IDC_TEXT = 1401, IDC_GAUGE_HOST, IDC_OK };

  bool CreateDlg(wxWindow* parent);
  // Shows text; mode 1 adds the confirm button. position -1 moves the bar without a value,
  // else it shows position of range.
  void ShowWait(const std::wstring& text, int mode, int position, int range);
  void HideWait() { HideDialog(); }
  int GetMode() const { return mode_; }
  std::wstring GetText() const { return GetDlgItemText(IDC_TEXT); }

 private:
  class wxGauge* gauge_ = nullptr;
  int mode_ = 0;
};
