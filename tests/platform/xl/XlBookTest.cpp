// Workbooks: what the program writes reads back the same through its own reader and through
// openpyxl, a workbook openpyxl makes reads right, and broken files fail cleanly.

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/xl/XlBook.h"
#include "tests/probe/ProbeHarness.h"

using orv::xl::Cell;
using orv::xl::CellType;
using orv::xl::CXlBook;
using orv::xl::CXlSheet;

namespace {

// Runs a Python script with openpyxl (the Debian interpreter, where python3-openpyxl lives)
// and answers its standard output.
std::string RunPython(const std::string& dir, const std::string& script) {
  const std::string path = dir + "/check.py";
  std::ofstream(path) << script;
  std::string out;
  FILE* pipe = popen(("/usr/bin/python3 '" + path + "' 2>&1").c_str(), "r");
  if (!pipe) return "popen failed";
  char buf[4096];
  size_t n = 0;
  while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) out.append(buf, n);
  pclose(pipe);
  return out;
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace

TEST(XlBook, WrittenBookReadsBackThroughOwnReaderAndOpenpyxl) {
  orv::test::TempDir dir;
  const std::string path = dir.Path() + "/전략.xlsx";
  CXlBook book;
  CXlSheet* sheet = book.AddSheet("매수 전략");
  ASSERT_NE(sheet, nullptr);
  ASSERT_NE(book.AddSheet("Second"), nullptr);
  sheet->SetString(0, 0, "MARK");
  sheet->SetString(0, 1, " 종목명");  // a leading space is kept
  sheet->SetNumber(1, 0, 70000);
  sheet->SetNumber(1, 1, -1.25);
  sheet->SetString(1, 2, "005930");  // a code stays text
  sheet->SetFormula(2, 0, "A2*2", 140000);
  sheet->SetNumber(30, 28, 7);  // the last column of the watch rows
  std::string error;
  ASSERT_TRUE(book.SaveXlsx(path, &error)) << error;

  CXlBook read;
  ASSERT_TRUE(read.LoadXlsx(path, &error)) << error;
  ASSERT_EQ(read.SheetCount(), 2);
  EXPECT_EQ(read.FindSheet("매수 전략"), 0);
  EXPECT_EQ(read.FindSheet("Second"), 1);
  EXPECT_EQ(read.FindSheet("missing"), -1);
  const CXlSheet* s = read.Sheet(0);
  EXPECT_EQ(s->LastRow(), 31);
  EXPECT_EQ(s->LastColumn(), 29);
  ASSERT_NE(s->CellAt(0, 1), nullptr);
  EXPECT_EQ(s->CellAt(0, 1)->text, " 종목명");
  EXPECT_EQ(s->CellAt(1, 0)->type, CellType::kNumber);
  EXPECT_DOUBLE_EQ(s->CellAt(1, 0)->number, 70000);
  EXPECT_DOUBLE_EQ(s->CellAt(1, 1)->number, -1.25);
  EXPECT_EQ(s->CellAt(1, 2)->type, CellType::kString);
  EXPECT_EQ(s->CellAt(1, 2)->text, "005930");
  ASSERT_NE(s->CellAt(2, 0), nullptr);
  EXPECT_TRUE(s->CellAt(2, 0)->formula);
  EXPECT_EQ(s->CellAt(2, 0)->formulaText, "A2*2");
  EXPECT_DOUBLE_EQ(s->CellAt(2, 0)->number, 140000);
  EXPECT_EQ(s->CellAt(5, 5), nullptr);

  const std::string out = RunPython(dir.Path(), R"(
import openpyxl
wb = openpyxl.load_workbook(')" + path + R"(')
print(wb.sheetnames)
ws = wb['매수 전략']
print(repr(ws['A1'].value), repr(ws['B1'].value), repr(ws['A2'].value), repr(ws['B2'].value),
      repr(ws['C2'].value), repr(ws['A3'].value), repr(ws.cell(row=31, column=29).value))
)");
  EXPECT_EQ(out,
            "['매수 전략', 'Second']\n'MARK' ' 종목명' 70000 -1.25 '005930' '=A2*2' 7\n");
}

TEST(XlBook, BookMadeByOpenpyxlReads) {
  orv::test::TempDir dir;
  const std::string path = dir.Path() + "/made.xlsx";
  const std::string out = RunPython(dir.Path(), R"(
import openpyxl
wb = openpyxl.Workbook()
ws = wb.active
ws.title = '회원'
ws.append(['이름', '전화', '점수', '참'])
ws.append(['홍길동', '010-1234-5678', 92.5, True])
ws.append(['김철수', None, 7, False])
ws['E2'] = '=C2+C3'
other = wb.create_sheet('Other')
other['B3'] = 'x'
wb.save(')" + path + R"(')
print('ok')
)");
  ASSERT_EQ(out, "ok\n");
  CXlBook book;
  std::string error;
  ASSERT_TRUE(book.Load(path, &error)) << error;
  ASSERT_EQ(book.SheetCount(), 2);
  ASSERT_EQ(book.FindSheet("회원"), 0);
  const CXlSheet* s = book.Sheet(0);
  EXPECT_EQ(s->LastRow(), 3);
  EXPECT_EQ(s->CellAt(0, 0)->text, "이름");
  EXPECT_EQ(s->CellAt(1, 0)->text, "홍길동");
  EXPECT_EQ(s->CellAt(1, 1)->text, "010-1234-5678");
  EXPECT_DOUBLE_EQ(s->CellAt(1, 2)->number, 92.5);
  EXPECT_EQ(s->CellAt(1, 3)->type, CellType::kBoolean);
  EXPECT_DOUBLE_EQ(s->CellAt(1, 3)->number, 1);
  EXPECT_DOUBLE_EQ(s->CellAt(2, 3)->number, 0);
  EXPECT_EQ(s->CellAt(2, 1), nullptr);
  // openpyxl keeps no result for a formula: the cell is a formula without a value.
  ASSERT_NE(s->CellAt(1, 4), nullptr);
  EXPECT_TRUE(s->CellAt(1, 4)->formula);
  EXPECT_EQ(s->CellAt(1, 4)->type, CellType::kEmpty);
  const CXlSheet* other = book.Sheet(1);
  EXPECT_EQ(other->Name(), "Other");
  ASSERT_NE(other->CellAt(2, 1), nullptr);
  EXPECT_EQ(other->CellAt(2, 1)->text, "x");
}

TEST(XlBook, BrokenFilesFailAndLeaveTheBookEmpty) {
  orv::test::TempDir dir;
  // A good book to cut and spoil.
  const std::string good = dir.Path() + "/good.xlsx";
  CXlBook book;
  book.AddSheet("S")->SetString(0, 0, "text");
  ASSERT_TRUE(book.SaveXlsx(good));
  const std::string bytes = ReadBytes(good);

  struct Case {
    const char* name;
    std::string content;
  } cases[] = {
      {"empty", ""},
      {"text", "MARK,NO\n1,2\n"},
      {"cut zip", bytes.substr(0, bytes.size() / 2)},
      {"zip without its end", bytes.substr(0, bytes.size() - 30)},
  };
  for (const Case& c : cases) {
    const std::string path = dir.Path() + "/bad.xlsx";
    std::ofstream(path, std::ios::binary) << c.content;
    CXlBook read;
    read.AddSheet("left over");
    std::string error;
    EXPECT_FALSE(read.LoadXlsx(path, &error)) << c.name;
    EXPECT_FALSE(error.empty()) << c.name;
    EXPECT_EQ(read.SheetCount(), 0) << c.name;
    EXPECT_FALSE(read.Load(path, &error)) << c.name;  // tried as .xls too
  }
  CXlBook missing;
  std::string error;
  EXPECT_FALSE(missing.Load(dir.Path() + "/none.xlsx", &error));
  EXPECT_NE(error.find("none.xlsx"), std::string::npos);
}

TEST(XlBook, SavingReplacesTheFileOnlyWhenTheNewOneIsWhole) {
  orv::test::TempDir dir;
  const std::string path = dir.Path() + "/book.xlsx";
  CXlBook first;
  first.AddSheet("A")->SetNumber(0, 0, 1);
  ASSERT_TRUE(first.SaveXlsx(path));
  CXlBook second;
  second.AddSheet("A")->SetNumber(0, 0, 2);
  ASSERT_TRUE(second.SaveXlsx(path));
  CXlBook read;
  ASSERT_TRUE(read.LoadXlsx(path));
  EXPECT_DOUBLE_EQ(read.Sheet(0)->CellAt(0, 0)->number, 2);

  // A folder that does not exist: the save fails and says so.
  std::string error;
  EXPECT_FALSE(second.SaveXlsx(dir.Path() + "/no/such/book.xlsx", &error));
  EXPECT_FALSE(error.empty());
  // A book without sheets is written with one empty sheet.
  CXlBook empty;
  ASSERT_TRUE(empty.SaveXlsx(path));
  ASSERT_TRUE(read.LoadXlsx(path));
  EXPECT_EQ(read.SheetCount(), 1);
}

TEST(XlBook, SheetNamesFollowExcelRules) {
  CXlBook book;
  EXPECT_NE(book.AddSheet("매수 전략"), nullptr);
  EXPECT_EQ(book.AddSheet("매수 전략"), nullptr);
  EXPECT_NE(book.AddSheet("Data"), nullptr);
  EXPECT_EQ(book.AddSheet("DATA"), nullptr);  // Excel compares ignoring case
  EXPECT_EQ(book.AddSheet(""), nullptr);
  EXPECT_EQ(book.AddSheet("a/b"), nullptr);
  EXPECT_EQ(book.AddSheet("1234567890123456789012345678901x"), nullptr);
  EXPECT_NE(book.AddSheet("가나다라마바사아자차카타파하가나다라마바사아자차카타파하가나다"), nullptr);
  EXPECT_EQ(book.SheetCount(), 3);
}

TEST(XlBook, CellReferences) {
  struct Case {
    const char* ref;
    bool ok;
    int row, col;
  } cases[] = {
      {"A1", true, 0, 0},          {"AC2", true, 1, 28},       {"xfd1048576", true, 1048575, 16383},
      {"XFE1", false, 0, 0},       {"A1048577", false, 0, 0},  {"A0", false, 0, 0},
      {"1A", false, 0, 0},         {"A", false, 0, 0},         {"AAAA1", false, 0, 0},
      {"A1x", false, 0, 0},        {"", false, 0, 0},
  };
  for (const Case& c : cases) {
    int row = -1, col = -1;
    EXPECT_EQ(orv::xl::ParseCellRef(c.ref, &row, &col), c.ok) << c.ref;
    if (c.ok) {
      EXPECT_EQ(row, c.row) << c.ref;
      EXPECT_EQ(col, c.col) << c.ref;
    }
  }
}

TEST(XlBook, SheetXmlReaderHandlesWhatProducersWrite) {
  const std::vector<std::string> shared = {"공유", "two"};
  CXlSheet sheet("S");
  // Prefixed names, rows and cells without references, inline and rich strings, a shared
  // index out of range, errors, string results of formulas.
  const std::string xml =
      "<x:worksheet xmlns:x='m'><x:sheetData>"
      "<x:row><x:c t='s'><x:v>0</x:v></x:c><x:c t='s'><x:v>9</x:v></x:c>"
      "<x:c t='inlineStr'><x:is><x:r><x:t>a </x:t></x:r><x:r><x:t>b</x:t></x:r></x:is></x:c></x:row>"
      "<x:row r='4'><x:c r='B4' t='e'><x:v>#DIV/0!</x:v></x:c>"
      "<x:c r='C4' t='str'><x:f>A1&amp;\"x\"</x:f><x:v>공유x</x:v></x:c>"
      "<x:c r='D4' s='3'/></x:row>"
      "</x:sheetData></x:worksheet>";
  ASSERT_TRUE(orv::xl::ParseWorksheet(xml, shared, &sheet));
  EXPECT_EQ(sheet.CellAt(0, 0)->text, "공유");
  EXPECT_EQ(sheet.CellAt(0, 1), nullptr);
  EXPECT_EQ(sheet.CellAt(0, 2)->text, "a b");
  EXPECT_EQ(sheet.CellAt(3, 1)->type, CellType::kError);
  EXPECT_EQ(sheet.CellAt(3, 2)->text, "공유x");
  EXPECT_TRUE(sheet.CellAt(3, 2)->formula);
  EXPECT_EQ(sheet.CellAt(3, 3), nullptr);  // style only

  // Refused: a bad reference, XML nested beyond reason, broken XML.
  std::string deep;
  for (int i = 0; i < 5000; ++i) deep += "<a>";
  for (const std::string& bad :
       {std::string("<worksheet><sheetData><row><c r='A0'><v>1</v></c></row></sheetData></worksheet>"),
        std::string("<worksheet><sheetData><row r='x'/></sheetData></worksheet>"), deep,
        std::string("<worksheet><sheetData>")}) {
    CXlSheet s("S");
    EXPECT_FALSE(orv::xl::ParseWorksheet(bad, shared, &s)) << bad.substr(0, 60);
  }
}

TEST(XlBook, PartsThatAreNotCleanUtf8ReadWithBadBytesReplaced) {
  // The parser steps over a character by its lead byte: a lead byte cut by the part's end, or
  // by a NUL, must not take it past the text. Bad bytes read as U+FFFD; text after a NUL is
  // not read.
  const std::string head = "<sst><si><t>";
  const std::string tail = "</t></si></sst>";
  const std::string bad = "\xEF\xBF\xBD";
  struct Case {
    const char* name;
    std::string xml;
    bool parses;
    std::string text;
  } cases[] = {
      {"clean Korean", head + "가나" + tail, true, "가나"},
      {"stray continuation byte", head + "a\x80" "b" + tail, true, "a" + bad + "b"},
      {"overlong slash", head + "\xC0\xAF" + tail, true, bad + bad},
      {"surrogate", head + "\xED\xA0\x80" + tail, true, bad + bad + bad},
      {"lead byte before a tag", head + "x\xE2" + tail, true, "x" + bad},
      {"lead byte cut by the end", head + "x</t></si></sst>\xF0", true, "x"},
      {"lead byte before a NUL", head + "x\xE2" + std::string(1, '\0') + "\x82" + tail, false, ""},
      {"NUL in the text", head + "ab" + std::string(1, '\0') + tail, false, ""},
  };
  for (const Case& c : cases) {
    std::vector<std::string> shared;
    EXPECT_EQ(orv::xl::ParseSharedStrings(c.xml, &shared), c.parses) << c.name;
    if (!c.parses) continue;
    ASSERT_EQ(shared.size(), 1u) << c.name;
    EXPECT_EQ(shared[0], c.text) << c.name;
  }
}
