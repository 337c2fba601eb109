#include "plugin/community/CafeMemberImport.h"

#include <curl/curl.h>

#include <cstdlib>
#include <memory>

#include "platform/support/HttpForm.h"
#include "platform/support/LoginForm.h"
#include "platform/support/TextConv.h"
#include "platform/win/Clock.h"
#include "platform/xl/XlBook.h"
#include "plugin/community/WebLogin.h"
#include "plugin/community/WebText.h"
#include "plugin/community/WorkbookCells.h"
#include "shared/AppRunSetting.h"
#include "shared/LoginInfo.h"

namespace {

constexpr int kNameColumn = 1;
constexpr int kPhoneColumn = 2;
constexpr int kDateColumn = 3;
// The log codes of a person's line and of a file's closing line.
constexpr int kPersonLogCode = 100;
constexpr int kFileLogCode = 0;
// What a line carries as "err" for a person whose request got no reply.
constexpr const char* kNoReplyErr = "-1";

struct CurlDeleter {
  void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};

// The file's name as the user knows it: the path without its folder.
std::wstring FileNameOf(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::string DateTimeText(const SYSTEMTIME& t) {
  return FormatA("%04d-%02d-%02d %02d:%02d:%02d", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                 t.wSecond);
}

}  // namespace

int CafeMemberKindOfSheet(const std::string& sheetName, int commandKind) {
  if (sheetName == "고객목록") return kCafeMemberCustomer;
  if (sheetName == "직원명부" || sheetName == "직원목록") return kCafeMemberEmployee;
  return commandKind;
}

bool ReadCafeMemberRow(const orv::xl::CXlSheet& sheet, int row, CafeMemberRow_s* out) {
  out->name = WorkbookCellText(sheet.CellAt(row, kNameColumn));
  if (out->name.empty()) return false;
  out->phone = WorkbookCellText(sheet.CellAt(row, kPhoneColumn));
  SYSTEMTIME date{};
  CodeGenGetDateValueFromExcelCell(sheet.CellAt(row, kDateColumn), &date);
  out->regDate = FormatWorkbookDate(date);
  return true;
}

CCafeMemberImport::CCafeMemberImport(const app_run_setting_s& run, const login_info_s& login,
                                     LogLine log)
    : m_run(run), m_login(login), m_log(std::move(log)) {}

bool CCafeMemberImport::PostMember(void* curl, const std::string& url,
                                   const std::string& startTime, int kind, int32_t cafe,
                                   const std::wstring& regDate, const std::wstring& name,
                                   const std::wstring& phone, std::string* err,
                                   std::string* msg) {
  CURL* handle = static_cast<CURL*>(curl);
  curl_mime* form = curl_mime_init(handle);
  GfxFillUserDataToHttpForm(form, &m_run, &m_login, nullptr, "json");
  CURL_MIMEADD_INT(form, "op", 1);
  CURL_MIMEADD_TEXTA(form, "dt", startTime.c_str());
  CURL_MIMEADD_INT(form, "valid", 1);
  CURL_MIMEADD_INT(form, "tp", kind);
  CURL_MIMEADD_INT(form, "cafe", cafe);
  CURL_MIMEADD_TEXTW(form, "reg_date", regDate.c_str());
  CURL_MIMEADD_TEXTW(form, "uname", name.c_str());
  CURL_MIMEADD_TEXTW(form, "tel", phone.c_str());
  char* reply = nullptr;
  size_t length = 0;
  int status = 0;
  const int result = GfxHttpPostMimeDataUsingCurl2(
      url.c_str(), handle, form, 1, &reply, &length, &status, m_run.szWebApiKey,
      m_run.szWebApiUserId, m_run.nWebApiUserIdx, m_run.nWebApiToken,
      kCafeMemberUploadTimeoutMs, 0, 0, kWebAgentUserAgent, 0, 0);
  std::unique_ptr<char, decltype(&std::free)> owned(reply, &std::free);
  if (!reply) {
    // Without a reply the line says so: the person may not have reached the server.
    *err = kNoReplyErr;
    *msg = result != 0 ? GfxHttpLastTransferError() : "no reply";
    return false;
  }
  *err = ReplyText(reply, "err");
  *msg = ReplyText(reply, "msg");
  return true;
}

CafeMemberImportResult_s CCafeMemberImport::UploadMemberFiles(
    const std::vector<std::wstring>& files, int kind, int firstRow, int32_t cafe) {
  CafeMemberImportResult_s result;
  const std::string startTime = DateTimeText(orv::win::CurrentClock().Now());
  std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
  if (!curl || files.empty()) return result;
  if (firstRow < 0) firstRow = 0;
  const int fileCount = static_cast<int>(files.size());

  for (int f = 0; f < fileCount; ++f) {
    const std::wstring& path = files[static_cast<size_t>(f)];
    orv::xl::CXlBook book;
    if (LoadWorkbookAs(path, WorkbookExtension(path) == "xlsx", &book)) {
      ++result.files;
      const std::string url = MakeScriptUrl(m_run, kCafeMemberUploadPath);
      for (int s = 0; s < book.SheetCount(); ++s) {
        const orv::xl::CXlSheet* sheet = book.Sheet(s);
        if (!sheet) continue;
        const int sheetKind = CafeMemberKindOfSheet(sheet->Name(), kind);
        const std::wstring sheetName = Utf8ToWide(sheet->Name());
        std::string err, msg;  // of the sheet's last reply
        for (int row = firstRow; row < sheet->LastRow(); ++row) {
          CafeMemberRow_s person;
          if (!ReadCafeMemberRow(*sheet, row, &person)) continue;
          const bool replied =
              PostMember(curl.get(), url, startTime, sheetKind, cafe, person.regDate,
                         person.name, person.phone, &err, &msg);
          ++result.posted;
          if (replied && err == "0") ++result.accepted;
          m_log(FormatW(L"> [%d/%d](%d) : %d:%ls [%ls / %ls] --> ERR:%ls/%ls\r\n", f + 1,
                        fileCount, result.posted, s, sheetName.c_str(), person.name.c_str(),
                        person.phone.c_str(), Utf8ToWide(err).c_str(), Utf8ToWide(msg).c_str()),
                kPersonLogCode, kPersonLogCode);
        }
      }
    }
    m_log(FormatW(L"-----------------\r\nFinished. %ls : (%d)\r\n", FileNameOf(path).c_str(),
                  result.posted),
          kFileLogCode, kFileLogCode);
  }
  return result;
}

CafeMemberImportMessage_s MakeCafeMemberImportMessage(const CafeMemberImportResult_s& result) {
  CafeMemberImportMessage_s message;
  if (result.accepted < 1) {
    message.error = true;
    message.text = L"입력된 정보가 없습니다.";
  } else {
    message.text = FormatW(L"%d개의 정보가 입력되었습니다.", result.accepted);
  }
  const int refused = result.posted - result.accepted;
  if (refused > 0)
    message.text += FormatW(L"\n(%d명은 서버에 입력되지 않았습니다. 로그를 확인해 주세요.)", refused);
  return message;
}
