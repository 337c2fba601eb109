// The cafe member import against the loopback web server, with workbooks made by openpyxl,
// libxlsxwriter and a small .xls writer: the person kind of each sheet, the rows sent and
// skipped, registration dates from date cells and date texts, the extensions, the per-person
// and per-file log lines over several files, failed requests and the result message.

#include <gtest/gtest.h>
#include <xlsxwriter.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "platform/support/TextConv.h"
#include "plugin/community/CafeMemberImport.h"
#include "tests/platform/win/TestFolders.h"
#include "tests/plugin/community/PythonScript.h"
#include "tests/plugin/community/WebFixture.h"

namespace orv::test {
namespace {

constexpr const char* kUploadPath = "/stock/cafe_member_up";

// A folder of its own for the test's workbooks, removed afterwards.
class WorkbookDir : public orv::win::test::TempFolder {
 public:
  std::string File(const std::string& name) const { return Path() + "/" + name; }
};

// Three sheets as openpyxl writes them: customers, employees and one named neither way. Row 0
// is a header; dates are real date cells, date texts, or absent.
std::string MakeOpenpyxlBook(const WorkbookDir& dir) {
  const std::string path = dir.File("members.xlsx");
  const std::string out = RunPython(dir.File("make.py"), R"(
import datetime, openpyxl
wb = openpyxl.Workbook()
ws = wb.active
ws.title = '고객목록'
ws.append(['No', '이름', '전화', '등록일'])
ws.append([1, '홍길동', '010-1111-2222', datetime.datetime(2024, 3, 5)])
ws.append([2, None, '010-0000-0000', '2024-01-01'])
ws.append([3, '김철수', '010-3333-4444', '2023-12-01'])
ws2 = wb.create_sheet('직원목록')
ws2.append(['No', '이름', '전화', '등록일'])
ws2.append([1, '이영희', 1055556666, None])
ws3 = wb.create_sheet('Sheet1')
ws3.append(['No', '이름', '전화', '등록일'])
ws3.append([1, '박민수', '010-7777-8888', datetime.date(2022, 7, 9)])
wb.save(')" + path + R"(')
)");
  EXPECT_EQ(out, "");
  return path;
}

// One sheet "Sheet1" with `names` as libxlsxwriter writes it; the first person has a date cell.
std::string MakeXlsxwriterBook(const std::string& path, const std::vector<std::string>& names) {
  lxw_workbook* book = workbook_new(path.c_str());
  lxw_worksheet* sheet = workbook_add_worksheet(book, "Sheet1");
  lxw_format* date = workbook_add_format(book);
  format_set_num_format(date, "yyyy-mm-dd");
  worksheet_write_string(sheet, 0, 1, "이름", nullptr);
  for (size_t i = 0; i < names.size(); ++i) {
    const lxw_row_t row = static_cast<lxw_row_t>(i + 1);
    worksheet_write_string(sheet, row, 1, names[i].c_str(), nullptr);
    worksheet_write_string(sheet, row, 2, "010-1234-5678", nullptr);
    if (i == 0) {
      lxw_datetime when = {2021, 11, 30, 0, 0, 0};
      worksheet_write_datetime(sheet, row, 3, &when, date);
    }
  }
  EXPECT_EQ(workbook_close(book), LXW_NO_ERROR);
  return path;
}

// A small .xls (BIFF8) book made by tests/plugin/community/data/make_xls.py.
std::string MakeXlsBook(const WorkbookDir& dir, const std::string& name,
                        const std::string& description) {
  const std::string path = dir.File(name);
  const std::string script = std::string(ORV_SOURCE_DIR) + "/tests/plugin/community/data/make_xls.py";
  std::ofstream(dir.File("sheets.json")) << description;
  const std::string out = RunPython(
      dir.File("make_xls_call.py"),
      "import json, subprocess, sys\n"
      "subprocess.run([sys.executable, '" + script + "', '" + path + "', open('" +
          dir.File("sheets.json") + "', encoding='utf-8').read()], check=True)\n");
  EXPECT_EQ(out, "");
  return path;
}

struct LogLine {
  std::wstring text;
  int code1, code2;
};

class CafeMemberImportTest : public WebFixture {
 protected:
  void SetUp() override {
    WebFixture::SetUp();
    peer.Http().On("POST", kUploadPath, [](const RecordedRequest& request) {
      PeerReply reply;
      const FormPart* name = request.Part("uname");
      // The server refuses one person, as it does for a phone number it holds already.
      reply.body = name && name->content == "김철수" ? "{\"err\":\"3\",\"msg\":\"중복\"}"
                                                     : "{\"err\":\"0\",\"msg\":\"ok\"}";
      return reply;
    });
  }

