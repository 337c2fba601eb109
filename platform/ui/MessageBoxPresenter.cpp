#include "platform/ui/MessageBoxPresenter.h"

#include <wx/msgdlg.h>

#include "platform/ui/UiThread.h"
#include "platform/win/MessageBox.h"

namespace orv::ui {

void InstallMessageBoxPresenter() {
  win::SetMessageBoxPresenter([](const win::MessageBoxCall& call) {
    int answer = MessageBoxAnswer(call.type, wxID_CANCEL);
    // Dialogs exist only on the UI thread; a worker's box waits there for the answer.
    RunOnUiThreadAndWait([&] {
      wxMessageDialog dialog(nullptr, wxString::FromUTF8(call.text),
                             wxString::FromUTF8(call.caption),
                             MessageBoxStyle(call.type) | wxCENTRE);
      answer = MessageBoxAnswer(call.type, dialog.ShowModal());
    });
    return answer;
  });
}

}  // namespace orv::ui
