#include "plugin/rows/ClientRecords.h"

namespace {

constexpr COLORREF kLightGreen = 0xE3F5D5;
constexpr COLORREF kLightCream = 0xCFF3FC;
constexpr const char* kClientNumberFormat = "%.0lf";

using orv::ui::CMyReportRecordBase;
using orv::ui::CMyReportRecordItem;

CMyReportRecordItem* AddClientNumber(CMyReportRecordBase* row, double value) {
  return AddMyNumber(row, value, kClientNumberFormat);
}

// A count cell: red on light green from 1, black on white at 0.
void AddCount(CMyReportRecordBase* row, int32_t count) {
  CMyReportRecordItem* item = AddClientNumber(row, count);
  item->textColor = count >= 1 ? kRowRed : kRowBlack;
  item->backColor = count >= 1 ? kLightGreen : kRowWhite;
}

void AddOptionalDate(CMyReportRecordBase* row, const std::optional<SYSTEMTIME>& date) {
  row->AddDate(date ? *date : SYSTEMTIME{}, orv::ui::kDateFormat);
}

}  // namespace

CWX_CLIENTS_Record::CWX_CLIENTS_Record(const ClientValues_s& v, bool modified) {
  AddText();                                       // 0
  AddClientNumber(this, v.idx);                    // 1
  AddClientNumber(this, v.companyIndex);           // 2
  AddClientNumber(this, v.agencyIndex);            // 3
  AddText(v.title);                                // 4
  AddClientNumber(this, v.customerKind)->backColor =
      v.customerKind == kClientFirstTier ? kLightGreen : kLightCream;  // 5
  AddCount(this, v.memberCount);                   // 6
  AddCount(this, v.carCheckCount);                 // 7
  AddCount(this, v.insuranceCount);                // 8
  AddOptions(v.groupIndex);                        // 9
  AddText(v.groupBizNumber);                       // 10
  AddText(v.companyName);                          // 11
  AddText(v.cell12Text);                           // 12
  AddText(v.ceoName);                              // 13
  AddText(v.ceoPhone);                             // 14
  AddText(v.residentNumber);                       // 15
  AddOptionalDate(this, v.birthday);               // 16
  AddText(v.bizRegNumber)->textColor =
      !v.bizRegNumber.empty() && v.bizRegNumber[0] == L'#' ? kRowRed : kRowBlue;  // 17
  const std::wstring* texts[] = {
      &v.bizCategory,  &v.bizItem,         &v.email,        &v.phone,          // 18 - 21
      &v.mobile,       &v.website,         &v.fax,          &v.province,       // 22 - 25
      &v.address1,     &v.address2,        &v.postalCode,   &v.country,        // 26 - 29
      &v.shipAddress,  &v.shipAddress2,    &v.shipPostalCode, &v.manager,      // 30 - 33
      &v.managerPhone, &v.managerPosition, &v.managerJob,   &v.bankName,       // 34 - 37
      &v.bankAccount,  &v.bankHolder,      &v.notes,                           // 38 - 40
  };
  for (const std::wstring* text : texts) AddText(*text);
  AddOptionalDate(this, v.registered);  // 41
  SetModified(modified);
}

CWX_CLIENTS_Record::~CWX_CLIENTS_Record() = default;

CWX_CLIENTS_Record* CWX_CLIENTS_Record::MakeTopRow(int32_t companyIndex, int32_t agencyIndex) {
  ClientValues_s v;
  v.companyIndex = companyIndex;
  v.agencyIndex = agencyIndex;
  v.title = L"*전체*";
  v.groupBizNumber = L"*전체*";
  return new CWX_CLIENTS_Record(v, false);
}

CWX_CLIENTS_Record* CWX_CLIENTS_Record::MakeNewRow() {
  ClientValues_s v;
  v.companyIndex = 1;
  return new CWX_CLIENTS_Record(v, false);
}

CCafeUserRecord::CCafeUserRecord(const CafeMemberValues_s& v) {
  AddText();                  // 0
  AddNumber(v.rowNumber);     // 1
  AddNumber(v.memberIndex);   // 2
  AddNumber(v.cafeIndex);     // 3
  AddOptions(v.group);        // 4
  AddOptions(v.periodState);  // 5
  AddText(v.memberId);        // 6
  AddText(v.name);            // 7
  AddText(v.phone);           // 8
  AddText(v.startDate);       // 9
  AddText(v.endDate);         // 10
  AddText(v.refundDate);      // 11
  AddNumber(v.refundAmount);  // 12
  AddNumber(v.paidOrFree);    // 13
  AddNumber(v.state);         // 14
  AddText(v.comment);         // 15
}

CCafeUserRecord::~CCafeUserRecord() = default;
