#pragma once
// What the order dialogs remember in the application profile (section "Stock-Settings", keys
// numbered by the view's agency index): the last order type, the show-account-info switch and
// the last account.

#include <string>

struct OrderDialogProfile_s {
  int orderType = 3;
  int showAccountInfo = 1;
  std::wstring lastAccount;
};

// The stored values, each falling back to the one `defaults` holds.
OrderDialogProfile_s ReadOrderDialogProfile(int agencyIndex, const OrderDialogProfile_s& defaults);
