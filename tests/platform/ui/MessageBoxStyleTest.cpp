#include <gtest/gtest.h>
#include <wx/defs.h>

#include "platform/ui/MessageBoxPresenter.h"
#include "platform/win/MessageBox.h"

namespace orv::ui {
namespace {

TEST(MessageBoxStyle, ButtonsAndIconsMapToDialogStyles) {
  struct Case {
    UINT type;
    long style;
  };
  const Case cases[] = {
      {MB_OK, wxOK | wxICON_NONE},
      {MB_OKCANCEL | MB_ICONQUESTION, wxOK | wxCANCEL | wxICON_QUESTION},
      {MB_YESNO | MB_ICONWARNING, wxYES_NO | wxICON_WARNING},
      {MB_YESNOCANCEL | MB_ICONERROR, wxYES_NO | wxCANCEL | wxICON_ERROR},
      {MB_OK | MB_ICONINFORMATION, wxOK | wxICON_INFORMATION},
      // Button sets this program never uses fall back to a plain OK box.
      {0x2 | MB_ICONERROR, wxOK | wxICON_ERROR},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MessageBoxStyle(c.type), c.style) << std::hex << c.type;
  }
}

TEST(MessageBoxStyle, DialogResultsMapToAnswers) {
  struct Case {
    UINT type;
    int result;
    int answer;
  };
  const Case cases[] = {
      {MB_OK, wxID_OK, IDOK},
      {MB_OK, wxID_CANCEL, IDOK},  // closed with Escape
      {MB_OKCANCEL, wxID_OK, IDOK},
      {MB_OKCANCEL, wxID_CANCEL, IDCANCEL},
      {MB_YESNO, wxID_YES, IDYES},
      {MB_YESNO, wxID_NO, IDNO},
      {MB_YESNO, wxID_CANCEL, IDNO},
      {MB_YESNOCANCEL | MB_ICONQUESTION, wxID_YES, IDYES},
      {MB_YESNOCANCEL | MB_ICONQUESTION, wxID_NO, IDNO},
      {MB_YESNOCANCEL | MB_ICONQUESTION, wxID_CANCEL, IDCANCEL},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MessageBoxAnswer(c.type, c.result), c.answer)
        << std::hex << c.type << " " << std::dec << c.result;
  }
}

}  // namespace
}  // namespace orv::ui
