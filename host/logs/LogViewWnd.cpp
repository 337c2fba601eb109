#include "host/logs/LogViewWnd.h"

#include <wx/artprov.h>
#include <wx/filename.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/toolbar.h>
#include <wx/utils.h>
#include <wx/wx.h>

#include <algorithm>
#include <cstdio>

#include "host/app/AppFolders.h"
#include "host/logs/LogMsgConversion.h"
#include "platform/win/MessageBox.h"
#include "shared/AppRunSetting.h"

namespace {

enum Column { kColTime, kColLevel, kColText, kColSource };

wxString TimeText(const SYSTEMTIME& t) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02d:%02d:%02d.%03d", t.wHour, t.wMinute, t.wSecond,
                t.wMilliseconds);
  return wxString::FromAscii(buf);
}

}  // namespace

CLogListCtrl::CLogListCtrl(wxWindow* parent, LogViewHost* host)
    : wxListCtrl(parent, ID_LOG_LIST, wxDefaultPosition, wxDefaultSize,
                 wxLC_REPORT | wxLC_VIRTUAL | wxLC_SINGLE_SEL | wxLC_NO_HEADER | wxBORDER_NONE),
      host_(host) {
  // The time and level columns fit their widest texts in the list's font, with room for the
  // cell margins.
  const int margin = GetTextExtent("00").x;
  InsertColumn(kColTime, wxString::FromUTF8("시간"), wxLIST_FORMAT_LEFT,
               std::max(96, GetTextExtent("00:00:00.000").x + margin));
  InsertColumn(kColLevel, wxString::FromUTF8("구분"), wxLIST_FORMAT_RIGHT,
               std::max(48, GetTextExtent(wxString::FromUTF8("구분")).x + margin));
  InsertColumn(kColText, wxString::FromUTF8("내용"), wxLIST_FORMAT_LEFT, 640);
  InsertColumn(kColSource, wxString::FromUTF8("모듈"), wxLIST_FORMAT_LEFT, 120);
  attr_.SetTextColour(*wxBLACK);
  attr_.SetBackgroundColour(*wxWHITE);
}

CLogListCtrl::~CLogListCtrl() { orv::host::FreeLogMsgData(&cached_); }

void CLogListCtrl::SetTextBackground(const wxColour& colour) {
  attr_.SetBackgroundColour(colour);
  SetBackgroundColour(colour);
}

void CLogListCtrl::UpdateLogList() {
  cachedItem_ = -1;
  orv::host::FreeLogMsgData(&cached_);
  const int count = host_ ? host_->GetLogViewCount() : 0;
  // Only the rows are redrawn, never the column header: a new count makes the list lay its
  // rows out and redraw them by itself; with the count unchanged (the oldest lines dropped as
  // new ones came) the rows on screen are redrawn.
  if (count != GetItemCount()) {
    SetItemCount(count);
    // The list lays its rows out in its idle turn. It takes the turn at once: new lines then
    // need no idle pass over every window of the program.
    for (wxWindow* part : GetChildren()) part->OnInternalIdle();
  } else if (count > 0) {
    const long top = std::max(0L, GetTopItem());
    RefreshItems(top, std::min<long>(count - 1, top + GetCountPerPage()));
  }
}

const log_msg_data_s* CLogListCtrl::Row(long item) const {
  if (item != cachedItem_) {
    cachedItem_ = -1;
    if (!host_ || !host_->GetLogLine(static_cast<int>(item), &cached_)) return nullptr;
    cachedItem_ = item;
  }
  return &cached_;
}

wxString CLogListCtrl::OnGetItemText(long item, long column) const {
  const log_msg_data_s* row = Row(item);
  if (row == nullptr) return wxString();
  switch (column) {
    case kColTime:
      return TimeText(row->tmTime);
    case kColLevel:
      return wxString::Format("%d", row->nLevel);
    case kColText:
      return row->pszText ? wxString(row->pszText) : wxString();
    case kColSource:
      return row->pszSource ? wxString(row->pszSource) : wxString();
    default:
      return wxString();
  }
}

// Every cell is drawn in black on the pane's text background colour.
wxListItemAttr* CLogListCtrl::OnGetItemAttr(long) const { return &attr_; }

