// The readers of the cafe replies on their own: what each keeps of odd but well-formed replies.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "plugin/community/CafeReplies.h"
#include "tests/plugin/engine/EngineTestSupport.h"

namespace {

TEST(CafeReplies, MemberPeriodStatusAroundNow) {
  const SYSTEMTIME now = LocalTime(2025, 1, 6, 9, 0, 0);
  struct Case {
    const char* start;
    const char* end;
    int status;
  } cases[] = {
      {"2025-01-06 09:00:01", "2026-01-01 00:00:00", kCafePeriodNotStarted},
      {"2025-01-06 09:00:00", "2025-01-06 09:00:01", kCafePeriodRunning},
      {"2024-01-01", "2025-01-06 09:00:00", kCafePeriodEnded},
      {"", "", kCafePeriodEnded},
      {"not a date", "2099-01-01 00:00:00", kCafePeriodRunning},
      {"2025-13-01 00:00:00", "nonsense", kCafePeriodEnded},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.start) + " / " + c.end);
    EXPECT_EQ(CafeMemberPeriodStatus(c.start, c.end, now), c.status);
  }
}

TEST(CafeReplies, CafeListKeepsTheFirstOfARepeatedIndexAndPicksTheRequestedCafe) {
  const std::string reply =
      "{\"data\":[{\"idx\":5,\"title\":\"a\",\"manager_name\":\"m\"},"
      "{\"idx\":5,\"title\":\"b\",\"manager_name\":\"m\"},"
      "{\"idx\":8,\"title\":\"c\",\"manager_name\":\"m\",\"manager_tel\":\"!!\"},"
      "\"not an object\",{\"idx\":\"9\",\"title\":\"d\",\"manager_name\":\"m\"}]}";
  CafeListReply_s list;
  ASSERT_EQ(ReadCafeListReply(reply.data(), reply.size(), 2, 0, 8, &list), CafeReplyRead::kOk);
  ASSERT_EQ(list.cafes.size(), 3u);
  EXPECT_EQ(list.cafes.at(5)->title, L"a");
  ASSERT_TRUE(list.picked);
  EXPECT_EQ(list.picked->cafeIndex, 8);
  EXPECT_TRUE(list.cafes.at(8)->hasManagerPhone);
  EXPECT_EQ(list.cafes.at(8)->managerPhone, "") << "text that is not base64 decodes to nothing";
  EXPECT_FALSE(list.cafes.at(5)->hasChatToken);
}

TEST(CafeReplies, RecItemsReaderTakesOnlyWellTypedInfoAndAnUnterminatedText) {
  const std::string reply =
      "{\"info\":[{\"mod_time\":\"a b\",\"data_cnt\":\"3\",\"approved\":1},"
      "{\"mod_time\":7,\"data_cnt\":2}],\"data\":[{\"nation_idx\":1,\"stock_code\":"
      "\"0123456789012345678901234567890123456789\"},7]}trailing";
  CafeRecItemsReply_s items;
  // The reader is given the JSON's own length: what follows is not read.
  ASSERT_EQ(ReadCafeRecItemsReply(reply.data(), reply.find("trailing"), &items),
            CafeReplyRead::kOk);
  EXPECT_TRUE(items.infoIsArray);
  EXPECT_EQ(items.modTime, "a b");
  EXPECT_EQ(items.dataCount, 2);
  EXPECT_EQ(items.approval, 1);
  ASSERT_EQ(items.items.size(), 1u);
  EXPECT_EQ(items.items[0].code.size(), kCafeItemCodeMax);
  EXPECT_EQ(MakeCafeChangesSince(items.modTime), L"a%20b");

  for (const char* bad : {"[]", "\"text\"", "{", ""}) {
    SCOPED_TRACE(bad);
    EXPECT_EQ(ReadCafeRecItemsReply(bad, std::strlen(bad), &items), CafeReplyRead::kNotJson);
  }
}

TEST(CafeReplies, RecItemsKeepWhatEachItemSaysOfItsRecommendation) {
  // Numbers come as numbers or as texts; a field of another type or a missing one is 0.
  const std::string reply =
      "{\"info\":[{\"approved\":1}],\"data\":[{\"idx\":57,\"nation_idx\":1,"
      "\"stock_code\":\"005930\",\"buy_or_sell\":\"1\",\"buy_price_cur\":70000,"
      "\"target_price\":\"73500.5\",\"cut_price\":66500,\"losscut_rate\":5,"
      "\"min_profit_rate\":7.5,\"profit_rate\":-1.25,\"cur_days\":3,\"closed\":1,"
      "\"buy_msg\":\"실적 개선\",\"sell_msg\":null,\"good_cnt\":[1]},"
      "{\"nation_idx\":1,\"stock_code\":\"000660\"}]}";
  CafeRecItemsReply_s items;
  ASSERT_EQ(ReadCafeRecItemsReply(reply.data(), reply.size(), &items), CafeReplyRead::kOk);
  ASSERT_EQ(items.items.size(), 2u);
  const CafeRecItemValues_s& v = items.items[0].values;
  EXPECT_EQ(v.recIndex, 57);
  EXPECT_EQ(v.tradeSide, 1);
  EXPECT_EQ(v.recPrice, 70000);
  EXPECT_EQ(v.targetPrice, 73500.5);
  EXPECT_EQ(v.cutPrice, 66500);
  EXPECT_EQ(v.stopLossRate, 5);
  EXPECT_EQ(v.takeProfitRate1, 7.5);
  EXPECT_EQ(v.profit, -1.25);
  EXPECT_EQ(v.elapsed, 3);
  EXPECT_EQ(v.closed, 1);
  EXPECT_EQ(v.buyReason, L"실적 개선");
  EXPECT_EQ(v.sellReason, L"");
  EXPECT_EQ(v.likes, 0);
  const CafeRecItemValues_s& bare = items.items[1].values;
  EXPECT_EQ(bare.recIndex, 0);
  EXPECT_EQ(bare.tradeSide, 0);
  EXPECT_EQ(bare.recPrice, 0);
}

TEST(CafeReplies, SubManagerIdList) {
  EXPECT_TRUE(CafeIdListHasMember(L"12;77;", 77));
  EXPECT_TRUE(CafeIdListHasMember(L" 77 ", 77));
  EXPECT_FALSE(CafeIdListHasMember(L"177;771", 77));
  EXPECT_FALSE(CafeIdListHasMember(L"-77", 77));
  EXPECT_FALSE(CafeIdListHasMember(L"0", 0)) << "nobody manages by an empty member index";
  EXPECT_FALSE(CafeIdListHasMember(L"99999999999999999999977", 77));
}

}  // namespace
