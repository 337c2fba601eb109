#pragma once
// Adding people to a cafe from Excel workbooks: every sheet of every chosen file is read, each
// data row gives a name (column 1), a phone number (column 2) and a registration date (column
// 3, a date cell or a date text); each person is posted at once to the web server
// ("stock/cafe_member_up") and gets one line in the trading view's application log. The sheet's
// name may fix the person's kind ("고객목록" customers; "직원명부", "직원목록" employees).
//
// Toolkit-free: the cafe dialog chooses the files and shows the result. Runs on the calling
// thread with one HTTP handle of its own per import; nothing is retried.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct app_run_setting_s;
struct login_info_s;

// Person kinds ("tp").
constexpr int kCafeMemberCustomer = 1;
constexpr int kCafeMemberEmployee = 2;
// Row 0 of a sheet is its header.
constexpr int kCafeMemberFirstRow = 1;
constexpr int kCafeMemberUploadTimeoutMs = 10000;
constexpr const wchar_t* kCafeMemberUploadPath = L"stock/cafe_member_up";

// The person kind of a sheet: "고객목록" 1; "직원명부" and "직원목록" 2; any other name (compared
// exactly) the command's kind.
int CafeMemberKindOfSheet(const std::string& sheetName, int commandKind);

namespace orv::xl {
class CXlSheet;
}

// The person of one data row: name (column 1), phone (column 2) and registration date
// (column 3, "%04d-%02d-%02d" of a date cell or date text, else empty).
struct CafeMemberRow_s {
  std::wstring name;
  std::wstring phone;
  std::wstring regDate;
};
// Reads a data row; false when it has no name (the row is skipped, not counted).
bool ReadCafeMemberRow(const orv::xl::CXlSheet& sheet, int row, CafeMemberRow_s* out);

// What an import did.
struct CafeMemberImportResult_s {
  int posted = 0;    // persons sent (the count the log lines carry)
  int accepted = 0;  // persons the server answered with err "0"
  int files = 0;     // files that loaded as workbooks
};

class CCafeMemberImport {
 public:
  // A line of the application log with its two codes.
  using LogLine = std::function<void(const std::wstring& line, int code1, int code2)>;

  // The host's records, read for every request; both outlive the import.
  CCafeMemberImport(const app_run_setting_s& run, const login_info_s& login, LogLine log);

  // Reads and posts the people of `files` (full paths) with the kind of the command and the
  // first data row, for cafe `cafe`. A file ending in "xlsx" (any letter case) opens as .xlsx,
  // any other as .xls; a file that does not load only gets its "Finished" line.
  CafeMemberImportResult_s UploadMemberFiles(const std::vector<std::wstring>& files, int kind,
                                             int firstRow, int32_t cafe);

 private:
  // Posts one person; answers whether a reply came, with its "err" and "msg" (or, without a
  // reply, the transfer's failure as err "-1").
  bool PostMember(void* curl, const std::string& url, const std::string& startTime, int kind,
                  int32_t cafe, const std::wstring& regDate, const std::wstring& name,
                  const std::wstring& phone, std::string* err, std::string* msg);

  const app_run_setting_s& m_run;
  const login_info_s& m_login;
  LogLine m_log;
};

// The result message of the cafe menu's import commands: the text and whether it is the error
// "입력된 정보가 없습니다." (nothing accepted) rather than "%d개의 정보가 입력되었습니다.". People
// the server did not take are named in a second line.
struct CafeMemberImportMessage_s {
  std::wstring text;
  bool error = false;
};
CafeMemberImportMessage_s MakeCafeMemberImportMessage(const CafeMemberImportResult_s& result);
