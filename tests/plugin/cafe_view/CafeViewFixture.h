#pragma once
// The cafe data view as the trading view makes it, with the maker the plug-in's start-up
// installs, on a staged program folder.

#include <gtest/gtest.h>

#include "plugin/community/dataview/CafeDataView.h"
#include "plugin/community/dataview/CafeDataViewMaker.h"
#include "plugin/view/ChildWindows.h"
#include "tests/plugin/view/ViewStage.h"

namespace orv::test {

class CafeViewFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    stage_.Prepare();
    // As the plug-in's start-up installs it.
    ChildMakers().cafeDataView = MakeCafeDataView;
    stage_.login.nCompanyIdx = 4;
  }
  void TearDown() override {
    if (view_) view_->Destroy();
    ChildMakers() = PelomarChildMakers{};
  }
  CCafeDataView* Make() {
    view_ = stage_.CreateView();
    if (!view_ || !view_->CafeDataView()) return nullptr;
    return dynamic_cast<CCafeDataView*>(view_->CafeDataView()->GetWindow());
  }

  ViewStage stage_;
  CPelomarView* view_ = nullptr;
};

}  // namespace orv::test
