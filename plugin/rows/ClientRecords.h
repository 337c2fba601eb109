#pragma once
// The rows of the cafe data view besides the recommended stocks: one client of the client list
// (42 cells; the first 33 show under the cafe grid's columns) and one cafe member (16 cells,
// the member layout).

#include <cstdint>
#include <optional>
#include <string>

#include "plugin/rows/RowItems.h"

constexpr int kClientCells = 42;

// Customer kinds of a client.
constexpr int32_t kClientFirstTier = 1;
constexpr int32_t kClientSecondTier = 2;

// What a client row shows besides its numbers. A text that is absent is empty; a date that is
// absent shows an empty cell.
struct ClientValues_s {
  int32_t idx = 0;  // the server's index; 0 for rows not stored yet
  int32_t companyIndex = 0;
  int32_t agencyIndex = 0;
  int32_t customerKind = 0;  // kClientFirstTier, kClientSecondTier
  int32_t memberCount = 0;
  int32_t carCheckCount = 0;
  int32_t insuranceCount = 0;
  uint32_t groupIndex = 0;  // the first-tier client's idx
  std::wstring groupBizNumber, title, companyName, cell12Text, ceoName, ceoPhone, residentNumber;
  std::optional<SYSTEMTIME> birthday;
  std::wstring bizRegNumber, bizCategory, bizItem, email, phone, mobile, website, fax, province,
      address1, address2, postalCode, country, shipAddress, shipAddress2, shipPostalCode, manager,
      managerPhone, managerPosition, managerJob, bankName, bankAccount, bankHolder, notes;
  std::optional<SYSTEMTIME> registered;
};

class CWX_CLIENTS_Record : public orv::ui::CMyReportRecordBase {
 public:
  enum Cell {
    kColIdx = 1,
    kColCompany = 2,
    kColAgency = 3,
    kColTitle = 4,  // the tree column of the client list
    kColCustomerKind = 5,
    kColMembers = 6,
    kColCarChecks = 7,
    kColInsurances = 8,
    kColGroup = 9,
    kColGroupBizNumber = 10,
    kColCeoPhone = 14,
    kColBirthday = 16,
    kColBizRegNumber = 17,
    kColPhone = 21,
    kColMobile = 22,
    kColFax = 24,
    kColRegistered = 41,
  };

  // `modified`: rows from the server start unmodified, imported rows modified.
  CWX_CLIENTS_Record(const ClientValues_s& values, bool modified);
  ~CWX_CLIENTS_Record() override;

  // The top row of the list: every client of the login's company and agency.
  static CWX_CLIENTS_Record* MakeTopRow(int32_t companyIndex, int32_t agencyIndex);
  // The empty row at the end of the list where the user types a new client.
  static CWX_CLIENTS_Record* MakeNewRow();
};

// What a member row shows.
struct CafeMemberValues_s {
  int32_t rowNumber = 0;
  int32_t memberIndex = 0;
  int32_t cafeIndex = 0;
  uint32_t group = 0;
  std::wstring memberId, name, phone, startDate, endDate, refundDate;
  int32_t refundAmount = 0;
  int32_t state = 0;
  int32_t paidOrFree = 0;
  uint32_t periodState = 0;  // the member-period option list: 1 current, 2 upcoming, 4 expired
  std::wstring comment;
};

class CCafeUserRecord : public orv::ui::CMyReportRecordBase {
 public:
  enum Cell {
    kColNo = 1,
    kColIdx = 2,
    kColCafe = 3,
    kColGroup = 4,
    kColPeriod = 5,
    kColMemberId = 6,
    kColRefund = 12,
    kColPaidOrFree = 13,
    kColState = 14,
    kColComment = 15,
  };

  explicit CCafeUserRecord(const CafeMemberValues_s& values);
  ~CCafeUserRecord() override;
};
