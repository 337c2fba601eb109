// The record editor's two companion dialogs as a builder makes them: the account summary window
// (its grid, frozen columns and totals footer; buttons that leave it open) and the column
// definition editor (its tab, grid and rows, the number formatting of edited cells, OK's
// question and Cancel), each under an owner view whose host answers the language texts.

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/frame.h>
#include <wx/grid.h>
#include <wx/notebook.h>

#include <cstring>
#include <map>
#include <string>

#include "platform/support/TextConv.h"
#include "platform/ui/DbViewBase.h"
#include "platform/ui/ReportGridWindow.h"
#include "platform/win/MessageBox.h"
#include "plugin/community/dataview/DataColDefDlg.h"
#include "plugin/community/dataview/DataInfoDlg.h"
#include "plugin/rows/AccInfoRecord.h"
#include "shared/AppRunSetting.h"
#include "shared/HostCommands.h"
#include "shared/SharedWnds.h"
#include "tests/probe/ProbeHarness.h"

namespace orv::test {
namespace {

using orv::ui::CMyReportCtrl;

// The host's language texts by key (function 87); other keys get no text.
std::map<std::wstring, std::wstring> g_texts;

int TextHost(void*, int, int code, int, int, int, const wchar_t* key, const wchar_t*,
             const wchar_t*, intptr_t, intptr_t, int* result, wchar_t* buf, void*, void*,
             uint32_t, void*, LoginCallback, LoginNotifyCallback, intptr_t, intptr_t) {
  if (result) *result = 0;
  if (code == MAINFRAME_FN_UI_TEXT && buf && key) {
    auto found = g_texts.find(key);
    if (found != g_texts.end()) std::wcsncpy(buf, found->second.c_str(), HOST_UI_TEXT_BUF_LEN - 1);
  }
  return code;
}

// An owner view whose host answers the texts of g_texts.
class TextOwner : public CDbViewBase {
 public:
  TextOwner() {
    block_.pfnCommand = TextHost;
    m_pSharedWnds = &block_;
  }

 private:
  SharedWnds_s block_{};
};

void Pump() {
  for (int i = 0; i < 5; ++i) wxTheApp->Yield(true);
}

class DataDialogs : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureWxApp();
    g_texts.clear();
  }
  void TearDown() override {
    orv::win::StopScriptingMessageBoxes();
    g_texts.clear();
  }
  TextOwner owner_;
};

// ---------------------------------------------------------------------------------------
// The account summary window

TEST_F(DataDialogs, AccountSummaryShowsItsColumnsAndAZeroTotalsFooter) {
  app_run_setting_s run{};
  run.dScale = 1.5;
  CDataInfoDlg dialog(HiddenFrame(), &owner_, 7, &run, 8);
  ASSERT_TRUE(dialog.CreateDlg());
  EXPECT_FALSE(dialog.CreateDlg());  // made once
  EXPECT_EQ(dialog.GetWindow()->GetTitle(), wxString(L"Data Edit"));
  ASSERT_NE(dialog.GridWindow(), nullptr);

  CMyReportCtrl& grid = dialog.Grid();
  EXPECT_EQ(grid.GetCtrlId(), IDC_DATA_INFO_GRID);
  EXPECT_EQ(grid.GetFrozenColumns(), 2);
  EXPECT_EQ(grid.GetRecordCount(), 0);
  ASSERT_EQ(grid.GetFooterRecordCount(), 1);
  ASSERT_EQ(dialog.Footer(), grid.GetFooterRecord(0));
  EXPECT_TRUE(dialog.Footer()->IsFooter());
  EXPECT_DOUBLE_EQ(dialog.Footer()->Scale(), 1.5);

  // Each column shows the footer's value of its own title; the message column stays empty.
  wxGrid* body = dialog.GridWindow()->GetBodyGrid();
  wxGrid* footer = dialog.GridWindow()->GetFooterGrid();
  ASSERT_EQ(body->GetNumberCols(), 10);
  ASSERT_EQ(footer->GetNumberRows(), 1);
  const struct {
    int column;
    const wchar_t* title;
    const wchar_t* footer;
  } columns[] = {
      {1, L"OK", L""},    {2, L"증권사", L""},     {3, L"계좌", L""},
      {4, L"CNT", L"0"},  {5, L"ERR", L"0"},      {6, L"예수금(추정)", L"0"},
      {7, L"미수금", L"0"}, {8, L"출금가능", L"0"}, {9, L"메시지/누락 종목", L""},
  };
  for (const auto& c : columns) {
    EXPECT_EQ(body->GetColLabelValue(c.column), wxString(c.title)) << c.column;
    EXPECT_EQ(footer->GetCellValue(0, c.column), wxString(c.footer)) << c.column;
  }
  EXPECT_FALSE(body->IsColShown(0));
  EXPECT_EQ(grid.GetColumn(8)->itemIndex, CAccInfoRecord::kColFirstAmount + kAccWithdrawable);
  EXPECT_EQ(grid.GetColumn(9)->itemIndex, CAccInfoRecord::kColMessage);
}

