#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/model/ReportCtrl.h"
#include "plugin/rows/FilteredStockRecord.h"
#include "plugin/rows/GridConstraints.h"
#include "plugin/rows/StockBuyItemRecord.h"

namespace {

using orv::ui::CMyReportCtrl;
using orv::ui::CReportEditOptions;
using orv::ui::OptionEntry;

std::vector<std::pair<int64_t, std::wstring>> Entries(const CReportEditOptions& o) {
  std::vector<std::pair<int64_t, std::wstring>> out;
  for (const OptionEntry& e : o.constraints.Entries()) out.emplace_back(e.value, e.label);
  return out;
}

using Filler = int (*)(CReportEditOptions*, BOOL, BOOL);

int WatchKindFull(CReportEditOptions* o, BOOL a, BOOL b) {
  return GfxFillWatchKindConstraints(o, a, b, 0);
}
int WatchKindSimple(CReportEditOptions* o, BOOL a, BOOL b) {
  return GfxFillWatchKindConstraints(o, a, b, 1);
}

struct FillerCase {
  const char* name;
  Filler fill;
  int result;
  std::vector<std::pair<int64_t, std::wstring>> entries;
};

std::vector<std::pair<int64_t, std::wstring>> SellRatios() {
  std::vector<std::pair<int64_t, std::wstring>> out{{100, L"0.전량매도"}};
  for (int r = 95; r >= 5; r -= 5) out.emplace_back(r, std::to_wstring(r) + L"%매도");
  return out;
}

TEST(GridConstraints, EveryFillerGivesItsExactList) {
  const FillerCase cases[] = {
      {"alarm",
       GfxFillAlarmConstraints,
       4,
       {{1, L"알람없음"}, {3, L"상승알람"}, {2, L"하락알람"}, {4, L"상승+하락알람"}}},
      {"broker",
       GfxFillBrokerConstraints,
       6,
       {{1, L"키움증권"},
        {2, L"LS증권"},
        {11, L"DB증권"},
        {14, L"한국투자증권"},
        {9, L"업비트"},
        {8, L"빗썸"}}},
      {"algorithm", GfxFillAlgorithmConstraints, 2, {{1, L"Envelope-1"}, {2, L"PSAR"}}},
      {"market",
       GfxFillMarketConstraints,
       12,
       {{49, L"1:코스피"},
        {50, L"2:코스닥"},
        {51, L"3:ELW"},
        {52, L"4:ETN"},
        {56, L"8:ETF"},
        {57, L"9:해외선물"},
        {68, L"D:DOW-JONES"},
        {65, L"A:AMEX"},
        {78, L"N:NASDAQ"},
        {72, L"H:HONGKONG"},
        {98, L"b:코인(KRW)"},
        {66, L"B:코인(BTC)"}}},
      {"nation",
       GfxFillNationConstraints,
       7,
       {{1, L"KR"},
        {2, L"US"},
        {3, L"EU"},
        {4, L"CHN"},
        {5, L"JPN"},
        {9, L"KR.COIN"},
        {10, L"KR.COIN2"}}},
      {"clear", GfxClearConstraints, 0, {}},
      {"watch kind simple", WatchKindSimple, 3, {{0, L""}, {1, L"매수"}, {2, L"매도"}}},
      {"watch kind",
       WatchKindFull,
       8,
       {{0, L""},
        {1, L"매수 희망"},
        {2, L"매도 감시 : 보유 종목"},
        {20, L"매도 감시 : 금일 매수"},
        {5, L"매도 감시(해외) : 해외 종목"},
        {21, L"매도 감시(해외) : 해외 매수"},
        {3, L"주문"},
        {4, L"체결"}}},
      {"buy state", GfxFillBuyStateConstraints, 3, {{0, L""}, {1, L"매수 진행중"}, {2, L"완료"}}},
      {"trade side",
       GfxFillTradeSideConstraints,
       4,
       {{0, L""}, {1, L"매수"}, {2, L"매도"}, {3, L"매수+매도"}}},
      {"trade side 2",
       GfxFillTradeSideConstraints2,
       4,
       {{0, L""}, {1, L"매수"}, {2, L"매도"}, {3, L"매수+매도"}}},
      {"member level",
       GfxFillMemberLevelConstraints,
       4,
       {{0, L""}, {1, L"1. 현재 회원"}, {2, L"2. 예정 회원"}, {4, L"3. 경과 회원"}}},
      {"sell ratio", GfxFillSellRatioConstraints, 0, SellRatios()},
  };
  for (const FillerCase& c : cases) {
    CReportEditOptions options;
    options.constraints.Add(777, L"stale");  // refilling replaces what was there
    options.allowEdit = false;
    options.comboButton = false;
    EXPECT_EQ(c.fill(&options, 1, 1), c.result) << c.name;
    EXPECT_EQ(Entries(options), c.entries) << c.name;
    EXPECT_TRUE(options.allowEdit) << c.name;
    EXPECT_TRUE(options.comboButton) << c.name;
    EXPECT_EQ(c.fill(&options, 0, 1), c.result) << c.name;
    EXPECT_FALSE(options.allowEdit) << c.name;
    EXPECT_EQ(Entries(options), c.entries) << c.name;  // no duplicates on a second fill
    EXPECT_EQ(c.fill(nullptr, 1, 1), 0) << c.name;
  }
  EXPECT_EQ(SellRatios().size(), 20u);
}

struct AccountGrid : ::testing::Test {
  CMyReportCtrl grid;
  group_info_s a, b, c;
  GroupInfoMap accounts;