CLogHeader::CLogHeader(wxWindow* parent, wxListCtrl* list)
    : wxHeaderCtrl(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                   wxHD_DEFAULT_STYLE & ~wxHD_ALLOW_REORDER),
      list_(list) {
  for (int i = 0; i < list_->GetColumnCount(); ++i) {
    wxListItem column;
    column.SetMask(wxLIST_MASK_TEXT | wxLIST_MASK_WIDTH | wxLIST_MASK_FORMAT);
    list_->GetColumn(i, column);
    const wxAlignment align = column.GetAlign() == wxLIST_FORMAT_RIGHT    ? wxALIGN_RIGHT
                              : column.GetAlign() == wxLIST_FORMAT_CENTRE ? wxALIGN_CENTRE
                                                                          : wxALIGN_LEFT;
    columns_.emplace_back(column.GetText(), list_->GetColumnWidth(i), align);
  }
  SetColumnCount(static_cast<unsigned int>(columns_.size()));
  Bind(wxEVT_HEADER_RESIZING, &CLogHeader::OnResize, this);
  Bind(wxEVT_HEADER_END_RESIZE, &CLogHeader::OnResize, this);
  // The list scrolls sideways by its scroll bar, the keyboard or the wheel; the titles follow
  // once the list has moved.
  const wxEventTypeTag<wxScrollWinEvent> scrolls[] = {
      wxEVT_SCROLLWIN_TOP,      wxEVT_SCROLLWIN_BOTTOM,   wxEVT_SCROLLWIN_LINEUP,
      wxEVT_SCROLLWIN_LINEDOWN, wxEVT_SCROLLWIN_PAGEUP,   wxEVT_SCROLLWIN_PAGEDOWN,
      wxEVT_SCROLLWIN_THUMBTRACK, wxEVT_SCROLLWIN_THUMBRELEASE};
  for (const auto& type : scrolls) {
    list_->Bind(type, [this](wxScrollWinEvent& event) {
      event.Skip();
      if (event.GetOrientation() == wxHORIZONTAL) CallAfter([this] { FollowList(); });
    });
  }
}

void CLogHeader::FollowList() {
  int x = 0, y = 0;
  list_->CalcUnscrolledPosition(0, 0, &x, &y);
  if (x == scrolled_) return;
  ScrollWindow(scrolled_ - x, 0);
  scrolled_ = x;
}

void CLogHeader::OnResize(wxHeaderCtrlEvent& event) {
  const unsigned int idx = static_cast<unsigned int>(event.GetColumn());
  if (idx >= columns_.size()) return;
  const int width = std::max(event.GetWidth(), columns_[idx].GetMinWidth());
  if (width == columns_[idx].GetWidth()) return;
  columns_[idx].SetWidth(width);
  UpdateColumn(idx);
  list_->SetColumnWidth(static_cast<long>(idx), width);
}

CLogViewWnd::CLogViewWnd(wxWindow* parent, int id, LogViewHost* host)
    : CxContainerBaseWnd(parent, id, "CLogViewWnd"), host_(host) {
  toolBar_ = new wxToolBar(this, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                           wxTB_HORIZONTAL | wxTB_FLAT | wxTB_HORZ_TEXT | wxTB_NODIVIDER);
  toolBar_->SetToolBitmapSize(wxSize(16, 16));
  toolBar_->AddControl(new wxStaticText(toolBar_, wxID_ANY, wxString::FromUTF8("검색:")));
  searchBox_ = new wxTextCtrl(toolBar_, ID_LOG_SEARCH, wxString(), wxDefaultPosition,
                              wxSize(160, -1), wxTE_PROCESS_ENTER);
  searchBox_->SetHint(wxString::FromUTF8("검색어"));
  toolBar_->AddControl(searchBox_);
  toolBar_->AddSeparator();
  const wxSize icon(16, 16);
  toolBar_->AddCheckTool(ID_LOG_AUTO_SCROLL, wxString::FromUTF8("자동 스크롤"),
                         wxArtProvider::GetBitmap(wxART_GO_DOWN, wxART_TOOLBAR, icon), wxNullBitmap,
                         wxString::FromUTF8("자동 스크롤"));
  toolBar_->AddTool(ID_LOG_OPEN_FOLDER, wxString::FromUTF8("로그 폴더"),
                    wxArtProvider::GetBitmap(wxART_FOLDER_OPEN, wxART_TOOLBAR, icon),
                    wxString::FromUTF8("로그 폴더 열기"));
  toolBar_->AddCheckTool(ID_LOG_DISPLAY, wxString::FromUTF8("표시"),
                         wxArtProvider::GetBitmap(wxART_REPORT_VIEW, wxART_TOOLBAR, icon),
                         wxNullBitmap, wxString::FromUTF8("로그 표시"));
  toolBar_->AddTool(ID_LOG_DELETE, wxString::FromUTF8("삭제"),
                    wxArtProvider::GetBitmap(wxART_DELETE, wxART_TOOLBAR, icon),
                    wxString::FromUTF8("로그 삭제"));
  toolBar_->Realize();
  if (const app_run_setting_s* rs = host_ ? host_->GetRunSettings() : nullptr) {
    toolBar_->ToggleTool(ID_LOG_DISPLAY, rs->byLogDisplayOn != 0);
  }

  list_ = new CLogListCtrl(this, host_);
  list_->SetTextBackground(darkBackground_ ? *wxBLACK : textBackground_);
  header_ = new CLogHeader(this, list_);

  Bind(
      wxEVT_TOOL, [this](wxCommandEvent&) { SetAutoScroll(!IsAutoScroll()); }, ID_LOG_AUTO_SCROLL);
  Bind(
      wxEVT_TOOL, [this](wxCommandEvent&) { OnOpenLogFolder(); }, ID_LOG_OPEN_FOLDER);
  Bind(
      wxEVT_TOOL, [this](wxCommandEvent&) { OnToggleDisplay(); }, ID_LOG_DISPLAY);
  Bind(
      wxEVT_TOOL, [this](wxCommandEvent&) { OnDelete(); }, ID_LOG_DELETE);
  searchBox_->Bind(wxEVT_TEXT_ENTER,
                   [this](wxCommandEvent&) { OnSearch(searchBox_->GetValue().ToStdWstring()); });
  searchBox_->Bind(wxEVT_TEXT, [this](wxCommandEvent&) {
    // Clearing the box shows every line again at once.
    if (searchBox_->IsEmpty() && !searchText_.empty()) OnSearch(std::wstring());
  });
  Bind(wxEVT_SIZE, [this](wxSizeEvent& e) {
    Layout2();
    e.Skip();
  });
  Layout2();
}