TEST_F(DataDialogs, AccountSummaryButtonsLeaveItOpenAndTheCloseBoxHidesIt) {
  CDataInfoDlg dialog(HiddenFrame(), &owner_, 0, nullptr, 0);
  ASSERT_TRUE(dialog.CreateDlg());
  EXPECT_DOUBLE_EQ(dialog.Footer()->Scale(), 1.0);  // no run settings: unscaled
  dialog.DoModal(false);
  Pump();
  ASSERT_TRUE(dialog.IsDialogShown());
  orv::win::ScriptMessageBoxes({});
  EXPECT_TRUE(dialog.SendCommand(orv::ui::IDOK));
  EXPECT_TRUE(dialog.SendCommand(orv::ui::IDCANCEL));
  EXPECT_TRUE(dialog.IsDialogShown());
  EXPECT_TRUE(orv::win::ScriptedMessageBoxCalls().empty());
  dialog.GetWindow()->Close();
  EXPECT_FALSE(dialog.IsDialogShown());
}

// ---------------------------------------------------------------------------------------
// The column definition editor

TEST_F(DataDialogs, ColumnEditorHasATabWithTheGridAndTenRows) {
  g_texts[L"data.column.define"] = L"데이터 컬럼 정의";
  CDataColDefDlg dialog(HiddenFrame(), &owner_, 1, 2, 3);
  ASSERT_TRUE(dialog.CreateDlg());
  wxDialog* window = dialog.GetWindow();
  EXPECT_EQ(window->GetTitle(), wxString(L"데이터 컬럼 정의"));

  wxNotebook* tabs = dialog.Tabs();
  ASSERT_NE(tabs, nullptr);
  EXPECT_EQ(tabs->GetId(), IDC_DATA_COL_DEF_TAB);
  ASSERT_EQ(tabs->GetPageCount(), 1u);
  ASSERT_NE(dialog.GridWindow(), nullptr);
  EXPECT_EQ(tabs->GetPage(0), dialog.GridWindow()->GetWindow());
  // Made inside the client area: 5 pixels from the left, top and right, 40 from the bottom.
  const wxSize client = window->GetClientSize();
  EXPECT_EQ(tabs->GetRect(), wxRect(5, 5, client.x - 10, client.y - 45));

  CMyReportCtrl& grid = dialog.Grid();
  EXPECT_EQ(grid.GetCtrlId(), IDC_DATA_COL_DEF_GRID);
  wxGrid* body = dialog.GridWindow()->GetBodyGrid();
  const wchar_t* titles[] = {L"", L"No", L"타이틀", L"폭", L"검색어"};
  ASSERT_EQ(body->GetNumberCols(), 5);
  for (int c = 0; c < 5; ++c) EXPECT_EQ(body->GetColLabelValue(c), wxString(titles[c])) << c;

  ASSERT_EQ(grid.GetRecordCount(), 10);
  for (int i = 0; i < 10; ++i) {
    auto* row = dynamic_cast<CDataColDefRecord*>(grid.GetRecord(i));
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->Index(), i);
    EXPECT_EQ(row->GetNumberValue(CDataColDefRecord::kItemNo), i);
    EXPECT_EQ(row->GetNumberValue(CDataColDefRecord::kItemWidth), 80);
    EXPECT_EQ(row->GetTextValue(CDataColDefRecord::kItemTitle), L"");
    EXPECT_EQ(row->GetTextValue(CDataColDefRecord::kItemSearch), L"");
  }
  // The title is not typed in place; it carries the "체크 " button.
  const ui::CMyReportRecordItem* title = grid.GetRecord(0)->GetItem(CDataColDefRecord::kItemTitle);
  EXPECT_FALSE(title->editable);
  ASSERT_EQ(title->buttons.size(), 1u);
  EXPECT_EQ(title->buttons[0].caption, L"체크 ");
  EXPECT_GE(title->buttons[0].width, 32);  // widened by the grid when its caption needs more
  EXPECT_EQ(body->GetCellValue(3, 1), wxString(L"3"));
  EXPECT_FALSE(grid.OnRequestEdit(0, CDataColDefRecord::kItemTitle));
  EXPECT_TRUE(grid.OnRequestEdit(0, CDataColDefRecord::kItemSearch));
}

