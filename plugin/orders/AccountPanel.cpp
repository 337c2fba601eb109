#include "plugin/orders/AccountPanel.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <utility>

#include "platform/support/TextConv.h"

namespace {

constexpr COLORREF Rgb(int r, int g, int b) {
  return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) |
         (static_cast<COLORREF>(b) << 16);
}

constexpr COLORREF kBlue = Rgb(0, 0, 255);
constexpr COLORREF kRed = Rgb(255, 0, 0);
constexpr COLORREF kWhite = Rgb(255, 255, 255);
constexpr COLORREF kBlack = 0;
constexpr double kWonPerUnit = 10000.0;
constexpr double kD2LabelCap = 10000.0;

int Trunc(double x) { return static_cast<int>(x); }
RECT Rect(int x, int y, int w, int h) { return RECT{x, y, x + w, y + h}; }

}  // namespace

std::wstring FormatManWon(double won) { return FormatOneDecimal(won / kWonPerUnit); }

std::wstring FormatOneDecimal(double units) {
  char text[64];
  std::snprintf(text, sizeof text, "%.1f", std::fabs(units));
  std::string digits(text);
  const size_t dot = digits.find('.');
  const std::string whole = digits.substr(0, dot);
  std::string out;
  for (size_t i = 0; i < whole.size(); ++i) {
    if (i && (whole.size() - i) % 3 == 0) out += ',';
    out += whole[i];
  }
  out += digits.substr(dot);
  if (units < 0 && out != "0.0") out.insert(out.begin(), '-');
  return Utf8ToWide(out);
}

PanelLabel_s D2DepositLabel(double won) {
  const double capped = std::min(won, kD2LabelCap * kWonPerUnit);
  return {L"D+2 예수금:\r\n" + FormatManWon(capped) + L"만", kBlue, Rgb(252, 243, 207)};
}

PanelLabel_s EstimatedAssetsLabel(double won) {
  return {L"추정자산:\r\n" + FormatManWon(won) + L"만", kBlue, Rgb(213, 245, 227)};
}

const wchar_t* CollateralWord(double ratio) {
  if (ratio >= 180) return L"매우안전";
  if (ratio >= 150) return L"안전";
  if (ratio >= 146) return L"조심";
  if (ratio >= 130) return L"경고";
  if (ratio > 0) return L"위험";
  return L"미사용";
}

PanelLabel_s CollateralRatioLabel(double ratio) {
  PanelLabel_s label;
  wchar_t number[48];
  std::swprintf(number, sizeof number / sizeof number[0], L"%.1f%%", ratio);
  label.text = std::wstring(L"신용담보율:\r\n") + number + L"(" + CollateralWord(ratio) + L")";
  if (ratio >= 180) {
    label.backColour = Rgb(40, 116, 166);
    label.textColour = Rgb(0, 0, 255);
  } else if (ratio >= 150) {
    label.backColour = Rgb(130, 224, 170);
    label.textColour = Rgb(162, 0, 0);
  } else if (ratio >= 146) {
    label.backColour = Rgb(247, 220, 111);
    label.textColour = Rgb(162, 0, 0);
  } else if (ratio >= 130) {
    label.backColour = Rgb(211, 84, 0);
    label.textColour = kWhite;
  } else if (ratio > 0) {
    label.backColour = Rgb(255, 0, 0);
    label.textColour = kWhite;
  } else {
    label.backColour = kBlack;
    label.textColour = kWhite;
  }
  return label;
}

const wchar_t* ServerKindText(uint32_t flags) {
  if (flags & kServerFlagMock) return L"**모의서버**";
  if (flags & kServerFlagOwn) return L"**자체서버**";
  return L"*실서버*";
}

PanelLabel_s ServerModeLabel(uint32_t flags, const wchar_t* text) {
  if (flags & kServerFlagMock) return {L"**모의서버**", kWhite, kBlue};
  if (flags & kServerFlagOwn) return {L"**자체서버**", kRed, kBlack};
  return {text && *text ? text : L"*실서버*", kRed, kBlack};
}

std::wstring ShortAccountText(const std::wstring& account) {
  if (account.size() < 8) return account;
  return account.substr(account.size() - 6, 4);
}

SummaryStep DecideSummaryStep(bool hasAccounts, int rowCount, int accountCount, int rebuild) {
  if (hasAccounts && rowCount != accountCount) return SummaryStep::kRebuild;
  if (rebuild == 0) return SummaryStep::kRefreshRows;
  return hasAccounts ? SummaryStep::kRebuild : SummaryStep::kChartsOnly;
}

