#pragma once
// The registry stand-in: text and integer values by section and key, kept in an INI-style UTF-8
// file <config folder>/<company key>/<file name>. Every write re-reads the file under a lock,
// changes one value and replaces the file atomically (temporary file, fsync, rename), so a crash
// never leaves a truncated file and several writers (processes, or copies of this code in the
// host and a plug-in) lose nothing. Reads never fail: a missing value gives the default.

#include <map>
#include <mutex>
#include <string>

#include "platform/win/WinTypes.h"

namespace orv::win {

class Registry {
 public:
  Registry() = default;
  Registry(const Registry&) = delete;
  Registry& operator=(const Registry&) = delete;

  // Uses the file `fileName` in <config folder>/<companyKey>/ (KnownFolders.h). Both names must
  // be non-empty, not "." or "..", and hold no "/"; false otherwise. The folder and the file are
  // created by the first write.
  bool Open(const std::string& companyKey, const std::string& fileName);
  bool IsOpen() const;
  // The file's full path; empty when not open.
  std::string Path() const;

  std::string GetString(const std::string& section, const std::string& key,
                        const std::string& defaultValue = {});
  // The value as a decimal integer; the default when missing or not a whole 32-bit number.
  int GetInt(const std::string& section, const std::string& key, int defaultValue);
  // False when not open, a name is empty, or the file could not be read or replaced (the file
  // then keeps its previous contents).
  bool WriteString(const std::string& section, const std::string& key, const std::string& value);
  bool WriteInt(const std::string& section, const std::string& key, int value);

  using Sections = std::map<std::string, std::map<std::string, std::string>>;

 private:
  // Reloads the file: other processes, or the plug-in's copy of this code, may have written it.
  // False on a read error (a missing file is empty, not an error).
  bool Refresh();

  mutable std::mutex mutex_;
  std::string path_;
  Sections values_;
};

// The file's text for `sections`, and `sections` from a file's text. Lines that cannot be read
// (no "=", bad escapes, invalid UTF-8, keys outside a valid section) are skipped.
std::string FormatSettingsText(const Registry::Sections& sections);
Registry::Sections ParseSettingsText(const std::string& text);

// The application's registry, opened once at start-up by the host (and by a plug-in on its side).
Registry& AppRegistry();

// The application's profile calls, on AppRegistry().
int GetProfileInt(const std::string& section, const std::string& key, int defaultValue);
std::string GetProfileString(const std::string& section, const std::string& key,
                             const std::string& defaultValue = {});
BOOL WriteProfileInt(const std::string& section, const std::string& key, int value);
BOOL WriteProfileString(const std::string& section, const std::string& key,
                        const std::string& value);

// A per-user key: "%s-%d" of `key` and `index` ("Stock-BuyItemSearchMode-3").
std::string UserIndexKey(const std::string& key, int index);

}  // namespace orv::win

// A text value of the signed-in user, on AppRegistry(). The key is "%s-%d" of `key` and
// `firstIndex` when `secondIndex` is 0, else "%s-%d-%d" of `key`, `firstIndex` and `secondIndex`.
std::string REG_READ_CSTRING_VALUE_UIDX(const std::string& section, const std::string& key,
                                        int firstIndex, int secondIndex,
                                        const std::string& defaultValue = {});
BOOL REG_WRITE_TEXT_VALUE_UIDX(const std::string& section, const std::string& key, int firstIndex,
                               int secondIndex, const std::string& value);
