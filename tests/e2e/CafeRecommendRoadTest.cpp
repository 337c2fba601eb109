// A cafe recommendation on the road, in the real host against the sandbox: the member logs in,
// right-clicks a held stock and picks "종목 매수 추천"; the cafe dialog opens with the composer
// showing the stock's price. The member picks the cafe they run, ticks the SMS box, writes the
// reason and presses the recommend button: the sandbox's web server receives the upload and
// then the SMS posts of its 25 recipients, ten numbers at a time.
#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/dialog.h>
#include <wx/grid.h>
#include <wx/notebook.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "host/frame/MainFrame.h"
#include "platform/support/TextConv.h"
#include "platform/win/MessageBox.h"
#include "tests/e2e/road/CafeDialogs.h"
#include "tests/e2e/road/RoadHost.h"
#include "tests/e2e/road/RoadWindows.h"
#include "tests/e2e/road/TradingGrids.h"

using orv::test::RoadHost;
using namespace orv::test::grids;
using namespace orv::test::windows;

namespace {

constexpr auto kStepBound = std::chrono::seconds(30);
constexpr const char* kHeldCode = "000660";
// The composer's controls.
constexpr int kCode = 3391, kName = 3392, kPrice = 2194, kComment = 2167, kPreview = 2169;
constexpr int kSms = 3414, kRecommend = 3397, kMemberLevel = 3430, kProgressText = 3429;
constexpr int kPicker = 393;

std::string Part(const orv::test::RecordedRequest& r, const char* name) {
  const orv::test::FormPart* part = r.Part(name);
  return part ? part->content : "<absent>";
}

}  // namespace

TEST(CafeRecommendRoad, AManagerRecommendsAHeldStockToTheCafeAndItsMembersGetTheSms) {
  RoadHost road({ORV_BINARY_DIR, ORV_SOURCE_DIR});
  std::string error;
  ASSERT_TRUE(road.Start("005930 70000\n", &error)) << error;
  auto wait = [&](const std::function<bool()>& done) { return road.WaitFor(done, kStepBound); };
  std::wstring loginError;
  const int login = road.LogIn(&loginError);
  if (login != 1) road.KeepFolders();
  ASSERT_EQ(login, 1) << "log-in error: " << WideToUtf8(loginError);
  ASSERT_TRUE(wait([&] { return !road.WebRequests("stock/cafe_rec_items_list2").empty(); }));

  // The cafe dialog, opened from a held stock's menu.
  wxDialog* dialog = OpenCafeDialogFromHeldStock(road, kStepBound);
  ASSERT_NE(dialog, nullptr);

  // The composer shows the stock with its current price.
  auto* code = FindById<wxTextCtrl>(dialog, kCode);
  auto* name = FindById<wxTextCtrl>(dialog, kName);
  auto* price = FindById<wxTextCtrl>(dialog, kPrice);
  ASSERT_TRUE(code && name && price) << "no composer in the cafe dialog";
  EXPECT_EQ(code->GetValue(), wxString(kHeldCode));
  EXPECT_FALSE(name->GetValue().empty());
  EXPECT_TRUE(wait([&] { return !price->GetValue().empty() && price->GetValue() != "0"; }))
      << price->GetValue().utf8_string();

  // The member picks the cafe they run: the composer lets them recommend.
  auto* picker = FindById<wxComboBox>(dialog, kPicker);
  ASSERT_NE(picker, nullptr);
  int own_cafe = -1;
  ASSERT_TRUE(wait([&] {
    return (own_cafe = picker->FindString(wxString(L"샌드박스 전문가 카페"))) != wxNOT_FOUND;
  }));
  picker->SetSelection(own_cafe);
  wxCommandEvent picked(wxEVT_COMBOBOX, kPicker);
  picked.SetEventObject(picker);
  picked.SetInt(own_cafe);
  picker->GetEventHandler()->ProcessEvent(picked);
  auto* recommend = FindById<wxButton>(dialog, kRecommend);
  ASSERT_NE(recommend, nullptr);
  EXPECT_TRUE(wait([&] { return recommend->IsEnabled(); })) << "the recommend button stays off";
  auto* level = FindById<wxStaticText>(dialog, kMemberLevel);
  ASSERT_NE(level, nullptr);
  EXPECT_TRUE(wait([&] { return level->GetLabel() == wxString(L"★대표 관리자"); }))
      << level->GetLabel().utf8_string();

  // SMS on, a reason; the preview shows the buy texts.
  auto* sms = FindById<wxCheckBox>(dialog, kSms);
  ASSERT_NE(sms, nullptr);
  sms->SetValue(true);
  wxCommandEvent ticked(wxEVT_CHECKBOX, kSms);
  ticked.SetEventObject(sms);
  ticked.SetInt(1);
  sms->GetEventHandler()->ProcessEvent(ticked);
  auto* comment = FindById<wxTextCtrl>(dialog, kComment);
  ASSERT_NE(comment, nullptr);
  comment->SetValue(L"실적 개선 기대");
  auto* preview = FindById<wxTextCtrl>(dialog, kPreview);
  ASSERT_NE(preview, nullptr);
  EXPECT_NE(preview->GetValue().Find(L"▶추천사유 : 실적 개선 기대"), wxNOT_FOUND)
      << preview->GetValue().utf8_string();
  dialog->Raise();
  orv::test::RoadScreenshot("-recommend", 1000);

  // The member sends it and answers the question.
  orv::win::ScriptMessageBoxes({IDYES, IDOK});
  Press(recommend);
  const auto calls = orv::win::ScriptedMessageBoxCalls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].caption, "QUESTION");
  EXPECT_EQ(calls[1].caption, "INFORMATION") << calls[1].text;
  const auto uploads = road.WebRequests("stock/cafe_rec_items_up");
  ASSERT_EQ(uploads.size(), 1u);
  EXPECT_EQ(Part(uploads[0], "cafe"), "2");
  EXPECT_EQ(Part(uploads[0], "stock_code"), kHeldCode);
  EXPECT_EQ(Part(uploads[0], "buy_or_sell"), "1");
  EXPECT_EQ(Part(uploads[0], "buy_msg"), "실적 개선 기대");
  EXPECT_EQ(Part(uploads[0], "pc_sms_send"), "1");

  // The sandbox names 25 recipients: three SMS posts of 10, 10 and 5.
  EXPECT_TRUE(wait([&] { return road.WebRequests("stock/cafe_rec_sms_send").size() >= 3; }));
  std::vector<std::string> counts;
  for (const auto& r : road.WebRequests("stock/cafe_rec_sms_send"))
    counts.push_back(Part(r, "recv_tels_cnt"));
  EXPECT_EQ(counts, (std::vector<std::string>{"10", "10", "5"}));
  auto* progress = FindById<wxStaticText>(dialog, kProgressText);
  ASSERT_NE(progress, nullptr);
  EXPECT_TRUE(wait([&] { return progress->GetLabel() == wxString(L"25건"); }))
      << progress->GetLabel().utf8_string();
  orv::win::StopScriptingMessageBoxes();

  dialog->Close();
  EXPECT_TRUE(wait([&] { return !dialog->IsShown(); }));
  if (testing::Test::HasFailure()) road.KeepFolders();
  ASSERT_TRUE(road.CloseWithYes(std::chrono::seconds(10))) << "the main window did not close";
}
