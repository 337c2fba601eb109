// The AI analysis as text: the three prompt templates exactly, the JSON escaping of the prompt,
// the chat request body, the reading of chat replies, and one chat request against the
// loopback chat service (its headers, a wrong key, faults).

#include <gtest/gtest.h>
#include <rapidjson/document.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <vector>

#include "plugin/community/AiAnalysis.h"
#include "shared/StockRecords.h"
#include "tests/peers/AiChatPeer.h"

namespace orv::test {
namespace {

// The templates as written for the service, formatted by replacing each %s / %S in order.
std::string Fill(std::string format, const std::vector<std::string>& args) {
  size_t at = 0;
  for (const std::string& arg : args) {
    at = format.find('%', at);
    while (at != std::string::npos && format[at + 1] != 's' && format[at + 1] != 'S')
      at = format.find('%', at + 1);
    if (at == std::string::npos) break;
    format.replace(at, 2, arg);
    at += arg.size();
  }
  return format;
}

const std::string kRule =
    "장기간 하락 및 횡보 후, 상승 구간에 들어서는지 최근 10일 Envelope Low, Mid로 아래 조건대로 "
    "판단해줘.\n매수 시점: 최종 시세가 Low, Mid 사이에 있고, Mid를 상승으로 돌파, 혹은 Low, Mid "
    "중간에서 상승\n강한 매수 시점: 매수 시점인데 Low, Mid 횡보가 5일 이상 지속시\n매수 자제: 최종 "
    "3일간 시세가 Mid위에 있거나 Low 방향으로 하락시(돌파시점과 시세의 비율 차이가 5%미만이면 "
    "판단하지 말것)\n";
const std::string kTemplateA =
    "%s (%s) [%s]의 추세를 다음 데이터를 참고해서 추정해줘.\n아래 데이터를 기반으로 상승 또는 하락 "
    "여부를 판단하고 그 이유를 한글로 설명해줘.\n%s시세 형태: CSV, 순서대로: "
    "일시,시작가,고가,저가,종가,거래량\nEnvelope 형태: CSV, 순서대로: 날짜,Mid,Low\n- 60일 "
    "일봉:\n%S\n- Envelope Mid/Low:\n%S\n";
const std::string kTemplateC =
    "%s (%s) [%s]의 추세를 다음 데이터를 참고해서 추정해줘.\n아래 데이터를 기반으로 상승 또는 하락 "
    "여부를 판단하고 그 이유를 한글로 설명해줘.\n장기간 하락후, 상승 구간에 들어서는지 Envelope로 "
    "판단해줘.\n%s공매도는 금액을 적어줘. 1개월전 뉴스도 검색해서, URL도 알려줘.\n시세 형태: CSV, "
    "순서대로: 일시,시작가,고가,저가,종가,거래량\nEnvelope 형태: CSV, 순서대로: 날짜,Mid,Low\n기관/"
    "외국인 추이 형태: CSV, 순서대로: 일시,기관 순매수량,기관 순매수금액,외국인 순매매,외국인 "
    "순매매금액,외국인 지분율\n공매도 추이 형태: CSV, 순서대로: "
    "일시,공매도량,누적공매도량,비중,가격,등락률\n- 60일 일봉:\n%S\n- Envelope Mid/Low:\n%S\n- 최근 "
    "기관/외국인 추이:\n%S\n- 최근 공매도 추이: \n%S\n";
const std::string kTemplateB =
    "%s (%s) [%s]의 추세를 다음 데이터를 참고해서 추정해줘.\n아래 데이터를 기반으로 상승 또는 하락 "
    "여부를 판단하고 그 이유를 한글로 설명해줘.\n%s외국인 누적 거래대금 1억 미만은 상승/하락 영향을 "
    "판단하지 말아줘.\n공매도는 금액을 적어줘. 1개월전 뉴스도 검색해서, URL도 알려줘.\n시세 형태: "
    "CSV, 순서대로: 일시,시작가,고가,저가,종가,거래량\nEnvelope 형태: CSV, 순서대로: "
    "날짜,Mid,Low\n기관/외국인 추이 형태: CSV, 순서대로: 일시,기관 순매수량,기관 순매수금액,외국인 "
    "순매매,외국인 순매매금액,외국인 지분율\n- 60일 일봉:\n%S\n- Envelope Mid/Low:\n%S\n- 최근 "
    "기관/외국인 추이:\n%S\n";

const std::string kDay = "20250120,100,110,90,105,1000\n,20250121,105,112,101,111,1200";
const std::string kEnvelope = "20250120,102.50,97.38\n20250121,108.00,102.60\n";
const std::string kInvestor = "20250121,-300,-31500,500,52500,1.20";
const std::string kShort = "20250121,1000,5000,2.500,111,1.234";

TEST(AiPrompt, EachTemplateIsWrittenExactly) {
  struct Case {
    const char* what;
    uint8_t market;
    std::string shortCsv;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"stock without short selling: B", 1, "",
       Fill(kTemplateB, {"삼성전자", "005930", "주식", kRule, kDay, kEnvelope, kInvestor})},
      {"stock with short selling: C", 1, kShort,
       Fill(kTemplateC, {"삼성전자", "005930", "주식", kRule, kDay, kEnvelope, kInvestor, kShort})},
      // Coins take A even when investor and short-selling data exist.
      {"coin in won: A", kMarketCoin, kShort,
       Fill(kTemplateA, {"삼성전자", "005930", "코인", kRule, kDay, kEnvelope})},
      {"coin in BTC: A", kMarketCoinBtc, "",
       Fill(kTemplateA, {"삼성전자", "005930", "코인", kRule, kDay, kEnvelope})},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(BuildAiPrompt(c.market, L"005930", L"삼성전자", kDay, kEnvelope, kInvestor, c.shortCsv),
              c.expected)
        << c.what;
  }
  EXPECT_EQ(ChooseAiPromptTemplate(2, ""), AiPromptTemplate::kB);
  EXPECT_EQ(ChooseAiPromptTemplate(9, kShort), AiPromptTemplate::kA);
}

TEST(AiPrompt, MissingTextsGoInEmptyAndBadInputGivesNoPrompt) {
  EXPECT_EQ(BuildAiPrompt(1, L"005930", L"삼성전자", "", "", "", ""),
            Fill(kTemplateB, {"삼성전자", "005930", "주식", kRule, "", "", ""}));
  EXPECT_EQ(BuildAiPrompt(1, L"005930", L"", kDay, kEnvelope, kInvestor, ""), "");
  EXPECT_EQ(BuildAiChatRequest(1, L"005930", L"", kDay, kEnvelope, kInvestor, ""), "");
  // A text that is not UTF-8 cannot be sent.
  EXPECT_EQ(BuildAiPrompt(1, L"005930", L"삼성전자", "2025\xff,1", "", "", ""), "");
  EXPECT_EQ(BuildAiPrompt(1, L"005930", L"삼성전자", "", "\xed\xa0\x80", "", ""), "");
}

TEST(AiPrompt, EscapingFollowsTheJsonRulesByteByByte) {
  struct Case {
    std::string in;
    std::string out;
  };
  const std::vector<Case> cases = {
      {"say \"hi\"", "say \\\"hi\\\""},
      {"a\\b", "a\\\\b"},
      {"a\tb", "a\\tb"},
      {"a\nb\rc", "a\\nb\\rc"},
      {std::string("x\x01y", 3), "x\\u0001y"},
      {std::string("\x1f\x08\x0c", 3), "\\u001f\\u0008\\u000c"},
      {std::string("nul\0end", 7), "nul\\u0000end"},
      {"한글 그대로 \x7f", "한글 그대로 \x7f"},
  };
  for (const Case& c : cases) EXPECT_EQ(JsonEscapeUtf8(c.in), c.out) << c.in;
}

TEST(AiPrompt, TheRequestCarriesThePromptAsItsOnlyUserMessage) {
  const std::string shortCsv = "2025\t\"01\"\\21,\x01";
  const std::string body =
      BuildAiChatRequest(1, L"005930", L"삼성\"전자", kDay, kEnvelope, kInvestor, shortCsv);
  const std::string head = "{\"model\":\"gpt-4o\",\"messages\":[{\"role\":\"user\",\"content\":\"";
  ASSERT_EQ(body.compare(0, head.size(), head), 0) << body;
  ASSERT_EQ(body.substr(body.size() - 4), "\"}]}");
  rapidjson::Document doc;
  doc.Parse(body.data(), body.size());
  ASSERT_FALSE(doc.HasParseError());
  const rapidjson::Value& content = doc["messages"][0]["content"];
  EXPECT_EQ(std::string(content.GetString(), content.GetStringLength()),
            BuildAiPrompt(1, L"005930", L"삼성\"전자", kDay, kEnvelope, kInvestor, shortCsv));
  EXPECT_NE(body.find("2025\\t\\\"01\\\"\\\\21,\\u0001"), std::string::npos);
}

TEST(AiReply, ChoicesContentIsTheAnswerAndAnythingElseIsNone) {
  struct Case {
    const char* what;
    std::string reply;
    bool has;
    std::string content;
    int tokens;
  };
  const std::vector<Case> cases = {
      {"choices", AiChatPeer::ChoicesReply("상승 \"추세\"\n입니다", 321), true,
       "상승 \"추세\"\n입니다", 321},
      {"byte-order mark", "\xEF\xBB\xBF" + AiChatPeer::ChoicesReply("ok", 5), true, "ok", 5},
      {"empty choices", "{\"choices\":[],\"usage\":{\"total_tokens\":9}}", false, "", 9},
      {"choice not an object", "{\"choices\":[\"text\"]}", false, "", 0},
      {"no message", "{\"choices\":[{\"index\":0}]}", false, "", 0},
      {"content not text", "{\"choices\":[{\"message\":{\"content\":5}}]}", false, "", 0},
      {"empty content", "{\"choices\":[{\"message\":{\"content\":\"\"}}]}", false, "", 0},
      {"array reply", "[{\"choices\":[]}]", false, "", 0},
      {"cut reply", AiChatPeer::ChoicesReply("ok", 5).substr(0, 40), false, "", 0},
      {"empty reply", "", false, "", 0},
      {"negative tokens", "{\"choices\":[{\"message\":{\"content\":\"a\"}}],"
                          "\"usage\":{\"total_tokens\":-4}}",
       true, "a", 0},
  };
  for (const Case& c : cases) {
    const AiChatReply_s read = ReadAiChatReply(c.reply.data(), c.reply.size());
    EXPECT_EQ(read.hasContent, c.has) << c.what;
    EXPECT_EQ(read.content, c.content) << c.what;
    EXPECT_EQ(read.usedTokens, c.tokens) << c.what;
    EXPECT_EQ(ExtractAiReplyContentString(c.reply.data(), c.reply.size()), c.content) << c.what;
    char* copy = nullptr;
    EXPECT_EQ(ExtractAiReplyContent(c.reply.data(), c.reply.size(), &copy), c.content.size())
        << c.what;
    EXPECT_EQ(copy ? std::string(copy) : std::string(), c.content) << c.what;
    EXPECT_EQ(copy != nullptr, c.has) << c.what;
    std::free(copy);
  }
  const std::string error = "{\"error\":{\"message\":\"Incorrect API key provided.\"}}";
  EXPECT_EQ(ReadAiChatReply(error.data(), error.size()).error, "Incorrect API key provided.");
  // A reply is read within its length only.
  const std::string whole = AiChatPeer::ChoicesReply("ok", 5) + "garbage";
  EXPECT_TRUE(ReadAiChatReply(whole.data(), whole.size() - 7).hasContent);
}

TEST(AiReply, InvestorSeriesTakesThePageColumnOrder) {
  EXPECT_EQ(InvestorSeriesForPage("20250120,-300,500,\n20250121,40,-7"),
            "20250120,500,-300\n20250121,-7,40\n");
  EXPECT_EQ(InvestorSeriesForPage(""), "");
  EXPECT_EQ(InvestorSeriesForPage("20250120,1\nbad"), "");
}

class AiChatRequest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(peer.Start());
    endpoint.url = peer.ChatUrl();
    endpoint.key = "sk-test";
    curl = curl_easy_init();
  }
  void TearDown() override {
    curl_easy_cleanup(curl);
    peer.Stop();
  }
  AiChatResult_s Send(const std::string& body = "{\"model\":\"gpt-4o\",\"messages\":[{\"role\":"
                                                "\"user\",\"content\":\"삼성전자 (005930) [주식]\"}]}") {
    return SendAiChatRequest(curl, endpoint, body, 5000, nullptr);
  }

  AiChatPeer peer;
  AiChatEndpoint_s endpoint;
  CURL* curl = nullptr;
};

