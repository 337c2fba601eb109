#pragma once
// The cells of a report-grid row: text, number (printf-style format), check box, option value,
// date and time, each with its own text and background colour (0x00BBGGRR, kColorNone for the
// grid's default), an editable flag and in-cell buttons.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win/WinTypes.h"

namespace orv::ui {

class COptionList;

constexpr COLORREF kColorNone = 0xFFFFFFFFu;

enum class ReportItemKind { Text, Number, Check, Options, Date, Time };

// A button drawn inside a cell, right-aligned; `id` is what the grid reports on a click (and
// the icon index). `state`: 1 normal, 0 disabled (drawn greyed, never reported).
struct ReportCellButton {
  std::wstring caption;
  int id = 0;
  int width = 20;
  int style = 2;
  int state = 1;
};

// The in-cell buttons of one item. Almost every cell has none: an item without buttons holds
// only an empty pointer, and the list is made on the first button added.
class CellButtons {
 public:
  CellButtons() = default;
  CellButtons(const CellButtons& other);
  CellButtons& operator=(const CellButtons& other);
  CellButtons(CellButtons&&) noexcept = default;
  CellButtons& operator=(CellButtons&&) noexcept = default;

  size_t size() const { return list_ ? list_->size() : 0; }
  bool empty() const { return size() == 0; }
  const ReportCellButton& operator[](size_t i) const { return (*list_)[i]; }
  ReportCellButton& operator[](size_t i) { return (*list_)[i]; }
  const ReportCellButton* begin() const { return list_ ? list_->data() : nullptr; }
  const ReportCellButton* end() const { return list_ ? list_->data() + list_->size() : nullptr; }
  ReportCellButton* begin() { return list_ ? list_->data() : nullptr; }
  ReportCellButton* end() { return list_ ? list_->data() + list_->size() : nullptr; }
  void push_back(ReportCellButton button);
  void clear() { list_.reset(); }

 private:
  std::unique_ptr<std::vector<ReportCellButton>> list_;
};

// A short literal text that many cells share (a number cell's text before or after the
// number). Each distinct text is kept once for the process's life; a cell holds its number.
// The texts come from code, so there are few of them.
class SharedText {
 public:
  SharedText() = default;
  SharedText(std::wstring_view text) { *this = text; }  // NOLINT: implicit like a string
  SharedText& operator=(std::wstring_view text);
  const std::wstring& str() const;
  bool empty() const { return id_ == 0; }
  bool operator==(std::wstring_view other) const { return str() == other; }

 private:
  uint32_t id_ = 0;  // 0: the empty text
};

// A number format: the Windows printf forms the rows use ("%.0lf", "%.1f%%", "K%.1f", "%d").
// Only one numeric conversion is accepted; literal text around it is kept.
class NumberFormat {
 public:
  NumberFormat();
  // False (and the format unchanged) when `format` is not one numeric conversion with text.
  bool Set(std::string_view format);
  std::wstring Format(double value) const;
  const std::string& Text() const;

  // A parsed format; each distinct format text is parsed once and shared by every item.
  struct Parsed {
    std::string text;
    std::wstring prefix, suffix;
    std::string spec;  // e.g. "%.1f" or "%lld"
    bool integer = false;
  };

 private:
  const Parsed* parsed_ = nullptr;  // null: whole numbers without decimals, else %g
};

class CMyReportRecordItem {
 public:
  virtual ~CMyReportRecordItem() = default;
  virtual ReportItemKind Kind() const = 0;
  // The text a cell shows; `options` is the column's option list (option items only).
  virtual std::wstring GetCaption(const COptionList* options) const = 0;
  // Orders two cells of one column for sorting (<0, 0, >0).
  virtual int Compare(const CMyReportRecordItem& other, const COptionList* options) const;

