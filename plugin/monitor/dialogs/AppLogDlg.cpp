#include "plugin/monitor/dialogs/AppLogDlg.h"

#include <wx/button.h>
#include <wx/clipbrd.h>
#include <wx/frame.h>
#include <wx/listctrl.h>
#include <wx/sizer.h>
#include <wx/textctrl.h>
#include <wx/tglbtn.h>

#include "platform/win/MessageBox.h"

namespace {
constexpr int kLogTimerId = 503;
constexpr int kLogTimerMs = 1000;
constexpr int kListId = 785;
constexpr int kHideMode = 2;

std::wstring EntryText(const log_msg_data_s& e) {
  wchar_t time[16];
  std::swprintf(time, 16, L"%02d:%02d:%02d", e.tmTime.wHour, e.tmTime.wMinute, e.tmTime.wSecond);
  std::wstring text = L"[" + std::wstring(time) + L"] ";
  if (e.pszSource && *e.pszSource) text += std::wstring(e.pszSource) + L" ";
  if (e.pszText) text += e.pszText;
  return text;
}
}  // namespace

// The virtual list: the entries that contain the search text, drawn from the bound store.
class CAppLogList : public wxListCtrl {
 public:
  explicit CAppLogList(wxWindow* parent)
      : wxListCtrl(parent, kListId, wxDefaultPosition, wxDefaultSize,
                   wxLC_REPORT | wxLC_VIRTUAL | wxLC_NO_HEADER) {
    AppendColumn("Log", wxLIST_FORMAT_LEFT, 600);
  }
  void Reload(const CAppLogDlg::LogStore* entries, const std::wstring& search) {
    rows_.clear();
    if (entries)
      for (const log_msg_data_s* e : *entries)
        if (e && (search.empty() || EntryText(*e).find(search) != std::wstring::npos))
          rows_.push_back(EntryText(*e));
    SetItemCount(static_cast<long>(rows_.size()));
    Refresh();
  }
  const std::vector<std::wstring>& Rows() const { return rows_; }
  wxString OnGetItemText(long item, long) const override {
    return item >= 0 && item < static_cast<long>(rows_.size()) ? wxString(rows_[item]) : wxString();
  }

 private:
  std::vector<std::wstring> rows_;
};

CAppLogDlg::CAppLogDlg(wxWindow* parent, intptr_t value, int mode, bool dark)
    : wxDialog(parent, wxID_ANY, "Log", wxDefaultPosition, wxSize(720, 480),
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER),
      mode_(mode),
      value_(value),
      timer_(this, kLogTimerId) {
  searchBox_ = new wxTextCtrl(this, wxID_ANY, "", wxDefaultPosition, wxSize(200, -1),
                              wxTE_PROCESS_ENTER);
  searchBox_->SetMaxLength(29);
  autoScrollButton_ = new wxToggleButton(this, wxID_ANY, "Auto Scroll");
  clearButton_ = new wxButton(this, wxID_ANY, "Clear");
  darkButton_ = new wxButton(this, wxID_ANY, "Dark");
  list_ = new CAppLogList(this);
  auto* bar = new wxBoxSizer(wxHORIZONTAL);
  bar->Add(searchBox_, 0, wxRIGHT, 6);
  bar->Add(autoScrollButton_, 0, wxRIGHT, 6);
  bar->Add(clearButton_, 0, wxRIGHT, 6);
  bar->Add(darkButton_, 0);
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  sizer->Add(bar, 0, wxALL, 6);
  sizer->Add(list_, 1, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 6);
  SetSizer(sizer);
  autoScrollButton_->SetValue(autoScroll_);
  autoScrollButton_->Bind(wxEVT_TOGGLEBUTTON, [this](wxCommandEvent&) { ToggleAutoScroll(); });
  clearButton_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { ClearLog(); });
  darkButton_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { ToggleDarkBackground(); });
  // A taskbar window in the hiding mode; a tool window otherwise.
  if (mode_ != kHideMode) SetWindowStyleFlag(GetWindowStyleFlag() | wxFRAME_TOOL_WINDOW);
  Bind(wxEVT_CHAR_HOOK, &CAppLogDlg::OnCharHook, this);
  Bind(wxEVT_CLOSE_WINDOW, &CAppLogDlg::OnClose, this);
  Bind(wxEVT_SIZE, &CAppLogDlg::OnSize, this);
  Bind(wxEVT_TIMER, [this](wxTimerEvent&) { OnLogTimer(); }, kLogTimerId);
  // The list is rebuilt only while it is on screen: the timer runs from show to hide, and a
  // change made while hidden is loaded as the dialog appears.
  Bind(wxEVT_SHOW, [this](wxShowEvent& event) {
    event.Skip();
    if (event.IsShown()) {
      OnLogTimer();
      if (!timer_.IsRunning()) timer_.Start(kLogTimerMs);
    } else {
      timer_.Stop();
    }
  });
  SetDarkBackground(dark);
}

