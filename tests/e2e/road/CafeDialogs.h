#pragma once
// The cafe dialog as a road test opens it: the user right-clicks a held stock of the trading
// view and asks to recommend it to the cafe's members.

#include <gtest/gtest.h>
#include <wx/dialog.h>
#include <wx/grid.h>
#include <wx/notebook.h>

#include <chrono>
#include <functional>

#include "tests/e2e/road/RoadHost.h"
#include "tests/e2e/road/RoadWindows.h"
#include "tests/e2e/road/TradingGrids.h"

namespace orv::test::windows {

constexpr int kRecommendBuyCommand = 2256;  // "종목 매수 (&Buy) 추천 - 카페 멤버에게 공유"
constexpr const char* kCafeHeldCode = "000660";

// The road logged in, with the cafe downloads reaching the web server; the user right-clicks
// the held stock and asks to recommend it to the cafe's members: answers the cafe dialog that
// opens, or null (with the failure added).
inline wxDialog* OpenCafeDialogFromHeldStock(RoadHost& road,
                                             std::chrono::seconds bound = std::chrono::seconds(30)) {
  using namespace orv::test::grids;
  auto wait = [&](const std::function<bool()>& done) { return road.WaitFor(done, bound); };
  if (!wait([&] { return !road.WebRequests("stock/cafe_rec_items_list2").empty(); })) {
    ADD_FAILURE() << "the cafe downloads never reached the web server";
    return nullptr;
  }
  wxNotebook* tabs = TradingTabs(road.Frame());
  wxGrid* own = tabs ? TabGrid(tabs, 1, false) : nullptr;
  int row = -1;
  if (!own || !wait([&] { return (row = RowOfCode(own, kCafeHeldCode)) >= 0; })) {
    ADD_FAILURE() << "no held stock row";
    return nullptr;
  }
  tabs->SetSelection(1);
  // A loaded machine may close the menu before the pick reaches it: the user tries again.
  wxDialog* dialog = nullptr;
  for (int attempt = 0; attempt < 3 && !dialog; ++attempt) {
    const auto pick = PickRowMenuCommand(own, row, kRecommendBuyCommand);
    road.WaitFor(
        [&] { return (dialog = ShownDialog(wxString(L"추천종목 관리 + 분할매수"))) != nullptr; },
        std::chrono::seconds(5));
  }
  if (!dialog)
    wait([&] { return (dialog = ShownDialog(wxString(L"추천종목 관리 + 분할매수"))) != nullptr; });
  if (!dialog) ADD_FAILURE() << "the cafe dialog did not open";
  return dialog;
}

}  // namespace orv::test::windows
