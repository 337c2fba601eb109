#pragma once
// The row of the account summary grid: one broker account with its check mark, broker, account
// number (with an "정보" button), counts, its fourteen money amounts and a message; or, without
// an account number, the grid's totals footer. A plain value row: it keeps copies of the values
// it shows and never points at an account record, which the account worker may change at any
// time.

#include <array>
#include <cstdint>
#include <string>

#include "plugin/rows/RowItems.h"

// The account summary grid's layout (21 columns; item n is column n).
extern const wchar_t kAccInfoGridLayout[];
constexpr int kAccInfoColumns = 21;

// The fourteen amounts of columns 6 to 19, in column order.
enum AccInfoAmount : int {
  kAccEstimatedDeposit = 0,  // 예수금(추정)
  kAccReceivable,            // 미수금
  kAccStockValuation,        // 주식평가액
  kAccWithdrawable,          // 출금가능
  kAccD2Deposit,             // 2일후 예수금
  kAccEstimatedAssets,       // 추정자산
  kAccTax,                   // 세금
  kAccFees,                  // 수수료
  kAccCreditLimit,           // 신용설정금액
  kAccCreditAmount,          // 신용금액(LOAN)
  kAccCollateralRatio,       // 신용담보율 (percent)
  kAccTodayBuy,              // 금일 매수
  kAccTodaySell,             // 금일 매도
  kAccTodayProfit,           // 금일 수익금
  kAccAmountCount
};
using AccInfoAmounts = std::array<double, kAccAmountCount>;

// The grid's colours (0x00BBGGRR).
constexpr COLORREF kAccHighlight = 0xD0EBFD;  // RGB(253,235,208)
constexpr COLORREF kAccAmountFrame = 0xE0E0E0;

class CAccInfoRecord : public orv::ui::CMyReportRecordBase {
 public:
  enum Column {
    kColRow = 0,
    kColOk = 1,
    kColBroker = 2,
    kColAccount = 3,
    kColCount = 4,
    kColErrors = 5,
    kColFirstAmount = 6,  // the amounts run to column 19
    kColMessage = 20,
  };
  // The "정보" button's id in the account cell.
  static constexpr int kInfoButtonId = 0;

  // An account row when `account` is not empty (check box, "정보" button); else the footer,
  // whose OK column shows `footerCount` as "%d" (an empty text when below 0) and whose broker
  // cell is empty.
  CAccInfoRecord(double scale, int32_t rowIndex, int32_t brokerOption, const std::wstring& account,
                 uint8_t checked, double count, int32_t errors, const AccInfoAmounts& amounts,
                 const std::wstring& message, int32_t footerCount = -1);
  ~CAccInfoRecord() override;

  bool IsFooter() const { return m_account.empty(); }
  const std::wstring& Account() const { return m_account; }
  double Scale() const { return m_scale; }
  // The text the row gives for a column (the account cell's button shows it).
  std::wstring ColumnText(int column) const;

 private:
  std::wstring m_account;
  double m_scale = 1.0;
};
