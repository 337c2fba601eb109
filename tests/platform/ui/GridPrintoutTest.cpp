// Printing a report grid without a printer: the printout's pages over a memory picture at a
// printer's resolution, the selected rows only when asked, the preview frame, and the grid's
// table as text and HTML for the clipboard.

#include <gtest/gtest.h>
#include <wx/bitmap.h>
#include <wx/dcmemory.h>
#include <wx/frame.h>

#include <memory>
#include <string>

#include "platform/ui/GridPrintout.h"
#include "platform/ui/model/ReportCtrl.h"
#include "platform/ui/model/ReportText.h"
#include "tests/platform/ui/WxTestApp.h"

namespace orv::ui {
namespace {

class TextRecord : public CMyReportRecordBase {
 public:
  TextRecord(const std::wstring& a, const std::wstring& b, const std::wstring& c) {
    AddText(a);
    AddText(b);
    AddText(c);
  }
};

// Columns: "종목" shown, "숨김" hidden, "비고" shown; `rows` rows.
void Fill(CMyReportCtrl& grid, int rows) {
  ASSERT_EQ(grid.InitColumns(std::wstring_view(L"종목:60;숨김:?40;비고:80")), 3);
  for (int i = 0; i < rows; ++i)
    grid.AddRecord(new TextRecord(L"종목" + std::to_wstring(i), L"x", L"메모\t" + std::to_wstring(i)));
  grid.Populate();
}

// Prepares a printout on an A4-sized picture at 300 dots per inch, as a printer's DC would be.
struct PrintedPages {
  explicit PrintedPages(GridPrintout& printout) : bitmap(2480, 3508) {
    dc.SelectObject(bitmap);
    printout.SetDC(&dc);
    printout.SetPageSizePixels(2480, 3508);
    printout.SetPPIPrinter(300, 300);
    printout.SetPPIScreen(96, 96);
    printout.SetPaperRectPixels(wxRect(0, 0, 2480, 3508));
    printout.OnPreparePrinting();
  }
  wxBitmap bitmap;
  wxMemoryDC dc;
};

TEST(GridPrintout, RowsRunOverAsManyPagesAsTheyNeed) {
  for (int rows : {0, 1, 58, 59, 60, 200}) {
    CMyReportCtrl grid;
    Fill(grid, rows);
    GridPrintout printout(grid, [] { return false; });
    PrintedPages paper(printout);
    // 3508 dots at 300 dpi are 1122 screen dots: 59 rows of 18 below the title line.
    EXPECT_EQ(printout.RowsPerPage(), 59) << rows;
    const int pages = rows == 0 ? 1 : (rows + 58) / 59;
    EXPECT_EQ(printout.Pages(), pages) << rows;
    int minPage = 0, maxPage = 0, from = 0, to = 0;
    printout.GetPageInfo(&minPage, &maxPage, &from, &to);
    EXPECT_EQ(minPage, 1);
    EXPECT_EQ(maxPage, pages);
    EXPECT_TRUE(printout.HasPage(pages));
    EXPECT_FALSE(printout.HasPage(pages + 1));
    EXPECT_FALSE(printout.HasPage(0));
    EXPECT_TRUE(printout.OnPrintPage(pages)) << rows;
    EXPECT_FALSE(printout.OnPrintPage(pages + 1)) << rows;
  }
}

TEST(GridPrintout, OnlyTheSelectedRowsWhenAskedAndSomeAreSelected) {
  CMyReportCtrl grid;
  Fill(grid, 5);
  bool selectionOnly = true;
  GridPrintout printout(grid, [&selectionOnly] { return selectionOnly; });
  {
    PrintedPages paper(printout);
    EXPECT_EQ(printout.Rows().size(), 5u) << "nothing selected: every row";
  }
  grid.SelectRow(1);
  grid.SelectRow(3, true);
  {
    PrintedPages paper(printout);
    ASSERT_EQ(printout.Rows().size(), 2u);
    EXPECT_EQ(printout.Rows()[0]->GetItemCaption(0), L"종목1");
    EXPECT_EQ(printout.Rows()[1]->GetItemCaption(0), L"종목3");
  }
  selectionOnly = false;
  {
    PrintedPages paper(printout);
    EXPECT_EQ(printout.Rows().size(), 5u);
  }
}

TEST(GridPrintout, ThePreviewOpensInAFrameOfItsOwn) {
  CMyReportCtrl grid;
  Fill(grid, 80);
  wxFrame* frame = ShowGridPrintPreview(grid, nullptr, false);
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(frame->GetTitle(), wxString(L"Print Preview"));
  EXPECT_TRUE(frame->IsShown());
  delete frame;
}

TEST(ReportText, TheVisibleColumnsAsTextAndHtml) {
  CMyReportCtrl grid;
  Fill(grid, 2);
  EXPECT_EQ(ReportTableColumns(grid), (std::vector<int>{0, 2}));
  EXPECT_EQ(ReportRecordsText(grid), L"종목\t비고\r\n종목0\t메모 0\r\n종목1\t메모 1\r\n");
  grid.AddRecord(new TextRecord(L"<a&b>", L"", L"\"q\""));
  grid.Populate();
  const std::wstring html = ReportRecordsHtml(grid, L"CClientDataView", L"Arial");
  EXPECT_NE(html.find(L"<title>CClientDataView</title>"), std::wstring::npos);
  EXPECT_NE(html.find(L"font-family:Arial"), std::wstring::npos);
  EXPECT_NE(html.find(L"<tr><th>종목</th><th>비고</th></tr>"), std::wstring::npos);
  EXPECT_NE(html.find(L"<tr><td>&lt;a&amp;b&gt;</td><td>&quot;q&quot;</td></tr>"),
            std::wstring::npos);
  EXPECT_EQ(html.find(L"숨김"), std::wstring::npos);
}

}  // namespace
}  // namespace orv::ui
