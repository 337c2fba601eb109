#include "host/catalogue/LanguageTexts.h"

#include <sqlite3.h>

#include <cwchar>
#include <string>

#include "host/catalogue/HostText.h"

namespace orv::host {
namespace {

std::string ColumnText(sqlite3_stmt* stmt, int column) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
  return text != nullptr ? text : "";
}

// One text column of the menu entry with code menuCode; no value without such an entry.
std::optional<std::string> MenuEntryColumns(sqlite3* db, const std::string& columns,
                                            const wchar_t* menuCode, std::string* second) {
  if (db == nullptr || menuCode == nullptr || *menuCode == L'\0') return std::nullopt;
  sqlite3_stmt* stmt = nullptr;
  const std::string sql = "select " + columns + " from APP_MENU_INFO where menu_code=? limit 1";
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
    sqlite3_finalize(stmt);
    return std::nullopt;
  }
  const std::string code = WideToUtf8(menuCode);
  sqlite3_bind_text(stmt, 1, code.c_str(), -1, SQLITE_TRANSIENT);
  std::optional<std::string> first;
  if (sqlite3_step(stmt) == SQLITE_ROW) {
    first = ColumnText(stmt, 0);
    if (second != nullptr) *second = ColumnText(stmt, 1);
  }
  sqlite3_finalize(stmt);
  return first;
}

int CountLines(const std::wstring& list) {
  int count = 0;
  size_t pos = 0;
  while (pos < list.size()) {
    size_t end = list.find(L'\n', pos);
    if (end == std::wstring::npos) end = list.size();
    if (end > pos) ++count;
    pos = end + 1;
  }
  return count;
}

}  // namespace

const char* LanguageColumnSuffix(int language) {
  switch (language) {
    case kLangKorean:
      return "kor";
    case kLangChinese:
      return "chn";
    case kLangJapanese:
      return "jpn";
    case kLangVietnamese:
      return "vtn";
    case kLangThai:
      return "tai";
    default:
      return "eng";
  }
}

std::optional<std::wstring> TextByLanguage(sqlite3* db, int companyIdx, const wchar_t* key,
                                           const wchar_t* englishDefault,
                                           const wchar_t* koreanDefault, int language) {
  if (db == nullptr) return std::nullopt;
  if (key != nullptr && *key != L'\0') {
    const std::string sql = std::string("select title_") + LanguageColumnSuffix(language) +
                            " from WORD_CODE where code=? and (is_valid is null or is_valid<>0)"
                            " order by (com_idx=?) desc limit 1";
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK) {
      const std::string code = WideToUtf8(key);
      sqlite3_bind_text(stmt, 1, code.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_int(stmt, 2, companyIdx);
      if (sqlite3_step(stmt) == SQLITE_ROW) {
        const std::string text = ColumnText(stmt, 0);
        if (!text.empty()) {
          sqlite3_finalize(stmt);
          return Utf8ToWide(text);
        }
      }
    }
    sqlite3_finalize(stmt);
  }
  if (language == kLangKorean && koreanDefault != nullptr && *koreanDefault != L'\0') {
    return std::wstring(koreanDefault);
  }
  if (englishDefault != nullptr) return std::wstring(englishDefault);
  if (koreanDefault != nullptr) return std::wstring(koreanDefault);
  return std::nullopt;
}

wchar_t* GfxZiroGetTextByLangId(sqlite3* db, const wchar_t* key, const wchar_t* englishDefault,
                                const wchar_t* koreanDefault, int language, int companyIdx) {
  auto text = TextByLanguage(db, companyIdx, key, englishDefault, koreanDefault, language);
  return text ? HeapCopy(*text) : nullptr;
}

int GetUiText(sqlite3* db, int companyIdx, const wchar_t* key, const wchar_t* englishText,
              const wchar_t* koreanText, int language, int currentLanguage, wchar_t* buffer,
              size_t capacity) {
  auto text = TextByLanguage(db, companyIdx, key, englishText, koreanText,
                             EffectiveLanguage(language, currentLanguage));
  if (!text) return 0;
  CopyToBuffer(buffer, capacity, *text);
  return 1;
}

