#pragma once
// The Kiwoom broker peer over TLS with a Kiwoom agent pointed at it and logged in; the requests of
// the login are forgotten, so a test sees only its own. Pauses go to a fake program clock, whose
// local date is 2025-01-06.

#include <gtest/gtest.h>

#include "platform/win/Clock.h"
#include "plugin/brokers/KiwoomSecuAgent.h"
#include "tests/peers/KiwoomBrokerPeer.h"
#include "tests/plugin/brokers/TestCaFile.h"

namespace orv::test {

class KiwoomLoggedInTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(peer_.Start());
    peer_.AcceptCredentials("key", "secret");
    agent_.SetHostUrlA(peer_.BaseUrl().c_str());
    agent_.SetCaCertPemFilePath(SharedCaFileW().c_str());
    int code = 0;
    wchar_t message[200]{};
    ASSERT_EQ(agent_.LoginA(nullptr, "12345678", "key", "secret", &code, message, 200), 1);
    peer_.Http().ClearRequests();
  }

  orv::win::FakeClock clock_;
  orv::win::ScopedClock scopedClock_{clock_};
  KiwoomBrokerPeer peer_{SharedCa()};
  CKiwoomSecuAgent agent_{kMarketDomestic, L"main", '1', kKiwoomBrokerId, 1, 1, 1500.0, 40};
};

}  // namespace orv::test