  CafeMemberImportResult_s Import(const std::vector<std::string>& files, int kind) {
    std::vector<std::wstring> wide;
    for (const std::string& file : files) wide.push_back(Utf8ToWide(file));
    CCafeMemberImport import(run, login, [this](const std::wstring& line, int c1, int c2) {
      log.push_back({line, c1, c2});
    });
    return import.UploadMemberFiles(wide, kind, kCafeMemberFirstRow, 42);
  }

  std::vector<std::string> Sent(const char* field) {
    std::vector<std::string> values;
    for (const RecordedRequest& r : To(kUploadPath)) values.push_back(PartValue(r, field));
    return values;
  }

  WorkbookDir dir;
  std::vector<LogLine> log;
};

TEST_F(CafeMemberImportTest, EverySheetsPeopleArePostedWithTheSheetsKindAndTheirDates) {
  const std::string book = MakeOpenpyxlBook(dir);
  // (command kind, the kinds the three sheets send): "고객목록" and "직원목록" fix theirs,
  // "Sheet1" takes the command's.
  const std::vector<std::tuple<int, std::vector<std::string>>> cases = {
      {kCafeMemberCustomer, {"1", "1", "2", "1"}},
      {kCafeMemberEmployee, {"1", "1", "2", "2"}},
  };
  for (const auto& [kind, kinds] : cases) {
    peer.Http().ClearRequests();
    log.clear();
    const CafeMemberImportResult_s result = Import({book}, kind);
    // The header rows and the row without a name are neither sent nor counted.
    EXPECT_EQ(result.posted, 4) << kind;
    EXPECT_EQ(result.accepted, 3) << kind;
    EXPECT_EQ(Sent("uname"), (std::vector<std::string>{"홍길동", "김철수", "이영희", "박민수"}));
    EXPECT_EQ(Sent("tp"), kinds) << kind;
    // A date cell and a date text both go as year-month-day; no date goes empty.
    EXPECT_EQ(Sent("reg_date"),
              (std::vector<std::string>{"2024-03-05", "2023-12-01", "", "2022-07-09"}));
    // A phone number typed as a number keeps its digits.
    EXPECT_EQ(Sent("tel"), (std::vector<std::string>{"010-1111-2222", "010-3333-4444",
                                                     "1055556666", "010-7777-8888"}));
  }

  const auto requests = To(kUploadPath);
  ASSERT_EQ(requests.size(), 4u);
  const RecordedRequest& first = requests[0];
  EXPECT_EQ(PartNames(first),
            (std::vector<std::string>{"rsp", "b2b", "gdp", "deployer", "apk", "co", "agc", "uidx",
                                      "tk", "uid2", "chk4", "chk5", "key", "op", "dt", "valid",
                                      "tp", "cafe", "reg_date", "uname", "tel"}));
  EXPECT_EQ(PartValue(first, "op"), "1");
  EXPECT_EQ(PartValue(first, "valid"), "1");
  EXPECT_EQ(PartValue(first, "cafe"), "42");
  EXPECT_EQ(PartValue(first, "tk"), "tk-77");
  EXPECT_EQ(PartValue(first, "dt").size(), 19u) << PartValue(first, "dt");
  // One start time for the whole import.
  EXPECT_EQ(PartValue(first, "dt"), PartValue(requests[3], "dt"));
  EXPECT_EQ(first.Header("User-Agent"), "VARQO-PC-AGENT-TOOL-by HTTP");

  // A line per person (codes 100), the server's err and msg in it, then the file's line.
  ASSERT_EQ(log.size(), 5u);
  EXPECT_EQ(log[0].text, L"> [1/1](1) : 0:고객목록 [홍길동 / 010-1111-2222] --> ERR:0/ok\r\n");
  EXPECT_EQ(log[1].text, L"> [1/1](2) : 0:고객목록 [김철수 / 010-3333-4444] --> ERR:3/중복\r\n");
  EXPECT_EQ(log[3].text, L"> [1/1](4) : 2:Sheet1 [박민수 / 010-7777-8888] --> ERR:0/ok\r\n");
  EXPECT_EQ(log[0].code1, 100);
  EXPECT_EQ(log[0].code2, 100);
  EXPECT_EQ(log[4].text, L"-----------------\r\nFinished. members.xlsx : (4)\r\n");
  EXPECT_EQ(log[4].code1, 0);
}

TEST_F(CafeMemberImportTest, ExtensionsDecideTheFormatAndCountsRunOverTheFiles) {
  const std::string upper = MakeXlsxwriterBook(dir.File("upper.XLSX"), {"가", "나", "다"});
  const std::string xls = MakeXlsBook(
      dir, "old.xls",
      R"([{"name": "직원명부", "rows": [["No", "이름", "전화", "등록일"],
          [1, "라", "010-1", {"date": "2020-02-29"}], [2, "마", "010-2", "2019-10-10"]]}])");
  // A .csv is tried as .xls and does not load; an .xlsx renamed .xls does not load either.
  const std::string csv = dir.File("list.csv");
  std::ofstream(csv) << "No,이름,전화\n1,바,010-3\n";
  const std::string renamed = dir.File("renamed.xls");
  std::filesystem::copy_file(upper, renamed);

  const CafeMemberImportResult_s result = Import({upper, xls, csv, renamed}, kCafeMemberCustomer);
  EXPECT_EQ(result.posted, 5);
  EXPECT_EQ(result.files, 2);
  EXPECT_EQ(Sent("uname"), (std::vector<std::string>{"가", "나", "다", "라", "마"}));
  EXPECT_EQ(Sent("tp"), (std::vector<std::string>{"1", "1", "1", "2", "2"}));
  EXPECT_EQ(Sent("reg_date"),
            (std::vector<std::string>{"2021-11-30", "", "", "2020-02-29", "2019-10-10"}));

  std::vector<std::wstring> finished;
  for (const LogLine& line : log)
    if (line.text.rfind(L"-----------------", 0) == 0) finished.push_back(line.text);
  EXPECT_EQ(finished, (std::vector<std::wstring>{
                          L"-----------------\r\nFinished. upper.XLSX : (3)\r\n",
                          L"-----------------\r\nFinished. old.xls : (5)\r\n",
                          L"-----------------\r\nFinished. list.csv : (5)\r\n",
                          L"-----------------\r\nFinished. renamed.xls : (5)\r\n"}));
  EXPECT_EQ(log[4].text, L"> [2/4](4) : 0:직원명부 [라 / 010-1] --> ERR:0/ok\r\n");
}

