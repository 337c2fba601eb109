// The assistants-API client against the loopback AI service: its escaping, the messages it
// posts, the answer it reads (never the user's own question), the bounded wait, and the whole
// draft with the settings' key.

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "plugin/community/AssistantClient.h"
#include "tests/peers/AiChatPeer.h"

namespace orv::test {
namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(AssistantText, EscapingAndTheReadersOfReplies) {
  struct Case {
    std::string in;
    std::string out;
  };
  const std::vector<Case> cases = {
      {"tab\there \"q\"", "tab\\there \\\"q\\\""},
      {"a\\b\nc\rd", "a\\\\b\\nc\\rd"},
      {std::string("\b\f\x01\x1f", 4), "\\b\\f\\u0001\\u001f"},
      {"준비서면", "준비서면"},
  };
  for (const Case& c : cases) EXPECT_EQ(JsonEscapeString(c.in), c.out) << c.in;

  char* id = JsonGetStringDup("{\"id\":\"file-7\",\"n\":3}", "id");
  ASSERT_NE(id, nullptr);
  EXPECT_STREQ(id, "file-7");
  std::free(id);
  for (const char* bad : {"{\"id\":3}", "{\"other\":\"x\"}", "[\"id\"]", "{\"id\":", ""})
    EXPECT_EQ(JsonGetStringDup(bad, "id"), nullptr) << bad;
  EXPECT_EQ(JsonGetStringDup(nullptr, "id"), nullptr);

  // Two content items of one assistant message give two lines; the user's message gives none.
  const std::string list =
      "{\"data\":[{\"role\":\"assistant\",\"content\":[{\"type\":\"text\",\"text\":{\"value\":"
      "\"first\"}},{\"type\":\"text\",\"text\":{\"value\":\"second\"}},{\"type\":\"image\"}]},"
      "{\"role\":\"user\",\"content\":[{\"type\":\"text\",\"text\":{\"value\":\"question\"}}]}]}";
  EXPECT_EQ(AssistantAnswerText(list.data(), list.size()), "first\nsecond\n");
  const std::string onlyUser =
      "{\"data\":[{\"role\":\"user\",\"content\":[{\"type\":\"text\",\"text\":{\"value\":"
      "\"question\"}}]}]}";
  EXPECT_EQ(AssistantAnswerText(onlyUser.data(), onlyUser.size()), "");
  EXPECT_EQ(AssistantAnswerText("{\"data\":5}", 10), "");

  EXPECT_EQ(AssistantOriginOf("https://api.example.com/v1/chat/completions"),
            "https://api.example.com");
  EXPECT_EQ(AssistantOriginOf("http://127.0.0.1:8080/v1/chat"), "http://127.0.0.1:8080");
  EXPECT_EQ(AssistantOriginOf("https://host"), "https://host");
  EXPECT_EQ(AssistantOriginOf("ftp://host/x"), "");
  EXPECT_EQ(AssistantOriginOf("https:///x"), "");
}

class AssistantClient : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(peer.Start());
    folder = (std::filesystem::temp_directory_path() /
              ("orv-assistant-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name()))
                 .string() +
             "/";
    std::filesystem::create_directories(folder);
    std::ofstream(folder + "opp_statement.txt") << "상대방 주장";
    std::ofstream(folder + "my_statement.txt") << "우리 주장";
  }
  void TearDown() override {
    peer.Stop();
    std::filesystem::remove_all(folder);
  }
  CAssistantClient Client(const std::string& key = "sk-test") {
    return CAssistantClient({peer.BaseUrl(), key});
  }

  AiChatPeer peer;
  std::string folder;
};

TEST_F(AssistantClient, AMessageGoesEscapedAndTheAnswerIsTheAssistants) {
  CAssistantClient client = Client();
  const std::string thread = AiChatPeer::kThreadId;
  EXPECT_FALSE(client.AssistantAddMessage(thread, "탭\t과 \"따옴표\"").empty());
  const auto posted = peer.RequestsTo("/v1/threads/thread_1/messages");
  ASSERT_EQ(posted.size(), 1u);
  EXPECT_EQ(posted[0].body, "{ \"role\": \"user\", \"content\": \"탭\\t과 \\\"따옴표\\\"\" }");
  EXPECT_EQ(posted[0].Header("Authorization"), "Bearer sk-test");

  // Before the run only the user's question is in the thread: that is no answer.
  EXPECT_EQ(client.AssistantGetMessagesText(thread), "");
  std::free(client.AssistantRun(thread, AiChatPeer::kAssistantId));
  peer.SetAssistantAnswer("초안입니다", 0);
  EXPECT_EQ(client.AssistantGetMessagesText(thread), "초안입니다\n");
}

TEST_F(AssistantClient, TheWaitEndsWithTheAnswerOrGivesUpAfterTwentyReads) {
  CAssistantClient client = Client();
  const std::string thread = AiChatPeer::kThreadId;
  std::free(client.AssistantAddMessageA(thread, "question"));
  peer.SetAssistantAnswer("answer", 3);
  std::free(client.AssistantRun(thread, AiChatPeer::kAssistantId));
  char* result = client.AssistantWaitForResult(thread);
  ASSERT_NE(result, nullptr);
  EXPECT_EQ(AssistantAnswerText(result, std::strlen(result)), "answer\n");
  std::free(result);
  EXPECT_EQ(peer.RequestsTo("/v1/threads/thread_1/messages").size(), 1u + 4u);

  peer.Http().ClearRequests();
  peer.SetAssistantSilent();
  EXPECT_EQ(client.AssistantWaitForResult(thread), nullptr);
  size_t reads = 0;
  for (const RecordedRequest& r : peer.RequestsTo("/v1/threads/thread_1/messages"))
    reads += r.method == "GET";
  EXPECT_EQ(reads, static_cast<size_t>(CAssistantClient::kWaitTries));
}

TEST_F(AssistantClient, TheDraftWritesOnlyAnAnswerAndUsesTheSettingsKey) {
  peer.SetAssistantAnswer("준비서면 초안\n1. 사실관계", 1);
  EXPECT_EQ(Client().AssistantDraftStatement(folder), 0);
  EXPECT_EQ(ReadFile(folder + "Generated_PreparedStatement.txt"), "준비서면 초안\n1. 사실관계\n");
  const auto uploads = peer.RequestsTo("/v1/files");
  ASSERT_EQ(uploads.size(), 3u);
  EXPECT_EQ(uploads[0].Part("file")->filename, "opp_statement1.txt");
  EXPECT_EQ(uploads[1].Part("file")->filename, "opp_statement2.txt");
  EXPECT_EQ(uploads[2].Part("file")->filename, "my_statement1.txt");
  EXPECT_EQ(uploads[2].Part("file")->content, "우리 주장");
  const auto assistants = peer.RequestsTo("/v1/assistants");
  ASSERT_EQ(assistants.size(), 1u);
  EXPECT_NE(assistants[0].body.find("\"file_ids\":[\"file-1\",\"file-2\",\"file-3\"]"),
            std::string::npos);
  for (const RecordedRequest& r : peer.Http().Requests())
    EXPECT_EQ(r.Header("Authorization"), "Bearer sk-test") << r.path;

  // No answer: an error, and no file.
  std::filesystem::remove(folder + "Generated_PreparedStatement.txt");
  peer.SetAssistantSilent();
  EXPECT_EQ(Client().AssistantDraftStatement(folder), -1);
  EXPECT_FALSE(std::filesystem::exists(folder + "Generated_PreparedStatement.txt"));

  // A key the service refuses stops the draft at the first missing id; no key sends nothing.
  peer.Http().ClearRequests();
  EXPECT_EQ(Client("sk-wrong").AssistantDraftStatement(folder), -1);
  EXPECT_TRUE(peer.RequestsTo("/v1/assistants").empty());
  peer.Http().ClearRequests();
  EXPECT_EQ(Client("").AssistantDraftStatement(folder), -1);
  EXPECT_TRUE(peer.Http().Requests().empty());
}

}  // namespace
}  // namespace orv::test
