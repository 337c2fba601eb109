#include "platform/support/SecretTable.h"

#include <cstdio>
#include <string>

#include "platform/support/DateUtil.h"
#include "platform/support/TextConv.h"

const wchar_t kSecretKindOptions[] =
    L"0:;1:웹-접속;2:SSH-접속;3:FTP-접속;4:메일-서버;5:DB 정보;6:웹하드-로그인;7:일반-로그인;";

const wchar_t kSecretGridLayout[] =
    L":#10;No:#30;코드:100;프로젝트/타이틀:g100;구분:c60;아이피:100;포트:>40;DB명/식별자:60;"
    L"상점계정:70;사용자계정:70;암호:100;접속키(Key):70;보안키(Key):70;보안(토큰):70;리턴URL:150;"
    L"시작일:d60;만료일:d60;설명:120;";

namespace {

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  while (true) {
    const size_t end = text.find(separator, start);
    if (end == std::string_view::npos) {
      parts.push_back(text.substr(start));
      return parts;
    }
    parts.push_back(text.substr(start, end - start));
    start = end + 1;
  }
}

std::wstring Trim(const std::wstring& text) {
  const wchar_t* space = L" \t\r\n";
  const size_t begin = text.find_first_not_of(space);
  if (begin == std::wstring::npos) return L"";
  return text.substr(begin, text.find_last_not_of(space) - begin + 1);
}

