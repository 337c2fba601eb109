// Kiwoom's condition searches: the reader of the server's messages and the quote client that
// asks for the list, starts every search and hands lists, matches and events on.

#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "plugin/brokers/KiwoomConditionFrames.h"
#include "plugin/brokers/WsQuoteThread_KIWOOM.h"
#include "tests/peers/WsQuotePeer.h"
#include "tests/plugin/brokers/TestCaFile.h"

using orv::test::KiwoomQuoteStreamPeer;
using orv::test::SharedCa;
using orv::test::SharedCaFile;
using namespace std::chrono_literals;

namespace {

KiwoomConditionMessage_s Read(const std::string& text, bool* read = nullptr) {
  KiwoomConditionMessage_s message;
  const bool ok = ReadKiwoomConditionMessage(text.data(), text.size(), &message);
  if (read) *read = ok;
  return message;
}

TEST(KiwoomConditionFrames, ReadsTheListSkippingEntriesThatCannotBeRead) {
  bool read = false;
  const auto message = Read(
      u8R"({"trnm":"CNSRLST","return_code":0,"return_msg":"","data":[["0","급등주"],[3,"눌림목"],)"
      u8R"(["x","bad seq"],["4",""],["5"],"flat",["-1","negative"],["6",7]]})",
      &read);
  ASSERT_TRUE(read);
  EXPECT_EQ(message.kind, KiwoomConditionMessage_s::kList);
  ASSERT_EQ(message.conditions.size(), 2u);
  EXPECT_EQ(message.conditions[0].seq, 0);
  EXPECT_EQ(message.conditions[0].name, L"급등주");
  EXPECT_EQ(message.conditions[1].seq, 3);
  EXPECT_EQ(message.conditions[1].name, L"눌림목");
  EXPECT_EQ(KiwoomConditionListText(message.conditions), L"0^급등주;3^눌림목;");
  // A name with the list text's separators would split an entry: it is left out of the text.
  EXPECT_EQ(KiwoomConditionListText({{1, L"a;b"}, {2, L"c^d"}, {4, L"ok"}}), L"4^ok;");

  const auto refused = Read(R"({"trnm":"CNSRLST","return_code":1,"return_msg":"no","data":[["0","a"]]})");
  EXPECT_EQ(refused.kind, KiwoomConditionMessage_s::kList);
  EXPECT_EQ(refused.returnCode, 1);
  EXPECT_TRUE(refused.conditions.empty()) << "a refused list carries no conditions";
}

TEST(KiwoomConditionFrames, ReadsMatchesAndEvents) {
  const auto result = Read(
      R"({"trnm":"CNSRREQ","seq":"2","return_code":0,"data":[{"9001":"A005930","10":"+71500"},)"
      R"({"9001":"000660","10":"-3200"},{"jmcode":"A035420"},{"9001":"A00 5930"},{"10":"1"},)"
      R"({"9001":"A","10":"5"},{"9001":"A123456","10":"1e999"}]})");
  EXPECT_EQ(result.kind, KiwoomConditionMessage_s::kSearchResult);
  EXPECT_EQ(result.seq, 2);
  ASSERT_EQ(result.hits.size(), 4u);
  EXPECT_EQ(result.hits[0].code, L"005930");
  EXPECT_EQ(result.hits[0].price, 71500);
  EXPECT_EQ(result.hits[1].code, L"000660");
  EXPECT_EQ(result.hits[1].price, 3200) << "the sign marks the direction, not the price";
  EXPECT_EQ(result.hits[2].code, L"035420");
  EXPECT_EQ(result.hits[2].price, 0);
  EXPECT_EQ(result.hits[3].price, 0) << "an overflowing price is not read";

  const auto events = Read(
      u8R"({"trnm":"REAL","data":[{"type":"02","values":{"841":"4","9001":"005930","843":"I"}},)"
      u8R"({"type":"0B","values":{"841":"4","9001":"005930","843":"I"}},)"
      u8R"({"type":"02","values":{"841":"1","9001":"A000660","843":"D"}},)"
      u8R"({"type":"02","values":{"841":"1","9001":"000660","843":"X"}},)"
      u8R"({"type":"02","values":{"9001":"000660","843":"I"}}]})");
  EXPECT_EQ(events.kind, KiwoomConditionMessage_s::kEvents);
  ASSERT_EQ(events.events.size(), 2u);
  EXPECT_EQ(events.events[0].seq, 4);
  EXPECT_EQ(events.events[0].code, L"005930");
  EXPECT_EQ(events.events[0].kind, L'I');
  EXPECT_EQ(events.events[1].seq, 1);
  EXPECT_EQ(events.events[1].code, L"000660");
  EXPECT_EQ(events.events[1].kind, L'D');
}

TEST(KiwoomConditionFrames, OtherMessagesAreNotConditionMessages) {
  const char* others[] = {
      R"({"trnm":"LOGIN","return_code":0})",
      R"({"trnm":"REAL","data":[{"type":"0B","values":{"10":"+71500"}}]})",
      R"({"trnm":"REAL"})",
      R"({"trnm":"CNSRREQ","return_code":0,"data":[]})",  // no seq
      R"({"trnm":"CNSRCLR","seq":"99999999"})",
      R"(["CNSRLST"])",
      R"({"trnm":"CNSRLST")",
      "",
  };
  for (const char* text : others) {
    bool read = true;
    Read(text, &read);
    EXPECT_FALSE(read) << text;
  }
  KiwoomConditionMessage_s message;
  EXPECT_FALSE(ReadKiwoomConditionMessage(nullptr, 0, &message));
}

// What the client handed on, in order.
struct Received {
  std::mutex mutex;
  std::vector<std::wstring> lines;
  void Add(std::wstring line) {
    std::lock_guard<std::mutex> lock(mutex);
    lines.push_back(std::move(line));
  }
  std::vector<std::wstring> Lines() {
    std::lock_guard<std::mutex> lock(mutex);
    return lines;
  }
};

bool WaitUntil(const std::function<bool()>& done) {
  const auto end = std::chrono::steady_clock::now() + 10s;
  while (std::chrono::steady_clock::now() < end) {
    if (done()) return true;
    std::this_thread::sleep_for(20ms);
  }
  return done();
}

TEST(KiwoomConditionClient, StartsEverySearchAndHandsListsMatchesAndEventsOn) {
  KiwoomQuoteStreamPeer peer(SharedCa());
  peer.SetConditions({{0, "급등주"}, {2, "눌림목"}});
  peer.SetMatches(0, {"005930", "000660"});
  ASSERT_TRUE(peer.Start());

  Received received;
  KiwoomConditionSink_s sink;
  sink.list = [&](const std::vector<KiwoomCondition_s>& conditions) {
    received.Add(L"list " + KiwoomConditionListText(conditions));
  };
  sink.result = [&](const KiwoomCondition_s& condition,
                    const std::vector<KiwoomConditionHit_s>& hits) {
    std::wstring line = L"result " + condition.name;
    for (const auto& hit : hits) line += L" " + hit.code;
    received.Add(line);
  };
  sink.event = [&](const KiwoomCondition_s& condition, const KiwoomConditionEvent_s& event) {
    received.Add(L"event " + condition.name + L" " + event.code + L" " + event.kind);
  };
  CWsQuoteThread_KIWOOM client;
  client.SetParams(peer.Socket().Url("/api/dostk/websocket").c_str(), "k", "s", "t", "");
  client.SetCaCertPemFilePath(SharedCaFile());
  client.SetConditionSink(sink);
  ASSERT_TRUE(client.Start());

  ASSERT_TRUE(WaitUntil([&] { return peer.Started() == std::set<int>{0, 2}; }))
      << client.LastTrace();
  ASSERT_TRUE(WaitUntil([&] { return received.Lines().size() >= 3; }));
  EXPECT_EQ(received.Lines(), (std::vector<std::wstring>{L"list 0^급등주;2^눌림목;",
                                                         L"result 급등주 005930 000660",
                                                         L"result 눌림목"}));

  // Events of a condition the user does not have are not handed on.
  peer.Socket().Push(KiwoomQuoteStreamPeer::ConditionEvent(7, "035420", 'I'));
  ASSERT_EQ(peer.PushConditionEvent(2, "035420", 'I'), 1);
  ASSERT_EQ(peer.PushConditionEvent(0, "005930", 'D'), 1);
  ASSERT_TRUE(WaitUntil([&] { return received.Lines().size() >= 5; }));
  std::this_thread::sleep_for(100ms);
  const auto lines = received.Lines();
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[3], L"event 눌림목 035420 I");
  EXPECT_EQ(lines[4], L"event 급등주 005930 D");

  // A restart stops every running search, then asks for the list and starts them again.
  const size_t before = peer.Socket().Frames().size();
  peer.SetConditions({{2, "눌림목"}});
  ASSERT_TRUE(client.RestartConditionSearches());
  ASSERT_TRUE(WaitUntil([&] { return peer.Socket().Frames().size() >= before + 4; }));
  std::vector<std::string> sent;
  for (size_t i = before; i < peer.Socket().Frames().size(); ++i)
    sent.push_back(peer.Socket().Frames()[i].text);
  EXPECT_EQ(sent, (std::vector<std::string>{KiwoomConditionClearFrame(0),
                                            KiwoomConditionClearFrame(2),
                                            KiwoomConditionListFrame(),
                                            KiwoomConditionRequestFrame(2)}));
  EXPECT_EQ(peer.Started(), std::set<int>{2});
  client.Disconnect();
  client.Stop();
}

TEST(KiwoomConditionClient, RestartBeforeTheLogInIsRefused) {
  CWsQuoteThread_KIWOOM client;
  EXPECT_FALSE(client.RestartConditionSearches());
}

}  // namespace
