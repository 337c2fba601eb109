#pragma once
// CDataInfoDlg: "Data Edit", a resizable account summary window that belongs with the record
// editor: a grid of account rows (CAccInfoRecord) with a totals footer, frozen on its number
// and OK columns, and a chart area (a chart model with no window of its own). Its OK and Cancel
// buttons do nothing; the close box hides it, and its owner destroys it.

#include <cstdint>

#include "platform/ui/model/ChartModel.h"
#include "platform/ui/model/ReportCtrl.h"
#include "plugin/community/dataview/DataResizeDialog.h"

class CDbViewBase;
class CAccInfoRecord;
struct app_run_setting_s;

constexpr int IDD_DATA_INFO = 3169;
constexpr int IDC_DATA_INFO_GRID = 1507;
extern const wchar_t kDataInfoCaption[];
extern const wchar_t kDataInfoGridLayout[];

class CDataInfoDlg : public CDataResizeDialog {
 public:
  CDataInfoDlg(wxWindow* parent, CDbViewBase* owner, intptr_t callerValue1,
               app_run_setting_s* run, intptr_t callerValue2);
  ~CDataInfoDlg() override;

  orv::ui::CMyReportCtrl& Grid() { return m_grid; }
  // The grid's window, or null when its layout failed (the window stays empty then).
  orv::ui::ReportGridWindow* GridWindow() const { return m_gridWindow; }
  // The totals footer, or null when the grid could not be made.
  CAccInfoRecord* Footer() const { return m_footer; }
  const orv::ui::ChartModel& Chart() const { return m_chart; }

 protected:
  std::wstring Caption() const override;
  wxSize InitialSize() const override;
  void OnInitDialog() override;
  void OnSize() override;
  void OnClose() override { HideDialog(); }

 private:
  orv::ui::CMyReportCtrl m_grid;
  orv::ui::ReportGridWindow* m_gridWindow = nullptr;
  orv::ui::ChartModel m_chart;
  CAccInfoRecord* m_footer = nullptr;  // owned by the grid
  app_run_setting_s* m_run = nullptr;
  intptr_t m_callerValue1 = 0;
  intptr_t m_callerValue2 = 0;
  CDbViewBase* m_owner = nullptr;
};