int LangStringTable::LoadLangString(uint32_t id, wchar_t* buffer, int capacity) const {
  if (buffer == nullptr || capacity < 1) return 0;
  buffer[0] = L'\0';
  const Table* found = nullptr;
  const auto library = libraries_.find(current_);
  if (library != libraries_.end()) {
    if (library->second.count(id)) found = &library->second;
  }
  if (found == nullptr && program_.count(id)) found = &program_;
  if (found == nullptr) return 0;
  const std::wstring& text = found->at(id);
  CopyToBuffer(buffer, static_cast<size_t>(capacity), text);
  return static_cast<int>(std::wcslen(buffer));
}

std::optional<std::wstring> MenuChildTitlesByLang(sqlite3* db, const wchar_t* menuCode,
                                                  int language) {
  std::string plain;
  auto titles = MenuEntryColumns(
      db, std::string("child_titles_") + LanguageColumnSuffix(language) + ", child_titles",
      menuCode, &plain);
  if (!titles) return std::nullopt;
  return Utf8ToWide(titles->empty() ? plain : *titles);
}

std::optional<std::wstring> GfxZiroGetChildTitlesAll(sqlite3* db, const wchar_t* menuCode,
                                                     int language) {
  auto columns = MenuEntryColumns(db, "child_cols", menuCode, nullptr);
  if (!columns) return std::nullopt;
  if (!columns->empty()) return Utf8ToWide(*columns);
  return MenuChildTitlesByLang(db, menuCode, language);
}

int GfxZiroGetChildTitleByLang(sqlite3* db, int language, ZiroResultPkt_s* packet) {
  if (packet == nullptr) return -1;
  ZIRO_RESULT_PKT_FREE2(packet);
  auto titles = MenuChildTitlesByLang(db, packet->pszKey, language);
  if (!titles) {
    packet->nResult = -1;
    return -1;
  }
  packet->pszResult = HeapCopy(*titles);
  packet->nCount = CountLines(*titles);
  packet->nResult = packet->nCount;
  return packet->nCount;
}

std::wstring ReplaceChildTitleLine(const std::wstring& list, int line, const std::wstring& text) {
  if (line <= 1) {
    const size_t first = list.find(L'\n');
    if (first == std::wstring::npos) return text;
    size_t rest = first + 1;
    if (rest < list.size() && list[rest] == L'\n') ++rest;
    return text + L'\n' + list.substr(rest);
  }
  // The end of line - 1: its line feed.
  size_t cut = std::wstring::npos;
  size_t from = 0;
  for (int n = 1; n < line; ++n) {
    cut = list.find(L'\n', from);
    if (cut == std::wstring::npos) break;
    from = cut + 1;
  }
  if (cut == std::wstring::npos) return list + L'\n' + text + L'\n';
  const std::wstring head = list.substr(0, cut);
  const size_t lineEnd = list.find(L'\n', cut + 1);
  if (lineEnd == std::wstring::npos) return head + L'\n' + text + L'\n';
  size_t rest = lineEnd + 1;
  if (rest < list.size() && list[rest] == L'\n') ++rest;
  return head + L'\n' + text + L'\n' + list.substr(rest);
}

int UpdateMenuChildTitle(sqlite3* db, const wchar_t* menuCode, int line, const wchar_t* text,
                         int language) {
  if (db == nullptr || menuCode == nullptr || *menuCode == L'\0' || text == nullptr) return 0;
  const std::wstring list = GfxZiroGetChildTitlesAll(db, menuCode, language).value_or(L"");
  const std::wstring updated = ReplaceChildTitleLine(list, line, text);
  static const size_t kStatementChars =
      std::wcslen(L"update APP_MENU_INFO set child_cols='' where menu_code=''");
  if (updated.size() > kChildTitleListMaxChars ||
      kStatementChars + updated.size() + std::wcslen(menuCode) > kChildTitleUpdateMaxChars) {
    return 0;
  }
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db, "update APP_MENU_INFO set child_cols=? where menu_code=?", -1, &stmt,
                         nullptr) != SQLITE_OK) {
    sqlite3_finalize(stmt);
    return 0;
  }
  const std::string listUtf8 = WideToUtf8(updated);
  const std::string codeUtf8 = WideToUtf8(menuCode);
  sqlite3_bind_text(stmt, 1, listUtf8.c_str(), -1, SQLITE_TRANSIENT);
  sqlite3_bind_text(stmt, 2, codeUtf8.c_str(), -1, SQLITE_TRANSIENT);
  const int rc = sqlite3_step(stmt);
  sqlite3_finalize(stmt);
  return rc == SQLITE_DONE ? 1 : 0;
}

}  // namespace orv::host