TEST_F(DataDialogs, ColumnEditorFillRowsAppendsNumberedRows) {
  CDataColDefDlg dialog(HiddenFrame(), nullptr, 0, 0, 0);
  ASSERT_TRUE(dialog.CreateDlg());
  EXPECT_EQ(dialog.GetWindow()->GetTitle(), wxString(L"Data Column Define"));  // no owner
  const struct {
    int count;
    int records;
  } cases[] = {{3, 13}, {0, 13}, {-4, 13}, {1, 14}};
  for (const auto& c : cases) {
    dialog.FillRows(c.count);
    CMyReportCtrl& grid = dialog.Grid();
    ASSERT_EQ(grid.GetRecordCount(), c.records) << c.count;
    EXPECT_EQ(grid.GetRowCount(), c.records) << c.count;  // shown again
    EXPECT_EQ(dialog.GridWindow()->GetBodyGrid()->GetNumberRows(), c.records) << c.count;
  }
  // The appended rows are numbered from 0 again.
  auto* row = dynamic_cast<CDataColDefRecord*>(dialog.Grid().GetRecord(12));
  ASSERT_NE(row, nullptr);
  EXPECT_EQ(row->Index(), 2);
  EXPECT_EQ(dynamic_cast<CDataColDefRecord*>(dialog.Grid().GetRecord(13))->Index(), 0);
}

TEST_F(DataDialogs, ColumnEditorFormatsEditedTitlesAndSearchWords) {
  CDataColDefDlg dialog(HiddenFrame(), &owner_, 0, 0, 0);
  ASSERT_TRUE(dialog.CreateDlg());
  CMyReportCtrl& grid = dialog.Grid();
  const struct {
    int item;
    const wchar_t* typed;
    const wchar_t* kept;
  } cases[] = {
      // The title as a telephone number.
      {CDataColDefRecord::kItemTitle, L"0212345678", L"02-1234-5678"},
      {CDataColDefRecord::kItemTitle, L"010.2222.3333", L"010-2222-3333"},
      {CDataColDefRecord::kItemTitle, L"사무실", L"사무실"},
      // The search word as a business registration number.
      {CDataColDefRecord::kItemSearch, L"1234567890", L"123-45-67890"},
      {CDataColDefRecord::kItemSearch, L"12345", L"12345"},
      {CDataColDefRecord::kItemSearch, L"삼성", L"삼성"},
      // Other cells keep what was typed.
      {CDataColDefRecord::kItemWidth, L"120", L"120"},
  };
  int row = 0;
  for (const auto& c : cases) {
    ui::CMyReportRecordBase* record = grid.GetRowRecord(row);
    ASSERT_NE(record, nullptr);
    EXPECT_FALSE(record->IsModified());
    if (c.item == CDataColDefRecord::kItemTitle) {
      // Not typed in place: the title changes as a builder's code changes it and tells the
      // grid's owner.
      record->SetTextValue(c.item, c.typed);
      ui::ReportNotify nm;
      nm.code = ui::REPORT_NM_VALUECHANGED;
      nm.ctrlId = IDC_DATA_COL_DEF_GRID;
      nm.grid = &grid;
      nm.record = record;
      nm.row = row;
      nm.column = c.item;
      grid.SendNotify(nm);
    } else {
      ASSERT_TRUE(grid.OnCommitEdit(row, c.item, c.typed)) << WideToUtf8(c.typed);
    }
    const std::wstring shown = c.item == CDataColDefRecord::kItemWidth
                                   ? std::to_wstring(static_cast<int>(record->GetNumberValue(c.item)))
                                   : record->GetTextValue(c.item);
    EXPECT_EQ(shown, c.kept) << WideToUtf8(c.typed);
    EXPECT_TRUE(record->IsModified()) << WideToUtf8(c.typed);
    ++row;
  }
  Pump();
  // The grid shows the formatted text.
  EXPECT_EQ(dialog.GridWindow()->GetBodyGrid()->GetCellValue(3, CDataColDefRecord::kItemSearch),
            wxString(L"123-45-67890"));
}

