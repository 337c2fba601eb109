// The all-stock filter over a grid model, the stock rows' items, formats and colours, the
// own-stock refresh with its totals, the check-box row arithmetic and the envelope score.

#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "platform/ui/model/ReportCtrl.h"
#include "plugin/rows/RurezOzadoResultRecord.h"
#include "plugin/view/HoldingsGrid.h"
#include "plugin/view/PelomarView.h"
#include "plugin/view/StockGrids.h"
#include "plugin/view/engine/EnvelopeScore.h"
#include "shared/StockRecords.h"

namespace {

struct StockSpec {
  const wchar_t* code;
  double price;
  double change;
  uint8_t managed = 0;
  const wchar_t* caution = L"";
  uint8_t credit = 0;
};

class MasterGridTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_GT(grid_.InitColumns(std::wstring_view(kAllStockGridLayout)), 0);
    grid_.AddFooterRecord(std::make_unique<CStockRecord>(nullptr, 0, 1.0));
  }
  Stock_s* Add(const StockSpec& s, bool withRow = true) {
    bool added = false;
    Stock_s* stock = GfxAddStockToMap(&master_, s.code, kMarketDomestic, 0, 0, &added);
    stock->cur_price = s.price;
    stock->change = s.change;
    stock->change_rate = s.price > 0 ? s.change / s.price * 100 : 0;
    stock->listing.managed = s.managed;
    stock->listing.caution = s.caution;
    stock->listing.credit = s.credit;
    if (withRow) AddAllStockRow(grid_, MakeStockRow(*stock), grid_.GetRecordCount() + 1, 1.0);
    return stock;
  }
  // What a quote pass hands the grid for a stock whose quote changed.
  bool Requote(const Stock_s* stock) {
    for (int i = 0; i < grid_.GetRecordCount(); ++i) {
      auto* row = dynamic_cast<CStockRecord*>(grid_.GetRecord(i));
      if (row && row->GetStockCode() == stock->code) return row->ApplyQuote(MakeStockQuote(*stock));
    }
    return false;
  }
  // The shown rows' codes in the order of their running numbers, which must run from 1.
  std::vector<std::wstring> ShownCodes() {
    std::map<int, std::wstring> byNumber;
    for (int r = 0; r < grid_.GetRowCount(); ++r) {
      const auto* row = grid_.GetRowRecord(r);
      byNumber[static_cast<int>(row->GetNumberValue(kAllItemOrder))] =
          row->GetTextValue(kAllItemCode);
    }
    std::vector<std::wstring> codes;
    for (const auto& [number, code] : byNumber) {
      EXPECT_EQ(number, static_cast<int>(codes.size()) + 1);
      codes.push_back(code);
    }
    return codes;
  }
  MasterGridCounts_s Filter(const MasterGridFilter_s& f, double low = 0, double high = 0,
                            int mode = 0) {
    auto range = [low, high](double price) {
      if (!(low > 0)) return -1;
      if (!(price > 0) || price < low) return 0;
      return (high > 0 && price > high) ? 0 : 1;
    };
    return FilterMasterGridRows(grid_, f, range, mode);
  }

  OwningStockMap master_;
  orv::ui::CMyReportCtrl grid_;
};

