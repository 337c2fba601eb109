#pragma once
// Reading client rows from an Excel workbook for the cafe data view's client list: the workbook
// opens by its extension (.xlsx or .xls only), the client sheet is found by its name (or by its
// place), and every data row from row 2 on with a company name becomes one client. Toolkit-free;
// the view turns the rows into grid rows.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win/WinTypes.h"

namespace orv::xl {
class CXlBook;
}

// The first data row of the client sheet (rows 0 and 1 are headings).
constexpr int kClientSheetFirstRow = 2;

// One client as the workbook gives it; texts absent in the workbook are empty, dates absent
// have year 0.
struct ClientWorkbookRow_s {
  int32_t customerKind = 0;    // column 1
  int32_t groupIndex = 0;      // column 2
  std::wstring groupBizNumber;  // 3
  std::wstring companyName;     // 4: the row's title and company name
  std::wstring bizRegNumber;    // 5
  std::wstring ceoName;         // 6
  std::wstring residentNumber;  // 7
  SYSTEMTIME birthday{};        // 8
  std::wstring ceoPhone;        // 9
  std::wstring bizCategory;     // 10
  std::wstring bizItem;         // 11
  std::wstring postalCode;      // 12
  int32_t memberCount = 0;      // 13
  int32_t carCheckCount = 0;    // 14
  int32_t insuranceCount = 0;   // 15
  std::wstring province;        // 16
  std::wstring address1;        // 17
  std::wstring shipAddress;     // 18
  std::wstring shipPostalCode;  // 19
  std::wstring phone;           // 20
  std::wstring mobile;          // 21
  std::wstring fax;             // 22
  std::wstring email;           // 23
  std::wstring website;         // 24
  std::wstring managerJob;      // 25
  std::wstring manager;         // 26
  std::wstring managerPosition;  // 27
  std::wstring managerPhone;    // 28
  std::wstring bankName;        // 30
  std::wstring bankAccount;     // 31
  std::wstring bankHolder;      // 32
  SYSTEMTIME registered{};      // 33
  std::wstring notes;           // 34
};

// Why a workbook gave no rows.
enum class ClientWorkbookRead {
  kRead,          // the client sheet was read (it may hold no client)
  kNoPath,
  kBadExtension,  // neither xls nor xlsx (any letter case)
  kNotLoaded,     // the file does not load as a workbook of its extension
  kNoSheets,      // no main sheet or no client sheet
};

// The main sheet and the client sheet of a book: the last sheet named "검사-이력" or
// "LPG소형저장탱크 관리리스트" and the last named "거래처 정보" (names compared exactly); without
// them sheet 0 is the main sheet and, in a book of 2 or more sheets, sheet 1 the client sheet.
// False when either is missing.
bool FindClientWorkbookSheets(const orv::xl::CXlBook& book, int* mainSheet, int* clientSheet);

// The clients of the client sheet, in row order; rows without a company name are skipped.
std::vector<ClientWorkbookRow_s> ReadClientSheet(const orv::xl::CXlBook& book, int clientSheet);

// Opens the workbook at `path` and reads its clients into *rows (emptied first).
ClientWorkbookRead ReadClientWorkbook(const std::wstring& path,
                                      std::vector<ClientWorkbookRow_s>* rows);
