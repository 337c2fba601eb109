#include "plugin/community/ClientWorkbook.h"

#include "platform/xl/XlBook.h"
#include "plugin/community/WorkbookCells.h"

namespace {

constexpr const char* kMainSheetNames[] = {"검사-이력", "LPG소형저장탱크 관리리스트"};
constexpr const char* kClientSheetName = "거래처 정보";
constexpr int kCompanyNameColumn = 4;

// A text column of the sheet and the field it fills.
struct TextColumn {
  int column;
  std::wstring ClientWorkbookRow_s::*field;
};
const TextColumn kTextColumns[] = {
    {3, &ClientWorkbookRow_s::groupBizNumber}, {5, &ClientWorkbookRow_s::bizRegNumber},
    {6, &ClientWorkbookRow_s::ceoName},        {7, &ClientWorkbookRow_s::residentNumber},
    {9, &ClientWorkbookRow_s::ceoPhone},       {10, &ClientWorkbookRow_s::bizCategory},
    {11, &ClientWorkbookRow_s::bizItem},       {12, &ClientWorkbookRow_s::postalCode},
    {16, &ClientWorkbookRow_s::province},      {17, &ClientWorkbookRow_s::address1},
    {18, &ClientWorkbookRow_s::shipAddress},   {19, &ClientWorkbookRow_s::shipPostalCode},
    {20, &ClientWorkbookRow_s::phone},         {21, &ClientWorkbookRow_s::mobile},
    {22, &ClientWorkbookRow_s::fax},           {23, &ClientWorkbookRow_s::email},
    {24, &ClientWorkbookRow_s::website},       {25, &ClientWorkbookRow_s::managerJob},
    {26, &ClientWorkbookRow_s::manager},       {27, &ClientWorkbookRow_s::managerPosition},
    {28, &ClientWorkbookRow_s::managerPhone},  {30, &ClientWorkbookRow_s::bankName},
    {31, &ClientWorkbookRow_s::bankAccount},   {32, &ClientWorkbookRow_s::bankHolder},
    {34, &ClientWorkbookRow_s::notes},
};

struct NumberColumn {
  int column;
  int32_t ClientWorkbookRow_s::*field;
};
const NumberColumn kNumberColumns[] = {
    {1, &ClientWorkbookRow_s::customerKind},  {2, &ClientWorkbookRow_s::groupIndex},
    {13, &ClientWorkbookRow_s::memberCount},  {14, &ClientWorkbookRow_s::carCheckCount},
    {15, &ClientWorkbookRow_s::insuranceCount},
};

}  // namespace

bool FindClientWorkbookSheets(const orv::xl::CXlBook& book, int* mainSheet, int* clientSheet) {
  int main = -1, client = -1;
  for (int s = 0; s < book.SheetCount(); ++s) {
    const orv::xl::CXlSheet* sheet = book.Sheet(s);
    if (!sheet) continue;
    for (const char* name : kMainSheetNames)
      if (sheet->Name() == name) main = s;
    if (sheet->Name() == kClientSheetName) client = s;
  }
  if (main < 0 && book.SheetCount() >= 1) main = 0;
  if (client < 0 && book.SheetCount() >= 2) client = 1;
  if (mainSheet) *mainSheet = main;
  if (clientSheet) *clientSheet = client;
  return main >= 0 && client >= 0;
}

std::vector<ClientWorkbookRow_s> ReadClientSheet(const orv::xl::CXlBook& book, int clientSheet) {
  std::vector<ClientWorkbookRow_s> rows;
  const orv::xl::CXlSheet* sheet = book.Sheet(clientSheet);
  if (!sheet) return rows;
  for (int r = kClientSheetFirstRow; r < sheet->LastRow(); ++r) {
    ClientWorkbookRow_s row;
    row.companyName = WorkbookCellText(sheet->CellAt(r, kCompanyNameColumn));
    if (row.companyName.empty()) continue;
    for (const TextColumn& c : kTextColumns) row.*c.field = WorkbookCellText(sheet->CellAt(r, c.column));
    for (const NumberColumn& c : kNumberColumns)
      row.*c.field = WorkbookNumberToInt(WorkbookCellNumber(sheet->CellAt(r, c.column)));
    CodeGenGetDateValueFromExcelCell(sheet->CellAt(r, 8), &row.birthday);
    CodeGenGetDateValueFromExcelCell(sheet->CellAt(r, 33), &row.registered);
    rows.push_back(std::move(row));
  }
  return rows;
}

ClientWorkbookRead ReadClientWorkbook(const std::wstring& path,
                                      std::vector<ClientWorkbookRow_s>* rows) {
  if (rows) rows->clear();
  if (path.empty()) return ClientWorkbookRead::kNoPath;
  const std::string ext = WorkbookExtension(path);
  if (ext != "xlsx" && ext != "xls") return ClientWorkbookRead::kBadExtension;
  orv::xl::CXlBook book;
  if (!LoadWorkbookAs(path, ext == "xlsx", &book)) return ClientWorkbookRead::kNotLoaded;
  int mainSheet = -1, clientSheet = -1;
  if (!FindClientWorkbookSheets(book, &mainSheet, &clientSheet))
    return ClientWorkbookRead::kNoSheets;
  if (rows) *rows = ReadClientSheet(book, clientSheet);
  return ClientWorkbookRead::kRead;
}