TEST_F(AiChatRequest, PostsTheBodyWithTheBearerKeyAndGetsChoices) {
  const std::string body = BuildAiChatRequest(1, L"005930", L"삼성전자", kDay, kEnvelope, kInvestor, "");
  const AiChatResult_s sent = Send(body);
  EXPECT_EQ(sent.status, 200);
  EXPECT_EQ(sent.error, "");
  const auto requests = peer.ChatRequests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].method, "POST");
  EXPECT_EQ(requests[0].body, body);
  EXPECT_EQ(requests[0].Header("Authorization"), "Bearer sk-test");
  EXPECT_EQ(requests[0].Header("Content-Type"), "application/json");
  const AiChatReply_s read = ReadAiChatReply(sent.reply.data(), sent.reply.size());
  EXPECT_TRUE(read.hasContent);
  EXPECT_EQ(read.content, AiChatPeer::SandboxAnswer(AiChatPeer::PromptOf(requests[0])));
  EXPECT_EQ(read.usedTokens, 1234);
}

TEST_F(AiChatRequest, AWrongKeyFaultsAndMissingSettingsGiveNoAnswer) {
  endpoint.key = "sk-wrong";
  AiChatResult_s sent = Send();
  EXPECT_EQ(sent.status, 401);
  EXPECT_EQ(sent.error, "HTTP status 401");
  AiChatReply_s read = ReadAiChatReply(sent.reply.data(), sent.reply.size());
  EXPECT_FALSE(read.hasContent);
  EXPECT_EQ(read.error, "Incorrect API key provided.");
  endpoint.key = "sk-test";

  struct Fault {
    const char* what;
    PeerReply reply;
  };
  std::vector<Fault> faults(4);
  faults[0] = {"500", {}};
  faults[0].reply.status = 500;
  faults[0].reply.body = "{\"error\":{\"message\":\"server\"}}";
  faults[1] = {"reset", {}};
  faults[1].reply.wire = PeerReply::Wire::kReset;
  faults[2] = {"cut", {}};
  faults[2].reply.body = AiChatPeer::ChoicesReply("잘린 답변입니다", 10);
  faults[2].reply.wire = PeerReply::Wire::kCut;
  faults[3] = {"empty choices", {}};
  faults[3].reply.body = "{\"choices\":[]}";
  for (const Fault& fault : faults) {
    peer.SetReply(fault.reply);
    sent = Send();
    read = ReadAiChatReply(sent.reply.data(), sent.reply.size());
    EXPECT_FALSE(read.hasContent) << fault.what;
  }

  const size_t before = peer.ChatRequests().size();
  for (AiChatEndpoint_s bad : {AiChatEndpoint_s{"", "sk-test"}, AiChatEndpoint_s{"ftp://x", "k"},
                               AiChatEndpoint_s{peer.ChatUrl(), ""},
                               AiChatEndpoint_s{peer.ChatUrl(), "k\r\nX-Injected: 1"}}) {
    sent = SendAiChatRequest(curl, bad, "{}", 5000, nullptr);
    EXPECT_EQ(sent.transfer, -1);
    EXPECT_FALSE(sent.error.empty());
  }
  EXPECT_EQ(peer.ChatRequests().size(), before) << "a request went out without its settings";
}

TEST_F(AiChatRequest, AStopEndsAHangingRequest) {
  PeerReply slow;
  slow.delay = std::chrono::seconds(30);
  slow.body = AiChatPeer::ChoicesReply("late", 1);
  peer.SetReply(slow);
  std::atomic<int> abort{1};
  const AiChatResult_s sent = SendAiChatRequest(curl, endpoint, "{}", 60000, &abort);
  EXPECT_EQ(sent.transfer, CURLE_ABORTED_BY_CALLBACK);
  EXPECT_TRUE(sent.reply.empty());
}

}  // namespace
}  // namespace orv::test
