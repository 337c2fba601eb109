#pragma once
// A DB agent logged in against an HTTPS DB peer that trusts the test CA, with a fake program
// clock (pauses are counted, not waited) standing at 2025-01-06 09:00:00 local time.

#include <curl/curl.h>
#include <gtest/gtest.h>

#include "platform/win/Clock.h"
#include "plugin/brokers/DbSecuAgent.h"
#include "tests/peers/DbBrokerPeer.h"
#include "tests/plugin/brokers/TestCaFile.h"

namespace orv::test {

class DbAgentFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(peer_.Start());
    peer_.AcceptCredentials("key", "secret");
    agent_.SetHostUrlA(peer_.BaseUrl().c_str());
    agent_.SetCaCertPemFilePath(SharedCaFileW().c_str());
    int code = 0;
    wchar_t message[200]{};
    ASSERT_EQ(agent_.LoginA(nullptr, "12345678", "key", "secret", &code, message, 200), 1);
    curl_ = curl_easy_init();
    ASSERT_NE(curl_, nullptr);
    peer_.Http().ClearRequests();
  }
  void TearDown() override {
    if (curl_) curl_easy_cleanup(curl_);
  }

  orv::win::FakeClock clock_;
  orv::win::ScopedClock scopedClock_{clock_};
  DbBrokerPeer peer_{SharedCa()};
  CDbSecuAgent agent_{kMarketDomestic, L"main", '1', kDbBrokerId, 1, 1, 1500.0, 40};
  CURL* curl_ = nullptr;
};

}  // namespace orv::test
