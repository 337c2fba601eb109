#pragma once
// CSecretDataItemRecord: one row of the credential vault's grid (the layout kSecretGridLayout):
// the row mark, the number, then the sixteen fields of a table entry.

#include "platform/support/SecretTable.h"
#include "platform/ui/model/ReportRecord.h"

namespace orv::ui {

class CSecretDataItemRecord : public CMyReportRecordBase {
 public:
  enum Cell : int {
    kColMark = 0,
    kColNumber = 1,
    kColCode = 2,
    kColTitle = 3,
    kColKind = 4,
    kColIp = 5,
    kColStart = 15,
    kColExpiry = 16,
    kColDescription = 17,
  };
  explicit CSecretDataItemRecord(const SecretEntry_s& entry);

  // The row's values as a table entry (a date cell left empty is none).
  SecretEntry_s ToEntry() const;
  // The row at which the user adds an entry carries a mark.
  void SetNewEntryMark(bool on);
  bool IsNewEntryRow() const { return newEntry_; }

 private:
  bool newEntry_ = false;
};

}  // namespace orv::ui