AccountPanelLayout_s LayOutAccountPanel(int W, int H, double s) {
  if (!(s > 0) || !std::isfinite(s)) s = 1.0;
  const int a = Trunc(80 * s);
  const int L = std::max(100, W - a);
  const int h = Trunc(28 * s);
  const int g = Trunc(5 * s);
  const int k = Trunc(26 * s);
  const int b = Trunc(27 * s);
  const int c = Trunc(70 * s);
  const int r = Trunc(24 * s);
  const int d = Trunc(82 * s);
  AccountPanelLayout_s o;
  o.grid = Rect(0, 0, L, g + 3 * k + h);
  o.refresh = Rect(L, 0, b, h);
  o.password = Rect(L + b, 0, b, h);
  o.help = Rect(L + 2 * b, 0, b, h);
  o.strip = Rect(L, h, a, g);
  o.d2Deposit = Rect(L, g + h, a, k);
  o.estimatedAssets = Rect(L, g + h + k, a, k);
  o.collateralRatio = Rect(L, g + h + 2 * k, a, k);
  const int y0 = g + h + 3 * k;
  o.orderWindow = Rect(0, y0, c, r);
  o.recommend = Rect(d + 1, y0 + r + 1, d, r);
  o.watchBuy = Rect(2 * (d + 1), y0 + r + 1, d, r);
  // The rest of the two button rows: the account combo and the "계좌" check right of the
  // order-window button; the server label left of the recommend button; the notice box right
  // of the watch-and-buy button, or, in a pane too narrow for it, in a row below the charts.
  const int checkWidth = Trunc(50 * s);
  const int comboLeft = c + 1;
  const int comboWidth = std::max(0, std::min(2 * d, W - comboLeft - checkWidth - 1));
  o.account = Rect(comboLeft, y0, comboWidth, r);
  o.accountCheck = Rect(comboLeft + comboWidth + 1, y0, checkWidth, r);
  o.server = Rect(0, y0 + r + 1, d, r);
  const int noticeLeft = o.watchBuy.right + 1;
  const bool noticeInRow = W - noticeLeft >= d;
  const int below = noticeInRow ? 0 : r + 1;

  // The order form's rows: each control in turn from the left with a 1-pixel gap; the
  // stretching one (width 0) takes what the others leave, at least `minStretch`. A wide pane
  // holds the form in three rows, the narrow docked pane in six.
  const int formTop = y0 + 2 * r + 2;
  const int minStretch = Trunc(40 * s);
  int rows = 0;
  auto row = [&](std::initializer_list<std::pair<RECT*, int>> cells) {
    int fixed = 0;
    for (const auto& cell : cells) fixed += cell.second + 1;
    const int top = formTop + rows * (r + 1);
    int x = 0;
    for (const auto& [rect, width] : cells) {
      const int w = width > 0 ? width : std::max(minStretch, W - fixed - 1);
      *rect = Rect(x, top, w, r);
      x += w + 1;
    }
    ++rows;
  };
  const int label = Trunc(30 * s);
  const int side = Trunc(64 * s);
  const int number = Trunc(72 * s);
  const int choice = Trunc(88 * s);
  const int analysis = Trunc(44 * s);
  const int cash = Trunc(76 * s);
  const int loanLabel = Trunc(44 * s);
  // Eight digits of a loan date (yyyymmdd) with the box's margins.
  const int date = Trunc(88 * s);
  // The auto-trading check's caption needs about 170 (scaled) pixels.
  const int autoTradeLeft = o.accountCheck.right + 1;
  const bool autoTradeInRow = W - autoTradeLeft >= Trunc(170 * s);
  if (autoTradeInRow) o.autoTrade = Rect(autoTradeLeft, y0, W - autoTradeLeft, r);
  if (W >= Trunc(520 * s)) {
    row({{&o.codeLabel, label}, {&o.code, number}, {&o.search, b}, {&o.analysis, analysis},
         {&o.name, 0}, {&o.priceLabel, label}, {&o.price, number}, {&o.orderType, choice}});
    row({{&o.buy, side}, {&o.sell, side}, {&o.quantityLabel, label}, {&o.quantity, number},
         {&o.amountPreset, Trunc(90 * s)}, {&o.totalButton, Trunc(50 * s)}, {&o.total, 0}});
    row({{&o.order, d}, {&o.cancel, c}, {&o.status, Trunc(130 * s)}, {&o.message, 0}});
    row({{&o.cash, cash}, {&o.credit, Trunc(130 * s)}, {&o.creditKind, choice},
         {&o.loanLabel, loanLabel}, {&o.loanDate, date}, {&o.creditOrderKind, 0}});
  } else {
    row({{&o.codeLabel, label}, {&o.code, 0}, {&o.search, b}, {&o.analysis, analysis},
         {&o.orderType, choice}});
    row({{&o.name, 0}, {&o.priceLabel, label}, {&o.price, number}});
    row({{&o.buy, side}, {&o.sell, side}, {&o.quantityLabel, label}, {&o.quantity, 0}});
    row({{&o.amountPreset, 0}, {&o.totalButton, Trunc(50 * s)}, {&o.total, number}});
    row({{&o.cash, cash}, {&o.credit, 0}});
    row({{&o.creditKind, 0}, {&o.creditOrderKind, Trunc(100 * s)}});
    row({{&o.loanLabel, loanLabel}, {&o.loanDate, 0}});
    row({{&o.order, 0}, {&o.cancel, c}});
    row({{&o.status, Trunc(90 * s)}, {&o.message, 0}});
  }
  if (!autoTradeInRow) row({{&o.autoTrade, 0}});
  const int formHeight = rows * (r + 1);

  const int chartTop = formTop + formHeight;
  const int e = std::max(0, (H - chartTop - below) / 2);
  o.domesticChart = Rect(0, chartTop, W, e);
  o.usChart = Rect(0, chartTop + e, W, e);
  o.notice = noticeInRow ? Rect(noticeLeft, y0 + r + 1, W - noticeLeft, r)
                         : Rect(0, chartTop + 2 * e + 1, W, r);
  o.minHeight = chartTop + 2 * Trunc(48 * s) + below;
  return o;
}

bool AccountPasswordLongEnough(const std::wstring& password) {
  return password.substr(0, kAccountPasswordRead).size() >= 4;
}

PanelLabel_s AccountUserCaption(uint32_t optionFlags, const wchar_t* name) {
  const std::wstring kind = ServerKindText(optionFlags);
  if (!name) return {kind + L" 사용자: *비밀번호 입력 필요*", 0xFFFFFF, 255};
  return {kind + L" 사용자: " + name, 255, 0};
}