TEST_F(CafeMemberImportTest, APersonWhoseRequestGotNoReplyIsLoggedAsNotSent) {
  const std::string book = MakeXlsxwriterBook(dir.File("two.xlsx"), {"가", "나"});
  // A server that is not there: nothing comes back.
  snprintf(run.szWebApiBase, sizeof run.szWebApiBase, "http://127.0.0.1:1/");
  const CafeMemberImportResult_s result = Import({book}, kCafeMemberCustomer);
  EXPECT_EQ(result.posted, 2);
  EXPECT_EQ(result.accepted, 0);
  ASSERT_EQ(log.size(), 3u);
  for (int i = 0; i < 2; ++i)
    EXPECT_NE(log[i].text.find(L"--> ERR:-1/"), std::wstring::npos) << WideToUtf8(log[i].text);
  const CafeMemberImportMessage_s message = MakeCafeMemberImportMessage(result);
  EXPECT_TRUE(message.error);
}

TEST_F(CafeMemberImportTest, NoFilesPostNothing) {
  EXPECT_EQ(Import({}, kCafeMemberCustomer).posted, 0);
  EXPECT_TRUE(log.empty());
  EXPECT_TRUE(To(kUploadPath).empty());
}

TEST(CafeMemberImport, SheetNamesFixTheKindOnlyWhenTheyMatchExactly) {
  const std::vector<std::tuple<std::string, int, int>> cases = {
      {"고객목록", kCafeMemberEmployee, kCafeMemberCustomer},
      {"직원명부", kCafeMemberCustomer, kCafeMemberEmployee},
      {"직원목록", kCafeMemberCustomer, kCafeMemberEmployee},
      {"Sheet1", kCafeMemberCustomer, kCafeMemberCustomer},
      {"Sheet1", kCafeMemberEmployee, kCafeMemberEmployee},
      {"고객목록 ", kCafeMemberEmployee, kCafeMemberEmployee},
      {"직원", kCafeMemberCustomer, kCafeMemberCustomer},
  };
  for (const auto& [name, command, kind] : cases)
    EXPECT_EQ(CafeMemberKindOfSheet(name, command), kind) << name << " " << command;
}

TEST(CafeMemberImport, TheResultMessageCountsOnlyWhatTheServerTook) {
  const std::vector<std::tuple<int, int, bool, std::wstring>> cases = {
      {0, 0, true, L"입력된 정보가 없습니다."},
      {3, 3, false, L"3개의 정보가 입력되었습니다."},
      {3, 1, false,
       L"1개의 정보가 입력되었습니다.\n(2명은 서버에 입력되지 않았습니다. 로그를 확인해 주세요.)"},
      {2, 0, true,
       L"입력된 정보가 없습니다.\n(2명은 서버에 입력되지 않았습니다. 로그를 확인해 주세요.)"},
  };
  for (const auto& [posted, accepted, error, text] : cases) {
    CafeMemberImportResult_s result;
    result.posted = posted;
    result.accepted = accepted;
    const CafeMemberImportMessage_s message = MakeCafeMemberImportMessage(result);
    EXPECT_EQ(message.error, error) << posted << "/" << accepted;
    EXPECT_EQ(message.text, text) << posted << "/" << accepted;
  }
}

}  // namespace
}  // namespace orv::test