TEST_F(DataDialogs, ColumnEditorOkAsksAndStaysOpenAndCancelEndsIt) {
  g_texts[L"save.confirm"] = L"저장하시겠습니까?";
  CDataColDefDlg dialog(HiddenFrame(), &owner_, 0, 0, 0);
  ASSERT_TRUE(dialog.CreateDlg());
  orv::win::ScriptMessageBoxes({IDYES, IDNO});
  // Modal, as a builder would show it: OK twice (answered yes, then no), then Cancel.
  wxTheApp->CallAfter([&dialog] {
    dialog.SendCommand(orv::ui::IDOK);
    EXPECT_TRUE(dialog.IsDialogShown());
    dialog.SendCommand(orv::ui::IDOK);
    EXPECT_TRUE(dialog.IsDialogShown());
    EXPECT_TRUE(dialog.IsModalLoopRunning());
    dialog.SendCommand(orv::ui::IDCANCEL);
  });
  EXPECT_EQ(dialog.DoModal(), orv::ui::IDCANCEL);
  EXPECT_FALSE(dialog.IsDialogShown());
  const auto calls = orv::win::ScriptedMessageBoxCalls();
  ASSERT_EQ(calls.size(), 2u);
  for (const auto& call : calls) {
    EXPECT_EQ(call.caption, "QUESTION");
    EXPECT_EQ(call.text, WideToUtf8(L"저장하시겠습니까?"));
    EXPECT_EQ(call.type, MB_YESNO | MB_ICONQUESTION);
  }
  // Nothing was saved or changed by either answer.
  EXPECT_EQ(dialog.Grid().GetRecordCount(), 10);
  for (int i = 0; i < 10; ++i) EXPECT_FALSE(dialog.Grid().GetRecord(i)->IsModified());

  // Without a text from the owner the question is the English one; the close box cancels.
  g_texts.clear();
  orv::win::ScriptMessageBoxes({});
  dialog.DoModal(false);
  dialog.SendCommand(orv::ui::IDOK);
  ASSERT_EQ(orv::win::ScriptedMessageBoxCalls().size(), 1u);
  EXPECT_EQ(orv::win::ScriptedMessageBoxCalls()[0].text, "Do you want to save?");
  dialog.GetWindow()->Close();
  EXPECT_FALSE(dialog.IsDialogShown());
}

TEST_F(DataDialogs, ColumnEditorResizesItsTabAndKeepsTheButtonsBelowIt) {
  CDataColDefDlg dialog(HiddenFrame(), &owner_, 0, 0, 0);
  ASSERT_TRUE(dialog.CreateDlg());
  dialog.DoModal(false);
  wxDialog* window = dialog.GetWindow();
  window->SetClientSize(700, 500);
  Pump();
  const wxSize client = window->GetClientSize();
  const wxRect tab = dialog.Tabs()->GetRect();
  EXPECT_EQ(tab, wxRect(0, 0, client.x, client.y - 30));
  const wxRect ok = dialog.GetDlgItem(orv::ui::IDOK)->GetRect();
  const wxRect cancel = dialog.GetDlgItem(orv::ui::IDCANCEL)->GetRect();
  for (const wxRect& button : {ok, cancel}) {
    EXPECT_GE(button.GetTop(), tab.GetBottom());
    EXPECT_LE(button.GetBottom(), client.y);
    EXPECT_LE(button.GetRight(), client.x);
  }
  EXPECT_FALSE(ok.Intersects(cancel));
  EXPECT_LT(ok.GetRight(), cancel.GetLeft());
  dialog.HideDialog();
}

}  // namespace
}  // namespace orv::test
