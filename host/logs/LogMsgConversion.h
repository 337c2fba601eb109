#pragma once
// The one place where a log hub line becomes the log record that the log list control and
// plug-ins read (log_msg_data_s), and where such a record's owned texts are freed.

#include "shared/LogMsgData.h"

struct LogHubEntry;

namespace orv::host {

// Fills `out` with a deep copy of the line: numbers, flags and time copied, source and text
// duplicated (the source stays null when the line has none). Frees what `out` held before.
// False when a text could not be allocated; `out` then holds no texts.
bool CopyLogHubEntry(const LogHubEntry& entry, log_msg_data_s* out);

// Frees the record's owned texts and leaves them null.
void FreeLogMsgData(log_msg_data_s* data);

}  // namespace orv::host
