#pragma once
// What the main frame's plug-in callbacks keep between calls: the last caller pair, the
// counter text, the login state and status values modules reported, the waiting dialog's busy
// marker, the page values, and the dialogs and windows only the callbacks use.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "host/dialogs/PasswordDlg.h"
#include "host/dialogs/WaitingModalDlg.h"
#include "host/user/HostUserServices.h"
#include "platform/ui/PwdConfirmDlg.h"

class CWebPageWnd;
class wxWindow;

// A control command to the manager program that may run beside the host:
// (frame window, command, value1..value5) -> its answer, negative when no manager answered.
using ManagerCommandSender = std::function<int(wxWindow* frame, int command, int value1, int value2,
                                               int value3, int value4, int value5)>;

struct FrameCallbackState {
  explicit FrameCallbackState(CVarqoMainApp& app) : services(app) {}

  intptr_t lastCaller[2] = {0, 0};
  std::wstring counterText;
  int loginState = 0;
  // Last values of notify 3/3/6, 3/3/9, 3/3/10 and 3/3/11.
  int statusValues[4] = {0, 0, 0, 0};
  int waitBusy = 0;
  // int1..int3 of the last server-page request.
  int pageValues[3] = {0, 0, 0};

  CHostUserServices services;
  std::unique_ptr<CWaitingModalDlg> waitDlg;
  std::unique_ptr<CWaitConfirmDlg> waitConfirmDlg;
  // The credential vault (notify 3/19).
  std::unique_ptr<orv::ui::CPwdConfirmDlg> pwdConfirmDlg;
  // The page window of server pages (order and event lists); a child of the frame.
  CWebPageWnd* pageWnd = nullptr;

  // No manager program runs on this system unless one is installed here: the default sender
  // answers -1, so requests fall back to the host's own popup.
  ManagerCommandSender managerCommand = [](wxWindow*, int, int, int, int, int, int) { return -1; };
};
