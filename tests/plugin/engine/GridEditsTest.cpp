// The per-holding entries of the holdings grid checked against the holding's profit, the rate
// table parsed and applied to holdings, and the toolbar's option lists.

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/support/TextConv.h"
#include "platform/win/MessageBox.h"
#include "plugin/view/engine/StairRules.h"
#include "plugin/view/engine/TradingOptions.h"
#include "tests/plugin/engine/RulesFixture.h"

namespace {

constexpr int kHoldingsGrid = 2213;
constexpr int kOtherGrid = 2216;

class GridEditsTest : public RulesFixture {
 protected:
  GridEditsTest() { orv::win::ScriptMessageBoxes({}); }
  ~GridEditsTest() override { orv::win::StopScriptingMessageBoxes(); }

  // A held holding priced at `rate` percent profit, stop-loss -100, take-profit 5.
  HoldingKey_s Held(const wchar_t* code, double rate) {
    StockTrade_s* h = AddHolding(code, code);
    h->stock->cur_price = PriceFor(rate);
    h->profit_rate = rate;
    h->stop_loss_rate = -100;
    h->step_base_price = kAvg;
    holdings_.push_back(h);
    return HoldingKey_s{h->account_no, h->code, h->holding_kind};
  }
  StockTrade_s* Last() { return holdings_.back(); }
  static std::vector<orv::win::MessageBoxCall> Asked() {
    return orv::win::ScriptedMessageBoxCalls();
  }

  std::vector<StockTrade_s*> holdings_;
};

TEST_F(GridEditsTest, StopLossIsMadeNegativeBoundedAndAskedWhenItWouldSellAtOnce) {
  struct Case {
    double profit;
    double typed;
    int answer;  // the answer to a question, when one is asked
    bool asked;
    bool applied;
    double cell;
  };
  const Case cases[] = {
      {2, 3, IDYES, false, true, -3},        // a positive entry is a loss
      {2, 0, IDYES, false, true, -100},      // 0: no stop-loss
      {2, -150, IDYES, false, true, -100},   // below -100: no stop-loss
      {2, -0.2, IDYES, false, true, -0.5},   // too narrow
      {2, -7, IDYES, false, true, -7},
      {-1, -0.5, IDYES, true, true, -0.5},   // above the current loss: asked, taken
      {-1, -0.5, IDNO, true, false, -100},   // declined: the old value comes back
      {-20, -10, IDNO, true, false, -100},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "profit " << c.profit << " typed " << c.typed);
    orv::win::ScriptMessageBoxes({c.answer});
    const HoldingKey_s key = Held((L"00010" + std::to_wstring(n++)).c_str(), c.profit);
    const auto edit = engine_.ValidateStopLossRate(key, c.typed, kOtherGrid);
    ASSERT_TRUE(edit.found);
    EXPECT_EQ(Asked().size(), c.asked ? 1u : 0u);
    EXPECT_EQ(edit.applied, c.applied);
    EXPECT_DOUBLE_EQ(edit.cell, c.cell);
    EXPECT_DOUBLE_EQ(Last()->stop_loss_rate, c.cell);
    if (c.applied)
      EXPECT_EQ(edit.colour, c.cell > -90 ? 15130800u : 10479609u);
  }
}

TEST_F(GridEditsTest, StopLossQuestionShowsBothRates) {
  orv::win::ScriptMessageBoxes({IDYES});
  const HoldingKey_s key = Held(L"000200", -1);
  engine_.ValidateStopLossRate(key, -0.5, kOtherGrid);
  ASSERT_EQ(Asked().size(), 1u);
  EXPECT_EQ(Asked()[0].caption, "QUESTION");
  EXPECT_NE(Asked()[0].text.find("손절률(-0.5%)이 현재 수익률(-1.0%)보다 높아서"),
            std::string::npos);
  EXPECT_NE(Asked()[0].text.find("현재 수익 : -1.0%\n손절 처리 : -0.5%"), std::string::npos);
}

