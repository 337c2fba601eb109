#pragma once
// The settings grid as data: every category and row of the settings dialog's property grid in
// order, with its label, kind, the value it is bound to, its option list and its read-only,
// hidden and expanded rules. The dialog renders these rows into a wxPropertyGrid and writes an
// edit back through StoreRowValue; nothing here needs a window.

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct stock_option_s;
struct login_info_s;
struct app_run_setting_s;

enum class RowKind {
  kCategory,     // top-level heading
  kSubCategory,  // nested heading
  kSwitch,       // one byte, 0 or 1, shown with an on and an off text
  kByteChoice,   // one byte from an option list
  kNumberChoice,  // signed 32-bit value from an option list
  kFlagChoice,   // unsigned 32-bit value from an option list
  kTimeChoice,   // signed 32-bit time (hhmm) from a time list
  kDecimal,      // double in an edit box
  kSmallNumber,  // one byte in an edit box
  kWholeNumber,  // signed 32-bit value in an edit box
  kText,         // text in an edit box
  kKeyText,      // masked text (a key or secret)
};

// What the dialog does beyond storing an edited value.
enum class RowRole {
  kPlain,
  kAccountText,   // a login id, alias, key or secret of a broker account, or the AI key
  kCoinFee,       // the coin fee percentage (its fraction follows it)
  kForeignSwitch,  // the foreign-trading switch
  kWebSync,       // A4: A5-1 is read-only while it is 0
  kValuation,     // A5-1
  kSleepSwitch,   // B4: the run settings' sleep prevention
  kNickname,      // the signed-in user's nickname (item 613)
  kEmail,         // the signed-in user's e-mail (item 615)
  kBuySelector,   // a buy condition-set selector
  kA24,           // A24: read-only below member level 10
};

// Accounts that have rows of their own, numbered as their load buttons (743 + this number).
enum AccountNo : int {
  kNoAccount = 0,
  kDomestic1 = 1,  // 1..4: the domestic monitoring accounts
  kUsAccount = 5,
  kEuropeAccount = 6,
  kCoin1 = 7,  // 7, 8: the coin accounts
};
constexpr int kLoadButtonBase = 743;
constexpr int kNicknameItemId = 613;
constexpr int kEmailItemId = 615;
constexpr int kSleepItemId = 730;
constexpr int kMemberLevelForAdmin = 10;

// The analysis-module bits of the configuration's flag word.
constexpr uint32_t kModuleRsi = 0x4;
constexpr uint32_t kModuleCci = 0x20;
constexpr uint32_t kModuleMacd = 0x100;
constexpr uint32_t kModuleParabolicSar = 0x800;
constexpr uint32_t kModuleMfi = 0x4000;
constexpr uint32_t kModuleStochSlow = 0x100000;
constexpr uint32_t kModuleStochFast = 0x800000;
constexpr uint32_t kModuleStochMask = 0x900000;

// Values the dialog keeps itself while the grid is shown; the save converts them back into
// the configuration (StockCfgSave.h).
struct StockCfgValues {
  int32_t wideFactor10 = 30;      // A9: the stop-loss widening factor times 10
  int32_t remainderWon = 5000;    // A13-1
  int32_t minProfitBand10 = 1;    // A14: tenths of a percent
  std::wstring mainCode;          // A19-1
  std::wstring subCode;           // A19-2
  uint8_t rsi = 0, mfi = 0, cci = 0, macd = 0, psar = 0;  // F1-5, F1-7 to F1-10
  uint32_t stochastic = 0;        // F1-6: the flag word masked with kModuleStochMask
  std::wstring nickname;
  std::wstring email;
};

// What the rows are bound to. The condition map is the trading view's condition searches
// (name to number); it may be empty.
struct SettingsSources {
  stock_option_s* options = nullptr;
  login_info_s* login = nullptr;
  app_run_setting_s* run = nullptr;
  StockCfgValues* values = nullptr;
  const std::map<std::wstring, int>* conditions = nullptr;
  int32_t defaultSplitAmount = 50;  // units of 10,000 won, for an E3 below 1
};

struct SettingsRow {
  int parent = -1;  // index of the heading the row sits under; -1 at the top level
  RowKind kind = RowKind::kText;
  std::wstring label;
  std::wstring description;
  std::wstring onText, offText;  // switches
  std::wstring options;          // choices, in option-list form ("value:label;...")
  std::wstring emptyChoice;      // the text shown for a value not in the list, when set
  int precision = -1;            // decimals: digits after the point
  // The bound value: exactly one of these is set for a value row.
  uint8_t* byte = nullptr;
  int32_t* number = nullptr;
  uint32_t* flags = nullptr;
  double* decimal = nullptr;
  wchar_t* text = nullptr;
  size_t textLen = 0;           // characters of `text`, terminator included
  size_t copyLimit = 0;         // characters taken into `text` (0: textLen - 1)
  std::wstring* ownText = nullptr;
  bool readOnly = false;
  bool hidden = false;
  bool expanded = false;
  int itemId = 0;
  int buttonId = 0;  // the in-place "불러오기" button, 0 when none
  RowRole role = RowRole::kPlain;
  int account = kNoAccount;
  int conditionSet = -1;  // 0-based set of a condition-set selector
};

// Before the rows are made: the MACD periods, the A14 floor and the E3 fallback are settled in
// the configuration, the dialog-held values are taken from it, A11 is cleared for a user below
// member level 10, and the count of chosen buy conditions is raised per chosen set.
void PrepareSettingsValues(SettingsSources& sources);

// Every row of the grid, headings included, in the order the grid shows them. Call
// PrepareSettingsValues first.
std::vector<SettingsRow> BuildSettingsRows(const SettingsSources& sources);

// The value of an edit: a number for switches, choices and numbers, a decimal for decimals, a
// text for texts.
struct RowValue {
  int64_t number = 0;
  double decimal = 0;
  std::wstring text;
};

// Writes an edit into the row's bound value. A value outside the row's range or option list,
// a read-only row, or a heading is refused: false, nothing changes, and *why says what was
// wrong. Texts are trimmed of blanks at both ends and cut to the field.
bool StoreRowValue(const SettingsRow& row, const RowValue& value, std::wstring* why);

// The option list of a time row: `first` (value 0) when not empty, then every `stepMinutes`
// from startHour:00 to endHour:endMinute, valued hhmm and labelled "HH:MM".
std::wstring TimeLimitOptions(const std::wstring& first, int startHour, int endHour,
                              int endMinute, int stepMinutes);

// The buy condition-set selectors' list as the view fills it: "■설정 안함■" (-1), then one
// entry per condition in map order valued 1, 2, 4, ... (one bit each). `count` receives the
// number of conditions.
std::wstring SelectorOptions(const std::map<std::wstring, int>& conditions, int* count);

// The flag word from the dialog's module switches and Stochastic choice, keeping the bits no
// switch shows; and the switches from a flag word.
uint32_t JoinModuleFlags(uint32_t word, const StockCfgValues& values);
void SplitModuleFlags(uint32_t word, StockCfgValues* values);

// What an edit of `row` (already stored) changes beyond its value, as the dialog's notify
// handler does: account texts, keys, the coin fee and the foreign-trading switch set the
// configuration's modified flag (the coin fee also its fraction); any other row marks the run
// settings changed (0x1; B4 also 0x40), A4 makes A5-1 read-only exactly when it is 0, and a
// changed value clears the count of chosen buy conditions with the byte after it. Answers the
// index of a row whose read-only state changed, or -1.
int AfterRowEdit(SettingsSources& sources, std::vector<SettingsRow>& rows, size_t index,
                 bool valueChanged);
