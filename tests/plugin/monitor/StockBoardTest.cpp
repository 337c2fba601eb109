// The split-buy board's working part over a stand-in trading view: the band arithmetic, the
// checks of the user's edits, the automatic-buy watch, the save and the strategy workbook.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>

#include "platform/support/TextConv.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Registry.h"
#include "platform/xl/XlBook.h"
#include "plugin/monitor/StockBoard.h"
#include "plugin/rows/StockBuyItemRecord.h"
#include "tests/probe/ProbeHarness.h"

namespace {

using Col = CStockBuyItemRecord::Column;

class FakeHost : public IStockBoardHost {
 public:
  explicit FakeHost(std::string folder) : folder_(std::move(folder)) {}
  Stock_s* AddStock(uint8_t market, const std::wstring& code, const std::wstring& name,
                    double price) {
    auto stock = std::make_unique<Stock_s>();
    stock->market = market;
    stock->nation = static_cast<int8_t>(market);
    std::wcsncpy(stock->code, code.c_str(), kStockCodeLen);
    stock->name = name;
    stock->cur_price = price;
    stock->coin_prices[0] = price;
    Stock_s* raw = stock.get();
    master_[{market, code}] = std::move(stock);
    return raw;
  }

  Stock_s* FindMasterStock(uint8_t market, const std::wstring& code) override {
    auto it = master_.find({market, code});
    return it == master_.end() ? nullptr : it->second.get();
  }
  Stock_s* SearchStockByName(uint8_t market, const std::wstring& text) override {
    for (auto& [key, stock] : master_)
      if (key.first == market && stock->name == text) return stock.get();
    return nullptr;
  }
  size_t MasterStockCount() override { return master_.size(); }
  std::vector<Stock_s*> AutoBuyStocks() override {
    std::vector<Stock_s*> out;
    for (auto& [key, stock] : list_) out.push_back(stock);
    return out;
  }
  bool InAutoBuyList(uint8_t market, const std::wstring& code) override {
    return list_.count({market, code}) != 0;
  }
  bool AddToAutoBuyList(uint8_t market, const std::wstring& code, bool autoBuy) override {
    Stock_s* stock = FindMasterStock(market, code);
    if (!stock) return false;
    list_[{market, code}] = stock;
    stock->auto_buy = autoBuy ? 1 : 0;
    return true;
  }
  void RemoveFromAutoBuyList(uint8_t market, const std::wstring& code) override {
    list_.erase({market, code});
  }
  void ClearMyStockList(bool force) override {
    ++clears;
    list_.clear();
  }
  void RefreshAllStockGrids() override { ++refreshes; }
  void SetCurStock(uint8_t market, const std::wstring& code) override { curStock = code; }
  void RequestStockSelect(const std::wstring&, int) override {}
  bool IsAutoBuyOn() override { return autoBuy; }
  void SetAutoBuy(bool on) override { autoBuy = on; }
  double DefaultBuyLimit() override { return 500000; }
  int DefaultAccount(int nation) override { return 100 + nation; }
  int UserIndex() override { return 7; }
  std::string ProgramFolder() override { return folder_; }
  void LockStocks() override { ++locks; }
  void UnlockStocks() override { --locks; }

  std::map<std::pair<uint8_t, std::wstring>, Stock_s*> list_;
  std::wstring curStock;
  bool autoBuy = false;
  int clears = 0;
  int refreshes = 0;
  int locks = 0;