TEST_F(MasterGridTest, FilterShowsByOptionsRangeAndClass) {
  Add({L"005930", 70000, 500});
  Add({L"005935", 60000, -300});              // preferred share: code ends in 5
  Add({L"000020", 9000, 0, 1});               // managed
  Add({L"000040", 500, 10, 0, L"투자주의"});  // caution text
  Add({L"000050", 50, -1, 0, L"", 1});        // credit
  Add({L"000060", 800, 0}, false);            // no grid row: never shown

  MasterGridFilter_s off;
  off.codesEndingInZero = 0;
  EXPECT_EQ(Filter(off).shown, 0);
  EXPECT_TRUE(ShownCodes().empty());

  struct Case {
    const char* name;
    MasterGridFilter_s filter;
    double low, high;
    std::vector<std::wstring> shown;
  };
  MasterGridFilter_s on;
  MasterGridFilter_s noManaged = on;
  noManaged.excludeManaged = 1;
  MasterGridFilter_s noCredit = on;
  noCredit.excludeCredit = 1;
  MasterGridFilter_s class2 = off;
  class2.priceClass = 2;
  const Case cases[] = {
      // Shown rows are numbered in the grid's order (the program adds them in code order).
      {"codes ending in 0", on, 0, 0, {L"005930", L"000020", L"000040", L"000050"}},
      {"managed excluded", noManaged, 0, 0, {L"005930", L"000040", L"000050"}},
      {"credit excluded", noCredit, 0, 0, {L"005930", L"000020", L"000040"}},
      {"price class 2 alone decides", class2, 0, 0, {L"000040"}},
      {"range replaces the options", off, 1000, 65000, {L"005935", L"000020"}},
      {"range without upper bound", on, 10000, 0, {L"005930", L"005935"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const MasterGridCounts_s counts = Filter(c.filter, c.low, c.high);
    EXPECT_EQ(ShownCodes(), c.shown);
    EXPECT_EQ(counts.shown, static_cast<int>(c.shown.size()));
    EXPECT_EQ(grid_.GetRowCount(), counts.shown);
  }

  // Mode 1 shows every row with one.
  EXPECT_EQ(Filter(off, 0, 0, 1).shown, 5);
}

TEST_F(MasterGridTest, FooterCountsAndRisingFallingText) {
  Add({L"005930", 70000, 500, 1});
  Add({L"000040", 500, -10, 0, L"투자주의", 1});
  Add({L"000060", 800, 0, 0, L"", 1}, false);  // no row: not counted
  MasterGridFilter_s f;
  f.footerValue = 1.26;
  const MasterGridCounts_s first = Filter(f);
  const MasterGridCounts_s second = Filter(f);
  EXPECT_EQ(first.rising, 1);
  EXPECT_EQ(first.falling, 1);
  EXPECT_EQ(second.rising, first.rising);  // counts start again on every pass
  EXPECT_EQ(second.falling, first.falling);
  orv::ui::CMyReportRecordBase* footer = grid_.GetFooterRecord(0);
  EXPECT_EQ(footer->GetNumberValue(kAllItemOrder), 2);
  EXPECT_EQ(footer->GetTextValue(kAllItemManaged), L"1");
  EXPECT_EQ(footer->GetTextValue(kAllItemCredit), L"1");
  EXPECT_EQ(footer->GetTextValue(kAllItemCaution), L"1");
  EXPECT_EQ(footer->GetTextValue(kAllItemCode), L"상승(1)/하락(1) (1.3)");

  // With no falling stock the rising/falling text is left alone.
  footer->SetTextValue(kAllItemCode, L"");
  Stock_s* rose = master_.Find(L"000040");
  rose->change = 5;
  rose->change_rate = 1;
  ASSERT_TRUE(Requote(rose));
  EXPECT_FALSE(Requote(rose)) << "the same quote again writes nothing";
  Filter(f);
  EXPECT_EQ(footer->GetTextValue(kAllItemCode), L"");
}

TEST_F(MasterGridTest, RowsKeepTheirValuesWhenTheEngineFreesTheStock) {
  Add({L"005930", 70000, 500});
  GfxStockDataListFree2(&master_);  // the engine frees its list (a logout or a new download)
  const orv::ui::CMyReportRecordBase* row = grid_.GetRecord(0);
  EXPECT_EQ(row->GetNumberValue(kAllItemPrice), 70000);
  EXPECT_EQ(Filter(MasterGridFilter_s()).shown, 1);
}

TEST(StockRecordTest, DayItemsFormatsButtonsAndColours) {
  struct Case {
    int days;
    int valueItems;
  };
  for (const Case& c : {Case{10, 10}, Case{60, 60}, Case{75, 75}, Case{0, 0}}) {
    SCOPED_TRACE(c.days);
    Stock_s stock;
    for (int i = 0; i < c.days; ++i) stock.listing.day_values.push_back(100 + i);
    const StockRow_s copy = MakeStockRow(stock);
    CStockRecord row(&copy, 1, 1.0);
    const int expected = kAllStockItemCount + std::max(c.valueItems, kDayItemCount);
    ASSERT_EQ(row.GetItemCount(), expected);
    for (int i = 0; i < expected - kAllStockItemCount; ++i)
      EXPECT_EQ(row.GetNumberValue(kAllItemFirstDay + i), i < c.days ? 100 + i : 0);
  }

  Stock_s up;
  std::wcscpy(up.code, L"005930");
  up.name = L"삼성전자";
  up.cur_price = 70000;
  up.change = 1400;
  up.change_rate = 2.04;
  up.listing.caution = L"투자주의";
  const StockRow_s upRow = MakeStockRow(up);
  CStockRecord row(&upRow, 3, 1.5);
  EXPECT_EQ(row.GetItemCaption(kAllItemPrice), L"70000");
  EXPECT_EQ(row.GetItemCaption(kAllItemChange), L"1400");
  EXPECT_EQ(row.GetItemCaption(kAllItemChangeRate), L"2.0%");
  EXPECT_EQ(row.GetItemCaption(kAllItemSensitivity), L"K0.0");
  for (int item : {kAllItemPrice, kAllItemChange, kAllItemChangeRate})
    EXPECT_EQ(row.GetItem(item)->textColor, kRowRed);
  EXPECT_EQ(row.GetItem(kAllItemName)->textColor, kRowRed);  // caution text
  EXPECT_EQ(row.GetItem(kAllItemCaution)->textColor, kRowRed);
  EXPECT_EQ(row.GetItem(kAllItemCode)->backColor, kCodeBack);
  ASSERT_EQ(row.GetItem(kAllItemName)->buttons.size(), 1u);
  EXPECT_EQ(row.GetItem(kAllItemName)->buttons[0].caption, L"주문/정보");
  EXPECT_EQ(row.GetItem(kAllItemName)->buttons[0].width, 87);  // 58 x 1.5

  up.change = -700;
  up.change_rate = -1.0;
  EXPECT_TRUE(row.ApplyQuote(MakeStockQuote(up)));
  EXPECT_EQ(row.GetItem(kAllItemPrice)->textColor, kRowBlue);
  EXPECT_EQ(row.GetNumberValue(kAllItemChange), -700);
  EXPECT_EQ(row.FilterValues().change, -700);
  up.change = 0;
  up.change_rate = 0;
  row.ApplyQuote(MakeStockQuote(up));
  EXPECT_EQ(row.GetItem(kAllItemChangeRate)->textColor, kRowBlack);

  CStockRecord footer(nullptr, 0, 1.0);
  EXPECT_TRUE(footer.GetItem(kAllItemName)->buttons.empty());
  EXPECT_FALSE(footer.ApplyQuote(MakeStockQuote(up)));
}

// A listed stock with a value in every group of items the all-stock row shows.
StockRow_s RichStockRow(const wchar_t* code, const wchar_t* name, double price, double rate) {
  Stock_s stock;
  std::wcscpy(stock.code, code);
  stock.name = name;
  stock.market = kMarketDomestic;
  stock.market_letter = '1';
  stock.list_index = 7;
  stock.cur_price = price;
  stock.change_rate = rate;
  stock.change = price * rate / 100;
  stock.open_price = price - 100;
  stock.high_price = price + 200;
  stock.low_price = price - 300;
  StockListing_s& l = stock.listing;
  l.caution = L"투자주의";
  l.managed = 1;
  l.credit = 1;
  l.industry = L"반도체";
  l.comment = L"메모";
  l.has_ma = 1;
  for (int i = 0; i < 4; ++i) l.ma[i] = price * (1 - 0.01 * (i + 1));
  l.vol5 = 12345;
  l.prev_close = price - stock.change;
  for (int i = 0; i < 3; ++i) l.rsi[i] = l.psar[i] = 40 + i;
  l.sensitivity = 1.5;
  for (int i = 0; i < 65; ++i) l.day_values.push_back(static_cast<uint32_t>(price) + i);
  return MakeStockRow(stock);
}

// What a cell shows: caption, colours, buttons.
std::wstring Shown(const orv::ui::CMyReportRecordBase& row, int item) {
  const orv::ui::CMyReportRecordItem* cell = row.GetItem(item);
  if (!cell) return L"<none>";
  std::wstring text = row.GetItemCaption(item) + L"|" + std::to_wstring(cell->textColor) + L"|" +
                      std::to_wstring(cell->backColor) + L"|" + std::to_wstring(cell->editable);
  for (const auto& b : cell->buttons) text += L"|" + b.caption + L":" + std::to_wstring(b.width);
  return text;
}

TEST(StockRecordTest, ARowMadeLateShowsWhatARowMadeAtOnceShows) {
  const StockRow_s stock = RichStockRow(L"005930", L"삼성전자", 70000, 2.5);
  StockQuoteRow_s quote;
  quote.code = stock.code;
  quote.curPrice = 68000;
  quote.change = -1000;
  quote.changeRate = -1.45;
  quote.openPrice = 69000;
  quote.highPrice = 70500;
  quote.lowPrice = 67500;
  // `early` is made first and then takes the quote and the running number; `late` takes both
  // while its items wait, and is made afterwards.
  CStockRecord early(&stock, 4, 1.5);
  ASSERT_EQ(early.GetItemCount(), kAllStockItemCount + 65);
  CStockRecord late(std::make_shared<const StockRow_s>(stock), 4, 1.5);
  for (CStockRecord* row : {&early, &late}) {
    EXPECT_TRUE(row->ApplyQuote(quote));
    EXPECT_FALSE(row->ApplyQuote(quote)) << "the same quote again changes nothing";
    row->SetOrder(9);
  }
  EXPECT_FALSE(late.ItemsMade());
  EXPECT_EQ(late.StockName(), L"삼성전자");
  EXPECT_EQ(late.FilterValues().curPrice, 68000);
  ASSERT_EQ(late.GetItemCount(), early.GetItemCount());
  for (int item = 0; item < early.GetItemCount(); ++item) {
    SCOPED_TRACE(item);
    EXPECT_EQ(Shown(late, item), Shown(early, item));
  }
  EXPECT_EQ(late.GetItemCaption(kAllItemPrice), L"68000");
  EXPECT_EQ(late.GetItem(kAllItemPrice)->textColor, kRowBlue);
  EXPECT_EQ(late.GetNumberValue(kAllItemOrder), 9);
  EXPECT_EQ(late.GetNumberValue(kAllItemFirstDay + 64), 70064);
  EXPECT_EQ(late.StockName(), L"삼성전자");
}

TEST_F(MasterGridTest, FilterSearchAndSortLeaveRowsUnmade) {
  orv::ui::CMyReportCtrl made;
  ASSERT_GT(made.InitColumns(std::wstring_view(kAllStockGridLayout)), 0);
  const StockRow_s stocks[] = {RichStockRow(L"000660", L"SK하이닉스", 120000, -1.2),
                               RichStockRow(L"005930", L"삼성전자", 70000, 2.5),
                               RichStockRow(L"035420", L"NAVER", 95000, 0.4),
                               RichStockRow(L"035720", L"카카오", 41000, 2.5)};
  int index = 0;
  for (const StockRow_s& stock : stocks) {
    ++index;
    AddAllStockRow(grid_, stock, index, 1.0);
    AddAllStockRow(made, stock, index, 1.0)->GetItemCount();
  }
  auto unmade = [&] {
    int n = 0;
    for (int i = 0; i < grid_.GetRecordCount(); ++i) n += grid_.GetRecord(i)->ItemsMade() ? 0 : 1;
    return n;
  };
  MasterGridFilter_s all;
  all.codesEndingInZero = 0;
  EXPECT_EQ(Filter(all, 0, 0, 1).shown, 4);
  EXPECT_EQ(unmade(), 4);
  for (int i = 0; i < grid_.GetRecordCount(); ++i)
    EXPECT_EQ(static_cast<CStockRecord*>(grid_.GetRecord(i))->StockName(), stocks[i].name);
  EXPECT_EQ(unmade(), 4);

  // Sorting by any kind of column orders the rows as it orders rows made at once, and makes
  // none of them.
  made.Populate();
  for (int column = 0; column < grid_.GetColumnCount(); ++column) {
    const int item = grid_.GetColumn(column)->itemIndex;
    if (!grid_.GetColumn(column)->sortable) continue;
    for (bool ascending : {true, false}) {
      SCOPED_TRACE(testing::Message() << "item " << item << (ascending ? " up" : " down"));
      grid_.SetSortColumn(column, ascending);
      grid_.Populate();
      made.SetSortColumn(column, ascending);
      made.Populate();
      ASSERT_EQ(unmade(), 4);
      for (int r = 0; r < made.GetRowCount(); ++r)
        EXPECT_EQ(static_cast<CStockGridRecord*>(grid_.GetRowRecord(r))->GetStockCode(),
                  static_cast<CStockGridRecord*>(made.GetRowRecord(r))->GetStockCode());
    }
  }
}

TEST(StockRecordTest, OwnRowsRefreshWithColoursAndTotals) {
  orv::ui::CMyReportCtrl grid;
  ASSERT_GT(grid.InitColumns(std::wstring_view(kMyStockGridLayout)), 0);
  Stock_s a, b, c;
  std::wcscpy(a.code, L"005930");
  a.cur_price = 70000;
  a.change_rate = 1;
  b.cur_price = 9000;
  b.change_rate = -2;
  c.cur_price = 500;
  StockTrade_s ha, hb, hc;
  ha.stock = &a;
  std::wcscpy(ha.code, L"005930");
  ha.quantity = 10;
  ha.purchase = 600000;
  ha.valuation = 700000;
  ha.profit = 100000;
  ha.profit_rate = 16.7;
  ha.tax = 1000;
  ha.commission = 100;
  ha.stop_loss_rate = -95;
  hb.stock = &b;
  std::wcscpy(hb.code, L"000660");
  hb.quantity = 40;
  hb.purchase = 400000;
  hb.valuation = 300000;
  hb.profit = -100000;
  hb.profit_rate = -25;
  hb.loan_amount = 50000;
  hc.stock = &c;
  std::wcscpy(hc.code, L"035420");
  hc.quantity = 1;
  hc.purchase = 999;
  // The rows and their footer as the account refresh makes them, from the engine's copies.
  CHoldingsGrid rows(grid);
  ASSERT_EQ(rows.RefreshHoldingsGrid({MakeHoldingRow(ha), MakeHoldingRow(hb), MakeHoldingRow(hc)}),
            3);
  const auto key = [](const StockTrade_s& h) {
    return HoldingKey_s{h.account_no, h.code, h.holding_kind};
  };
  auto* ra = rows.RowOf(key(ha));
  auto* rb = rows.RowOf(key(hb));
  auto* rc = rows.RowOf(key(hc));
  ASSERT_TRUE(ra && rb && rc);
  orv::ui::CMyReportRecordBase* totals = grid.GetFooterRecord(0);
  ASSERT_NE(totals, nullptr);

  // hc is no longer held (a later balance freed it) and its row was hidden: the quotes do not
  // reach its row and the totals leave it out.
  c.cur_price = 600;
  ha.profit_amount = 100000;
  hb.profit_amount = -100000;
  const std::vector<HoldingRow_s> held = {MakeHoldingRow(ha), MakeHoldingRow(hb)};
  rows.RefreshHoldingsGrid(held);
  rc->SetVisible(false);
  EXPECT_EQ(rows.ApplyQuotes(held), 2);
  const OwnGridTotals_s t = SumOwnGridTotals(grid);
  EXPECT_DOUBLE_EQ(t.purchase, 1000000);
  EXPECT_DOUBLE_EQ(t.valuation, 1000000);
  EXPECT_DOUBLE_EQ(t.profit, 0);
  EXPECT_DOUBLE_EQ(t.credit, 50000);
  EXPECT_DOUBLE_EQ(totals->GetNumberValue(kMyItemPurchase), 1000000);
  EXPECT_DOUBLE_EQ(totals->GetNumberValue(kMyItemCredit), 50000);
  EXPECT_DOUBLE_EQ(totals->GetNumberValue(kMyItemTax), 1000);
  EXPECT_DOUBLE_EQ(rc->GetNumberValue(kMyItemPrice), 500);
  EXPECT_FALSE(rows.IsHeld(rc));
  EXPECT_TRUE(rows.IsHeld(ra));
  EXPECT_DOUBLE_EQ(ra->GetNumberValue(kMyItemPrice), 70000);
  EXPECT_EQ(ra->GetItem(kMyItemPrice)->textColor, kRowRed);
  EXPECT_EQ(rb->GetItem(kMyItemPrice)->textColor, kRowBlue);
  EXPECT_EQ(ra->GetItem(kMyItemProfit)->textColor, kRowRed);
  EXPECT_EQ(rb->GetItem(kMyItemProfitRate)->textColor, kRowBlue);
  EXPECT_EQ(ra->GetItemCaption(kMyItemProfitRate), L"16.70%");
  EXPECT_EQ(rb->GetItemCaption(kMyItemChange), L"-2.0%");

  // A full refresh keeps the level cells on the backgrounds the row was made with, and the
  // automatic-trading check on red while on.
  struct Level {
    double minProfit, interval;
    COLORREF minBack, intervalBack;
  };
  for (const Level& c : {Level{12, 8, 0xFFB3FF, 0x7AB2F0}, Level{5, 5, 0x99AAFF, 0x6FDCF7},
                         Level{0, 3, 0xE1E4FF, 0xF0DEEB}, Level{-1, 2.9, 0xFFFF00, 0xECEDFD}}) {
    ha.min_take_profit = c.minProfit;
    ha.step_width = c.interval;
    ha.auto_trade = c.minProfit > 0;
    const HoldingRow_s copy = MakeHoldingRow(ha);
    ASSERT_TRUE(ApplyHoldingRow(ra, copy, true));
    EXPECT_EQ(ra->GetItem(kMyItemMinProfit)->backColor, c.minBack) << c.minProfit;
    EXPECT_EQ(ra->GetItem(kMyItemStepGap)->backColor, c.intervalBack) << c.interval;
    EXPECT_EQ(ra->GetCheckValue(kMyItemAutoTrade), c.minProfit > 0);
    EXPECT_EQ(ra->GetItem(kMyItemAutoTrade)->backColor, c.minProfit > 0 ? 0x0000FFu : 0xE6E022u);
  }
  EXPECT_TRUE(ApplyHoldingRow(ra, MakeHoldingRow(ha), true));
  EXPECT_EQ(ra->GetItem(kMyItemStopLoss)->backColor, 0x9FE7F9u);  // -95 is at or below -90
  hb.stop_loss_rate = -10;
  ApplyHoldingRow(rb, MakeHoldingRow(hb), true);
  EXPECT_EQ(rb->GetItem(kMyItemStopLoss)->backColor, 0xE6E0B0u);
  struct Back {
    double value;
    COLORREF colour;
  };
  for (const Back& c : {Back{10000, 0xFFFFFF}, Back{101, 0xF0DEEB}, Back{100, 0x99BBED},
                        Back{5, 0xD5D7F2}, Back{3, 0xF1E6D4}, Back{2.9, 0xF7ECF4}})
    EXPECT_EQ(SplitValueBack(c.value), c.colour) << c.value;
}

// A coin holding's quantity is a fraction of a coin: its row shows it, where a stock's row
// shows whole shares.
TEST(StockRecordTest, CoinQuantitiesShowTheirFractions) {
  orv::ui::CMyReportCtrl grid;
  ASSERT_GT(grid.InitColumns(std::wstring_view(kMyStockGridLayout)), 0);
  Stock_s coin, stock;
  coin.market = kMarketCoin;
  stock.market = 1;
  StockTrade_s hc, hs;
  hc.stock = &coin;
  std::wcscpy(hc.code, L"KRW-BTC");
  hc.quantity = 0.01;
  hs.stock = &stock;
  std::wcscpy(hs.code, L"005930");
  hs.quantity = 10;
  CHoldingsGrid rows(grid);
  ASSERT_EQ(rows.RefreshHoldingsGrid({MakeHoldingRow(hc), MakeHoldingRow(hs)}), 2);
  auto* rc = rows.RowOf(HoldingKey_s{hc.account_no, hc.code, hc.holding_kind});
  auto* rs = rows.RowOf(HoldingKey_s{hs.account_no, hs.code, hs.holding_kind});
  ASSERT_TRUE(rc && rs);
  EXPECT_EQ(rc->GetItemCaption(kMyItemQuantity), L"0.01");
  EXPECT_EQ(rs->GetItemCaption(kMyItemQuantity), L"10");
  hc.quantity = 2;
  ApplyHoldingRow(rc, MakeHoldingRow(hc), false);
  EXPECT_EQ(rc->GetItemCaption(kMyItemQuantity), L"2");
}

TEST(ViewLayoutTest, CheckRowAndSplitter) {
  const CheckRowRects_s r = LayoutCheckRow(1000, 40, 1.5);
  EXPECT_EQ(r.simpleUi.bottom - r.simpleUi.top, 36);
  EXPECT_EQ(r.simpleUi.right - r.simpleUi.left, 165);
  EXPECT_EQ(r.simpleUi.left, 872);  // trunc(1000 - 127.5)
  EXPECT_EQ(r.simpleUi.top, 42);
  EXPECT_EQ(r.profitSteps.left, 872 - 5 - 165);
  EXPECT_EQ(r.sellOneByOne.left, static_cast<int>(702 - (195 + 5.0)));
  EXPECT_EQ(r.sellOneByOne.right - r.sellOneByOne.left, 195);
  EXPECT_EQ(r.profitRates.right - r.profitRates.left, 195);
  EXPECT_EQ(r.profitRates.right + 5, r.slot.left);

  EXPECT_EQ(EffectiveSplitterPos(2, 801), 400);
  EXPECT_EQ(EffectiveSplitterPos(0, 800), 400);
  EXPECT_EQ(EffectiveSplitterPos(3, 800), 3);
}

TEST(ViewLayoutTest, CheckRowBoxesGrowToTheirTextsAndStayApart) {
  // Texts wider than the default widths: each box takes what it needs, the row keeps 5-pixel
  // gaps and the simple-mode box's text ends at the client's edge at the latest.
  CheckRowNeeds_s needs;
  needs.simpleUi = 150;
  needs.profitSteps = 140;
  needs.sellOneByOne = 170;
  needs.slot = 120;
  needs.profitRates = 160;
  needs.height = 30;
  const CheckRowRects_s r = LayoutCheckRow(1000, 40, 1.0, needs);
  EXPECT_EQ(r.simpleUi.right, 1000);
  const RECT* order[] = {&r.profitRates, &r.slot, &r.sellOneByOne, &r.profitSteps, &r.simpleUi};
  const int widths[] = {160, 120, 170, 140, 150};
  for (size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(order[i]->right - order[i]->left, widths[i]) << i;
    EXPECT_EQ(order[i]->bottom - order[i]->top, 30) << i;
    if (i > 0) EXPECT_EQ(order[i - 1]->right + 5, order[i]->left) << i;
  }
  // Needs below the defaults change nothing.
  CheckRowNeeds_s small;
  small.simpleUi = 60;
  small.height = 10;
  const CheckRowRects_s a = LayoutCheckRow(1000, 40, 1.5, small);
  const CheckRowRects_s b = LayoutCheckRow(1000, 40, 1.5);
  EXPECT_EQ(a.simpleUi.left, b.simpleUi.left);
  EXPECT_EQ(a.profitRates.left, b.profitRates.left);
  EXPECT_EQ(a.simpleUi.bottom, b.simpleUi.bottom);
}

TEST(ViewLayoutTest, CheckRowBesideTheTabsOrInABandOfItsOwn) {
  const CheckRowRects_s row = LayoutCheckRow(1000, 40, 1.0);
  // The row starts at 1000 - 85 - 5 - 110 - 135 - 115 - 135 = 415.
  ASSERT_EQ(row.profitRates.left, 415);
  struct Case {
    int tabsRight;
    int tabsTop;
  };
  for (const Case& c : {Case{300, 40}, Case{407, 40}, Case{408, 68}, Case{900, 68}})
    EXPECT_EQ(TabsTopBelowCheckRow(row, 40, c.tabsRight, 8), c.tabsTop) << c.tabsRight;

  // A client narrower than the row: the boxes wrap from the left edge, apart and inside.
  EXPECT_EQ(FitCheckRow(row, 415, 1000).profitRates.left, 415);
  const CheckRowRects_s fitted = FitCheckRow(row, 600, 1000);
  const RECT* boxes[] = {&fitted.profitRates, &fitted.slot, &fitted.sellOneByOne,
                         &fitted.profitSteps, &fitted.simpleUi};
  for (size_t i = 0; i < 5; ++i) {
    EXPECT_GE(boxes[i]->left, 600) << i;
    EXPECT_LE(boxes[i]->right, 1000) << i;
    for (size_t j = 0; j < i; ++j)
      EXPECT_TRUE(boxes[i]->left >= boxes[j]->right || boxes[i]->top >= boxes[j]->bottom)
          << i << " overlaps " << j;
  }
  EXPECT_EQ(fitted.profitRates.left, 600);
  EXPECT_GT(fitted.simpleUi.top, fitted.profitRates.top);
  // Tabs from the same left edge: the wrapped row lies above them.
  EXPECT_EQ(TabsTopBelowCheckRow(fitted, 40, 600 + 250, 8), fitted.simpleUi.bottom + 2);
}

TEST(ViewLayoutTest, BarItemsWrapWholeAndCanKeepOneRow) {
  const std::vector<BarItemSize_s> items = {{100, 20}, {80, 24}, {120, 20}, {300, 22}, {50, 20}};
  // Width 260 with margin 2 and gap 6: [100, 80] (2 + 100 + 6 + 80 = 188; 120 would end at 314),
  // [120], [300] alone although wider, [50].
  const BarPlacement_s p = WrapBarItems(items, 260, 6, 2);
  EXPECT_EQ(p.rowCount, 4);
  EXPECT_EQ(p.rows, (std::vector<int>{0, 0, 1, 2, 3}));
  EXPECT_EQ(p.positions[0].x, 2);
  EXPECT_EQ(p.positions[1].x, 108);
  EXPECT_EQ(p.positions[0].y, 4);  // centred in the 24-pixel row
  EXPECT_EQ(p.positions[1].y, 2);
  EXPECT_EQ(p.positions[2].y, 2 + 24 + 2);
  EXPECT_EQ(p.height, 2 + 24 + 2 + 20 + 2 + 22 + 2 + 20 + 2);
  // One kept row: the others are left out and the height is the first row's.
  const BarPlacement_s one = WrapBarItems(items, 260, 6, 2, 1);
  EXPECT_EQ(one.rowCount, 4);
  EXPECT_EQ(one.rows, (std::vector<int>{0, 0, -1, -1, -1}));
  EXPECT_EQ(one.height, 2 + 24 + 2);
  // Everything on one row when it fits; nothing to place gives no height.
  EXPECT_EQ(WrapBarItems(items, 1000, 6, 2).rowCount, 1);
  EXPECT_EQ(WrapBarItems({}, 1000, 6, 2).height, 0);
}

TEST(EnvelopeScoreTest, LevelsAndWeights) {
  double out[5];
  const double levels[3] = {100, 110, 120};
  // Above all three levels with no band: 1 + 2 + 3, then the weight.
  EXPECT_DOUBLE_EQ(ScoreEnvelopePosition(130, levels, 0, 0, out), 6);
  EXPECT_DOUBLE_EQ(out[0], 6);
  // Between base and upper: the weight shrinks by the distance above the base.
  const double m = ScoreEnvelopePosition(105, levels, 100, 120, out);
  EXPECT_DOUBLE_EQ(out[1], 10);       // (110 - 100) / 100 x 100
  EXPECT_DOUBLE_EQ(out[2], 2);        // |10 / 5|
  EXPECT_DOUBLE_EQ(m, 1.0 - 5 - 20);  // -5 for p, -20 for L2 inside the band
  EXPECT_DOUBLE_EQ(out[4], m * 2);
  // Below the first level and no second level: the level score alone.
  const double low[3] = {100, 0, 0};
  EXPECT_DOUBLE_EQ(ScoreEnvelopePosition(50, low, 100, 120, out), -1 + 2 + 3);
}

}  // namespace