TEST_F(GridEditsTest, StopLossAppliedFromTheHoldingsGridRebuildsStairsAndMarksOptions) {
  const HoldingKey_s key = Held(L"000300", 3);
  engine_.Options().changed = 0;
  const auto edit = engine_.ValidateStopLossRate(key, -5, kHoldingsGrid);
  EXPECT_TRUE(edit.applied);
  EXPECT_EQ(engine_.Options().changed, 1);
  EXPECT_DOUBLE_EQ(CPelomarEngine::StopLossPrice(Last()), 9500.0);
  // The stairs were laid from the step base price.
  EXPECT_DOUBLE_EQ(Last()->stairs[0].step_price, PriceFor(Last()->min_take_profit));
}

TEST_F(GridEditsTest, MinTakeProfitRefusedNearOrBelowTheCurrentProfit) {
  struct Case {
    double profit;
    double typed;
    bool applied;
    const wchar_t* notice;  // the start of the timed notice, or null
  };
  const Case cases[] = {
      {2, 0.5, false, L"현이익(2.0%) 낮은 값(0.5%)은 설정할 수 없습니다."},
      {-3, 0.5, true, L"현이익(-3.0%)과 (3.5%)차이나는 값(0.5%)으로 설정 했습니다."},
      {-3, -2.5, false, L"현이익(-3.0%) 1 % 보다 낮은 값(-2.5%)은 설정할 수 없습니다."},
      {-5, -3, true, L"현이익(-5.0%)과 (2.0%)차이나는 값(-3.0%)으로 설정 했습니다."},
      {2, 8, true, nullptr},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "profit " << c.profit << " typed " << c.typed);
    window_.popups.clear();
    const HoldingKey_s key = Held((L"00040" + std::to_wstring(n++)).c_str(), c.profit);
    const auto edit = engine_.ValidateMinTakeProfit(key, c.typed, kOtherGrid);
    EXPECT_EQ(edit.applied, c.applied);
    EXPECT_DOUBLE_EQ(Last()->min_take_profit, c.applied ? c.typed : 5.0);
    EXPECT_DOUBLE_EQ(edit.cell, c.applied ? c.typed : 5.0);
    // The rule check that follows an applied value may show popups of its own.
    std::vector<std::wstring> notices;
    for (const std::wstring& popup : window_.popups)
      if (popup.rfind(L"현이익", 0) == 0) notices.push_back(popup);
    if (c.notice) {
      ASSERT_EQ(notices.size(), 1u);
      EXPECT_EQ(notices[0].rfind(c.notice, 0), 0u) << WideToUtf8(notices[0]);
    } else {
      EXPECT_TRUE(notices.empty());
    }
  }
}

TEST_F(GridEditsTest, MinTakeProfitNoticesFollowThePopupFlags) {
  engine_.m_popupMode.store(0);
  const HoldingKey_s key = Held(L"000500", 2);
  EXPECT_FALSE(engine_.ValidateMinTakeProfit(key, 0.5, kOtherGrid).applied);
  EXPECT_TRUE(window_.popups.empty());
}

TEST_F(GridEditsTest, MinTakeProfitColourBands) {
  EXPECT_EQ(CPelomarEngine::MinTakeProfitCellColour(12), 0xffb3ffu);
  EXPECT_EQ(CPelomarEngine::MinTakeProfitCellColour(5), 10070783u);
  EXPECT_EQ(CPelomarEngine::MinTakeProfitCellColour(0), 14804223u);
  EXPECT_EQ(CPelomarEngine::MinTakeProfitCellColour(-1), 0xffff00u);
}

TEST_F(GridEditsTest, StepWidthTakesTheOptionBelowOneAndIsCappedAt100) {
  struct Case {
    double option;
    double typed;
    double width;
  };
  const Case cases[] = {{2.0, 0.5, 2.0}, {2.0, 150, 100}, {0.5, 0.5, 1.0},
                        {-3.0, 0.2, 1.0}, {2.0, 4.5, 4.5}};
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "option " << c.option << " typed " << c.typed);
    engine_.Options().step_width = c.option;
    const HoldingKey_s key = Held((L"00060" + std::to_wstring(n++)).c_str(), 1);
    const auto edit = engine_.ValidateStepWidth(key, c.typed, kOtherGrid);
    EXPECT_DOUBLE_EQ(edit.cell, c.width);
    EXPECT_DOUBLE_EQ(Last()->step_width, c.width);
    EXPECT_EQ(edit.colour, CPelomarEngine::StepWidthCellColour(c.width));
    // The ladder follows the new width.
    EXPECT_DOUBLE_EQ(Last()->stairs[2].threshold - Last()->stairs[1].threshold, c.width);
  }
}

