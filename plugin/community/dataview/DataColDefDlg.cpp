#include "plugin/community/dataview/DataColDefDlg.h"

#include <wx/dialog.h>
#include <wx/notebook.h>

#include <algorithm>
#include <memory>

#include "platform/support/BusinessNumbers.h"
#include "platform/support/TextConv.h"
#include "platform/ui/DbViewBase.h"
#include "platform/ui/ReportGridWindow.h"
#include "platform/ui/model/ReportItems.h"
#include "platform/win/MessageBox.h"

const wchar_t kDataColDefGridLayout[] = L":#10;No:#30;타이틀:100;폭:50;검색어:200;";

namespace {

constexpr int kWidth = 520;
constexpr int kHeight = 400;
constexpr int kMargin = 5;
// Below the tab: 40 pixels when made, 30 after a resize; OK and Cancel sit in the 30.
constexpr int kBottomAtStart = 40;
constexpr int kBottomOnResize = 30;
constexpr int kStartRows = 10;
constexpr size_t kTitleChars = 59;
constexpr size_t kSearchChars = 35;
constexpr size_t kTextChars = 256;

}  // namespace

CDataColDefRecord::CDataColDefRecord(int32_t index) : m_index(index) {
  AddText();
  AddNumber(index);
  orv::ui::CMyReportRecordItemText* title = AddText();
  title->editable = false;
  orv::ui::REPORT_CELL_ADD_BUTTON(title, L"체크 ", kCheckButtonId, 32, 2, 1);
  AddNumber(kDefaultWidth);
  AddText();
}

CDataColDefDlg::CDataColDefDlg(wxWindow* parent, CDbViewBase* owner, uint8_t flag,
                               intptr_t callerValue1, intptr_t callerValue2)
    : CDataResizeDialog(parent),
      m_callerValue1(callerValue1),
      m_callerValue2(callerValue2),
      m_owner(owner),
      m_flag(flag) {}

CDataColDefDlg::~CDataColDefDlg() = default;

std::wstring CDataColDefDlg::Text(const wchar_t* key, const wchar_t* englishDefault) const {
  if (!m_owner) return englishDefault;
  wchar_t text[kTextChars] = {};
  m_owner->GetKeywordFromDbByLanguage(key, englishDefault, nullptr, 0, text, kTextChars);
  return text[0] ? std::wstring(text) : std::wstring(englishDefault);
}

std::wstring CDataColDefDlg::Caption() const {
  return Text(L"data.column.define", L"Data Column Define");
}

wxSize CDataColDefDlg::InitialSize() const { return wxSize(kWidth, kHeight); }

void CDataColDefDlg::OnInitDialog() {
  wxDialog* dialog = GetWindow();
  const wxSize client = dialog->GetClientSize();
  const wxRect area(kMargin, kMargin, client.x - 2 * kMargin,
                    std::max(0, client.y - kMargin - kBottomAtStart));
  AddOkCancel();
  OnCommand(orv::ui::IDOK, [this] { OnOk(); });
  OnCommand(orv::ui::IDCANCEL, [this] { OnCancel(); });

  m_tabs = new wxNotebook(dialog, IDC_DATA_COL_DEF_TAB, area.GetPosition(), area.GetSize());
  m_gridWindow = orv::ui::GfxInitReportCtrl4(
      m_grid, m_tabs, IDC_DATA_COL_DEF_GRID,
      orv::ui::WS_CHILD | orv::ui::WS_VISIBLE | orv::ui::WS_BORDER, kDataColDefGridLayout);
  if (m_gridWindow) m_tabs->AddPage(m_gridWindow->GetWindow(), dialog->GetTitle());
  m_grid.SetNotifyHandler([this](orv::ui::ReportNotify& nm) -> LRESULT {
    if (nm.ctrlId != IDC_DATA_COL_DEF_GRID) return 0;
    return nm.code == orv::ui::REPORT_NM_VALUECHANGED ? OnGridValueChanged(nm) : 0;
  });
  PlaceOkCancel(kBottomOnResize);
  FillRows(kStartRows);
}

void CDataColDefDlg::FillRows(int count) {
  for (int i = 0; i < count; ++i) m_grid.AddRecord(std::make_unique<CDataColDefRecord>(i));
  m_grid.Populate();
}

LRESULT CDataColDefDlg::OnGridValueChanged(orv::ui::ReportNotify& nm) {
  orv::ui::CMyReportRecordBase* row = nm.record;
  if (!row) return 0;
  const orv::ui::ReportColumn* column = m_grid.GetColumn(nm.column);
  const int item = column ? column->itemIndex : nm.column;
  std::wstring formatted;
  if (item == CDataColDefRecord::kItemTitle) {
    if (GfxFormatTelNumber(row->GetTextValue(item), 0, &formatted, kTitleChars))
      row->SetTextValue(item, formatted);
  } else if (item == CDataColDefRecord::kItemSearch) {
    if (GfxFormatBizRegNumber(row->GetTextValue(item), 0, &formatted, kSearchChars))
      row->SetTextValue(item, formatted);
  }
  row->SetModified(true);
  m_grid.NoteRecordChanged(row);
  m_grid.RedrawControl();
  return 0;
}

void CDataColDefDlg::OnOk() {
  // The answer is not acted on: nothing is saved and the dialog stays open.
  orv::win::MessageBox(WideToUtf8(Text(L"save.confirm", L"Do you want to save?")), "QUESTION",
                       MB_YESNO | MB_ICONQUESTION);
}

void CDataColDefDlg::OnCancel() { HideDialog(); }

void CDataColDefDlg::OnSize() {
  const wxSize client = GetWindow()->GetClientSize();
  if (m_tabs) m_tabs->SetSize(0, 0, client.x, std::max(0, client.y - kBottomOnResize));
  PlaceOkCancel(kBottomOnResize);
}
