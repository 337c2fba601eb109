#pragma once
// CDataColDefDlg: "Data Column Define", a resizable editor of column definitions (number,
// title, width, search word) in a grid on a tab. An edited title is written as a telephone
// number and an edited search word as a business registration number when they read as one.
// OK asks whether to save and keeps the dialog open; Cancel and the close box end it.

#include <cstdint>
#include <string>

#include "platform/ui/model/ReportCtrl.h"
#include "platform/ui/model/ReportRecord.h"
#include "platform/win/WinTypes.h"
#include "plugin/community/dataview/DataResizeDialog.h"

class CDbViewBase;
class wxNotebook;

constexpr int IDD_DATA_COL_DEF = 1754;
constexpr int IDC_DATA_COL_DEF_TAB = 1287;
constexpr int IDC_DATA_COL_DEF_GRID = 365;
extern const wchar_t kDataColDefGridLayout[];

// One column definition: a hidden empty cell, its number, its title (not edited in place, with
// a "체크 " button), its width (80) and its search word.
class CDataColDefRecord : public orv::ui::CMyReportRecordBase {
 public:
  enum Item : int { kItemHidden = 0, kItemNo = 1, kItemTitle = 2, kItemWidth = 3, kItemSearch = 4 };
  static constexpr int kCheckButtonId = 1;
  static constexpr int kDefaultWidth = 80;

  explicit CDataColDefRecord(int32_t index);
  int32_t Index() const { return m_index; }

 private:
  int32_t m_index;
};

class CDataColDefDlg : public CDataResizeDialog {
 public:
  CDataColDefDlg(wxWindow* parent, CDbViewBase* owner, uint8_t flag, intptr_t callerValue1,
                 intptr_t callerValue2);
  ~CDataColDefDlg() override;

  // Appends `count` rows numbered 0 to count - 1 and shows the grid again; a count below 1
  // only shows it again.
  void FillRows(int count);

  void OnOk();
  void OnCancel();

  orv::ui::CMyReportCtrl& Grid() { return m_grid; }
  orv::ui::ReportGridWindow* GridWindow() const { return m_gridWindow; }
  wxNotebook* Tabs() const { return m_tabs; }

 protected:
  std::wstring Caption() const override;
  wxSize InitialSize() const override;
  // The tab, the grid on it and ten rows.
  void OnInitDialog() override;
  void OnSize() override;

 private:
  LRESULT OnGridValueChanged(orv::ui::ReportNotify& nm);
  // The owner's text for a key in the user's language, else the English default.
  std::wstring Text(const wchar_t* key, const wchar_t* englishDefault) const;

  wxNotebook* m_tabs = nullptr;
  orv::ui::CMyReportCtrl m_grid;
  orv::ui::ReportGridWindow* m_gridWindow = nullptr;
  intptr_t m_callerValue1 = 0;
  intptr_t m_callerValue2 = 0;
  CDbViewBase* m_owner = nullptr;
  uint8_t m_flag = 0;
  SYSTEMTIME m_date1{};
  SYSTEMTIME m_date2{};
};