TEST_F(GridEditsTest, SplitAmountIsRaisedToTheToolbarAmountAndResizesTheSplit) {
  engine_.Options().split_sell_amount = 30;  // 300,000 won
  const HoldingKey_s key = Held(L"000700", 1);
  auto edit = engine_.ValidateSplitAmount(key, 100000, kOtherGrid);
  EXPECT_DOUBLE_EQ(edit.cell, 300000);
  EXPECT_DOUBLE_EQ(Last()->split_amount, 300000);
  EXPECT_GT(Last()->sell_split_qty, 0);
  edit = engine_.ValidateSplitAmount(key, 1000000, kOtherGrid);
  EXPECT_DOUBLE_EQ(edit.cell, 1000000);
  EXPECT_EQ(edit.colour, 0xffffffu);
}

TEST_F(GridEditsTest, AHoldingNoLongerHeldIsLeftAlone) {
  const HoldingKey_s gone{99, L"999999", 1};
  EXPECT_FALSE(engine_.ValidateStopLossRate(gone, -5, kOtherGrid).found);
  EXPECT_FALSE(engine_.ValidateMinTakeProfit(gone, 5, kOtherGrid).found);
  EXPECT_FALSE(engine_.ValidateSplitAmount(gone, 5, kOtherGrid).found);
  EXPECT_FALSE(engine_.ValidateStepWidth(gone, 5, kOtherGrid).found);
  EXPECT_TRUE(Asked().empty());
}

// ---------------------------------------------------------------------------------------
// The rate table

TEST_F(GridEditsTest, DefaultRateTableReadsTakeProfitThenFirstBandThenStepWidth) {
  const AutoStopLossRates_s rates = ParseAutoStopLossRates(AutoStopLossRatesInForce(L""));
  // Rows "a,c,b": take-profit or correction, first-band switch, step width.
  const double values[] = {5, -2.5, -3, -3, -3};
  const bool firstBand[] = {false, true, true, true, true};
  const double widths[] = {2, 5, 6, 7, 7};
  for (int band = 0; band < AutoStopLossRates_s::kBands; ++band) {
    SCOPED_TRACE(band);
    EXPECT_DOUBLE_EQ(rates.value[band], values[band]);
    EXPECT_EQ(rates.firstBand[band], firstBand[band]);
    EXPECT_DOUBLE_EQ(rates.stepWidth[band], widths[band]);
  }
  for (double line : rates.stopLine) EXPECT_DOUBLE_EQ(line, -100);
}

TEST_F(GridEditsTest, RateTableFloorsAndBoundsItsValues) {
  const AutoStopLossRates_s rates = ParseAutoStopLossRates(
      L"4.9% 이하 수익권=0.3,0,0.5;5~14.9% 수익권=9,1,3;15~29.9% 수익권=-20,0,2;"
      L"30%이상 수익권=-30,0,2;(국내) 손절 라인=7;(해외) 손절 라인=-150;(코인) 손절 라인=-11");
  EXPECT_DOUBLE_EQ(rates.value[0], 1.0);       // at least 1
  EXPECT_DOUBLE_EQ(rates.stepWidth[0], 1.0);   // at least 1
  EXPECT_DOUBLE_EQ(rates.value[1], -4);        // made negative, floored at -4
  EXPECT_DOUBLE_EQ(rates.value[2], -8);
  EXPECT_DOUBLE_EQ(rates.value[3], -15);
  EXPECT_DOUBLE_EQ(rates.stepWidth[4], 1.0);   // a missing row
  EXPECT_DOUBLE_EQ(rates.stopLine[0], -7);
  EXPECT_DOUBLE_EQ(rates.stopLine[1], -100);
  EXPECT_DOUBLE_EQ(rates.stopLine[2], -11);
}

