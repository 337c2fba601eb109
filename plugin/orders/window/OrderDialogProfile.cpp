#include "plugin/orders/window/OrderDialogProfile.h"

#include "platform/support/TextConv.h"
#include "platform/win/Registry.h"
#include "plugin/view/engine/TextFormat.h"

OrderDialogProfile_s ReadOrderDialogProfile(int agency, const OrderDialogProfile_s& defaults) {
  const char section[] = "Stock-Settings";
  auto key = [agency](const char* name) { return StrPrintf("%s%d", name, agency); };
  OrderDialogProfile_s profile;
  profile.orderType =
      orv::win::GetProfileInt(section, key("LastTradeTypeCodes"), defaults.orderType);
  profile.showAccountInfo =
      orv::win::GetProfileInt(section, key("ShowMyAccountInfo"), defaults.showAccountInfo);
  profile.lastAccount = Utf8ToWide(
      orv::win::GetProfileString(section, key("LastAccountNum"), WideToUtf8(defaults.lastAccount)));
  return profile;
}
