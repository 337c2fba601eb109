// Client workbooks and workbook cells: finding the client sheet, the columns of a client row
// from a workbook openpyxl makes, the extensions that open (or not), and the date and number
// reads every workbook import shares.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "platform/support/TextConv.h"
#include "platform/xl/XlBook.h"
#include "plugin/community/ClientWorkbook.h"
#include "plugin/community/WorkbookCells.h"
#include "tests/platform/win/TestFolders.h"
#include "tests/plugin/community/PythonScript.h"

namespace {

class TempFolder : public orv::win::test::TempFolder {
 public:
  std::string File(const std::string& name) const { return Path() + "/" + name; }
};

using orv::test::RunPython;

SYSTEMTIME Date(int y, int m, int d) {
  SYSTEMTIME t{};
  t.wYear = static_cast<WORD>(y);
  t.wMonth = static_cast<WORD>(m);
  t.wDay = static_cast<WORD>(d);
  return t;
}

orv::xl::Cell Number(double value) {
  orv::xl::Cell cell;
  cell.type = orv::xl::CellType::kNumber;
  cell.number = value;
  return cell;
}

orv::xl::Cell Text(const std::string& text) {
  orv::xl::Cell cell;
  cell.type = orv::xl::CellType::kString;
  cell.text = text;
  return cell;
}

TEST(WorkbookCells, DatesFromSerialDaysAndTexts) {
  // (cell, date or year 0 for none)
  const std::vector<std::tuple<orv::xl::Cell, SYSTEMTIME>> cases = {
      {Number(45356), Date(2024, 3, 5)},
      {Number(45356.75), Date(2024, 3, 5)},  // the time of day is dropped
      {Number(1), Date(1900, 1, 1)},
      {Number(59), Date(1900, 2, 28)},
      {Number(60), SYSTEMTIME{}},  // Excel's 1900-02-29 never was
      {Number(61), Date(1900, 3, 1)},
      {Number(0), SYSTEMTIME{}},
      {Number(-5), SYSTEMTIME{}},
      {Number(3e6), SYSTEMTIME{}},
      {Text("2024-03-05"), Date(2024, 3, 5)},
      {Text("2024-03-05 09:30:00"), Date(2024, 3, 5)},
      {Text("2024.3.5"), Date(2024, 3, 5)},
      {Text("2024/12/31"), Date(2024, 12, 31)},
      {Text("20240305"), Date(2024, 3, 5)},
      {Text("2024-02-30"), SYSTEMTIME{}},
      {Text("2024-03"), SYSTEMTIME{}},
      {Text("24-03-05"), SYSTEMTIME{}},
      {Text("2024-03-05x"), SYSTEMTIME{}},
      {Text("홍길동"), SYSTEMTIME{}},
      {Text(""), SYSTEMTIME{}},
  };
  for (const auto& [cell, expected] : cases) {
    SYSTEMTIME got{};
    const bool read = CodeGenGetDateValueFromExcelCell(&cell, &got);
    const std::string what = cell.type == orv::xl::CellType::kString
                                 ? cell.text
                                 : std::to_string(cell.number);
    EXPECT_EQ(read, expected.wYear != 0) << what;
    EXPECT_EQ(WideToUtf8(FormatWorkbookDate(got)), WideToUtf8(FormatWorkbookDate(expected)))
        << what;
  }
  SYSTEMTIME untouched{};
  EXPECT_FALSE(CodeGenGetDateValueFromExcelCell(nullptr, &untouched));
}

TEST(WorkbookCells, TextsNumbersAndExtensions) {
  EXPECT_EQ(WorkbookCellText(nullptr), L"");
  const orv::xl::Cell phone = Number(1012345678);
  EXPECT_EQ(WorkbookCellText(&phone), L"1012345678");
  const orv::xl::Cell half = Number(2.5);
  EXPECT_EQ(WorkbookCellText(&half), L"2.5");
  const orv::xl::Cell twelve = Text(" 12");
  EXPECT_EQ(WorkbookCellNumber(&twelve), 12);
  const orv::xl::Cell word = Text("12개");
  EXPECT_EQ(WorkbookCellNumber(&word), 0);
  EXPECT_EQ(WorkbookNumberToInt(7.9), 7);
  EXPECT_EQ(WorkbookNumberToInt(-7.9), -7);
  EXPECT_EQ(WorkbookNumberToInt(1e12), 0);

  const std::vector<std::tuple<std::wstring, std::string>> extensions = {
      {L"/a/b/list.XLSX", "xlsx"}, {L"C:\\a\\b.Xls", "xls"}, {L"/a.b/list", ""},
      {L"list.tar.csv", "csv"},    {L"", ""},
  };
  for (const auto& [path, ext] : extensions) EXPECT_EQ(WorkbookExtension(path), ext);
}

TEST(ClientWorkbook, TheClientSheetIsFoundByNameOrPlace) {
  // (sheet names, main sheet, client sheet; -1 -1: nothing is read)
  const std::vector<std::tuple<std::vector<std::string>, int, int>> cases = {
      {{}, -1, -1},
      {{"Sheet1"}, -1, -1},
      {{"A", "B"}, 0, 1},
      {{"A", "B", "C"}, 0, 1},
      {{"X", "검사-이력", "거래처 정보"}, 1, 2},
      {{"거래처 정보", "LPG소형저장탱크 관리리스트"}, 1, 0},
      {{"검사-이력", "LPG소형저장탱크 관리리스트", "Z"}, 1, 1},
      {{"거래처 정보"}, 0, 0},
      {{"거래처 정보 ", "검사-이력"}, 1, 1},
  };
  for (const auto& [names, main, client] : cases) {
    orv::xl::CXlBook book;
    for (const std::string& name : names) ASSERT_NE(book.AddSheet(name), nullptr) << name;
    int gotMain = -2, gotClient = -2;
    const bool found = FindClientWorkbookSheets(book, &gotMain, &gotClient);
    EXPECT_EQ(found, main >= 0 && client >= 0) << ::testing::PrintToString(names);
    if (found) {
      EXPECT_EQ(gotMain, main) << ::testing::PrintToString(names);
      EXPECT_EQ(gotClient, client) << ::testing::PrintToString(names);
    }
  }
}

TEST(ClientWorkbook, ClientRowsFromAWorkbookOpenpyxlMakes) {
  TempFolder dir;
  const std::string path = dir.File("clients.XLSX");
  const std::string out = RunPython(dir.File("make.py"), R"(
import datetime, openpyxl
wb = openpyxl.Workbook()
wb.active.title = '검사-이력'
ws = wb.create_sheet('거래처 정보')
ws.append(['거래처 목록'])
ws.append(['No', '구분', '그룹'] + ['c%d' % i for i in range(3, 35)])
row = [1, 2, 17, '123-45', '한빛가스', '111-22-33333', '김대표', '800101-1', datetime.date(1980, 1, 1),
       '010-1000-2000', '도소매', '가스', '04524', 12, 3, 4, '서울', '중구 1길', '배송지', '04525',
       '02-123-4567', '010-9999-8888', '02-765-4321', 'a@b.kr', 'https://a.kr', '영업',
       '이담당', '과장', '010-5555-6666', '한국', '은행', '123-456', '한빛', '2024-05-06', '메모']
ws.append(row)
ws.append([2, 1, 0, '', None, '건너뜀'])
ws.append([3, 1, 0, '', '두번째', None, None, None, None])
wb.save(')" + path + R"(')
)");
  ASSERT_EQ(out, "");

  std::vector<ClientWorkbookRow_s> rows;
  ASSERT_EQ(ReadClientWorkbook(Utf8ToWide(path), &rows), ClientWorkbookRead::kRead);
  ASSERT_EQ(rows.size(), 2u);  // the row without a company name is skipped
  const ClientWorkbookRow_s& r = rows[0];
  EXPECT_EQ(r.customerKind, 2);
  EXPECT_EQ(r.groupIndex, 17);
  EXPECT_EQ(r.groupBizNumber, L"123-45");
  EXPECT_EQ(r.companyName, L"한빛가스");
  EXPECT_EQ(r.bizRegNumber, L"111-22-33333");
  EXPECT_EQ(r.ceoName, L"김대표");
  EXPECT_EQ(r.residentNumber, L"800101-1");
  EXPECT_EQ(FormatWorkbookDate(r.birthday), L"1980-01-01");
  EXPECT_EQ(r.ceoPhone, L"010-1000-2000");
  EXPECT_EQ(r.bizCategory, L"도소매");
  EXPECT_EQ(r.bizItem, L"가스");
  EXPECT_EQ(r.postalCode, L"04524");
  EXPECT_EQ(r.memberCount, 12);
  EXPECT_EQ(r.carCheckCount, 3);
  EXPECT_EQ(r.insuranceCount, 4);
  EXPECT_EQ(r.province, L"서울");
  EXPECT_EQ(r.address1, L"중구 1길");
  EXPECT_EQ(r.shipAddress, L"배송지");
  EXPECT_EQ(r.shipPostalCode, L"04525");
  EXPECT_EQ(r.phone, L"02-123-4567");
  EXPECT_EQ(r.mobile, L"010-9999-8888");
  EXPECT_EQ(r.fax, L"02-765-4321");
  EXPECT_EQ(r.email, L"a@b.kr");
  EXPECT_EQ(r.website, L"https://a.kr");
  EXPECT_EQ(r.managerJob, L"영업");
  EXPECT_EQ(r.manager, L"이담당");
  EXPECT_EQ(r.managerPosition, L"과장");
  EXPECT_EQ(r.managerPhone, L"010-5555-6666");
  EXPECT_EQ(r.bankName, L"은행");  // column 29 (country) is not read
  EXPECT_EQ(r.bankAccount, L"123-456");
  EXPECT_EQ(r.bankHolder, L"한빛");
  EXPECT_EQ(FormatWorkbookDate(r.registered), L"2024-05-06");
  EXPECT_EQ(r.notes, L"메모");
  EXPECT_EQ(rows[1].companyName, L"두번째");
  EXPECT_EQ(rows[1].birthday.wYear, 0);
}

TEST(ClientWorkbook, OnlyXlsAndXlsxOpen) {
  TempFolder dir;
  orv::xl::CXlBook book;
  book.AddSheet("A");
  orv::xl::CXlSheet* clients = book.AddSheet("B");
  clients->SetString(2, 4, "상호");
  ASSERT_TRUE(book.SaveXlsx(dir.File("book.xlsx")));
  std::filesystem::copy_file(dir.File("book.xlsx"), dir.File("upper.XLSX"));
  std::filesystem::copy_file(dir.File("book.xlsx"), dir.File("book.csv"));
  std::filesystem::copy_file(dir.File("book.xlsx"), dir.File("book"));
  std::filesystem::copy_file(dir.File("book.xlsx"), dir.File("zipped.xls"));  // not BIFF inside

  const std::vector<std::tuple<std::string, ClientWorkbookRead, size_t>> cases = {
      {"book.xlsx", ClientWorkbookRead::kRead, 1},
      {"upper.XLSX", ClientWorkbookRead::kRead, 1},
      {"book.csv", ClientWorkbookRead::kBadExtension, 0},
      {"book", ClientWorkbookRead::kBadExtension, 0},
      {"zipped.xls", ClientWorkbookRead::kNotLoaded, 0},
      {"missing.xlsx", ClientWorkbookRead::kNotLoaded, 0},
  };
  for (const auto& [name, read, count] : cases) {
    std::vector<ClientWorkbookRow_s> rows(3);
    EXPECT_EQ(ReadClientWorkbook(Utf8ToWide(dir.File(name)), &rows), read) << name;
    EXPECT_EQ(rows.size(), count) << name;
  }
  std::vector<ClientWorkbookRow_s> rows;
  EXPECT_EQ(ReadClientWorkbook(L"", &rows), ClientWorkbookRead::kNoPath);
}

}  // namespace
