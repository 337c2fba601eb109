#pragma once
// The application log dialog: log entries in a list with search, clearing, select-all and
// copy, a dark or light background and automatic scrolling to the newest entry. In mode 2
// closing only hides it. Its creator binds the store (a deque that outlives the dialog, of
// records made with new and texts made with malloc, as the log hub copies them) and calls
// NotifyLogChanged after adding to it; the dialog reloads at its next tick while shown, or as it
// is shown. Clearing frees the
// store's records.

#include <wx/dialog.h>
#include <wx/timer.h>

#include <deque>
#include <string>
#include <vector>

#include "plugin/monitor/core/AppLogKeys.h"
#include "shared/LogMsgData.h"

class wxTextCtrl;
class wxToggleButton;
class wxButton;
class CAppLogList;

class CAppLogDlg : public wxDialog {
 public:
  using LogStore = std::deque<log_msg_data_s*>;

  CAppLogDlg(wxWindow* parent, intptr_t value, int mode, bool dark);
  ~CAppLogDlg() override;

  void SetLogStore(LogStore* entries);
  void SetDarkBackground(bool dark);
  void ToggleDarkBackground() { SetDarkBackground(!dark_); }
  void ToggleAutoScroll();
  void NotifyLogChanged(intptr_t value);
  // Asks before deleting every entry; an empty log is reported instead.
  void ClearLog();
  // The key as the dialog handles it; true when it was consumed.
  bool HandleKey(const AppLogKeyInput& key);
  // Reloads the list when it changed and the dialog is shown, scrolling to the newest entry
  // when auto-scroll is on.
  void OnLogTimer();

  bool IsDark() const { return dark_; }
  bool AutoScroll() const { return autoScroll_; }
  bool LogTimerRunning() const { return timer_.IsRunning(); }
  wxColour Background() const { return dark_ ? *wxBLACK : *wxWHITE; }
  // The colour the list draws its entries' text in.
  wxColour TextColour() const;
  int GetLogCount() const;
  int ShownCount() const;
  std::wstring SearchText() const { return search_; }
  wxTextCtrl* SearchBox() const { return searchBox_; }
  CAppLogList* List() const { return list_; }

 private:
  void OnCharHook(wxKeyEvent& event);
  void OnClose(wxCloseEvent& event);
  void OnSize(wxSizeEvent& event);
  void CopySelection();

  int mode_;
  intptr_t value_;
  intptr_t notifiedValue_ = 0;
  bool dark_ = false;
  bool autoScroll_ = true;
  bool changed_ = false;
  std::wstring search_;
  LogStore* entries_ = nullptr;
  wxTextCtrl* searchBox_ = nullptr;
  wxToggleButton* autoScrollButton_ = nullptr;
  wxButton* clearButton_ = nullptr;
  wxButton* darkButton_ = nullptr;
  CAppLogList* list_ = nullptr;
  wxTimer timer_;
};