  AccountGrid() {
    grid.InitColumns(std::string_view(kStockBuyItemGridLayout));
    a.label = L"alpha";
    a.key = 0x1201;
    b.label = L"Bravo";  // ordered without regard to case: alpha, Bravo, charlie
    b.key = 0x3402;
    c.label = L"charlie";
    c.key = 0x5603;
    accounts[c.label] = &c;
    accounts[a.label] = &a;
    accounts[b.label] = &b;
  }
};

TEST_F(AccountGrid, GroupInfoListsEveryAccountInMapOrder) {
  group_info_s* first = nullptr;
  uint8_t o1 = 9, o2 = 9, o3 = 9;
  EXPECT_EQ(GfxFillGroupInfoConstraints(&grid, 2, &accounts, &first, &o1, &o2, &o3, 1, 1), 3);
  const auto* options = &grid.FindColumnByItem(2)->editOptions;
  EXPECT_EQ(Entries(*options), (std::vector<std::pair<int64_t, std::wstring>>{
                                   {0x1201, L"alpha"}, {0x3402, L"Bravo"}, {0x5603, L"charlie"}}));
  EXPECT_TRUE(options->allowEdit);
  EXPECT_EQ(first, &a);
  EXPECT_EQ(o1, 0x02);  // from the second account
  EXPECT_EQ(o2, 0x02);
  EXPECT_EQ(o3, 0x02);

  GroupInfoMap one;
  one[a.label] = &a;
  EXPECT_EQ(GfxFillGroupInfoConstraints(&grid, 2, &one, &first, &o1, &o2, &o3, 0, 0), 1);
  EXPECT_EQ(grid.FindColumnByItem(2)->editOptions.constraints.Size(), 1u);
  EXPECT_EQ(first, &a);
  EXPECT_EQ(o1 | o2 | o3, 0);
}

TEST_F(AccountGrid, MissingColumnsAddNothing) {
  group_info_s* first = &a;
  EXPECT_EQ(
      GfxFillGroupInfoConstraints(&grid, 99, &accounts, &first, nullptr, nullptr, nullptr, 1, 1),
      0);
  EXPECT_EQ(first, nullptr);
  EXPECT_EQ(
      GfxFillGroupInfoConstraints(nullptr, 2, &accounts, nullptr, nullptr, nullptr, nullptr, 1, 1),
      0);
  EXPECT_EQ(GfxFillBrokerConstraintsAt(&grid, 99, 1, 1), -1);
  EXPECT_EQ(GfxFillBrokerConstraintsAt(nullptr, 2, 1, 1), -1);
  EXPECT_EQ(GfxFillBrokerConstraintsAt(&grid, 4, 1, 0), 6);
  EXPECT_EQ(grid.FindColumnByItem(4)->editOptions.constraints.Size(), 6u);
  EXPECT_FALSE(grid.FindColumnByItem(4)->editOptions.comboButton);
}

}  // namespace
