#include "platform/support/GridWidthStore.h"

#include "platform/support/TextConv.h"
#include "platform/win/Registry.h"

namespace {

constexpr const char* kSettingsSection = "Settings";

std::string WidthKey(const std::wstring& key, int index) {
  return "ColumnWidths-" + WideToUtf8(key) + "-" + std::to_string(index);
}

}  // namespace

BOOL SaveReportColumnWidthToDb(int companyIndex, int userIndex, const std::wstring& key, int index,
                               const std::wstring& widths) {
  return REG_WRITE_TEXT_VALUE_UIDX(kSettingsSection, WidthKey(key, index), companyIndex, userIndex,
                                   WideToUtf8(widths));
}