TEST_F(GridEditsTest, RateTableAppliedToHoldingsByBand) {
  const AutoStopLossRates_s rates = ParseAutoStopLossRates(
      L"4.9% 이하 수익권=5,0,2;5~14.9% 수익권=-2.5,1,5;15~29.9% 수익권=-3,1,6;"
      L"30%이상 수익권=-3,0,7;50%이상 수익권=-3,1,7;(국내) 손절 라인=-11;");
  struct Case {
    double profit;
    double takeProfit;
    double width;
    double stopLoss;
  };
  const Case cases[] = {
      {-4, 5, 2, -15},  // losing: the line below the loss
      {3, 5, 2, -11},
      {10, 7.5, 5, -11},
      {20, 17, 6, -11},
      {40, 37, 7, -11},
      {60, 57, 7, -11},
  };
  int n = 0;
  for (const Case& c : cases) {
    Held((L"00080" + std::to_wstring(n++)).c_str(), c.profit);
    Last()->in_grid = 1;
    Last()->auto_trade = 1;
  }
  std::vector<HoldingRow_s> shown;
  EXPECT_EQ(engine_.ApplyAutoStopLossRates(rates, &shown), 6);
  EXPECT_EQ(shown.size(), 6u);
  for (size_t i = 0; i < holdings_.size(); ++i) {
    SCOPED_TRACE(cases[i].profit);
    const StockTrade_s* h = holdings_[i];
    EXPECT_EQ(h->auto_trade, 0);
    EXPECT_DOUBLE_EQ(h->min_take_profit, cases[i].takeProfit);
    EXPECT_DOUBLE_EQ(h->step_width, cases[i].width);
    EXPECT_DOUBLE_EQ(h->stop_loss_rate, cases[i].stopLoss);
  }
  // Band 30: no first-band correction; band 5: the correction is -a.
  EXPECT_DOUBLE_EQ(holdings_[4]->first_band_correction, 0);
  EXPECT_DOUBLE_EQ(holdings_[2]->first_band_correction, 2.5);
}

// ---------------------------------------------------------------------------------------
// The toolbar's option lists

TEST(ToolbarOptionListsTest, ListsSelectTheCurrentValuesAndKeepTheirTextsAsWritten) {
  stock_option_s options;
  SetDefaultStockOptions(&options);
  const auto lists = ToolbarOptionLists(options, 7, 1);
  EXPECT_EQ(lists.size(), 18u);
  auto find = [&](int id) {
    auto it = std::find_if(lists.begin(), lists.end(),
                           [id](const ToolbarOptionList_s& l) { return l.controlId == id; });
    EXPECT_NE(it, lists.end()) << id;
    return *it;
  };
  // Rates in tenths: stop-loss -100 % is "*손절안함*", take-profit 5 % is 50, width 2 % is 20.
  EXPECT_EQ(find(719).selected, -1000);
  EXPECT_EQ(find(1230).selected, 50);
  EXPECT_EQ(find(371).selected, 70);
  EXPECT_EQ(find(378).selected, 20);
  EXPECT_EQ(find(697).selected, 50);
  EXPECT_EQ(find(695).selected, 20);
  EXPECT_EQ(find(1316).selected, 7);
  EXPECT_EQ(find(1298).selected, 1);
  EXPECT_TRUE(find(3437).hidden);
  // The duplicate and the two entries of value 0 stay as written.
  EXPECT_NE(std::strstr(find(3350).text, "-250:-25%이하 중지;-250:-25%이하 중지;"), nullptr);
  EXPECT_NE(std::strstr(find(3441).text, "0:계속 매도;"), nullptr);
  EXPECT_NE(std::strstr(find(3441).text, "50:50회 매도;0:--------;-60:1분(*) 매도;"), nullptr);
  EXPECT_STREQ(find(1230).text, find(371).text);
  // Truncated, not rounded.
  options.min_take_profit = 1.79;
  EXPECT_EQ(find(1230).selected, 50);
  EXPECT_EQ(ToolbarOptionLists(options, 7, 1)[13].selected, 17);
}

}  // namespace

