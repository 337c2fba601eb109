#include "platform/ui/model/ReportItems.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <deque>
#include <mutex>
#include <unordered_map>

#include "platform/ui/model/OptionList.h"
#include "platform/ui/model/TextConv.h"

namespace orv::ui {

namespace {

int CompareDouble(double a, double b) { return a < b ? -1 : (a > b ? 1 : 0); }

std::wstring AsciiToWide(const char* s) {
  std::wstring out;
  for (; *s; ++s) out.push_back(static_cast<unsigned char>(*s));
  return out;
}

}  // namespace

CellButtons::CellButtons(const CellButtons& other) {
  if (other.list_) list_ = std::make_unique<std::vector<ReportCellButton>>(*other.list_);
}

CellButtons& CellButtons::operator=(const CellButtons& other) {
  if (this != &other) {
    CellButtons copy(other);
    list_ = std::move(copy.list_);
  }
  return *this;
}

void CellButtons::push_back(ReportCellButton button) {
  if (!list_) list_ = std::make_unique<std::vector<ReportCellButton>>();
  list_->push_back(std::move(button));
}

namespace {

// The shared texts, by number (0 is the empty text). Texts are only ever added: a reference to
// one stays valid for the process's life.
struct SharedTextTable {
  std::mutex lock;
  std::deque<std::wstring> texts{std::wstring()};
  std::unordered_map<std::wstring, uint32_t> ids;
};

SharedTextTable& SharedTexts() {
  static SharedTextTable table;
  return table;
}

}  // namespace

SharedText& SharedText::operator=(std::wstring_view text) {
  if (text.empty()) {
    id_ = 0;
    return *this;
  }
  SharedTextTable& table = SharedTexts();
  std::lock_guard<std::mutex> guard(table.lock);
  std::wstring key(text);
  auto it = table.ids.find(key);
  if (it == table.ids.end()) {
    table.texts.push_back(key);
    it = table.ids.emplace(std::move(key), static_cast<uint32_t>(table.texts.size() - 1)).first;
  }
  id_ = it->second;
  return *this;
}

const std::wstring& SharedText::str() const {
  SharedTextTable& table = SharedTexts();
  std::lock_guard<std::mutex> guard(table.lock);
  return table.texts[id_];
}

NumberFormat::NumberFormat() = default;

namespace {

bool ParseNumberFormat(std::string_view format, NumberFormat::Parsed* out) {
  std::string prefix, suffix, spec;
  bool integer = false;
  bool found = false;
  size_t i = 0;
  while (i < format.size()) {
    char c = format[i];
    if (c != '%') {
      (found ? suffix : prefix).push_back(c);
      ++i;
      continue;
    }
    if (i + 1 < format.size() && format[i + 1] == '%') {
      (found ? suffix : prefix).push_back('%');
      i += 2;
      continue;
    }
    if (found) return false;  // a second conversion
    std::string s = "%";
    ++i;
    while (i < format.size() && std::string_view("-+ #0").find(format[i]) != std::string_view::npos)
      s.push_back(format[i++]);
    for (int n = 0; i < format.size() && std::isdigit(static_cast<unsigned char>(format[i])); ++n) {
      if (n >= 3) return false;
      s.push_back(format[i++]);
    }
    if (i < format.size() && format[i] == '.') {
      s.push_back(format[i++]);
      for (int n = 0; i < format.size() && std::isdigit(static_cast<unsigned char>(format[i]));
           ++n) {
        if (n >= 2) return false;
        s.push_back(format[i++]);
      }
    }
    while (i < format.size() && (format[i] == 'l' || format[i] == 'L' || format[i] == 'h')) ++i;
    if (i >= format.size()) return false;
    char conv = format[i++];
    if (std::string_view("fFeEgG").find(conv) != std::string_view::npos) {
      s.push_back(conv);
    } else if (conv == 'd' || conv == 'i' || conv == 'u') {
      s += "lld";
      integer = true;
    } else {
      return false;
    }
    spec = s;
    found = true;
  }
  if (!found) return false;
  out->text = std::string(format);
  out->prefix = Utf8ToWide(prefix);
  out->suffix = Utf8ToWide(suffix);
  out->spec = spec;
  out->integer = integer;
  return true;
}

// Formats are few and come from code; each is parsed once and kept for the process's life.
const NumberFormat::Parsed* InternNumberFormat(std::string_view format) {
  static std::mutex lock;
  static std::unordered_map<std::string, std::unique_ptr<NumberFormat::Parsed>> table;
  std::lock_guard<std::mutex> guard(lock);
  auto it = table.find(std::string(format));
  if (it != table.end()) return it->second.get();
  auto parsed = std::make_unique<NumberFormat::Parsed>();
  if (!ParseNumberFormat(format, parsed.get())) return nullptr;
  if (table.size() >= 4096) return nullptr;  // items point into the table: it never shrinks
  return (table[std::string(format)] = std::move(parsed)).get();
}

}  // namespace

bool NumberFormat::Set(std::string_view format) {
  if (format.empty()) {
    parsed_ = nullptr;
    return true;
  }
  const Parsed* parsed = InternNumberFormat(format);
  if (!parsed) return false;
  parsed_ = parsed;
  return true;
}

const std::string& NumberFormat::Text() const {
  static const std::string empty;
  return parsed_ ? parsed_->text : empty;
}

std::wstring NumberFormat::Format(double value) const {
  char buf[512];
  if (!parsed_) {
    if (std::isfinite(value) && std::fabs(value) < 1e15 && value == std::floor(value))
      std::snprintf(buf, sizeof buf, "%.0f", value);
    else
      std::snprintf(buf, sizeof buf, "%g", value);
    return AsciiToWide(buf);
  }
  if (parsed_->integer) {
    long long v = 0;
    if (std::isfinite(value) && std::fabs(value) < 9.2e18) v = static_cast<long long>(value);
    std::snprintf(buf, sizeof buf, parsed_->spec.c_str(), v);
  } else {
    std::snprintf(buf, sizeof buf, parsed_->spec.c_str(), value);
  }
  return parsed_->prefix + AsciiToWide(buf) + parsed_->suffix;
}

int CMyReportRecordItem::Compare(const CMyReportRecordItem& other,
                                 const COptionList* options) const {
  return GetCaption(options).compare(other.GetCaption(options));
}

CMyReportRecordItemNumber::CMyReportRecordItemNumber(double value, std::string_view fmt,
                                                     std::wstring_view suffix)
    : value(value), suffix(suffix) {
  format.Set(fmt);
}

std::wstring CMyReportRecordItemNumber::GetCaption(const COptionList*) const {
  if (prefix.empty() && suffix.empty()) return format.Format(value);
  return prefix.str() + format.Format(value) + suffix.str();
}

int CMyReportRecordItemNumber::Compare(const CMyReportRecordItem& other,
                                       const COptionList* options) const {
  if (other.Kind() != ReportItemKind::Number) return CMyReportRecordItem::Compare(other, options);
  return CompareDouble(value, static_cast<const CMyReportRecordItemNumber&>(other).value);
}

int CMyReportRecordItemCheck::Compare(const CMyReportRecordItem& other,
                                      const COptionList* options) const {
  if (other.Kind() != ReportItemKind::Check) return CMyReportRecordItem::Compare(other, options);
  return int(checked) - int(static_cast<const CMyReportRecordItemCheck&>(other).checked);
}

std::wstring CMyRecItemOptions::GetCaption(const COptionList* options) const {
  if (options) {
    if (const std::wstring* label = options->FindLabel(value)) return *label;
  }
  return std::to_wstring(value);
}

int CMyRecItemOptions::Compare(const CMyReportRecordItem& other, const COptionList* options) const {
  if (other.Kind() != ReportItemKind::Options) return CMyReportRecordItem::Compare(other, options);
  int64_t b = static_cast<const CMyRecItemOptions&>(other).value;
  return value < b ? -1 : (value > b ? 1 : 0);
}

bool IsEmptyTime(const SYSTEMTIME& t) {
  return t.wYear == 0 && t.wMonth == 0 && t.wDay == 0 && t.wHour == 0 && t.wMinute == 0 &&
         t.wSecond == 0 && t.wMilliseconds == 0;
}

std::wstring FormatSystemTime(const SYSTEMTIME& t, std::string_view format) {
  std::wstring out;
  char buf[16];
  for (size_t i = 0; i < format.size(); ++i) {
    char c = format[i];
    if (c != '%' || i + 1 >= format.size()) {
      out.push_back(static_cast<unsigned char>(c));
      continue;
    }
    char f = format[++i];
    switch (f) {
      case 'Y':
        std::snprintf(buf, sizeof buf, "%04u", unsigned(t.wYear));
        break;
      case 'm':
        std::snprintf(buf, sizeof buf, "%02u", unsigned(t.wMonth));
        break;
      case 'd':
        std::snprintf(buf, sizeof buf, "%02u", unsigned(t.wDay));
        break;
      case 'H':
        std::snprintf(buf, sizeof buf, "%02u", unsigned(t.wHour));
        break;
      case 'M':
        std::snprintf(buf, sizeof buf, "%02u", unsigned(t.wMinute));
        break;
      case 'S':
        std::snprintf(buf, sizeof buf, "%02u", unsigned(t.wSecond));
        break;
      case '%':
        buf[0] = '%';
        buf[1] = 0;
        break;
      default:
        buf[0] = '%';
        buf[1] = f;
        buf[2] = 0;
        break;
    }
    out += AsciiToWide(buf);
  }
  return out;
}

CMyReportRecordItemDateTime::CMyReportRecordItemDateTime(ReportItemKind kind,
                                                         const SYSTEMTIME& value,
                                                         std::string format)
    : value(value), format(std::move(format)), kind_(kind) {}

std::wstring CMyReportRecordItemDateTime::GetCaption(const COptionList*) const {
  if (IsEmptyTime(value)) return {};
  return FormatSystemTime(value, format);
}

int CMyReportRecordItemDateTime::Compare(const CMyReportRecordItem& other,
                                         const COptionList* options) const {
  auto* o = dynamic_cast<const CMyReportRecordItemDateTime*>(&other);
  if (!o) return CMyReportRecordItem::Compare(other, options);
  const SYSTEMTIME& a = value;
  const SYSTEMTIME& b = o->value;
  const int ka[] = {a.wYear, a.wMonth, a.wDay, a.wHour, a.wMinute, a.wSecond, a.wMilliseconds};
  const int kb[] = {b.wYear, b.wMonth, b.wDay, b.wHour, b.wMinute, b.wSecond, b.wMilliseconds};
  for (int i = 0; i < 7; ++i)
    if (ka[i] != kb[i]) return ka[i] < kb[i] ? -1 : 1;
  return 0;
}

bool CMyReportRecordItemDateTime::ParseCaption(std::wstring_view text, SYSTEMTIME* out) const {
  SYSTEMTIME t{};
  size_t p = 0;
  auto number = [&](int digits, int lo, int hi, WORD* field) {
    int v = 0;
    int n = 0;
    while (n < digits && p < text.size() && text[p] >= L'0' && text[p] <= L'9') {
      v = v * 10 + (text[p++] - L'0');
      ++n;
    }
    if (n == 0 || v < lo || v > hi) return false;
    *field = static_cast<WORD>(v);
    return true;
  };
  for (size_t i = 0; i < format.size(); ++i) {
    char c = format[i];
    if (c == '%' && i + 1 < format.size()) {
      char f = format[++i];
      bool ok = true;
      switch (f) {
        case 'Y':
          ok = number(4, 1, 9999, &t.wYear);
          break;
        case 'm':
          ok = number(2, 1, 12, &t.wMonth);
          break;
        case 'd':
          ok = number(2, 1, 31, &t.wDay);
          break;
        case 'H':
          ok = number(2, 0, 23, &t.wHour);
          break;
        case 'M':
          ok = number(2, 0, 59, &t.wMinute);
          break;
        case 'S':
          ok = number(2, 0, 59, &t.wSecond);
          break;
        default:
          ok = p < text.size() && text[p] == static_cast<unsigned char>(f);
          ++p;
      }
      if (!ok) return false;
    } else {
      if (p >= text.size() || text[p] != static_cast<unsigned char>(c)) return false;
      ++p;
    }
  }
  if (p != text.size()) return false;
  *out = t;
  return true;
}

void REPORT_CELL_ADD_BUTTON(CMyReportRecordItem* item, std::wstring_view caption, int id, int width,
                            int style, int state) {
  if (!item) return;
  ReportCellButton b;
  b.caption = std::wstring(caption);
  b.id = id;
  b.width = width < 1 ? 1 : width;
  b.style = style;
  b.state = state;
  item->buttons.push_back(std::move(b));
}

int CellButtonsWidth(const CMyReportRecordItem& item) {
  int w = 0;
  for (const auto& b : item.buttons) w += b.width;
  return w;
}

int CellButtonLeft(const CMyReportRecordItem& item, int cellWidth, size_t index) {
  int x = cellWidth - CellButtonsWidth(item);
  for (size_t i = 0; i < index && i < item.buttons.size(); ++i) x += item.buttons[i].width;
  return x;
}

int HitTestCellButton(const CMyReportRecordItem& item, int cellWidth, int x) {
  if (x < 0 || x >= cellWidth) return -1;
  int left = cellWidth - CellButtonsWidth(item);
  for (size_t i = 0; i < item.buttons.size(); ++i) {
    int right = left + item.buttons[i].width;
    if (x >= left && x < right) return static_cast<int>(i);
    left = right;
  }
  return -1;
}

}  // namespace orv::ui
