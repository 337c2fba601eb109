#include "plugin/community/dataview/DataInfoDlg.h"

#include <wx/dialog.h>

#include <algorithm>
#include <memory>

#include "platform/ui/ReportGridWindow.h"
#include "plugin/rows/AccInfoRecord.h"
#include "shared/AppRunSetting.h"

const wchar_t kDataInfoCaption[] = L"Data Edit";
const wchar_t kDataInfoGridLayout[] =
    L":?6;OK:20;증권사:c40;계좌:60;CNT:-25;ERR:-25;예수금(추정):60;미수금:60;출금가능:60;"
    L"메시지/누락 종목:200;";

namespace {

// The window's client size when made, and the strip under the grid that holds OK and Cancel.
constexpr int kWidth = 760;
constexpr int kHeight = 320;
constexpr int kButtonStrip = 36;
constexpr int kFrozenColumns = 2;

// The grid's last two columns come after the four amounts the account row keeps between
// 미수금 and 출금가능: each is pointed at the row's item of its own title.
constexpr int kWithdrawableColumn = 8;
constexpr int kMessageColumn = 9;

}  // namespace

CDataInfoDlg::CDataInfoDlg(wxWindow* parent, CDbViewBase* owner, intptr_t callerValue1,
                           app_run_setting_s* run, intptr_t callerValue2)
    : CDataResizeDialog(parent),
      m_run(run),
      m_callerValue1(callerValue1),
      m_callerValue2(callerValue2),
      m_owner(owner) {}

CDataInfoDlg::~CDataInfoDlg() = default;

std::wstring CDataInfoDlg::Caption() const { return kDataInfoCaption; }

wxSize CDataInfoDlg::InitialSize() const { return wxSize(kWidth, kHeight); }

void CDataInfoDlg::OnInitDialog() {
  // OK and Cancel take no action: the window stays until its owner destroys it.
  AddOkCancel();
  OnCommand(orv::ui::IDOK, [] {});
  OnCommand(orv::ui::IDCANCEL, [] {});

  m_gridWindow = orv::ui::GfxInitReportCtrl4(m_grid, GetWindow(), IDC_DATA_INFO_GRID,
                                             orv::ui::WS_BORDER | orv::ui::WS_VISIBLE,
                                             kDataInfoGridLayout);
  if (m_gridWindow) {
    if (orv::ui::ReportColumn* column = m_grid.GetColumn(kWithdrawableColumn))
      column->itemIndex = CAccInfoRecord::kColFirstAmount + kAccWithdrawable;
    if (orv::ui::ReportColumn* column = m_grid.GetColumn(kMessageColumn))
      column->itemIndex = CAccInfoRecord::kColMessage;
    m_grid.FreezeColumns(kFrozenColumns);
    const double scale = m_run ? m_run->dScale : 1.0;
    auto footer = std::make_unique<CAccInfoRecord>(scale, 0, -1, L"", 1, 0.0, 0,
                                                   AccInfoAmounts{}, L"");
    m_footer = footer.get();
    m_grid.AddFooterRecord(std::move(footer));
    m_grid.Populate();
  }
  OnSize();
}

void CDataInfoDlg::OnSize() {
  const wxSize client = GetWindow()->GetClientSize();
  if (m_gridWindow)
    m_gridWindow->GetWindow()->SetSize(0, 0, client.x, std::max(0, client.y - kButtonStrip));
  PlaceOkCancel(kButtonStrip);
}
