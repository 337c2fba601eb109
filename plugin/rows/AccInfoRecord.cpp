#include "plugin/rows/AccInfoRecord.h"

#include <cstdio>

using orv::ui::CMyReportRecordItemNumber;

const wchar_t kAccInfoGridLayout[] =
    L":?6;OK:?20;증권사:c40;계좌:70;CNT:-25;ERR:-25;예수금(추정):60;미수금:60;주식평가액:80;"
    L"출금가능:60;2일후 예수금;추정자산;세금;수수료;신용설정금액;신용금액(LOAN);신용담보율;"
    L"금일 매수;금일 매도;금일 수익금;메시지/누락 종목:50;";

CAccInfoRecord::CAccInfoRecord(double scale, int32_t rowIndex, int32_t brokerOption,
                               const std::wstring& account, uint8_t checked, double count,
                               int32_t errors, const AccInfoAmounts& amounts,
                               const std::wstring& message, int32_t footerCount)
    : m_account(account), m_scale(scale) {
  AddNumber(rowIndex);
  if (!account.empty()) {
    AddCheck(checked != 0);
  } else {
    wchar_t text[16] = L"";
    if (footerCount >= 0) std::swprintf(text, sizeof text / sizeof text[0], L"%d", footerCount);
    AddText(text);
  }
  // The footer names no broker: its cell stays empty.
  if (account.empty())
    AddText();
  else
    AddOptions(brokerOption);
  orv::ui::CMyReportRecordItemText* accountItem = AddText(account);
  if (!account.empty()) AddScaledButton(accountItem, L"정보", kInfoButtonId, 26, scale);

  CMyReportRecordItemNumber* countItem = AddNumber(count);
  countItem->textColor = count > 0 ? kRowRed : kRowBlack;
  countItem->backColor = count > 0 ? kAccHighlight : kRowWhite;
  AddNumber(errors);

  for (int i = 0; i < kAccAmountCount; ++i) {
    const double value = amounts[static_cast<size_t>(i)];
    if (i == kAccCollateralRatio) {
      CMyReportRecordItemNumber* ratio = AddMyNumber(this, value, "%.1lf%%");
      ratio->backColor = kAccHighlight;
      ratio->textColor = value > 0 ? kRowRed : kRowBlack;
      continue;
    }
    CMyReportRecordItemNumber* item = AddMyNumber(this, value, "%.0lf");
    item->frameColor = kAccAmountFrame;
    if (i == kAccReceivable) item->textColor = kRowRed;
  }
  AddText(message);
}

CAccInfoRecord::~CAccInfoRecord() = default;

std::wstring CAccInfoRecord::ColumnText(int column) const { return GetItemCaption(column); }