// A description's carriage returns as line breaks the edit box shows.
std::wstring DescriptionFromTable(const std::wstring& text) {
  std::wstring out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\r') {
      out += L"\r\n";
      if (i + 1 < text.size() && text[i + 1] == L'\n') ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string FieldText(const std::wstring& text, bool description) {
  std::wstring out;
  for (size_t i = 0; i < text.size(); ++i) {
    const wchar_t c = text[i];
    if (c == L'\t') {
      out += L' ';
    } else if (c == L'\r' || c == L'\n') {
      if (!description) {
        out += L' ';
      } else {
        out += L'\r';
        if (c == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') ++i;
      }
    } else {
      out += c;
    }
  }
  return WideToUtf8(out);
}

SecretEntry_s GroupRow(const std::wstring& code, const std::wstring& title) {
  SecretEntry_s row;
  row.code = code;
  row.title = title;
  return row;
}

}  // namespace

bool SecretEntry_s::IsBlank() const {
  // An entry holding only an access key, a return URL or dates is still an entry.
  return ip.empty() && port.empty() && dbName.empty() && shopAccount.empty() &&
         userAccount.empty() && password.empty() && accessKey.empty() && secretKey.empty() &&
         token.empty() && returnUrl.empty() && !hasStart && !hasExpiry && Trim(description).empty();
}

std::wstring FormatSecretDate(const SYSTEMTIME& date) {
  wchar_t text[16];
  std::swprintf(text, 16, L"%04u-%02u-%02u", static_cast<unsigned>(date.wYear),
                static_cast<unsigned>(date.wMonth), static_cast<unsigned>(date.wDay));
  return text;
}

bool ParseSecretDate(std::string_view text, SYSTEMTIME* date) {
  std::string value(text);
  while (!value.empty() && (value.back() == ' ' || value.back() == '\r')) value.pop_back();
  if (value.empty() || value.size() > 32) return false;
  SYSTEMTIME parsed{};
  if (!Str2UniDateTimeA(value.c_str(), &parsed)) return false;
  if (parsed.wYear < 1900 || parsed.wMonth < 1 || parsed.wMonth > 12 || parsed.wDay < 1 ||
      parsed.wDay > 31)
    return false;
  *date = parsed;
  return true;
}

std::vector<SecretEntry_s> ParseSecretTable(std::string_view text, int blankRows, int* entryCount,
                                            int* newEntryRow) {
  std::vector<SecretEntry_s> rows;
  int entries = 0;
  int newEntry = -1;
  std::wstring lastCode, lastTitle;
  bool anyEntry = false;
  for (std::string_view line : Split(text, '\n')) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty()) continue;
    const std::vector<std::string_view> fields = Split(line, '\t');
    auto field = [&](int index) -> std::wstring {
      return index < static_cast<int>(fields.size()) ? Utf8ToWide(fields[index]) : L"";
    };
    SecretEntry_s entry;
    entry.code = field(SecretEntry_s::kCode);
    entry.title = field(SecretEntry_s::kTitle);
    const std::wstring kind = field(SecretEntry_s::kKind);
    wchar_t* end = nullptr;
    const long kindValue = std::wcstol(kind.c_str(), &end, 10);
    entry.kind = (end != kind.c_str() && kindValue >= 0 && kindValue <= kSecretKindMax)
                     ? static_cast<int>(kindValue)
                     : 0;
    entry.ip = field(SecretEntry_s::kIp);
    entry.port = field(SecretEntry_s::kPort);
    entry.dbName = field(SecretEntry_s::kDbName);
    entry.shopAccount = field(SecretEntry_s::kShopAccount);
    entry.userAccount = field(SecretEntry_s::kUserAccount);
    entry.password = field(SecretEntry_s::kPassword);
    entry.accessKey = field(SecretEntry_s::kAccessKey);
    entry.secretKey = field(SecretEntry_s::kSecretKey);
    entry.token = field(SecretEntry_s::kToken);
    entry.returnUrl = field(SecretEntry_s::kReturnUrl);
    if (fields.size() > SecretEntry_s::kStartDate)
      entry.hasStart = ParseSecretDate(fields[SecretEntry_s::kStartDate], &entry.start);
    if (fields.size() > SecretEntry_s::kExpiryDate)
      entry.hasExpiry = ParseSecretDate(fields[SecretEntry_s::kExpiryDate], &entry.expiry);
    entry.description = DescriptionFromTable(Trim(field(SecretEntry_s::kDescription)));
    if (entry.IsBlank()) continue;

    // A new group: the previous group gets its blank row.
    if (anyEntry && (entry.code != lastCode || entry.title != lastTitle) && !lastTitle.empty()) {
      rows.push_back(GroupRow(lastCode, lastTitle));
      newEntry = static_cast<int>(rows.size()) - 1;
    }
    rows.push_back(entry);
    ++entries;
    anyEntry = true;
    lastCode = entry.code;
    lastTitle = entry.title;
  }
  if (anyEntry && (!lastCode.empty() || !lastTitle.empty())) {
    rows.push_back(GroupRow(lastCode, lastTitle));
    newEntry = static_cast<int>(rows.size()) - 1;
  }
  for (int i = 0; i < blankRows; ++i) {
    rows.emplace_back();
    newEntry = static_cast<int>(rows.size()) - 1;
  }
  for (size_t i = 0; i < rows.size(); ++i) rows[i].number = static_cast<int>(i) + 1;
  if (entryCount) *entryCount = entries;
  if (newEntryRow) *newEntryRow = newEntry;
  return rows;
}

std::string WriteSecretTable(const std::vector<SecretEntry_s>& rows) {
  std::string text;
  for (const SecretEntry_s& row : rows) {
    if (row.IsBlank()) continue;
    const std::wstring kind = std::to_wstring(row.kind);
    const std::wstring* plain[] = {&row.code,        &row.title,       &kind,
                                   &row.ip,          &row.port,        &row.dbName,
                                   &row.shopAccount, &row.userAccount, &row.password,
                                   &row.accessKey,   &row.secretKey,   &row.token,
                                   &row.returnUrl};
    for (const std::wstring* field : plain) {
      text += FieldText(*field, false);
      text += '\t';
    }
    text += row.hasStart ? WideToUtf8(FormatSecretDate(row.start)) : std::string();
    text += '\t';
    text += row.hasExpiry ? WideToUtf8(FormatSecretDate(row.expiry)) : std::string();
    text += '\t';
    text += FieldText(row.description, true);
    text += '\n';
  }
  return text;
}
