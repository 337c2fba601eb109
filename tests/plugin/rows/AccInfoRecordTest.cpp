// The account summary row: its 21 cells in the grid's columns, the colours of the count, the
// receivable and the collateral ratio, the account cell's "정보" button, and the footer.

#include <gtest/gtest.h>

#include <memory>

#include "platform/ui/model/ReportCtrl.h"
#include "plugin/rows/AccInfoRecord.h"
#include "plugin/rows/GridConstraints.h"

namespace {

using orv::ui::CMyReportCtrl;
using orv::ui::ReportItemKind;

AccInfoAmounts Amounts(double ratio, double receivable) {
  AccInfoAmounts a{};
  for (int i = 0; i < kAccAmountCount; ++i) a[static_cast<size_t>(i)] = 1000.0 * (i + 1) + 0.4;
  a[kAccCollateralRatio] = ratio;
  a[kAccReceivable] = receivable;
  return a;
}

TEST(AccInfoRecord, AnAccountRowFillsTheGridsColumns) {
  CMyReportCtrl grid;
  ASSERT_EQ(grid.InitColumns(std::wstring_view(kAccInfoGridLayout)), kAccInfoColumns);
  GfxFillBrokerConstraintsAt(&grid, CAccInfoRecord::kColBroker, FALSE, FALSE);
  auto* row = static_cast<CAccInfoRecord*>(grid.AddRecord(std::make_unique<CAccInfoRecord>(
      1.5, 2, 11, L"DB-1234-5678", 1, 3, 4, Amounts(12.34, 0), L"잔고 없음")));
  grid.Populate();
  ASSERT_EQ(row->GetItemCount(), kAccInfoColumns);
  EXPECT_EQ(row->GetItemCaption(CAccInfoRecord::kColRow), L"2");
  EXPECT_EQ(row->GetItem(CAccInfoRecord::kColOk)->Kind(), ReportItemKind::Check);
  EXPECT_TRUE(row->GetCheckValue(CAccInfoRecord::kColOk));
  EXPECT_EQ(row->GetItemCaption(CAccInfoRecord::kColBroker), L"DB증권");
  EXPECT_EQ(row->GetItemCaption(CAccInfoRecord::kColAccount), L"DB-1234-5678");
  EXPECT_EQ(row->GetItemCaption(CAccInfoRecord::kColErrors), L"4");
  // The amounts as whole won, the ratio with one decimal and its percent sign.
  EXPECT_EQ(row->GetItemCaption(CAccInfoRecord::kColFirstAmount), L"1000");
  EXPECT_EQ(row->GetItemCaption(CAccInfoRecord::kColFirstAmount + kAccTodayProfit), L"14000");
  EXPECT_EQ(row->GetItemCaption(CAccInfoRecord::kColFirstAmount + kAccCollateralRatio), L"12.3%");
  EXPECT_EQ(row->GetItemCaption(CAccInfoRecord::kColMessage), L"잔고 없음");

  // The account cell's button, its width following the display scale.
  const auto& buttons = row->GetItem(CAccInfoRecord::kColAccount)->buttons;
  ASSERT_EQ(buttons.size(), 1u);
  EXPECT_EQ(buttons[0].caption, L"정보");
  EXPECT_EQ(buttons[0].width, 39);
  EXPECT_EQ(row->ColumnText(CAccInfoRecord::kColAccount), L"DB-1234-5678");
}

TEST(AccInfoRecord, ColoursOfCountReceivableAndRatio) {
  struct Case {
    double count;
    double ratio;
    COLORREF countText, countBack, ratioText;
  } cases[] = {
      {0, 0, kRowBlack, kRowWhite, kRowBlack},
      {1, 12.34, kRowRed, kAccHighlight, kRowRed},
  };
  for (const Case& c : cases) {
    CAccInfoRecord row(1.0, 1, 1, L"1", 1, c.count, 0, Amounts(c.ratio, 0), L"");
    const auto* count = row.GetItem(CAccInfoRecord::kColCount);
    EXPECT_EQ(count->textColor, c.countText) << c.count;
    EXPECT_EQ(count->backColor, c.countBack) << c.count;
    const auto* ratio = row.GetItem(CAccInfoRecord::kColFirstAmount + kAccCollateralRatio);
    EXPECT_EQ(ratio->textColor, c.ratioText) << c.ratio;
    EXPECT_EQ(ratio->backColor, kAccHighlight);
    // The receivable is red even at 0; the other amounts carry the grey frame.
    EXPECT_EQ(row.GetItem(CAccInfoRecord::kColFirstAmount + kAccReceivable)->textColor, kRowRed);
    EXPECT_EQ(row.GetItem(CAccInfoRecord::kColFirstAmount + kAccTax)->frameColor, kAccAmountFrame);
  }
}

TEST(AccInfoRecord, TheFooterHasNoButtonNorCheckBox) {
  CAccInfoRecord footer(1.0, 0, -1, L"", 1, 0, 0, Amounts(0, 0), L"", 3);
  EXPECT_TRUE(footer.IsFooter());
  EXPECT_EQ(footer.GetItem(CAccInfoRecord::kColOk)->Kind(), ReportItemKind::Text);
  EXPECT_EQ(footer.GetItemCaption(CAccInfoRecord::kColOk), L"3");
  EXPECT_TRUE(footer.GetItem(CAccInfoRecord::kColAccount)->buttons.empty());
  EXPECT_EQ(footer.GetItemCaption(CAccInfoRecord::kColBroker), L"");
  // Without a count the OK cell stays empty.
  CAccInfoRecord bare(1.0, 0, -1, L"", 1, 0, 0, Amounts(0, 0), L"");
  EXPECT_EQ(bare.GetItemCaption(CAccInfoRecord::kColOk), L"");
}

}  // namespace
