#pragma once
// The log pane: a toolbar (search box, auto-scroll switch, open log folder, display switch,
// delete) over the column titles and a virtual list of the log hub's lines. The list reads
// lines by index through its host and reloads at most every 200 ms, only when new lines were
// announced: the main frame's 200 ms timer drives the reload (OnRedrawTimer), so the pane wakes
// the window thread no more often than the frame already does.

#include <wx/headerctrl.h>
#include <wx/listctrl.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "host/frame/ContainerPanes.h"
#include "shared/LogMsgData.h"

class wxToolBar;
class wxTextCtrl;
struct app_run_setting_s;

// What the log pane needs of the main frame.
class LogViewHost {
 public:
  virtual ~LogViewHost() = default;
  // Deep copy of the line at index of the list as shown; false when there is none.
  virtual bool GetLogLine(int index, log_msg_data_s* out) = 0;
  // The number of lines the list shows.
  virtual int GetLogViewCount() = 0;
  // Shows only the lines that hold the text (all lines for an empty text).
  virtual void SetLogFilter(const std::wstring& text) = 0;
  // Removes every line from the list (not from the daily files).
  virtual void ClearLog() = 0;
  // The host's log folder, ending in "/".
  virtual std::string GetLogFolder() = 0;
  virtual app_run_setting_s* GetRunSettings() = 0;
};

// Command ids of the log pane.
constexpr int ID_LOG_SEARCH = 597;
constexpr int ID_LOG_AUTO_SCROLL = 1289;
constexpr int ID_LOG_OPEN_FOLDER = 1290;
constexpr int ID_LOG_DISPLAY = 498;
constexpr int ID_LOG_DELETE = 775;
constexpr int ID_LOG_LIST = 785;

// The virtual list of log lines.
class CLogListCtrl : public wxListCtrl {
 public:
  CLogListCtrl(wxWindow* parent, LogViewHost* host);
  ~CLogListCtrl() override;

  // Reloads the line count from the host and forgets the rows read so far.
  void UpdateLogList();
  void SetTextBackground(const wxColour& colour);

  wxString OnGetItemText(long item, long column) const override;
  wxListItemAttr* OnGetItemAttr(long item) const override;

 private:
  const log_msg_data_s* Row(long item) const;

  LogViewHost* host_;
  mutable long cachedItem_ = -1;
  mutable log_msg_data_s cached_;
  mutable wxListItemAttr attr_;
};

// The column titles above the log list, a window of their own. The list redraws itself whole
// whenever a new line changes its scroll range (about once a second while a market is polled);
// its own title row, a part of it, was redrawn each time with it. The titles follow the list's
// horizontal scrolling, and a title's border dragged sizes the list's column.
class CLogHeader : public wxHeaderCtrl {
 public:
  CLogHeader(wxWindow* parent, wxListCtrl* list);
  // Follows the list's horizontal scroll position.
  void FollowList();
  int ScrolledBy() const { return scrolled_; }
  const wxHeaderColumn& GetColumn(unsigned int idx) const override { return columns_[idx]; }

 private:
  void OnResize(wxHeaderCtrlEvent& event);

  wxListCtrl* list_;
  std::vector<wxHeaderColumnSimple> columns_;
  int scrolled_ = 0;  // the list's horizontal scroll offset the titles are drawn at
};

class CLogViewWnd : public CxContainerBaseWnd {
 public:
  CLogViewWnd(wxWindow* parent, int id, LogViewHost* host);

  // Stores the count the host announced and marks the list for the next reload (any thread).
  void SetLineCount(int count);
  int GetLineCount() const { return lineCount_; }
  bool IsRedrawNeeded() const { return redrawNeeded_; }

  // Option setters of the list: three single switches and the three-state value.
  void SetOptionBit4(bool on) { SetOptionBit(0x4, on); }
  void SetOptionBit8(bool on) { SetOptionBit(0x8, on); }
  void SetOptionBit16(bool on) { SetOptionBit(0x10, on); }
  void SetThreeState(bool on, bool firstVariant);
  uint32_t GetOptions() const { return options_; }
  void SetLineLimit(int lines) { lineLimit_ = lines; }

  bool IsAutoScroll() const { return autoScroll_ != 0; }
  void SetAutoScroll(bool on);
  CLogListCtrl* GetList() const { return list_; }
  CLogHeader* GetHeader() const { return header_; }
  wxToolBar* GetToolBar() const { return toolBar_; }
  wxTextCtrl* GetSearchBox() const { return searchBox_; }

  // One reload, called every 200 ms by the owner's timer: only when lines were announced since
  // the last.
  void OnRedrawTimer();

  // Command handlers (also reached from the toolbar).
  void OnOpenLogFolder();
  void OnToggleDisplay();
  void OnDelete();
  void OnSearch(const std::wstring& text);

 protected:
  bool KeepsOwnLayout() const override { return true; }

 private:
  void Layout2();
  void SetOptionBit(uint32_t bit, bool on);

  LogViewHost* host_;
  int autoScroll_ = 0;
  // Set from any thread that adds lines; read by the redraw timer.
  std::atomic<bool> redrawNeeded_{false};
  int colourMode_ = 1;
  int darkBackground_ = 0;
  wxColour textBackground_{255, 255, 255};
  uint32_t options_ = 15;
  int lineLimit_ = 0;
  wxToolBar* toolBar_ = nullptr;
  wxTextCtrl* searchBox_ = nullptr;
  std::wstring searchText_;
  CLogListCtrl* list_ = nullptr;
  CLogHeader* header_ = nullptr;
  std::atomic<int> lineCount_{0};
};
