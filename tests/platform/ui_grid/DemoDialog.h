#pragma once
// A small dialog with a report grid that shows every item kind, a footer row, a tree row and
// the common controls; the GUI tests drive it and it is what the screenshot shows.

#include <vector>

#include "platform/ui/ControlDialog.h"
#include "platform/ui/ReportGridWindow.h"
#include "platform/ui/model/ReportCtrl.h"

namespace orv::ui::demo {

constexpr int kGridId = 2212;
constexpr int kNameEdit = 1001;
constexpr int kSideCombo = 1002;
constexpr int kAutoCheck = 1003;
constexpr int kApplyButton = 1004;

// Columns: 0 tree, 1 No, 2 구분 (options), 3 자동 (check), 4 종목명 (text + buttons),
// 5 현재가 (number), 6 등락 (number %), 7 만기일 (date), 8 체크시간 (time), 9 hidden.
extern const wchar_t* const kLayout;

class DemoRecord : public CMyReportRecordBase {
 public:
  DemoRecord(int no, int side, bool autoOn, const std::wstring& name, double price, double rate,
             bool buttons);
};

class DemoDialog : public CControlDialog {
 public:
  explicit DemoDialog(wxWindow* parent);
  CMyReportCtrl grid;
  ReportGridWindow* gridWindow = nullptr;
  std::vector<ReportNotify> notes;
  int applied = 0;
};

}  // namespace orv::ui::demo