 private:
  std::string folder_;
  std::map<std::pair<uint8_t, std::wstring>, std::unique_ptr<Stock_s>> master_;
};

class StockBoardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("XDG_CONFIG_HOME", (dir_.Path() + "/config").c_str(), 1);
    ASSERT_TRUE(orv::win::AppRegistry().Open("OrvTest", "settings.ini"));
    board_.InitGrid();
    samsung_ = host_.AddStock(1, L"005930", L"삼성전자", 70000);
    hynix_ = host_.AddStock(1, L"000660", L"SK하이닉스", 200000);
    coin_ = host_.AddStock(9, L"KRW-BTC", L"비트코인", 90000000);
  }
  void TearDown() override {
    orv::win::StopScriptingMessageBoxes();
    EXPECT_EQ(host_.locks, 0);
  }

  // A blank row of `nation`, then the user types `code` into it.
  CStockBuyItemRecord* EnterCode(int nation, const std::wstring& code) {
    board_.AddBlankRows(nation, 1, board_.Grid().GetRecordCount() + 1, true);
    board_.Grid().Populate();
    const int row = board_.Grid().GetRowCount() - 1;
    EXPECT_TRUE(board_.Grid().OnCommitEdit(row, Col::kColCode, code));
    auto* record = board_.Row(board_.Grid().GetRecordCount() - 1);
    board_.OnValueChanged(record, Col::kColCode);
    return record;
  }
  // The user types `text` into a cell of the last row.
  void Edit(CStockBuyItemRecord* record, int column, const std::wstring& text) {
    board_.Grid().Populate();
    const int row = board_.Grid().GetRowIndex(record);
    ASSERT_TRUE(board_.Grid().OnCommitEdit(row, column, text));
    board_.OnValueChanged(record, column);
  }
  std::vector<orv::win::MessageBoxCall> Asked() { return orv::win::ScriptedMessageBoxCalls(); }

  orv::test::TempDir dir_;
  FakeHost host_{dir_.Path() + "/"};
  uint8_t mode_ = 4;
  int32_t amount_ = 0;
  CStockBoard board_{host_, &mode_, &amount_};
  Stock_s* samsung_ = nullptr;
  Stock_s* hynix_ = nullptr;
  Stock_s* coin_ = nullptr;
};

}  // namespace

TEST(BuyBands, ArithmeticOfThePresets) {
  struct Case {
    double price;
    BuyBandPreset_s preset;
    int amount;
    BuyBands_s want;
  } cases[] = {
      // Falling bands: below the offset by the width.
      {10000, {-0.03, -0.06, 0.03, 0}, 0, {9400, 9700, 9100, 9400, 1000 / 9700.0, 1000 / 9400.0,
                                            10000 * 1000 / 9400.0}},
      // Rising bands: above the offset by the width; a negative width counts as positive.
      {10000, {0.02, 0.08, -0.02, -1}, 100, {10200, 10400, 10800, 11000, 1000000 / 10400.0,
                                              1000000 / 11000.0, 10000 * 1e6 / 11000.0}},
      // One band each way.
      {20000, {0.01, -0.04, 0.02, 1}, 1, {20200, 20600, 18800, 19200, 10000 / 20600.0,
                                           10000 / 19200.0, 20000 * 10000 / 19200.0}},
      // No price: nothing.
      {0, {0.01, -0.04, 0.02, 1}, 1, {}},
      {-5, {0.01, -0.04, 0.02, 1}, 1, {}},
  };
  for (const Case& c : cases) {
    const BuyBands_s got = ComputeBuyBands(c.price, c.preset, c.amount);
    EXPECT_NEAR(got.band1Low, c.want.band1Low, 1e-6) << c.price;
    EXPECT_NEAR(got.band1High, c.want.band1High, 1e-6) << c.price;
    EXPECT_NEAR(got.band2Low, c.want.band2Low, 1e-6) << c.price;
    EXPECT_NEAR(got.band2High, c.want.band2High, 1e-6) << c.price;
    EXPECT_NEAR(got.band1Qty, c.want.band1Qty, 1e-9) << c.price;
    EXPECT_NEAR(got.band2Qty, c.want.band2Qty, 1e-9) << c.price;
    EXPECT_NEAR(got.amountNeeded, c.want.amountNeeded, 1e-6) << c.price;
  }
}

TEST_F(StockBoardTest, EnteringACodeSetsTheBandsFromTheCurrentPrice) {
  CStockBuyItemRecord* row = EnterCode(1, L"005930");
  EXPECT_EQ(host_.curStock, L"005930");
  EXPECT_EQ(row->GetTextValue(Col::kColName), L"삼성전자");
  EXPECT_DOUBLE_EQ(samsung_->buy.limit, 500000);
  // Default preset: -3 % and -6 % with a 3 % width.
  EXPECT_NEAR(samsung_->buy.band1_low, 70000 * 0.94, 1e-6);
  EXPECT_NEAR(samsung_->buy.band1_high, 70000 * 0.97, 1e-6);
  EXPECT_NEAR(samsung_->buy.band2_low, 70000 * 0.91, 1e-6);
  EXPECT_NEAR(samsung_->buy.band2_high, 70000 * 0.94, 1e-6);
  EXPECT_NEAR(row->GetNumberValue(Col::kColBand1Low), 70000 * 0.94, 1e-6);
  EXPECT_NEAR(row->GetNumberValue(27), 70000 * 0.94, 1e-6);  // band-2 high
  EXPECT_DOUBLE_EQ(row->GetNumberValue(Col::kColCurPrice), 70000);
  EXPECT_TRUE(row->IsModified());

  // A coin row starts from the coin price; a name finds the stock too.
  CStockBuyItemRecord* coinRow = EnterCode(9, L"비트코인");
  EXPECT_EQ(coinRow->GetTextValue(Col::kColCode), L"KRW-BTC");
  EXPECT_NEAR(coin_->buy.band1_high, 90000000 * 0.97, 1e-3);

  // An unknown code empties the row.
  CStockBuyItemRecord* bad = EnterCode(1, L"999999");
  EXPECT_EQ(bad->GetTextValue(Col::kColName), L"");
  EXPECT_EQ(board_.StockOfRow(bad), nullptr);
}