CAppLogDlg::~CAppLogDlg() { timer_.Stop(); }

void CAppLogDlg::SetLogStore(LogStore* entries) {
  entries_ = entries;
  NotifyLogChanged(value_);
}

void CAppLogDlg::SetDarkBackground(bool dark) {
  dark_ = dark;
  if (!list_) return;
  list_->SetBackgroundColour(Background());
  // Black text on the black background would hide every entry: the text follows the background.
  list_->SetForegroundColour(dark_ ? *wxWHITE : *wxBLACK);
  list_->Refresh();
}

wxColour CAppLogDlg::TextColour() const {
  return list_ ? list_->GetForegroundColour() : wxColour();
}

void CAppLogDlg::ToggleAutoScroll() {
  autoScroll_ = !autoScroll_;
  if (autoScrollButton_) autoScrollButton_->SetValue(autoScroll_);
}

void CAppLogDlg::NotifyLogChanged(intptr_t value) {
  notifiedValue_ = value;
  changed_ = true;
}

int CAppLogDlg::GetLogCount() const { return entries_ ? static_cast<int>(entries_->size()) : 0; }

int CAppLogDlg::ShownCount() const { return list_ ? list_->GetItemCount() : 0; }

void CAppLogDlg::OnLogTimer() {
  // A hidden dialog keeps the change for when it is shown: rebuilding every entry's text for
  // nobody costs more the longer the log grows.
  if (!changed_ || !IsShown()) return;
  list_->Reload(entries_, search_);
  if (autoScroll_ && list_->GetItemCount() > 0) list_->EnsureVisible(list_->GetItemCount() - 1);
  changed_ = false;
}

void CAppLogDlg::ClearLog() {
  if (GetLogCount() <= 0) {
    orv::win::MessageBox("Log is empty", "ERROR", MB_OK | MB_ICONERROR);
    return;
  }
  if (orv::win::MessageBox("Do you want to clear all log?", "QUESTION",
                           MB_YESNO | MB_ICONQUESTION) != IDYES)
    return;
  // The entries are the creator's: the store is emptied, the records freed as it frees them.
  for (log_msg_data_s* e : *entries_) {
    if (!e) continue;
    std::free(e->pszSource);
    std::free(e->pszText);
    delete e;
  }
  entries_->clear();
  list_->Reload(entries_, search_);
}

bool CAppLogDlg::HandleKey(const AppLogKeyInput& key) {
  switch (AppLogKeyAction(key)) {
    case AppLogKey::kSearch:
      search_ = AppLogSearchText(searchBox_->GetValue().ToStdWstring());
      list_->Reload(entries_, search_);
      return true;
    case AppLogKey::kSwallow:
      return true;
    case AppLogKey::kSelectAll:
      for (long i = 0; i < list_->GetItemCount(); ++i)
        list_->SetItemState(i, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
      return true;
    case AppLogKey::kCopy:
      if (list_->GetSelectedItemCount() > 0) CopySelection();
      return true;
    case AppLogKey::kNone:
      break;
  }
  return false;
}

void CAppLogDlg::CopySelection() {
  wxString text;
  for (long i = list_->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED); i >= 0;
       i = list_->GetNextItem(i, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED))
    text += wxString(list_->Rows()[static_cast<size_t>(i)]) + "\n";
  if (wxTheClipboard->Open()) {
    wxTheClipboard->SetData(new wxTextDataObject(text));
    wxTheClipboard->Close();
  }
}

void CAppLogDlg::OnCharHook(wxKeyEvent& event) {
  // The hook sees keys going down only.
  wxWindow* focus = wxWindow::FindFocus();
  AppLogKeyInput key;
  key.keyDown = true;
  key.keyCode = event.GetKeyCode() == WXK_RETURN || event.GetKeyCode() == WXK_NUMPAD_ENTER
                    ? 13
                    : event.GetKeyCode();
  key.control = event.ControlDown();
  key.focusOnList = focus == this || focus == list_;
  if (!HandleKey(key)) event.Skip();
}

void CAppLogDlg::OnClose(wxCloseEvent& event) {
  if (mode_ == kHideMode) {
    Hide();
    return;
  }
  event.Skip();
}

void CAppLogDlg::OnSize(wxSizeEvent& event) {
  event.Skip();
  if (!list_) return;
  CallAfter([this] {
    if (list_) list_->SetColumnWidth(0, std::max(50, list_->GetClientSize().x - 15));
  });
  Refresh();
}