  COLORREF textColor = kColorNone;
  COLORREF backColor = kColorNone;
  COLORREF frameColor = kColorNone;
  bool editable = true;
  CellButtons buttons;
};

class CMyReportRecordItemText : public CMyReportRecordItem {
 public:
  explicit CMyReportRecordItemText(std::wstring text = {}) : text(std::move(text)) {}
  ReportItemKind Kind() const override { return ReportItemKind::Text; }
  std::wstring GetCaption(const COptionList*) const override { return text; }
  std::wstring text;
};

class CMyReportRecordItemNumber : public CMyReportRecordItem {
 public:
  explicit CMyReportRecordItemNumber(double value = 0, std::string_view format = {},
                                     std::wstring_view suffix = {});
  ReportItemKind Kind() const override { return ReportItemKind::Number; }
  std::wstring GetCaption(const COptionList*) const override;
  int Compare(const CMyReportRecordItem& other, const COptionList*) const override;
  bool SetFormat(std::string_view f) { return format.Set(f); }

  double value = 0;
  NumberFormat format;
  SharedText prefix, suffix;  // literal text before and after the formatted number
};

class CMyReportRecordItemCheck : public CMyReportRecordItem {
 public:
  explicit CMyReportRecordItemCheck(bool checked = false) : checked(checked) {}
  ReportItemKind Kind() const override { return ReportItemKind::Check; }
  std::wstring GetCaption(const COptionList*) const override { return caption; }
  int Compare(const CMyReportRecordItem& other, const COptionList*) const override;
  bool checked = false;
  std::wstring caption;  // optional text beside the box
};

// One numeric value whose label comes from the column's option list; an unlisted value shows
// as its number.
class CMyRecItemOptions : public CMyReportRecordItem {
 public:
  explicit CMyRecItemOptions(int64_t value = 0) : value(value) {}
  ReportItemKind Kind() const override { return ReportItemKind::Options; }
  std::wstring GetCaption(const COptionList* options) const override;
  int Compare(const CMyReportRecordItem& other, const COptionList*) const override;
  int64_t value = 0;
};

// A date or a time. An all-zero SYSTEMTIME shows as an empty cell. The format takes %Y %m %d
// %H %M %S and %%.
class CMyReportRecordItemDateTime : public CMyReportRecordItem {
 public:
  CMyReportRecordItemDateTime(ReportItemKind kind, const SYSTEMTIME& value, std::string format);
  ReportItemKind Kind() const override { return kind_; }
  std::wstring GetCaption(const COptionList*) const override;
  int Compare(const CMyReportRecordItem& other, const COptionList*) const override;
  // Reads a caption back in the item's format; false on text that does not fit it.
  bool ParseCaption(std::wstring_view text, SYSTEMTIME* out) const;

  SYSTEMTIME value{};
  std::string format;

 private:
  ReportItemKind kind_;
};

constexpr const char* kDateFormat = "%Y-%m-%d";
constexpr const char* kTimeFormat = "%H:%M:%S";
constexpr const char* kTimeFormatHm = "%H:%M";

bool IsEmptyTime(const SYSTEMTIME& t);
std::wstring FormatSystemTime(const SYSTEMTIME& t, std::string_view format);

// Adds an in-cell button to an item (style and state as the rows pass them: 2, 1).
void REPORT_CELL_ADD_BUTTON(CMyReportRecordItem* item, std::wstring_view caption, int id, int width,
                            int style = 2, int state = 1);

// Which button of a cell of `cellWidth` pixels lies under x (0 = the cell's left edge): its
// index in item->buttons, or -1. Buttons sit at the right end, in the order they were added.
int HitTestCellButton(const CMyReportRecordItem& item, int cellWidth, int x);
// The left x of button `index` inside a cell of `cellWidth` pixels.
int CellButtonLeft(const CMyReportRecordItem& item, int cellWidth, size_t index);
// Width of all the buttons of a cell.
int CellButtonsWidth(const CMyReportRecordItem& item);

}  // namespace orv::ui