TEST_F(StockBoardTest, MenuPresetsStartFromTheStocksCurrentPrice) {
  CStockBuyItemRecord* row = EnterCode(1, L"000660");
  amount_ = 100;  // 1,000,000 won per stock
  ASSERT_TRUE(board_.ApplyMenuPreset(3430, {row}));  // +2~+4 %, +8~+10 %
  EXPECT_NEAR(hynix_->buy.band1_low, 204000, 1e-6);
  EXPECT_NEAR(hynix_->buy.band1_high, 208000, 1e-6);
  EXPECT_NEAR(hynix_->buy.band2_low, 216000, 1e-6);
  EXPECT_NEAR(hynix_->buy.band2_high, 220000, 1e-6);
  EXPECT_NEAR(row->GetNumberValue(Col::kColBand1Low), 204000, 1e-6);
  EXPECT_NEAR(row->GetNumberValue(19), 200000 * (1000000 / 220000.0), 1e-6);
  EXPECT_EQ(board_.LastPreset().value, -1);
  EXPECT_DOUBLE_EQ(board_.LastPreset().width, 0.02);
  EXPECT_FALSE(board_.ApplyMenuPreset(565, {row}));
}

TEST_F(StockBoardTest, Band1EditsAreChecked) {
  CStockBuyItemRecord* row = EnterCode(1, L"005930");  // band 1: 65800 ~ 67900
  samsung_->auto_buy = 1;
  row->SetCheckValue(Col::kColAutoBuy, true);

  struct Case {
    int column;
    const wchar_t* value;
    std::vector<int> answers;
    const char* message;     // shown, or null
    double stored;           // band value afterwards
    bool autoBuyAfter;
  } cases[] = {
      // Low at or above the high: refused whatever the price.
      {Col::kColBand1Low, L"67900", {}, "매수-저가는 매수-고가 보다 낮은 값을 입력해 주세요.\n다시 입력해 주세요", 65800, true},
      // Low below the price: taken.
      {Col::kColBand1Low, L"60000", {}, nullptr, 60000, true},
      // High at or below the low: refused.
      {23, L"60000", {}, "매수-고가는 매수-저가 보다 큰 값을 입력해 주세요.\n다시 입력해 주세요", 67900, true},
      // High at or above the price: asked; No keeps the old value.
      {23, L"71000", {IDNO}, "현재가보다", 67900, true},
      // Yes takes it and clears automatic buying.
      {23, L"71000", {IDYES}, "현재가보다", 71000, false},
  };
  for (const Case& c : cases) {
    orv::win::ScriptMessageBoxes(c.answers);
    Edit(row, c.column, c.value);
    const auto asked = Asked();
    if (c.message) {
      ASSERT_EQ(asked.size(), 1u) << WideToUtf8(c.value);
      EXPECT_NE(asked[0].text.find(c.message), std::string::npos) << asked[0].text;
    } else {
      EXPECT_TRUE(asked.empty()) << WideToUtf8(c.value);
    }
    const double stored = c.column == Col::kColBand1Low ? samsung_->buy.band1_low : samsung_->buy.band1_high;
    EXPECT_DOUBLE_EQ(stored, c.stored) << WideToUtf8(c.value);
    EXPECT_DOUBLE_EQ(row->GetNumberValue(c.column), c.stored) << WideToUtf8(c.value);
    EXPECT_EQ(samsung_->auto_buy != 0, c.autoBuyAfter) << WideToUtf8(c.value);
    EXPECT_EQ(row->GetCheckValue(Col::kColAutoBuy), c.autoBuyAfter) << WideToUtf8(c.value);
    orv::win::StopScriptingMessageBoxes();
  }
}

