#include "platform/ui/model/SecretDataItemRecord.h"

namespace orv::ui {

namespace {
bool IsEmptyDate(const SYSTEMTIME& t) { return t.wYear == 0 && t.wMonth == 0 && t.wDay == 0; }
}  // namespace

CSecretDataItemRecord::CSecretDataItemRecord(const SecretEntry_s& e) {
  AddText();                     // 0 the row mark
  AddNumber(e.number, "%.0f");   // 1
  AddText(e.code);               // 2
  AddText(e.title);              // 3
  AddOptions(e.kind);            // 4
  for (const std::wstring* text : {&e.ip, &e.port, &e.dbName, &e.shopAccount, &e.userAccount,
                                   &e.password, &e.accessKey, &e.secretKey, &e.token,
                                   &e.returnUrl})
    AddText(*text);  // 5 - 14
  AddDate(e.hasStart ? e.start : SYSTEMTIME{});    // 15
  AddDate(e.hasExpiry ? e.expiry : SYSTEMTIME{});  // 16
  AddText(e.description);                          // 17
  SetItemEditable(kColNumber, false);
  SetItemEditable(kColMark, false);
}

void CSecretDataItemRecord::SetNewEntryMark(bool on) {
  newEntry_ = on;
  SetTextValue(kColMark, on ? L"*" : L"");
}

SecretEntry_s CSecretDataItemRecord::ToEntry() const {
  SecretEntry_s e;
  e.number = static_cast<int>(GetNumberValue(kColNumber));
  e.code = GetTextValue(kColCode);
  e.title = GetTextValue(kColTitle);
  e.kind = static_cast<int>(GetOptionsValue(kColKind));
  std::wstring* texts[] = {&e.ip,          &e.port,     &e.dbName,    &e.shopAccount,
                           &e.userAccount, &e.password, &e.accessKey, &e.secretKey,
                           &e.token,       &e.returnUrl};
  for (int i = 0; i < 10; ++i) *texts[i] = GetTextValue(kColIp + i);
  e.start = GetTimeValue(kColStart);
  e.hasStart = !IsEmptyDate(e.start);
  e.expiry = GetTimeValue(kColExpiry);
  e.hasExpiry = !IsEmptyDate(e.expiry);
  e.description = GetTextValue(kColDescription);
  return e;
}

}  // namespace orv::ui