void CLogViewWnd::Layout2() {
  const wxSize size = GetClientSize();
  const int barHeight = toolBar_->GetBestSize().y;
  const int titlesHeight = header_->GetBestSize().y;
  toolBar_->SetSize(0, 0, size.x, barHeight);
  header_->SetSize(0, barHeight, size.x, titlesHeight);
  const int listTop = barHeight + titlesHeight;
  list_->SetSize(0, listTop, size.x, std::max(0, size.y - listTop));
  header_->FollowList();
}

void CLogViewWnd::SetLineCount(int count) {
  lineCount_ = count;
  redrawNeeded_ = true;
}

void CLogViewWnd::SetOptionBit(uint32_t bit, bool on) {
  options_ = on ? (options_ | bit) : (options_ & ~bit);
}

void CLogViewWnd::SetThreeState(bool on, bool firstVariant) {
  options_ &= ~3u;
  if (on) options_ |= firstVariant ? 1u : 2u;
}

void CLogViewWnd::SetAutoScroll(bool on) {
  autoScroll_ = on ? 1 : 0;
  toolBar_->ToggleTool(ID_LOG_AUTO_SCROLL, on);
}

void CLogViewWnd::OnRedrawTimer() {
  // Cleared before the reload: lines announced while it runs are reloaded on the next tick.
  if (!redrawNeeded_.exchange(false)) return;
  list_->UpdateLogList();
  const long count = list_->GetItemCount();
  if (autoScroll_ != 0 && count > 0) list_->EnsureVisible(count - 1);
}

void CLogViewWnd::OnOpenLogFolder() {
  const std::string folder = host_ ? host_->GetLogFolder() : std::string();
  if (!folder.empty()) orv::host::EnsureFolder(folder);
  if (!folder.empty() && wxDirExists(wxString::FromUTF8(folder))) {
    wxLaunchDefaultApplication(wxString::FromUTF8(folder));
    return;
  }
  orv::win::MessageBox("로그 폴더가 존재하지 않습니다", "ERROR", MB_OK | MB_ICONERROR);
}

void CLogViewWnd::OnToggleDisplay() {
  app_run_setting_s* rs = host_ ? host_->GetRunSettings() : nullptr;
  if (rs == nullptr) return;
  rs->byLogDisplayOn = rs->byLogDisplayOn != 0 ? 0 : 1;
  toolBar_->ToggleTool(ID_LOG_DISPLAY, rs->byLogDisplayOn != 0);
}

void CLogViewWnd::OnDelete() {
  if (orv::win::MessageBox("로그를 삭제할까요?", "QUESTION", MB_YESNO | MB_ICONQUESTION) != IDYES) {
    return;
  }
  if (host_) host_->ClearLog();
  SetLineCount(0);
  OnRedrawTimer();
}

void CLogViewWnd::OnSearch(const std::wstring& text) {
  searchText_ = text;
  if (host_) host_->SetLogFilter(text);
  SetLineCount(host_ ? host_->GetLogViewCount() : 0);
  OnRedrawTimer();
}