TEST_F(StockBoardTest, ChecksFollowTheirCells) {
  CStockBuyItemRecord* row = EnterCode(1, L"005930");
  // The credit flag follows the credit check both ways.
  for (bool on : {true, false, true}) {
    row->SetCheckValue(Col::kColCredit, on);
    board_.OnCheckChanged(row, Col::kColCredit);
    EXPECT_EQ(samsung_->buy.credit, on ? 1 : 0);
  }
  // Automatic buying with all bands set keeps them.
  row->SetCheckValue(Col::kColAutoBuy, true);
  board_.OnCheckChanged(row, Col::kColAutoBuy);
  EXPECT_EQ(samsung_->auto_buy, 1);
  EXPECT_GT(samsung_->buy.band2_high, 0);
  // A band of 0 (band-2 high, column 27) zeroes them all, tolerances 2.0.
  Edit(row, 27, L"0");
  EXPECT_DOUBLE_EQ(samsung_->buy.band2_high, 0);
  row->SetCheckValue(Col::kColAutoBuy, true);
  board_.OnCheckChanged(row, Col::kColAutoBuy);
  EXPECT_DOUBLE_EQ(samsung_->buy.band1_low, 0);
  EXPECT_DOUBLE_EQ(samsung_->buy.band1_high, 0);
  EXPECT_DOUBLE_EQ(samsung_->buy.tolerance1, 2.0);
  EXPECT_DOUBLE_EQ(samsung_->buy.tolerance2, 2.0);
  EXPECT_DOUBLE_EQ(row->GetNumberValue(26), 2.0);
  EXPECT_EQ(row->GetItem(Col::kColAutoBuy)->backColor, 0x0000FFu);
}

TEST_F(StockBoardTest, SavingWithoutStocksSaysSoAndStillKeepsTheSearchMode) {
  board_.AddBlankRows(1, 3, 1, true);
  board_.SetSearchMode(3);
  orv::win::ScriptMessageBoxes({});
  board_.SaveBuyItems(true, true);
  const auto asked = Asked();
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].text, "종목이 없습니다");
  EXPECT_EQ(asked[0].caption, "ERROR");
  EXPECT_EQ(host_.clears, 0);
  EXPECT_EQ(orv::win::GetProfileInt("Settings", "Stock-BuyItemSearchMode-7", 0), 3);
  // Without force and without a changed row nothing is asked.
  orv::win::ScriptMessageBoxes({});
  board_.SaveBuyItems(false, true);
  EXPECT_TRUE(Asked().empty());
}

TEST_F(StockBoardTest, AutoBuyWatchNeedsStocksAndAsks) {
  orv::win::ScriptMessageBoxes({});
  board_.AddBlankRows(1, 2, 1, true);
  board_.ToggleAutoBuyWatch();
  ASSERT_EQ(Asked().size(), 1u);
  EXPECT_EQ(Asked()[0].text,
            "자동 감시 설정된 종목이 없습니다.\n먼저 감시 종목 입력 및 조건을 설정해 주세요");
  EXPECT_FALSE(host_.autoBuy);

  CStockBuyItemRecord* row = EnterCode(1, L"005930");
  EnterCode(1, L"000660");
  row->SetCheckValue(Col::kColAutoBuy, true);
  orv::win::ScriptMessageBoxes({IDNO});
  board_.ToggleAutoBuyWatch();
  ASSERT_EQ(Asked().size(), 1u);
  EXPECT_EQ(Asked()[0].text.rfind("1개의 종목의 자동매수 감시를 ON 시킬까요?", 0), 0u);
  EXPECT_FALSE(host_.autoBuy);
  EXPECT_TRUE(host_.list_.empty());

  orv::win::ScriptMessageBoxes({IDYES});
  board_.ToggleAutoBuyWatch();
  EXPECT_TRUE(host_.autoBuy);
  EXPECT_EQ(host_.list_.size(), 2u);  // saved without a question
  EXPECT_EQ(Asked().size(), 1u);
  EXPECT_EQ(samsung_->auto_buy, 1);
  EXPECT_EQ(hynix_->auto_buy, 0);
  // Pressed again it only switches the engine off.
  board_.ToggleAutoBuyWatch();
  EXPECT_FALSE(host_.autoBuy);
}

