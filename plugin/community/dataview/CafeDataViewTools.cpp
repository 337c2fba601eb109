// The cafe data view's client workbook import (the toolbar's "열기" and workbooks dropped on
// the client list), the printing, print preview and clipboard copy of its grids, and its small
// tools: a dictionary page and a 1-second timer switch.

#include <wx/dnd.h>
#include <wx/filedlg.h>
#include <wx/frame.h>
#include <wx/notebook.h>
#include <wx/timer.h>

#include <optional>
#include <vector>

#include "platform/ui/GridPrintout.h"
#include "plugin/community/ClientList.h"
#include "plugin/community/ClientWorkbook.h"
#include "plugin/community/WebEngine.h"
#include "plugin/community/dataview/CafeDataView.h"
#include "plugin/rows/ClientRecords.h"
#include "plugin/view/PelomarView.h"
#include "shared/LoginInfo.h"

namespace {

// The entry the dictionary tool opens, in the standard Korean dictionary.
constexpr const wchar_t* kDictionaryUrl =
    L"https://stdict.korean.go.kr/search/searchView.do?word_no=1729990&searchKeywordTo=3";
// The copy's title and font.
constexpr const wchar_t* kCopyTitle = L"CClientDataView";
constexpr const wchar_t* kCopyFont = L"Arial";

std::optional<SYSTEMTIME> DateOrNone(const SYSTEMTIME& date) {
  return date.wYear ? std::optional<SYSTEMTIME>(date) : std::nullopt;
}

// A client of the workbook as a new row of the list: no idx yet, the signed-in user's company
// and agency.
ClientValues_s ClientValuesOf(const ClientWorkbookRow_s& row, const login_info_s* login) {
  ClientValues_s v;
  v.companyIndex = login ? login->nCompanyIdx : 0;
  v.agencyIndex = login ? login->nAgencyIdx : 0;
  v.customerKind = row.customerKind;
  v.groupIndex = row.groupIndex > 0 ? static_cast<uint32_t>(row.groupIndex) : 0;
  v.memberCount = row.memberCount;
  v.carCheckCount = row.carCheckCount;
  v.insuranceCount = row.insuranceCount;
  v.groupBizNumber = row.groupBizNumber;
  v.title = row.companyName;
  v.companyName = row.companyName;
  v.bizRegNumber = row.bizRegNumber;
  v.ceoName = row.ceoName;
  v.residentNumber = row.residentNumber;
  v.birthday = DateOrNone(row.birthday);
  v.ceoPhone = row.ceoPhone;
  v.bizCategory = row.bizCategory;
  v.bizItem = row.bizItem;
  v.postalCode = row.postalCode;
  v.province = row.province;
  v.address1 = row.address1;
  v.shipAddress = row.shipAddress;
  v.shipPostalCode = row.shipPostalCode;
  v.phone = row.phone;
  v.mobile = row.mobile;
  v.fax = row.fax;
  v.email = row.email;
  v.website = row.website;
  v.managerJob = row.managerJob;
  v.manager = row.manager;
  v.managerPosition = row.managerPosition;
  v.managerPhone = row.managerPhone;
  v.bankName = row.bankName;
  v.bankAccount = row.bankAccount;
  v.bankHolder = row.bankHolder;
  v.registered = DateOrNone(row.registered);
  v.notes = row.notes;
  return v;
}

// Imports every workbook dropped on the window, in the order the desktop gives them.
class WorkbookDropTarget : public wxFileDropTarget {
 public:
  explicit WorkbookDropTarget(CCafeDataView& view) : view_(view) {}
  bool OnDropFiles(wxCoord, wxCoord, const wxArrayString& files) override {
    for (const wxString& file : files) view_.ImportClientsFromExcel(file.ToStdWstring());
    return true;
  }

 private:
  CCafeDataView& view_;
};

}  // namespace

int CCafeDataView::ImportClientsFromExcel(const std::wstring& path) {
  std::vector<ClientWorkbookRow_s> rows;
  if (ReadClientWorkbook(path, &rows) != ClientWorkbookRead::kRead) return 0;
  for (const ClientWorkbookRow_s& row : rows)
    m_clients->AddImportedRow(ClientValuesOf(row, m_pLoginInfo));
  return static_cast<int>(rows.size());
}

void CCafeDataView::OpenClientWorkbook() {
  wxFileDialog dialog(this, wxFileSelectorPromptStr, wxEmptyString, wxEmptyString,
                      wxString(L"Excel Files (*.xlsx)|*.xlsx"), wxFD_OPEN | wxFD_FILE_MUST_EXIST);
  if (dialog.ShowModal() == wxID_OK) ImportClientsFromExcel(dialog.GetPath().ToStdWstring());
}

void CCafeDataView::AcceptDroppedWorkbooks(wxWindow* window) {
  if (window) window->SetDropTarget(new WorkbookDropTarget(*this));
}

orv::ui::CMyReportCtrl& CCafeDataView::PrintTarget() {
  return m_tabs && m_tabs->GetSelection() == kCafeViewClientPage ? m_clientGrid : m_cafeGrid;
}

bool CCafeDataView::OnToolCommand(int id) {
  switch (id) {
    case ID_CAFE_VIEW_PRINT:
    case ID_CAFE_VIEW_PRINT_ALT:
    case ID_CAFE_VIEW_PRINT_DIRECT:
      // A print from the menu or the host forgets the grid a context menu was opened on.
      m_clickedGridId = 0;
      orv::ui::PrintGrid(PrintTarget(), this, true);
      return true;
    case ID_CAFE_VIEW_PRINT_TARGET:
      orv::ui::PrintGrid(PrintTarget(), this, true);
      return true;
    case ID_CAFE_VIEW_PREVIEW:
    case ID_CAFE_VIEW_PREVIEW_TARGET: {
      ClosePreview();
      // The preview shows every row; printing offers the selection in its dialog.
      wxFrame* frame = orv::ui::ShowGridPrintPreview(PrintTarget(), this, false);
      m_preview = frame;
      if (frame)
        frame->Bind(wxEVT_DESTROY, [this, frame](wxWindowDestroyEvent& e) {
          if (e.GetEventObject() == frame && m_preview == frame) m_preview = nullptr;
          e.Skip();
        });
      return true;
    }
    case ID_CAFE_VIEW_COPY_ALL:
      orv::ui::CopyAllRecordsTextToClipboard(PrintTarget(), kCopyTitle, kCopyFont);
      return true;
    case ID_CAFE_VIEW_DICTIONARY:
      if (m_owner) m_owner->WebEngine().OpenInSystemBrowser(kDictionaryUrl);
      return true;
    case ID_CAFE_VIEW_TIMER:
      ToggleTimer();
      return true;
    case ID_CAFE_VIEW_OPEN:
      OpenClientWorkbook();
      return true;
    default:
      return false;
  }
}

void CCafeDataView::ToggleTimer() {
  if (TimerRunning()) {
    m_timer->Stop();
    return;
  }
  if (!m_timer) m_timer = std::make_unique<wxTimer>(this, kCafeViewTimerId);
  m_timer->Start(kCafeViewTimerMs);
}

bool CCafeDataView::TimerRunning() const { return m_timer && m_timer->IsRunning(); }

wxWindow* CCafeDataView::PreviewFrame() const { return m_preview; }

void CCafeDataView::ClosePreview() {
  wxWindow* frame = m_preview;
  m_preview = nullptr;
  // Deleted at once: a frame left for later would still draw the grid of a view that is gone.
  delete frame;
}
