#pragma once
// The account side panel's arithmetic, free of any toolkit: the valuation labels with their
// colours, the server label, the short account text, which kind of summary refresh a call
// asks for, and the panel's layout. The window (window/OrderDlg2) only moves these values in
// and out.

#include <cstdint>
#include <string>

#include "platform/win/WinTypes.h"

// A label's text and colours (0x00BBGGRR).
struct PanelLabel_s {
  std::wstring text;
  COLORREF textColour = 0;
  COLORREF backColour = 0;
};

// A number with one decimal and thousands separators ("1,234.5").
std::wstring FormatOneDecimal(double value);
// The amount in units of 10,000 won, as FormatOneDecimal writes it.
std::wstring FormatManWon(double won);
// "D+2 예수금:\r\n%s만": the amount in 10,000-won units, at most 10,000; blue on RGB(252,243,207).
PanelLabel_s D2DepositLabel(double won);
// "추정자산:\r\n%s만": blue on RGB(213,245,227).
PanelLabel_s EstimatedAssetsLabel(double won);
// "신용담보율:\r\n%.1f%%(word)" with the word and colours of the ratio's band (percent).
PanelLabel_s CollateralRatioLabel(double ratioPercent);
// The word of a collateral ratio's band ("매우안전" ... "미사용").
const wchar_t* CollateralWord(double ratioPercent);

// The server label: "**모의서버**" white on blue for flag 0x200, else "**자체서버**" for 0x400,
// else the text (or "*실서버*" without one) in red on black.
constexpr uint32_t kServerFlagMock = 0x200;
constexpr uint32_t kServerFlagOwn = 0x400;
PanelLabel_s ServerModeLabel(uint32_t flags, const wchar_t* text);
// The server kind of the option flags alone: "**모의서버**", "**자체서버**" or "*실서버*".
const wchar_t* ServerKindText(uint32_t flags);

// The short form of an account text: the 4 characters that start 6 before its end, or the whole
// text when it has fewer than 8 characters.
std::wstring ShortAccountText(const std::wstring& account);

// What a summary refresh does: rebuild the rows and the account combo, refresh the rows in
// place (charts unchanged), or only the charts and labels.
enum class SummaryStep { kRebuild, kRefreshRows, kChartsOnly };
// `hasAccounts`: the call brought the accounts; `rowCount` the grid's rows now.
SummaryStep DecideSummaryStep(bool hasAccounts, int rowCount, int accountCount, int rebuild);

// The panel's controls for a client of W × H pixels at display scale s (whole pixels).
struct AccountPanelLayout_s {
  RECT grid, refresh, password, help, strip, d2Deposit, estimatedAssets, collateralRatio;
  RECT orderWindow, recommend, watchBuy, domesticChart, usChart;
  // The places the layout table leaves free: the account combo and the "계좌" check beside
  // the order-window button, the server label before the recommend button, the notice box
  // after the watch-and-buy button (below the charts in a narrow pane).
  RECT account, accountCheck, server, notice;
  // The order form, in four rows between the button rows and the charts: code, search,
  // analysis, name, price and order type; the two sides, quantity, amount presets and the
  // total; the order and cancel buttons, the split status and the result line; cash or
  // credit, the credit kind, the loan date and the credit order kind.
  RECT codeLabel, code, search, analysis, name, priceLabel, price, orderType;
  RECT buy, sell, quantityLabel, quantity, amountPreset, totalButton, total;
  RECT order, cancel, status, message;
  RECT cash, credit, creditKind, loanLabel, loanDate, creditOrderKind;
  // The auto-trading check: right of the "계좌" check where the row has room, else in a row
  // of its own below the form.
  RECT autoTrade;
  // The height the panel needs to show all of the above with charts of a readable height: a
  // shorter pane scrolls.
  int minHeight = 0;
};
AccountPanelLayout_s LayOutAccountPanel(int width, int height, double scale);

// The account-password dialog's checks: a password needs at least 4 characters (of the 39
// read).
constexpr size_t kAccountPasswordRead = 39;
bool AccountPasswordLongEnough(const std::wstring& password);
// The user line: "<server kind> 사용자: <name>", or "... 사용자: *비밀번호 입력 필요*" without a
// name (white on red; with a name red on black).
PanelLabel_s AccountUserCaption(uint32_t optionFlags, const wchar_t* name);
