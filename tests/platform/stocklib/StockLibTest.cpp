#include <gtest/gtest.h>
#include <openssl/sha.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "platform/stocklib/Jwt.h"
#include "platform/stocklib/StockAgentBase.h"
#include "platform/stocklib/StockCalc.h"
#include "platform/support/Encoding.h"

namespace {

// An agent that only sets its identity, as every broker agent's constructor does.
class TestAgent : public CStockAgentBase {
 public:
  TestAgent(const wchar_t* name, uint8_t instance, int32_t marketId)
      : CStockAgentBase(1, '1', 11, instance, marketId, 1500.0, 40) {
    MakeLabel(L"DB", name);
  }
  int LoginA(CURL*, const char* account, const char* key, const char* secret, int*, wchar_t*,
             int) override {
    std::strcpy(m_appKey, key);
    std::strcpy(m_appSecret, secret);
    SetAccessToken("tok", 60, NowTick64());
    return 1;
  }
  std::string lastCode;
  int TradeOrderA(CURL*, uint8_t, uint8_t, int, int, const char* code, double, double, int, int,
                  int, int, int, double, double, double, int, int, int earlier, char*, int64_t*,
                  int*, int* outSuccess, int*, wchar_t*, wchar_t*) override {
    lastCode = code;
    *outSuccess = earlier == 42;
    return 0;
  }
};

TEST(StockAgentBase, KeyLabelUrlAndMessages) {
  TestAgent named(L"메인", 2, 1);
  EXPECT_EQ(named.m_key, (1u << 16) | (11u << 8) | 2u);
  EXPECT_STREQ(named.m_label, L"DB.메인.2");
  EXPECT_EQ(named.m_accountRecord.key, named.m_key);
  EXPECT_EQ(named.m_accountRecord.label, L"DB.메인.2");

  TestAgent unnamed(nullptr, 1, 1);
  EXPECT_STREQ(unnamed.m_label, (L"DB." + std::to_wstring(unnamed.m_key)).c_str());
  TestAgent longName(std::wstring(80, L'x').c_str(), 1, 1);
  EXPECT_EQ(std::wcslen(longName.m_label), 55u);

  EXPECT_EQ(named.SetHostUrlA("https://a:8443"), 0);
  EXPECT_EQ(named.SetHostUrlA(nullptr), 0);
  EXPECT_STREQ(named.m_baseUrl, "https://a:8443");
  EXPECT_EQ(named.SetHostUrl(nullptr), 1);
  EXPECT_STREQ(named.m_baseUrl, "https://a:8443");
  EXPECT_EQ(named.SetHostUrl(L"https://b"), 1);
  EXPECT_STREQ(named.m_baseUrl, "https://b");
  EXPECT_EQ(named.SetServerUrl(L"x"), 0);

  named.SetLastMessage(std::wstring(300, L'가').c_str());
  EXPECT_EQ(named.GetLastMessage(), std::wstring(200, L'가'));
  EXPECT_EQ(named.SetLastMessage(nullptr), 0);
  EXPECT_EQ(named.GetLastMessage(), L"");

  wchar_t acc[8] = L"junk";
  EXPECT_STREQ(named.GetAccountNo(acc, 8), L"");
  std::strcpy(named.m_confirmedAccount, "1234567890");
  EXPECT_STREQ(named.GetAccountNo(acc, 8), L"1234567");

  named.SetCaCertPemFilePath(L"/tmp/설정/cacert.pem");
  EXPECT_EQ(named.CaCertPemFilePath(), "/tmp/설정/cacert.pem");
}

// Workers write the last message while others read it: a reader always gets one whole message.
TEST(StockAgentBase, TheLastMessageIsReadWholeWhileWorkersWriteIt) {
  TestAgent agent(L"메인", 1, 1);
  const std::wstring texts[2] = {std::wstring(150, L'가'), std::wstring(40, L'x')};
  std::vector<std::thread> writers;
  for (int w = 0; w < 2; ++w)
    writers.emplace_back([&agent, &texts, w] {
      for (int i = 0; i < 2000; ++i) agent.SetLastMessage(texts[w].c_str());
    });
  int torn = 0;
  for (int i = 0; i < 2000; ++i) {
    const std::wstring seen = agent.GetLastMessage();
    if (!seen.empty() && seen != texts[0] && seen != texts[1]) ++torn;
  }
  for (auto& writer : writers) writer.join();
  EXPECT_EQ(torn, 0);
}

TEST(StockAgentBase, WideEntriesAndBaseResults) {
  TestAgent agent(L"a", 1, 1);
  EXPECT_EQ(agent.IsConnected(), 0);
  EXPECT_EQ(agent.Login(nullptr, L"acc", L"키", L"secret", nullptr, nullptr, 0), 1);
  EXPECT_STREQ(agent.m_appKey, "키");
  EXPECT_EQ(agent.IsConnected(), 1);
  EXPECT_EQ(agent.Logout(), 1);
  EXPECT_EQ(agent.IsConnected(), 0);
  agent.ClearCredentials();
  EXPECT_STREQ(agent.m_appKey, "");
  EXPECT_STREQ(agent.m_appSecret, "");

  int success = -5;
  EXPECT_EQ(agent.TradeOrder(nullptr, 1, 1, 1, 0, L"005930", 1, 0, 1, 3, 0, 0, 1, 0, 0, 0, 0, 0,
                             L"42", nullptr, nullptr, nullptr, &success, nullptr, nullptr, nullptr),
            0);
  EXPECT_EQ(agent.lastCode, "005930");
  EXPECT_EQ(success, 1);

  EXPECT_EQ(agent.QueryAccounts(nullptr, L"k", L"s", nullptr, nullptr, 0), -1);
  EXPECT_EQ(agent.GetShortSellingData(nullptr, nullptr, L"1", 5, nullptr, nullptr, 0), -1);
  EXPECT_EQ(
      agent.QueryMultiPrices(nullptr, 1, 0, "", nullptr, "", 0, nullptr, nullptr, nullptr, nullptr),
      -1);

  GroupInfoMap accounts;
  agent.SetAccListPtr(&accounts);
  EXPECT_EQ(agent.FindAccountList(0), nullptr);
  accounts[agent.m_accountRecord.label] = &agent.m_accountRecord;
  EXPECT_EQ(agent.FindAccountList(0), &agent.m_accountRecord);
  EXPECT_EQ(agent.FindAccountList(1), nullptr);
  EXPECT_EQ(agent.FindAccountList(-1), nullptr);
}

TEST(StockCalc, ProfitRateWithFeesAndTax) {
  // Bought 10 at 10,000 with 0.015% fee; sold at 11,000 paying 0.015% fee and 0.18% tax.
  const double cost = 100000.0 * 1.00015;
  const double proceeds = 110000.0 * (1 - 0.00015 - 0.0018);
  EXPECT_NEAR(GfxCalculateProfitRate2(10000, 11000, 10, 0.015, 0.015, 0.18, 0),
              (proceeds - cost) / cost * 100, 1e-9);
  // Without costs: plain price change.
  EXPECT_NEAR(GfxCalculateProfitRate2(100, 90, 3, 0, 0, 0, 0), -10.0, 1e-12);
  // Reverse holdings gain when the price falls.
  EXPECT_NEAR(GfxCalculateProfitRate2(100, 90, 3, 0, 0, 0, 1), 10.0, 1e-12);
  EXPECT_NEAR(GfxCalculateProfitRate2(100, 100, 1, 0.1, 0.1, 0.2, 1), -0.4, 1e-12);
  EXPECT_LT(GfxCalculateProfitRate2(100, 100, 1, 0.1, 0.1, 0.2, 0), 0);
  EXPECT_EQ(GfxCalculateProfitRate2(0, 100, 1, 0, 0, 0, 0), 0);
  EXPECT_EQ(GfxCalculateProfitRate2(100, 100, 0, 0, 0, 0, 0), 0);
  EXPECT_NEAR(GfxCalculateProfitRate(100, 110, 1, 0, 0), 10.0, 1e-12);
}

TEST(StockCalc, EnvelopeAndSplit) {
  const double prices[] = {10, 10, 10, 10, 20};
  double up[6], mid[6], low[6];
  EXPECT_EQ(GfxCalcEnvelope_FullOutput3(prices, 5, 4, 10.0, up, mid, low, 6), kEnvelopeAboveUpper);
  EXPECT_DOUBLE_EQ(mid[2], 0);
  EXPECT_DOUBLE_EQ(mid[3], 10);
  EXPECT_DOUBLE_EQ(up[3], 11);
  EXPECT_DOUBLE_EQ(low[3], 9);
  EXPECT_DOUBLE_EQ(mid[4], 12.5);
  EXPECT_DOUBLE_EQ(mid[5], 0);
  std::deque<double> series(prices, prices + 4);
  series.push_back(9.5);
  EXPECT_EQ(GfxCalcEnvelope_FullOutput2(series, 4, 10.0, up, mid, low, 5), kEnvelopeLowerHalf);
  EXPECT_EQ(GfxCalcEnvelope_FullOutput3(prices, 3, 4, 10.0, up, mid, low, 5), kEnvelopeNone);

  double state = 0;
  EXPECT_DOUBLE_EQ(GfxStockCalcSellSplitQty(&state, 10000, 50000, 100, 5000, 1, 0, 0), 5);
  EXPECT_DOUBLE_EQ(state, 5);
  EXPECT_DOUBLE_EQ(GfxStockCalcSellSplitQty(nullptr, 100000, 50000, 100, 5000, 1, 0, 0), 1);
  EXPECT_DOUBLE_EQ(GfxStockCalcSellSplitQty(nullptr, 10000, 50000, 5, 5000, 1, 0, 0), 5);
  EXPECT_DOUBLE_EQ(GfxStockCalcSellSplitQty(nullptr, 10000, 50000, 100, 5000, 1, 0, 20), 20);
  EXPECT_DOUBLE_EQ(GfxStockCalcSellSplitQty(nullptr, 0, 50000, 7, 5000, 1, 0, 0), 7);
}

TEST(StockCalc, EnvelopePointsAndTheirTextSkipPointsWithoutAFullPeriod) {
  const std::deque<double> closes = {10, 10, 10, 10, 20};
  const std::deque<int32_t> dates = {20250101, 20250102, 20250103, 20250106, 20250107};
  EnvelopePoint points[5];
  EXPECT_EQ(GfxCalcEnvelope_FullOutput(closes, 4, 10.0, points, 5), kEnvelopeAboveUpper);
  EXPECT_DOUBLE_EQ(points[2].middle, 0);
  EXPECT_DOUBLE_EQ(points[3].middle, 10);
  EXPECT_DOUBLE_EQ(points[3].low, 9);
  EXPECT_DOUBLE_EQ(points[3].high, 11);
  EXPECT_DOUBLE_EQ(points[4].middle, 12.5);
  EXPECT_EQ(GfxConvertEnvelopeToText(points, dates, 5), "20250106,10.00,9.00\n20250107,12.50,11.25\n");
  // Fewer dates than points: the points without a date are left out.
  EXPECT_EQ(GfxConvertEnvelopeToText(points, {20250101, 20250102, 20250103, 20250106}, 5),
            "20250106,10.00,9.00\n");
  EXPECT_EQ(GfxConvertEnvelopeToText(nullptr, dates, 5), "");
  EXPECT_EQ(GfxCalcEnvelope_FullOutput(closes, 4, 10.0, nullptr, 5), kEnvelopeNone);
}

TEST(StockCalc, FilterSoldoutDropsUnnamedHoldingsOfOneAccount) {
  OwningHoldingMap holdings;
  auto add = [&](int broker, int account, const wchar_t* code, uint32_t pass) {
    auto* h = new StockTrade_s();
    h->broker_id = broker, h->account_no = account, h->balance_pass = pass;
    std::wcscpy(h->code, code);
    holdings.emplace(h, 0);
    return h;
  };
  add(11, 1, L"A", 2);
  add(11, 1, L"B", 1);  // not named by pass 2
  add(11, 2, L"C", 1);  // another account
  add(1, 1, L"D", 1);   // another broker
  EXPECT_EQ(GfxFilterSoldoutStocks(&holdings, 11, 1, 2), 1);
  EXPECT_EQ(holdings.size(), 3u);
  for (auto& e : holdings) EXPECT_STRNE(e.first->code, L"B");
}

std::string IndependentHmacSha256(const std::string& key, const std::string& msg) {
  unsigned char k[64] = {0};
  if (key.size() > 64) {
    SHA256(reinterpret_cast<const unsigned char*>(key.data()), key.size(), k);
  } else {
    std::memcpy(k, key.data(), key.size());
  }
  std::string inner(64, '\0'), outer(64, '\0');
  for (int i = 0; i < 64; ++i) {
    inner[i] = static_cast<char>(k[i] ^ 0x36);
    outer[i] = static_cast<char>(k[i] ^ 0x5c);
  }
  unsigned char h1[32], h2[32];
  inner += msg;
  SHA256(reinterpret_cast<const unsigned char*>(inner.data()), inner.size(), h1);
  outer.append(reinterpret_cast<char*>(h1), 32);
  SHA256(reinterpret_cast<const unsigned char*>(outer.data()), outer.size(), h2);
  return std::string(reinterpret_cast<char*>(h2), 32);
}

std::string DecodeSegment(std::string seg) {
  for (char& c : seg) c = c == '-' ? '+' : c == '_' ? '/' : c;
  while (seg.size() % 4) seg += '=';
  std::string out;
  EXPECT_TRUE(base64_decode(seg, &out));
  return out;
}

TEST(Jwt, Hs256TokenVerifiesIndependently) {
  char* token = jwt_credential_hs256("access_key", "my-key", "market=KRW-BTC", "1700000000123",
                                     1700000000123ULL, "s3cret", 1, 0, 1, 1);
  ASSERT_NE(token, nullptr);
  const std::string t = token;
  std::free(token);
  const size_t d1 = t.find('.'), d2 = t.rfind('.');
  ASSERT_NE(d1, d2);
  const std::string mac = IndependentHmacSha256("s3cret", t.substr(0, d2));
  EXPECT_EQ(DecodeSegment(t.substr(d2 + 1)), mac);
  EXPECT_EQ(DecodeSegment(t.substr(0, d1)), "{\"alg\":\"HS256\",\"typ\":\"JWT\"}");
  const std::string claims = DecodeSegment(t.substr(d1 + 1, d2 - d1 - 1));
  EXPECT_NE(claims.find("\"access_key\":\"my-key\""), std::string::npos);
  EXPECT_NE(claims.find("\"nonce\":1700000000123"), std::string::npos);
  EXPECT_NE(claims.find("\"timestamp\":1700000000123"), std::string::npos);
  EXPECT_NE(claims.find("\"query_hash_alg\":\"SHA512\""), std::string::npos);
  unsigned char sha[SHA512_DIGEST_LENGTH];
  const std::string query = "market=KRW-BTC";
  SHA512(reinterpret_cast<const unsigned char*>(query.data()), query.size(), sha);
  std::string hex;
  for (unsigned char c : sha) hex += "0123456789abcdef"[c >> 4], hex += "0123456789abcdef"[c & 15];
  EXPECT_NE(claims.find("\"query_hash\":\"" + hex + "\""), std::string::npos);

  char* uuid = jwt_credential_hs256("access_key", "k", "", "1", 1, "s", 1, 1, 0, 0);
  ASSERT_NE(uuid, nullptr);
  const std::string u = uuid;
  std::free(uuid);
  const std::string uclaims =
      DecodeSegment(u.substr(u.find('.') + 1, u.rfind('.') - u.find('.') - 1));
  EXPECT_EQ(uclaims.find("query_hash"), std::string::npos);
  EXPECT_EQ(uclaims.find("timestamp"), std::string::npos);
  EXPECT_EQ(uclaims.size(), std::string("{\"access_key\":\"k\",\"nonce\":\"\"}").size() + 36);

  EXPECT_EQ(jwt_credential_hs256("access_key", "", "", "1", 1, "s", 0, 0, 0, 0), nullptr);
  EXPECT_EQ(jwt_credential_hs256("access_key", "k", "", "1", 1, nullptr, 0, 0, 0, 0), nullptr);
}

}  // namespace
