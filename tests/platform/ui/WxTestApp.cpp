#include "WxTestApp.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/init.h>

#include <thread>

namespace orv::test {
namespace {

class WxEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    wxApp::SetInstance(new wxApp);
    static char name[] = "test_platform_ui";
    static char* argv[] = {name, nullptr};
    static int argc = 1;
    ASSERT_TRUE(wxEntryStart(argc, argv)) << "no display: run under xvfb-run";
    ASSERT_TRUE(wxTheApp->CallOnInit());
  }
  void TearDown() override {
    wxTheApp->OnExit();
    wxEntryCleanup();
  }
};

::testing::Environment* const kWxEnvironment =
    ::testing::AddGlobalTestEnvironment(new WxEnvironment);

}  // namespace

bool PumpEventsUntil(const std::function<bool()>& done, std::chrono::milliseconds bound) {
  const auto deadline = std::chrono::steady_clock::now() + bound;
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    wxTheApp->ProcessPendingEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

void PumpEventsFor(std::chrono::milliseconds duration) {
  PumpEventsUntil([] { return false; }, duration);
}

}  // namespace orv::test
