#pragma once
// CDataInfoDlg: "Data Edit", a resizable account summary window that belongs with the record
// editor: a grid of account rows (CAccInfoRecord) with a totals footer, frozen on its number
// and OK columns, and a chart area (a chart model with no window of its own). Its OK and Cancel
// buttons do nothing; the close box hides it, and its owner destroys it.

#include <cstdint>

#include "platform/ui/ControlDialog.h"
#include "platform/ui/model/ChartModel.h"
#include "platform/ui/model/ReportCtrl.h"

class CDbViewBase;
class CAccInfoRecord;
struct app_run_setting_s;

constexpr int IDD_DATA_INFO = 3169;
constexpr int IDC_DATA_INFO_GRID = 1507;
extern const wchar_t kDataInfoCaption[];
extern const wchar_t kDataInfoGridLayout[];

class CDataInfoDlg : public orv::ui::CControlDialog {
 public:
  CDataInfoDlg(wxWindow* parent, CDbViewBase* owner, intptr_t callerValue1,
               app_run_setting_s* run, intptr_t callerValue2);
  ~CDataInfoDlg() override;

  // Makes the (hidden) window with its grid and footer row; false when it exists already or
  // cannot be made. A grid whose layout fails leaves the window empty.
  bool CreateDlg();
  // Shows the window, modal or not (a modal show runs until the window is hidden).
  int DoModal(bool modal = true);

  orv::ui::CMyReportCtrl& Grid() { return m_grid; }
  orv::ui::ReportGridWindow* GridWindow() const { return m_gridWindow; }
  // The totals footer, or null when the grid could not be made.
  CAccInfoRecord* Footer() const { return m_footer; }
  const orv::ui::ChartModel& Chart() const { return m_chart; }

 protected:
  void OnClose() override { HideDialog(); }

 private:
  void OnInitDialog();
  void LayoutControls();

  wxWindow* m_parent = nullptr;
  orv::ui::CMyReportCtrl m_grid;
  orv::ui::ReportGridWindow* m_gridWindow = nullptr;
  orv::ui::ChartModel m_chart;
  CAccInfoRecord* m_footer = nullptr;  // owned by the grid
  app_run_setting_s* m_run = nullptr;
  intptr_t m_callerValue1 = 0;
  intptr_t m_callerValue2 = 0;
  CDbViewBase* m_owner = nullptr;
};