namespace {

// A value set on a holding that was never checked survives its first check: the step values
// a new holding takes are taken before the edit, not over it.
TEST_F(GridEditsTest, AnEditBeforeTheFirstCheckIsNotReplacedByTheStepValues) {
  const HoldingKey_s key = Held(L"000900", 2);
  Last()->rules_ready = 0;
  Last()->steps[1] = 5.0;
  ASSERT_TRUE(engine_.ValidateMinTakeProfit(key, 9, kOtherGrid).applied);
  Check(Last(), 2);
  EXPECT_DOUBLE_EQ(Last()->min_take_profit, 9);
  const AutoStopLossRates_s rates = ParseAutoStopLossRates(L"4.9% 이하 수익권=6,0,3");
  const HoldingKey_s second = Held(L"000901", 2);
  Last()->rules_ready = 0;
  Last()->in_grid = 1;
  engine_.ApplyAutoStopLossRates(Last(), rates);
  Check(Last(), 2);
  EXPECT_DOUBLE_EQ(Last()->min_take_profit, 6);
  EXPECT_DOUBLE_EQ(Last()->step_width, 3);
  (void)second;
}

}  // namespace

namespace {

// The step dialog's fields: every value within its spin range, the coin line defined from the
// start, and the fields map onto the rate table band by band.
TEST(StairRulesTest, FieldsAreClampedAndMappedOntoTheRateTable) {
  const StairRules_s defaults;
  EXPECT_DOUBLE_EQ(defaults.coinLossCut, -100.0);
  StairRules_s rules;
  rules.minProfit = 0.2;                   // below band 1's floor of 1
  rules.minProfitCorrection[0] = -40;      // below -10
  rules.stepIntervalCorrection[3] = 0.5;   // a width below 1 % becomes 1 %
  rules.domesticLossCut = 5;               // above -2
  rules.overseasLossCut = -400;            // below -100
  rules.coinLossCut = std::nan("");        // not a number: no loss cut
  const AutoStopLossRates_s rates = ToAutoStopLossRates(rules);
  EXPECT_DOUBLE_EQ(rates.value[0], 1.0);
  EXPECT_DOUBLE_EQ(rates.value[1], -10.0);
  EXPECT_DOUBLE_EQ(rates.value[2], -3.0);
  EXPECT_DOUBLE_EQ(rates.stepWidth[0], 2.0);
  EXPECT_DOUBLE_EQ(rates.stepWidth[1], 5.0);
  EXPECT_DOUBLE_EQ(rates.stepWidth[4], 1.0);
  EXPECT_DOUBLE_EQ(rates.stopLine[0], -2.0);
  EXPECT_DOUBLE_EQ(rates.stopLine[1], -100.0);
  EXPECT_DOUBLE_EQ(rates.stopLine[2], -100.0);
  EXPECT_TRUE(rates.firstBand[0]);
}

// The rules reach only the holding named by its key, under the engine's lock; a holding no
// longer held is refused.
TEST_F(GridEditsTest, StairRulesApplyToTheHoldingOfTheKeyOnly) {
  const HoldingKey_s low = Held(L"000950", 3);
  Last()->in_grid = 1;
  Last()->auto_trade = 1;
  const HoldingKey_s high = Held(L"000951", 20);
  StockTrade_s* other = Last();
  other->in_grid = 1;
  other->auto_trade = 1;
  const double otherTakeProfit = other->min_take_profit;

  StairRules_s rules;
  rules.minProfit = 6;
  rules.stepInterval = 3;
  rules.domesticLossCut = -8;
  HoldingRow_s row;
  ASSERT_TRUE(engine_.ApplyStairRulesToHolding(low, ToAutoStopLossRates(rules), &row));
  EXPECT_EQ(row.key.code, L"000950");
  EXPECT_DOUBLE_EQ(row.minTakeProfit, 6);
  EXPECT_DOUBLE_EQ(row.stepWidth, 3);
  EXPECT_DOUBLE_EQ(row.stopLossRate, -8);
  EXPECT_FALSE(row.autoTrade);
  // The other holding is untouched.
  EXPECT_EQ(other->auto_trade, 1);
  EXPECT_DOUBLE_EQ(other->min_take_profit, otherTakeProfit);
  EXPECT_EQ(engine_.HeldHoldingCount(), 2);
  HoldingRow_s copy;
  ASSERT_TRUE(engine_.SnapshotHeldHolding(high, &copy));
  EXPECT_EQ(copy.key.code, L"000951");

  HoldingKey_s gone = low;
  gone.code = L"999999";
  EXPECT_FALSE(engine_.ApplyStairRulesToHolding(gone, ToAutoStopLossRates(rules), &row));
  EXPECT_FALSE(engine_.SnapshotHeldHolding(gone, &copy));
}

}  // namespace
