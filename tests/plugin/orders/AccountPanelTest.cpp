// The account side panel's arithmetic: the valuation labels, the server label, the short
// account text, the kind of a summary refresh, the layout, and the account-password checks.

#include <gtest/gtest.h>

#include <algorithm>

#include "plugin/orders/AccountPanel.h"

namespace {

TEST(AccountPanel, CollateralRatioBands) {
  struct Case {
    double ratio;
    const wchar_t* word;
    COLORREF back;
    COLORREF text;
  } cases[] = {
      {180, L"매우안전", 0xA67428, 0xFF0000}, {150, L"안전", 0xAAE082, 0x0000A2},
      {179.9, L"안전", 0xAAE082, 0x0000A2},   {146, L"조심", 0x6FDCF7, 0x0000A2},
      {130, L"경고", 0x0054D3, 0xFFFFFF},     {129.9, L"위험", 0x0000FF, 0xFFFFFF},
      {0.1, L"위험", 0x0000FF, 0xFFFFFF},     {0, L"미사용", 0x000000, 0xFFFFFF},
      {-5, L"미사용", 0x000000, 0xFFFFFF},
  };
  for (const Case& c : cases) {
    const PanelLabel_s label = CollateralRatioLabel(c.ratio);
    EXPECT_EQ(std::wstring(CollateralWord(c.ratio)), c.word) << c.ratio;
    EXPECT_EQ(label.backColour, c.back) << c.ratio;
    EXPECT_EQ(label.textColour, c.text) << c.ratio;
  }
  EXPECT_EQ(CollateralRatioLabel(146).text, L"신용담보율:\r\n146.0%(조심)");
}

TEST(AccountPanel, DepositAndAssetLabels) {
  // The D+2 deposit is capped at 10,000 (units of 10,000 won); the assets are not.
  EXPECT_EQ(D2DepositLabel(2000000000).text, L"D+2 예수금:\r\n10,000.0만");
  EXPECT_EQ(D2DepositLabel(12345678).text, L"D+2 예수금:\r\n1,234.6만");
  EXPECT_EQ(D2DepositLabel(-50000).text, L"D+2 예수금:\r\n-5.0만");
  EXPECT_EQ(EstimatedAssetsLabel(2000000000).text, L"추정자산:\r\n200,000.0만");
  EXPECT_EQ(EstimatedAssetsLabel(0).text, L"추정자산:\r\n0.0만");
  EXPECT_EQ(D2DepositLabel(0).backColour, 0xCFF3FCu);
  EXPECT_EQ(EstimatedAssetsLabel(0).textColour, 0xFF0000u);
}

TEST(AccountPanel, ServerLabelAndShortAccount) {
  EXPECT_EQ(ServerModeLabel(0x200 | 0x400, L"x").text, L"**모의서버**");
  EXPECT_EQ(ServerModeLabel(0x200, nullptr).backColour, 0xFF0000u);
  EXPECT_EQ(ServerModeLabel(0x400, L"x").text, L"**자체서버**");
  EXPECT_EQ(ServerModeLabel(0, L"체크중").text, L"체크중");
  EXPECT_EQ(ServerModeLabel(0, nullptr).text, L"*실서버*");
  EXPECT_EQ(ServerModeLabel(0, L"").textColour, 0x0000FFu);

  EXPECT_EQ(ShortAccountText(L"12345678-01"), L"678-");
  EXPECT_EQ(ShortAccountText(L"12345678"), L"3456");
  EXPECT_EQ(ShortAccountText(L"1234567"), L"1234567");
  EXPECT_EQ(ShortAccountText(L""), L"");
}

TEST(AccountPanel, WhatASummaryRefreshDoes) {
  struct Case {
    bool accounts;
    int rows, count, rebuild;
    SummaryStep step;
  } cases[] = {
      // A new account rebuilds even when no rebuild was asked.
      {true, 2, 3, 0, SummaryStep::kRebuild},
      {true, 3, 3, 0, SummaryStep::kRefreshRows},
      {true, 3, 3, 1, SummaryStep::kRebuild},
      {false, 3, 0, 0, SummaryStep::kRefreshRows},
      // Without the accounts a rebuild only refreshes the charts and labels.
      {false, 3, 0, 1, SummaryStep::kChartsOnly},
  };
  for (const Case& c : cases)
    EXPECT_EQ(DecideSummaryStep(c.accounts, c.rows, c.count, c.rebuild), c.step)
        << c.accounts << " " << c.rows << " " << c.count << " " << c.rebuild;
}

TEST(AccountPanel, LayoutAtScaleOneAndAHalf) {
  const AccountPanelLayout_s o = LayOutAccountPanel(700, 700, 1.5);
  // a = 120, L = 580, h = 42, g = 7, k = 39, b = 40, c = 105, r = 36, d = 123.
  EXPECT_EQ(o.grid.right, 580);
  EXPECT_EQ(o.grid.bottom, 7 + 3 * 39 + 42);
  EXPECT_EQ(o.help.left, 580 + 80);
  EXPECT_EQ(o.collateralRatio.top, 7 + 42 + 78);
  const int y0 = 7 + 42 + 117;
  EXPECT_EQ(o.orderWindow.top, y0);
  EXPECT_EQ(o.watchBuy.left, 2 * 124);
  EXPECT_EQ(o.watchBuy.top, y0 + 37);
  // Below the button rows the order form (nine rows in a pane this narrow), then the charts.
  EXPECT_EQ(o.codeLabel.top, y0 + 74);
  const int chartTop = y0 + 74 + 9 * 37;
  const int e = (700 - chartTop) / 2;
  EXPECT_EQ(o.domesticChart.top, chartTop);
  EXPECT_EQ(o.usChart.top, chartTop + e);
  EXPECT_EQ(o.usChart.bottom - o.usChart.top, e);
  EXPECT_EQ(o.notice.left, 2 * 124 + 123 + 1) << "after the watch-and-buy button";
  EXPECT_EQ(o.accountCheck.right, 105 + 1 + 246 + 1 + 75);
  // A narrow pane keeps the grid at least 100 pixels wide, the check inside the pane, and the
  // notice box below the charts; nothing goes negative.
  const AccountPanelLayout_s pane = LayOutAccountPanel(218, 560, 1.0);
  EXPECT_LE(pane.accountCheck.right, 218);
  EXPECT_EQ(pane.notice.top, pane.usChart.bottom + 1);
  EXPECT_LE(pane.notice.bottom, 560);
  const AccountPanelLayout_s narrow = LayOutAccountPanel(50, 20, 1.0);
  EXPECT_EQ(narrow.grid.right, 100);
  EXPECT_GE(narrow.usChart.bottom, narrow.usChart.top);
  EXPECT_GE(narrow.account.right, narrow.account.left);
}

// The order form's controls stay inside the pane, side by side without overlapping, above
// the charts: in four rows in a wide pane, in nine in the narrow docked one, and one more
// for the auto-trading check where the account row has no room for it.
TEST(AccountPanel, OrderFormLayout) {
  struct Case {
    int width, height;
    double scale;
    int rows;
    bool autoTradeInAccountRow;
  } cases[] = {{800, 600, 1.0, 4, true},   {520, 500, 1.0, 4, true},  {519, 500, 1.0, 9, true},
               {246, 380, 1.0, 10, false}, {369, 570, 1.5, 10, false}, {1300, 900, 2.0, 4, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " @" << c.scale);
    const AccountPanelLayout_s o = LayOutAccountPanel(c.width, c.height, c.scale);
    const RECT form[] = {o.codeLabel, o.code,          o.search,       o.analysis,
                         o.name,      o.priceLabel,    o.price,        o.orderType,
                         o.buy,       o.sell,          o.quantityLabel, o.quantity,
                         o.amountPreset, o.totalButton, o.total,      o.order,
                         o.cancel,    o.status,        o.message,      o.cash,
                         o.credit,    o.creditKind,    o.loanLabel,    o.loanDate,
                         o.creditOrderKind};
    int top = form[0].top, bottom = form[0].bottom;
    for (const RECT& a : form) {
      EXPECT_GE(a.left, 0);
      EXPECT_LE(a.right, c.width);
      EXPECT_GT(a.right, a.left);
      EXPECT_GE(a.top, o.watchBuy.bottom) << "the form starts below the button rows";
      top = std::min(top, static_cast<int>(a.top));
      bottom = std::max(bottom, static_cast<int>(a.bottom));
      for (const RECT& b : form) {
        if (&a != &b && a.top == b.top) {
          EXPECT_TRUE(a.right <= b.left || b.right <= a.left) << "overlap in a row";
        }
      }
    }
    const int r = static_cast<int>(24 * c.scale);
    // The auto-trading check: beside the "계좌" check, or in the form's last row.
    EXPECT_LE(o.autoTrade.right, c.width);
    EXPECT_GT(o.autoTrade.right, o.autoTrade.left);
    if (c.autoTradeInAccountRow) {
      EXPECT_EQ(o.autoTrade.top, o.accountCheck.top);
      EXPECT_GT(o.autoTrade.left, o.accountCheck.right);
    } else {
      EXPECT_EQ(o.autoTrade.top, bottom + 1);
      bottom = o.autoTrade.bottom;
    }
    EXPECT_EQ(bottom - top, c.rows * (r + 1) - 1);
    EXPECT_EQ(o.domesticChart.top, bottom + 1);
    // At its least height the panel still shows both charts 48 (scaled) pixels high and the
    // notice box inside.
    const AccountPanelLayout_s least = LayOutAccountPanel(c.width, o.minHeight, c.scale);
    EXPECT_GE(least.usChart.bottom - least.usChart.top, static_cast<int>(48 * c.scale));
    EXPECT_LE(least.notice.bottom, o.minHeight);
  }
}

TEST(AccountPanel, AccountPasswordChecks) {
  EXPECT_TRUE(AccountPasswordLongEnough(L"1234"));
  EXPECT_FALSE(AccountPasswordLongEnough(L"123"));
  EXPECT_FALSE(AccountPasswordLongEnough(L""));
  const PanelLabel_s none = AccountUserCaption(0x200, nullptr);
  EXPECT_EQ(none.text, L"**모의서버** 사용자: *비밀번호 입력 필요*");
  EXPECT_EQ(none.textColour, 0xFFFFFFu);
  EXPECT_EQ(none.backColour, 255u);
  const PanelLabel_s named = AccountUserCaption(0, L"sandbox");
  EXPECT_EQ(named.text, L"*실서버* 사용자: sandbox");
  EXPECT_EQ(named.textColour, 255u);
  EXPECT_EQ(named.backColour, 0u);
}

}  // namespace