TEST_F(StockBoardTest, SavedRowsReloadWithTheirValues) {
  CStockBuyItemRecord* a = EnterCode(1, L"005930");
  CStockBuyItemRecord* b = EnterCode(9, L"KRW-BTC");
  a->SetOptionsValue(Col::kColAccount, 5);
  a->SetCheckValue(Col::kColCredit, true);
  board_.OnCheckChanged(a, Col::kColCredit);
  a->SetCheckValue(Col::kColAutoBuy, true);
  board_.OnCheckChanged(a, Col::kColAutoBuy);
  Edit(a, 22, L"2.5");   // band-1 tolerance
  Edit(a, 26, L"3.5");   // band-2 tolerance
  Edit(b, 26, L"0");     // no tolerance: 1.5 % on reload
  a->SetOptionsValue(Col::kColAlgorithm, 2);

  orv::win::ScriptMessageBoxes({IDYES});
  board_.SaveBuyItems(true, true);
  ASSERT_EQ(Asked().size(), 1u);
  EXPECT_EQ(Asked()[0].text.rfind("1개의 종목(총 2개)을 자동매수 정보를 저장할까요?", 0), 0u);
  EXPECT_EQ(host_.list_.size(), 2u);
  EXPECT_EQ(host_.refreshes, 1);
  EXPECT_EQ(board_.CountWatchRows(nullptr, nullptr), 0);  // no row left modified
  const std::string path = StrategyWorkbookPath(dir_.Path() + "/");

  // openpyxl sees the sheet, the header and the values (not the labels).
  const std::string script = dir_.Path() + "/check.py";
  std::ofstream(script) << "import openpyxl\nwb = openpyxl.load_workbook('" << path
                        << "')\nws = wb['매수 전략']\nprint(wb.sheetnames)\n"
                           "print([c.value for c in ws[1]][:8])\n"
                           "print([ws.cell(row=2, column=c).value for c in (3, 4, 7, 8, 12, 13, 14, 23, 27)])\n";
  FILE* pipe = popen(("/usr/bin/python3 '" + script + "' 2>&1").c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  char buf[4096] = {};
  const size_t n = fread(buf, 1, sizeof buf - 1, pipe);
  pclose(pipe);
  EXPECT_EQ(std::string(buf, n),
            "['매수 전략']\n['MARK', 'NO', '계좌', '국가', '마켓', '카페', '코드', '종목명']\n"
            "[5, 1, '005930', '삼성전자', 1, 1, 2, 2.5, 3.5]\n");

  // A new run: the stocks are not listed yet and lose their settings.
  host_.list_.clear();
  samsung_->buy = StockBuySettings_s{};
  coin_->buy = StockBuySettings_s{};
  ASSERT_EQ(board_.LoadStrategyWorkbook(), 2);
  EXPECT_EQ(host_.list_.size(), 2u);
  EXPECT_EQ(samsung_->buy.credit, 1);
  EXPECT_EQ(samsung_->auto_buy, 1);
  EXPECT_DOUBLE_EQ(samsung_->buy.tolerance1, 2.5);
  EXPECT_DOUBLE_EQ(samsung_->buy.tolerance2, 3.5);
  EXPECT_NEAR(samsung_->buy.band1_low, 65800, 0.5);
  EXPECT_NEAR(samsung_->buy.band1_high, 1.025 * samsung_->buy.band1_low, 1e-6);
  EXPECT_NEAR(samsung_->buy.band2_high, 1.035 * samsung_->buy.band2_low, 1e-6);
  EXPECT_DOUBLE_EQ(coin_->buy.tolerance2, 1.5);
  EXPECT_NEAR(coin_->buy.band2_high, 1.015 * coin_->buy.band2_low, 1e-3);
  CStockBuyItemRecord* row = board_.Row(0);
  EXPECT_EQ(row->GetTextValue(Col::kColCode), L"005930");
  EXPECT_EQ(row->GetOptionsValue(Col::kColAccount), 5);
  EXPECT_EQ(row->GetOptionsValue(Col::kColNation), 1);
  EXPECT_EQ(row->GetOptionsValue(Col::kColAlgorithm), 2);
  EXPECT_TRUE(row->GetCheckValue(Col::kColCredit));
  EXPECT_TRUE(row->GetCheckValue(Col::kColAutoBuy));
  EXPECT_EQ(board_.Row(1)->GetOptionsValue(Col::kColNation), 9);

  // Listed stocks are not read a second time.
  EXPECT_EQ(board_.LoadStrategyWorkbook(), 0);
}

TEST_F(StockBoardTest, WorkbookRowsWithShortOrUnknownCodesAreSkipped) {
  // A workbook as a user might leave it: a short code, an unknown one, one stock twice, and
  // numbers written as text with thousands separators removed by the program.
  orv::xl::CXlBook book;
  orv::xl::CXlSheet* sheet = book.AddSheet("매수 전략");
  for (int c = 0; c < 29; ++c) sheet->SetString(0, c, kStrategyHeader[c]);
  auto row = [&](int r, double nation, const std::string& code, double low, double tol) {
    sheet->SetNumber(r, 1, r);
    sheet->SetNumber(r, 3, nation);
    sheet->SetString(r, 6, code);
    sheet->SetNumber(r, 21, low);
    sheet->SetNumber(r, 22, tol);
    sheet->SetString(r, 24, "09:05:30");
  };
  row(1, 1, "005", 100, 1);
  row(2, 1, "123456", 100, 1);
  row(3, 1, "000660", 190000, -2);
  row(4, 1, "000660", 180000, 3);
  sheet->SetFormula(5, 6, "\"005930\"", 0);  // a formula gives no code
  const std::string path = StrategyWorkbookPath(dir_.Path() + "/");
  std::filesystem::create_directories(dir_.Path() + "/template");
  ASSERT_TRUE(book.SaveXlsx(path));
  ASSERT_EQ(board_.LoadStrategyWorkbook(), 1);
  EXPECT_DOUBLE_EQ(hynix_->buy.band1_low, 190000);
  EXPECT_DOUBLE_EQ(hynix_->buy.tolerance1, 1.5);
  EXPECT_NEAR(hynix_->buy.band1_high, 192850, 1e-6);
  const SYSTEMTIME t = board_.Row(0)->GetTimeValue(Col::kColBand1Time);
  EXPECT_EQ(t.wHour, 9);
  EXPECT_EQ(t.wMinute, 5);
  EXPECT_EQ(t.wSecond, 30);

  // A missing workbook leaves the grid empty.
  std::filesystem::remove(path);
  EXPECT_EQ(board_.LoadStrategyWorkbook(), -1);
  EXPECT_EQ(board_.Grid().GetRecordCount(), 0);
}

TEST_F(StockBoardTest, AWorkbookThatCannotBeWrittenIsReported) {
  // The template folder is a file: the workbook cannot be written.
  std::ofstream(dir_.Path() + "/template") << "x";
  EnterCode(1, L"005930");
  orv::win::ScriptMessageBoxes({IDYES});
  board_.SaveBuyItems(true, true);
  const auto asked = Asked();
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_EQ(asked[1].caption, "ERROR");
  EXPECT_EQ(asked[1].text.rfind("전략 파일을 저장하지 못했습니다.", 0), 0u);
  EXPECT_EQ(host_.list_.size(), 1u);  // the stocks are listed all the same
}

TEST_F(StockBoardTest, ReloadNumbersRowsPerNationGroupAndStopsAtTenDomestic) {
  for (int i = 0; i < 12; ++i) {
    wchar_t code[8];
    std::swprintf(code, 8, L"1000%02d", i);
    host_.AddStock(1, code, L"종목", 1000);
    host_.AddToAutoBuyList(1, code, false);
  }
  host_.AddToAutoBuyList(9, L"KRW-BTC", false);
  board_.ReloadBuyItems();
  int domestic = 0, coin = 0;
  for (int i = 0; i < board_.Grid().GetRecordCount(); ++i) {
    CStockBuyItemRecord* r = board_.Row(i);
    if (r->GetTextValue(Col::kColCode).empty()) continue;
    (r->GetOptionsValue(Col::kColNation) == 1 ? domestic : coin)++;
  }
  EXPECT_EQ(domestic, 10);
  // The coin comes after the domestic codes in list order, so the eleventh domestic stock
  // ends the loop before it.
  EXPECT_EQ(coin, 0);
  EXPECT_EQ(board_.Row(0)->GetOptionsValue(Col::kColAccount), 101);
  EXPECT_EQ(board_.Grid().GetRecordCount(), 10 + 6 + 11 + 11);
}
