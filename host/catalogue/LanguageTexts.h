#pragma once
// Texts by language from the catalogue: keyword texts with English and Korean defaults, the
// string tables of the language libraries, and the child titles of menu entries (read,
// handed to plug-ins in a result packet, and edited line by line).

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "shared/ZiroResultPkt.h"

struct sqlite3;

namespace orv::host {

// Language ids: 1 English, 2 Korean, 3 Chinese, 4 Japanese, 5 Vietnamese, 6 Thai.
enum LanguageId : int {
  kLangEnglish = 1,
  kLangKorean = 2,
  kLangChinese = 3,
  kLangJapanese = 4,
  kLangVietnamese = 5,
  kLangThai = 6,
};

// The column suffix of a language ("eng", "kor", "chn", "jpn", "vtn", "tai"); any other id
// is English.
const char* LanguageColumnSuffix(int language);

// A requested language below 1 means the caller's current one.
inline int EffectiveLanguage(int requested, int current) {
  return requested < 1 ? current : requested;
}

// The capacity of the text buffer a plug-in hands to the keyword command.
constexpr size_t kUiTextBufferChars = 500;

// The text of key in language from the catalogue's keyword table (the company's own row
// preferred over a shared one). When the catalogue has no text for that language, the
// language's default: the Korean default for Korean when one is given, else the English one.
// Null (no value) without a catalogue, or when neither a text nor a default exists.
std::optional<std::wstring> TextByLanguage(sqlite3* db, int companyIdx, const wchar_t* key,
                                           const wchar_t* englishDefault,
                                           const wchar_t* koreanDefault, int language);

// Heap form of TextByLanguage: a text the caller frees with free, null when there is none.
wchar_t* GfxZiroGetTextByLangId(sqlite3* db, const wchar_t* key, const wchar_t* englishDefault,
                                const wchar_t* koreanDefault, int language, int companyIdx);

// The UI text of key in language (currentLanguage when language < 1), copied into buffer.
// Returns 1 when a text came back, 0 otherwise (the buffer is then left as it was).
int GetUiText(sqlite3* db, int companyIdx, const wchar_t* key, const wchar_t* englishText,
              const wchar_t* koreanText, int language, int currentLanguage, wchar_t* buffer,
              size_t capacity);

// String tables by id: the program's own and one per language library.
class LangStringTable {
 public:
  using Table = std::map<uint32_t, std::wstring>;

  void SetProgramStrings(Table strings) { program_ = std::move(strings); }
  void SetLanguageStrings(int language, Table strings) {
    libraries_[language] = std::move(strings);
  }
  // Makes the language's library current; a language without a library falls back to the
  // program's own strings.
  void SelectLanguage(int language) { current_ = language; }

  // Clears the buffer and copies the string of id into it (cut to capacity - 1 characters),
  // from the current library, else from the program's own strings. Returns the length copied:
  // 0 when absent, when buffer is null or when capacity is below 1.
  int LoadLangString(uint32_t id, wchar_t* buffer, int capacity) const;

 private:
  Table program_;
  std::map<int, Table> libraries_;
  int current_ = 0;
};

// The child titles of the menu entry with code menuCode in language: its language column,
// else its plain child titles. No value when there is no catalogue or no such entry.
std::optional<std::wstring> MenuChildTitlesByLang(sqlite3* db, const wchar_t* menuCode,
                                                  int language);

// The child-title list as the plug-ins edit it: the entry's column list when set, else its
// child titles in language.
std::optional<std::wstring> GfxZiroGetChildTitlesAll(sqlite3* db, const wchar_t* menuCode,
                                                     int language);

// Empties the packet's answer and fills it with the child titles of the menu code the packet
// holds. Returns the number of title lines, -1 when there is no key or no entry.
int GfxZiroGetChildTitleByLang(sqlite3* db, int language, ZiroResultPkt_s* packet);

// Replaces line (counted from 1; 1 or less is the first) of a line-feed-separated list.
std::wstring ReplaceChildTitleLine(const std::wstring& list, int line, const std::wstring& text);

// Limits of the stored list and of the update as a whole, in characters.
constexpr size_t kChildTitleListMaxChars = 3000;
constexpr size_t kChildTitleUpdateMaxChars = 5000;

// Replaces line of the child-title list of menuCode with text and stores the list in the
// entry's column list. Returns 1 when stored; 0 when menuCode is empty, text is null, the
// result is over the limits or the update fails (the catalogue is then unchanged).
int UpdateMenuChildTitle(sqlite3* db, const wchar_t* menuCode, int line, const wchar_t* text,
                         int language);

}  // namespace orv::host
