#include "plugin/monitor/StockBoard.h"

#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cwchar>

#include "platform/support/TextConv.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Registry.h"
#include "platform/xl/XlBook.h"
#include "plugin/rows/GridConstraints.h"
#include "plugin/rows/StockBuyItemRecord.h"

using orv::ui::CMyReportRecordBase;





const char kStrategySheetName[] = "매수 전략";
const char* const kStrategyHeader[29] = {
    "MARK",     "NO",       "계좌",     "국가",     "마켓",       "카페",      "코드",
    "종목명",   "현재가",   "등락율",   "전일대비", "신용매수",   "자동매수",  "매수알고리즘",
    "상태",     "점수D",    "점수M",    "매수횟수", "매수한도",   "필요금액",  "누적매수",
    "매수1-저가", "매수1-고가", "매수1-고가", "매수시간1", "매수2-저가", "매수2-고가", "매수2-고가",
    "매수시간2"};

namespace {

// Columns of the watch grid the board works with beyond the row's own names.
constexpr int kColChange = 10;
constexpr int kColChangeRate = 9;
constexpr int kColAmountNeeded = 19;
constexpr int kColAmountBought = 20;
constexpr int kColBand1Tolerance = 22;
constexpr int kColBand1High = 23;
constexpr int kColBand2Tolerance = 26;
constexpr int kColBand2High = 27;

constexpr double kBlankTolerance = 7.0;
constexpr double kZeroBandTolerance = 2.0;
constexpr double kWorkbookDefaultTolerance = 1.5;
constexpr double kMenuPresetWidth = 0.02;
constexpr BuyBandPreset_s kCodeEntryPreset{-0.03, -0.06, 0.03, 0};

const char kSettingsSection[] = "Settings";
const char kSearchModeKey[] = "Stock-BuyItemSearchMode";

const char kTextNoStocks[] = "종목이 없습니다";
const char kTextSaveQuestion[] =
    "%d개의 종목(총 %d개)을 자동매수 정보를 저장할까요?\n----------------------\n자동매수 가격대가 "
    "오면, 분할매수를 실시합니다.\n(주의 : 보유종목 + 자동매수 종목은 90개를 넘을수 없습니다)\n\n"
    "정보를 저장할까요?";
const char kTextLowAboveHigh[] = "매수-저가는 매수-고가 보다 낮은 값을 입력해 주세요.\n다시 입력해 주세요";
const char kTextHighBelowLow[] = "매수-고가는 매수-저가 보다 큰 값을 입력해 주세요.\n다시 입력해 주세요";
const char kTextAboveCurrent[] =
    "현재가보다 매수가를 높게 설정해서, 즉시 매수됩니다.\n\n눌림목 매수를 권장하기 때문에,\n반드시 "
    "현재가보다 낮게 설정해 주세요.\n\n그래도 현재가보다 높게 설정 하시겠습니까?\n(자동매수는 "
    "체크해제되니, 다시 체크해 주세요)";
const char kTextNoWatch[] =
    "자동 감시 설정된 종목이 없습니다.\n먼저 감시 종목 입력 및 조건을 설정해 주세요";
const char kTextWatchAutoBuy[] =
    "%d개의 종목의 자동매수 감시를 ON 시킬까요?\n----\n자동매수를 체크하면, 종목이 자동매으로 "
    "매수되므로,\n주의가 필요합니다.\n\n자동감시를 ON 시킬까요?";
const char kTextWatchOnly[] =
    "%d개의 종목의 자동 감시를 ON 시킬까요?\n----\n자동매수를 체크하면, 종목이 자동매으로 "
    "매수되므로,\n주의가 필요합니다.\n\n자동감시를 ON 시킬까요?";
const char kTextRemoveQuestion[] = "%s(을)를 자동매수 목록에서 해제/삭제할까요?";
const char kTextWorkbookFailed[] = "전략 파일을 저장하지 못했습니다.\n%s";

std::string FormatInts(const char* format, int a, int b = 0) {
  char buf[1024];
  std::snprintf(buf, sizeof buf, format, a, b);
  return buf;
}

std::string FormatText(const char* format, const std::string& text) {
  std::string out(format);
  const size_t at = out.find("%s");
  if (at != std::string::npos) out.replace(at, 2, text);
  return out;
}

bool Ask(const std::string& text) {
  return orv::win::MessageBox(text, "QUESTION", MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void ShowError(const std::string& text) {
  orv::win::MessageBox(text, "ERROR", MB_ICONERROR);
}

// A cell caption without its thousands separators, read as a number.
double CaptionNumber(const CMyReportRecordBase* row, int column) {
  std::wstring text = row->GetItemCaption(column);
  std::wstring plain;
  for (wchar_t c : text)
    if (c != L',') plain += c;
  return std::wcstod(plain.c_str(), nullptr);
}

// A workbook cell as the loader reads it: formulas give empty text, numbers "%.10g".
std::string CellText(const orv::xl::CXlSheet& sheet, int row, int col) {
  const orv::xl::Cell* cell = sheet.CellAt(row, col);
  if (!cell || cell->formula) return {};
  switch (cell->type) {
    case orv::xl::CellType::kNumber: {
      char buf[64];
      std::snprintf(buf, sizeof buf, "%.10g", cell->number);
      return buf;
    }
    case orv::xl::CellType::kString:
      return cell->text;
    default:
      return {};
  }
}

SYSTEMTIME ParseBuyTime(const std::string& text) {
  SYSTEMTIME t{};
  unsigned short h = 0, m = 0, s = 0;
  if (std::sscanf(text.c_str(), "%hu:%hu:%hu", &h, &m, &s) == 3) {
    t.wHour = h;
    t.wMinute = m;
    t.wSecond = s;
  }
  return t;
}

double PositiveOr(double value, double fallback) { return value > 0 ? value : fallback; }

// The band-1 high and buy-time cells carry a button that opens their edit pop-up.
void AddPopupButtons(CStockBuyItemRecord* row) {
  for (int column : {CStockBoard::kColPopupHigh, CStockBoard::kColPopupTime})
    if (orv::ui::CMyReportRecordItem* item = row->GetItem(column))
      item->buttons.push_back(orv::ui::ReportCellButton{L"...", 0, 16});
}

class StockLock {
 public:
  explicit StockLock(IStockBoardHost& host) : m_host(host) { m_host.LockStocks(); }
  ~StockLock() { m_host.UnlockStocks(); }
  StockLock(const StockLock&) = delete;
  StockLock& operator=(const StockLock&) = delete;

 private:
  IStockBoardHost& m_host;
};

}  // namespace

const CStockBoard::MenuPreset CStockBoard::kMenuPresets[5] = {
    {3431, 0.01, -0.04, 1},  {3434, -0.03, 0.03, 1},  {3430, 0.02, 0.08, -1},
    {3432, 0.03, 0.08, -1},  {3433, -0.03, -0.08, -1},
};

BuyBands_s ComputeBuyBands(double basePrice, const BuyBandPreset_s& preset, int buyAmountManWon) {
  BuyBands_s bands;
  if (basePrice <= 0) return bands;
  const double w = std::fabs(preset.width);
  auto band = [&](double o, double* low, double* high) {
    if (o >= 0) {
      *low = basePrice * (1 + o);
      *high = basePrice * (1 + o + w);
    } else {
      *low = basePrice * (1 + o - w);
      *high = basePrice * (1 + o);
    }
  };
  band(preset.first, &bands.band1Low, &bands.band1High);
  band(preset.second, &bands.band2Low, &bands.band2High);
  const double budget = buyAmountManWon > 0 ? buyAmountManWon * 10000.0 : 1000.0;
  bands.band1Qty = bands.band1High > 0 ? budget / bands.band1High : 0;
  bands.band2Qty = bands.band2High > 0 ? budget / bands.band2High : 0;
  bands.amountNeeded = basePrice * bands.band2Qty;
  return bands;
}

orv::xl::CXlSheet* FindSheet(orv::xl::CXlBook& book, const std::string& name, int* index,
                             bool create, bool* added) {
  if (added) *added = false;
  const int found = book.FindSheet(name);
  if (index) *index = found;
  if (found >= 0) return book.Sheet(found);
  if (!create) return nullptr;
  orv::xl::CXlSheet* sheet = book.AddSheet(name);
  if (sheet && added) *added = true;
  return sheet;
}

std::string StrategyWorkbookPath(const std::string& programFolder) {
  return programFolder + "template/전략.xlsx";
}

CStockBoard::CStockBoard(IStockBoardHost& host, uint8_t* boardMode, int32_t* buyAmountManWon)
    : m_host(host), m_boardMode(boardMode), m_buyAmount(buyAmountManWon) {}

CStockBuyItemRecord* CStockBoard::Row(int index) const {
  return static_cast<CStockBuyItemRecord*>(m_grid.GetRecord(index));
}

void CStockBoard::InitGrid() {
  m_grid.InitColumns(std::string_view(kStockBuyItemGridLayout));
  GfxFillNationConstraints(m_grid.GetColumnEditOptions(CStockBuyItemRecord::kColNation), 0, 1);
  GfxFillAlgorithmConstraints(m_grid.GetColumnEditOptions(CStockBuyItemRecord::kColAlgorithm), 0,
                              1);
  if (orv::ui::CReportEditOptions* price =
          m_grid.GetColumnEditOptions(CStockBuyItemRecord::kColCurPrice)) {
    price->constraints.Clear();
    price->constraints.Add(-99, L"*금액 한정");
    price->constraints.Add(2, L"휴리스틱");
    price->allowEdit = true;
    price->comboButton = true;
  }
  for (int c = 0; c < m_grid.GetColumnCount(); ++c)
    if (orv::ui::ReportColumn* col = m_grid.GetColumn(c)) col->editable = IsEditableColumn(c);
}

void CStockBoard::LoadSearchMode() {
  m_searchMode = orv::win::GetProfileInt(kSettingsSection, orv::win::UserIndexKey(kSearchModeKey, m_host.UserIndex()),
                                         m_searchMode);
}

bool CStockBoard::IsEditableColumn(int column) {
  switch (column) {
    case CStockBuyItemRecord::kColAccount:
    case CStockBuyItemRecord::kColCode:
    case CStockBuyItemRecord::kColCredit:
    case CStockBuyItemRecord::kColAutoBuy:
    case CStockBuyItemRecord::kColAlgorithm:
    case CStockBuyItemRecord::kColBuyLimit:
    case CStockBuyItemRecord::kColBand1Low:
    case kColBand1Tolerance:
    case kColBand1High:
    case CStockBuyItemRecord::kColBand2Low:
    case kColBand2Tolerance:
    case kColBand2High:
      return true;
    default:
      return false;
  }
}

void CStockBoard::AddBlankRows(int nation, int count, int firstNumber, bool clearAutoBuy) {
  for (int i = 0; i < count; ++i) {
    StockBuyItemValues v;
    v.algorithm = 1;
    v.band1Tolerance = kBlankTolerance;
    v.band2Tolerance = kBlankTolerance;
    v.autoBuy = false;
    (void)clearAutoBuy;  // blank rows start unchecked either way
    AddPopupButtons(static_cast<CStockBuyItemRecord*>(m_grid.AddRecord(
        std::make_unique<CStockBuyItemRecord>(firstNumber + i, nullptr, 1, nation, 0, 0, L"",
                                              L"", v))));
  }
}

void CStockBoard::InitRows() {
  ReloadBuyItems();
  AddBlankRows(1, 10, 1, true);
  AddBlankRows(2, 10, 1, false);
  AddBlankRows(9, 10, 1, false);
  m_grid.Populate();
}

CStockBuyItemRecord* CStockBoard::AppendStockRow(Stock_s* stock, int rowNumber, int account,
                                                 bool creditCheck) {
  StockBuyItemValues v;
  {
    StockLock lock(m_host);
    const StockBuySettings_s& b = stock->buy;
    v.curPrice = stock->cur_price;
    v.changeRate = stock->change_rate;
    v.change = stock->change;
    v.creditAllowed = creditCheck;
    v.autoBuy = stock->auto_buy != 0;
    v.algorithm = 1;
    v.dayScore = stock->day_score;
    v.minuteScore = stock->minute_score;
    v.buyCount = b.count;
    v.buyLimit = b.limit;
    v.amountNeeded = b.limit;
    v.amountBought = b.bought;
    v.band1Low = b.band1_low;
    v.band1Tolerance = b.tolerance1;
    v.band1High = b.band1_high;
    v.band2Low = b.band2_low;
    v.band2Tolerance = b.tolerance2;
    v.band2High = b.band2_high;
  }
  auto* row = static_cast<CStockBuyItemRecord*>(m_grid.AddRecord(
      std::make_unique<CStockBuyItemRecord>(rowNumber, stock, account, stock->nation,
                                            stock->market, stock->cafe_index, stock->code,
                                            stock->name, v)));
  AddPopupButtons(row);
  m_rowCodes[row] = stock->code;
  return row;
}

void CStockBoard::ReloadBuyItems() {
  LoadStrategyWorkbook();
  // Rows are numbered per nation group: nation 1, nation 9, all others.
  int numbers[3] = {0, 0, 0};
  for (Stock_s* stock : m_host.AutoBuyStocks()) {
    const int nation = stock->nation;
    const int group = nation == 1 ? 0 : nation == 9 ? 1 : 2;
    if (group == 0 && numbers[0] >= 10) break;
    const int account = m_host.DefaultAccount(nation);
    AppendStockRow(stock, ++numbers[group], account, false);
  }
  AddBlankRows(1, 6, numbers[0] + 1, true);
  AddBlankRows(2, 11, numbers[2] + 1, false);
  AddBlankRows(9, 11, numbers[1] + 1, false);
  m_grid.Populate();
}

void CStockBoard::SetAccountGroups(const GroupInfoMap* accounts) {
  group_info_s* first = nullptr;
  uint8_t b1 = 0, b2 = 0, b3 = 0;
  GfxFillGroupInfoConstraints(&m_grid, CStockBuyItemRecord::kColAccount, accounts, &first, &b1,
                              &b2, &b3, 1, 1);
  if (first) {
    for (int i = 0; i < m_grid.GetRecordCount(); ++i) {
      CStockBuyItemRecord* row = Row(i);
      if (row->GetOptionsValue(CStockBuyItemRecord::kColAccount) < 1)
        row->SetOptionsValue(CStockBuyItemRecord::kColAccount, first->key);
    }
  }
  m_grid.RedrawControl();
}

double CStockBoard::BasePriceOf(const Stock_s* stock, int nation) {
  if (!stock) return 0;
  return nation == 9 ? stock->coin_prices[0] : stock->cur_price;
}

void CStockBoard::ApplyBuyBands(Stock_s* stock, CStockBuyItemRecord* row, double basePrice,
                                const BuyBandPreset_s& preset, bool redraw) {
  m_lastPreset = preset;
  const BuyBands_s bands = ComputeBuyBands(basePrice, preset, m_buyAmount ? *m_buyAmount : 0);
  double tolerance1 = 0, tolerance2 = 0, count = 0, limit = 0, price = 0;
  if (stock) {
    StockLock lock(m_host);
    StockBuySettings_s& b = stock->buy;
    b.band1_low = b.band1_low_work = bands.band1Low;
    b.band1_high = b.band1_high_work = bands.band1High;
    b.band2_low = b.band2_low_work = bands.band2Low;
    b.band2_high = b.band2_high_work = bands.band2High;
    b.band1_qty = bands.band1Qty;
    b.count = bands.band1Qty;
    b.band2_qty = bands.band2Qty;
    if (basePrice <= 0) {
      b.tolerance1 = kZeroBandTolerance;
      b.tolerance2 = kZeroBandTolerance;
    }
    tolerance1 = b.tolerance1;
    tolerance2 = b.tolerance2;
    count = b.count;
    limit = b.limit;
    price = stock->cur_price;
  } else if (basePrice <= 0) {
    tolerance1 = tolerance2 = kZeroBandTolerance;
  }
  if (row) {
    row->SetNumberValue(CStockBuyItemRecord::kColBand1Low, bands.band1Low);
    row->SetNumberValue(kColBand1Tolerance, tolerance1);
    row->SetNumberValue(kColBand1High, bands.band1High);
    row->SetNumberValue(CStockBuyItemRecord::kColBuyCount, std::trunc(count));
    row->SetNumberValue(CStockBuyItemRecord::kColBuyLimit, limit);
    row->SetNumberValue(CStockBuyItemRecord::kColCurPrice, price);
    row->SetNumberValue(CStockBuyItemRecord::kColBand2Low, bands.band2Low);
    row->SetNumberValue(kColBand2Tolerance, tolerance2);
    row->SetNumberValue(kColBand2High, bands.band2High);
    row->SetNumberValue(kColAmountNeeded, bands.amountNeeded);
  }
  if (redraw) m_grid.RedrawControl();
}

bool CStockBoard::ApplyMenuPreset(int command, const std::vector<CStockBuyItemRecord*>& rows) {
  for (const MenuPreset& p : kMenuPresets) {
    if (p.command != command) continue;
    const BuyBandPreset_s preset{p.first, p.second, kMenuPresetWidth, p.value};
    for (CStockBuyItemRecord* row : rows) {
      Stock_s* stock = StockOfRow(row);
      if (!stock) continue;
      // The bands start from the stock's current price, as on code entry.
      const int nation = static_cast<int>(row->GetOptionsValue(CStockBuyItemRecord::kColNation));
      ApplyBuyBands(stock, row, BasePriceOf(stock, nation), preset, false);
      row->SetModified(true);
    }
    m_grid.RedrawControl();
    return true;
  }
  return false;
}

Stock_s* CStockBoard::StockOfRow(const CStockBuyItemRecord* row) const {
  if (!row) return nullptr;
  const std::wstring code = row->GetTextValue(CStockBuyItemRecord::kColCode);
  if (code.empty()) return nullptr;
  const auto nation =
      static_cast<uint8_t>(row->GetOptionsValue(CStockBuyItemRecord::kColNation));
  return m_host.FindMasterStock(nation, code);
}

void CStockBoard::ShowStockInRow(const Stock_s* stock, CStockBuyItemRecord* row) {
  StockLock lock(m_host);
  row->SetTextValue(CStockBuyItemRecord::kColCode, stock->code);
  row->SetTextValue(CStockBuyItemRecord::kColName, stock->name);
  row->SetOptionsValue(CStockBuyItemRecord::kColMarket, stock->market);
  row->SetOptionsValue(CStockBuyItemRecord::kColCafe, stock->cafe_index);
  row->SetNumberValue(kColChangeRate, stock->change_rate);
  row->SetNumberValue(kColChange, stock->change);
  row->SetCheckValue(CStockBuyItemRecord::kColCredit, stock->buy.credit != 0);
  row->SetCheckValue(CStockBuyItemRecord::kColAutoBuy, stock->auto_buy != 0);
}

void CStockBoard::ClearRowStock(CStockBuyItemRecord* row) {
  row->SetTextValue(CStockBuyItemRecord::kColName, L"");
  row->SetNumberValue(CStockBuyItemRecord::kColCurPrice, 0);
}

bool CStockBoard::CheckBand1Edit(CStockBuyItemRecord* row, Stock_s* stock, int column) {
  const bool isLow = column == CStockBuyItemRecord::kColBand1Low;
  const double v = row->GetNumberValue(column);
  double low, high, price;
  {
    StockLock lock(m_host);
    low = stock->buy.band1_low;
    high = stock->buy.band1_high;
    price = stock->cur_price;
  }
  auto restore = [&] { row->SetNumberValue(column, isLow ? low : high); };
  if (isLow ? high <= v : v <= low) {
    ShowError(isLow ? kTextLowAboveHigh : kTextHighBelowLow);
    restore();
    return false;
  }
  bool clearAutoBuy = false;
  if (v >= price) {
    if (!Ask(kTextAboveCurrent)) {
      restore();
      return false;
    }
    clearAutoBuy = true;
  }
  StockLock lock(m_host);
  if (isLow)
    stock->buy.band1_low = stock->buy.band1_low_work = v;
  else
    stock->buy.band1_high = stock->buy.band1_high_work = v;
  if (clearAutoBuy) stock->auto_buy = 0;
  row->SetCheckValue(CStockBuyItemRecord::kColAutoBuy, stock->auto_buy != 0);
  return true;
}

void CStockBoard::OnValueChanged(CStockBuyItemRecord* row, int column) {
  if (!row) return;
  const auto nation = static_cast<uint8_t>(row->GetOptionsValue(CStockBuyItemRecord::kColNation));
  switch (column) {
    case CStockBuyItemRecord::kColCode: {
      const std::wstring text = row->GetTextValue(CStockBuyItemRecord::kColCode);
      Stock_s* stock = text.empty() ? nullptr : m_host.FindMasterStock(nation, text);
      if (!stock && !text.empty()) stock = m_host.SearchStockByName(nation, text);
      if (stock) {
        m_host.SetCurStock(stock->market, stock->code);
        {
          StockLock lock(m_host);
          stock->buy.limit = m_host.DefaultBuyLimit();
        }
        ShowStockInRow(stock, row);
        ApplyBuyBands(stock, row, BasePriceOf(stock, nation), kCodeEntryPreset, false);
        m_rowCodes[row] = stock->code;
      } else {
        // The stock the row referred to leaves the view's own list; the row is emptied.
        auto it = m_rowCodes.find(row);
        if (it != m_rowCodes.end()) {
          m_host.RemoveFromAutoBuyList(nation, it->second);
          m_rowCodes.erase(it);
        }
        ClearRowStock(row);
      }
      break;
    }
    case CStockBuyItemRecord::kColBuyLimit: {
      if (Stock_s* stock = StockOfRow(row)) {
        StockLock lock(m_host);
        stock->buy.limit = row->GetNumberValue(column);
        row->SetNumberValue(column, stock->buy.limit);
      }
      break;
    }
    case CStockBuyItemRecord::kColBand1Low:
    case kColBand1High:
      if (Stock_s* stock = StockOfRow(row)) CheckBand1Edit(row, stock, column);
      break;
    case kColBand1Tolerance:
    case CStockBuyItemRecord::kColBand2Low:
    case kColBand2Tolerance:
    case kColBand2High:
      if (Stock_s* stock = StockOfRow(row)) {
        StockLock lock(m_host);
        const double v = row->GetNumberValue(column);
        StockBuySettings_s& b = stock->buy;
        if (column == kColBand1Tolerance) b.tolerance1 = v;
        if (column == CStockBuyItemRecord::kColBand2Low) b.band2_low = b.band2_low_work = v;
        if (column == kColBand2Tolerance) b.tolerance2 = v;
        if (column == kColBand2High) b.band2_high = b.band2_high_work = v;
      }
      break;
    default:
      break;
  }
  m_grid.RedrawControl();
  row->SetModified(true);
}

void CStockBoard::OnCheckChanged(CStockBuyItemRecord* row, int column) {
  if (!row) return;
  Stock_s* stock = StockOfRow(row);
  const bool checked = row->GetCheckValue(column);
  if (column == CStockBuyItemRecord::kColAutoBuy) {
    if (stock) {
      bool zeroBands;
      {
        StockLock lock(m_host);
        stock->auto_buy = checked ? 1 : 0;
        const StockBuySettings_s& b = stock->buy;
        zeroBands = b.band1_low <= 0 || b.band1_high <= 0 || b.band2_low <= 0 || b.band2_high <= 0;
      }
      if (zeroBands) ApplyBuyBands(stock, row, 0, m_lastPreset, false);
    }
    row->SetItemBackColor(column, checked ? 0x0000FF : 0xE6E022);
  } else if (column == CStockBuyItemRecord::kColCredit) {
    if (stock) {
      StockLock lock(m_host);
      stock->buy.credit = checked ? 1 : 0;
    }
  }
  row->SetModified(true);
  m_grid.RedrawControl();
}

bool CStockBoard::RefreshScores() {
  bool changed = false;
  for (int i = 0; i < m_grid.GetRecordCount(); ++i) {
    CStockBuyItemRecord* row = Row(i);
    Stock_s* stock = StockOfRow(row);
    if (!stock) continue;
    double scores[2];
    {
      StockLock lock(m_host);
      scores[0] = stock->day_score;
      scores[1] = stock->minute_score;
    }
    const int columns[2] = {CStockBuyItemRecord::kColDayScore, CStockBuyItemRecord::kColMinuteScore};
    for (int k = 0; k < 2; ++k) {
      row->SetNumberValue(columns[k], scores[k]);
      row->SetItemTextColor(columns[k],
                            scores[k] > 65 ? 0x0000FF : scores[k] < 0 ? 0xFF0000 : 0x000000);
    }
    changed = true;
  }
  if (changed) m_grid.RedrawControl();
  return changed;
}

void CStockBoard::ToggleAutoBuyWatch() {
  if (m_host.IsAutoBuyOn()) {
    m_host.SetAutoBuy(false);
    return;
  }
  int watched = 0, autoBuy = 0;
  CountWatchRows(&watched, &autoBuy);
  if (watched == 0) {
    ShowError(kTextNoWatch);
    return;
  }
  const std::string question =
      autoBuy > 0 ? FormatInts(kTextWatchAutoBuy, autoBuy) : FormatInts(kTextWatchOnly, watched);
  if (!Ask(question)) return;
  SaveBuyItems(false, false);
  m_host.SetAutoBuy(true);
}

bool CStockBoard::RemoveRowStock(CStockBuyItemRecord* row) {
  Stock_s* stock = StockOfRow(row);
  if (!stock) return false;
  if (!Ask(FormatText(kTextRemoveQuestion, WideToUtf8(stock->name)))) return false;
  m_host.RemoveFromAutoBuyList(stock->market, stock->code);
  row->SetModified(false);
  m_rowCodes.erase(row);
  m_grid.RemoveRecord(row);
  m_grid.Populate();
  return true;
}

int CStockBoard::CountWatchRows(int* watched, int* autoBuy) const {
  int w = 0, a = 0, modified = 0;
  for (int i = 0; i < m_grid.GetRecordCount(); ++i) {
    const CStockBuyItemRecord* row = Row(i);
    if (row->IsModified()) ++modified;
    if (row->GetTextValue(CStockBuyItemRecord::kColCode).empty()) continue;
    ++w;
    if (row->GetCheckValue(CStockBuyItemRecord::kColAutoBuy)) ++a;
  }
  if (watched) *watched = w;
  if (autoBuy) *autoBuy = a;
  return modified;
}

void CStockBoard::SaveBuyItems(bool force, bool ask) {
  int watched = 0, autoBuy = 0;
  const int modified = CountWatchRows(&watched, &autoBuy);
  if (modified > 0 || force) {
    if (watched == 0) {
      if (ask) ShowError(kTextNoStocks);
    } else if (!ask || Ask(FormatInts(kTextSaveQuestion, autoBuy, watched))) {
      m_host.ClearMyStockList(false);
      int added = 0;
      for (int i = 0; i < m_grid.GetRecordCount(); ++i) {
        CStockBuyItemRecord* row = Row(i);
        row->SetModified(false);
        const std::wstring code = row->GetTextValue(CStockBuyItemRecord::kColCode);
        if (code.empty()) continue;
        const auto nation =
            static_cast<uint8_t>(row->GetOptionsValue(CStockBuyItemRecord::kColNation));
        if (!m_host.AddToAutoBuyList(nation, code,
                                     row->GetCheckValue(CStockBuyItemRecord::kColAutoBuy)))
          continue;
        ++added;
      }
      if (added > 0) m_host.RefreshAllStockGrids();
      m_grid.RedrawControl();
      std::string error;
      const std::string path = StrategyWorkbookPath(m_host.ProgramFolder());
      if (!ExportStrategyWorkbook(path, &error)) ShowError(FormatText(kTextWorkbookFailed, error));
    }
  }
  orv::win::WriteProfileInt(kSettingsSection, orv::win::UserIndexKey(kSearchModeKey, m_host.UserIndex()), m_searchMode);
}

bool CStockBoard::ExportStrategyWorkbook(const std::string& path, std::string* error) {
  orv::xl::CXlBook book;
  int index = -1;
  bool added = false;
  orv::xl::CXlSheet* sheet = FindSheet(book, kStrategySheetName, &index, true, &added);
  if (!sheet) {
    if (error) *error = "no sheet";
    return false;
  }
  for (int c = 0; c < 29; ++c) sheet->SetString(0, c, kStrategyHeader[c]);
  for (int r = 0; r < m_grid.GetRecordCount(); ++r) {
    const CStockBuyItemRecord* row = Row(r);
    for (int c = 0; c < 29; ++c) {
      switch (c) {
        // Option and check cells keep their values (nation, account, flags), not their labels.
        case 2: case 3: case 4: case 5: case 13:
          sheet->SetNumber(r + 1, c, static_cast<double>(row->GetOptionsValue(c)));
          break;
        case 11: case 12:
          sheet->SetNumber(r + 1, c, row->GetCheckValue(c) ? 1 : 0);
          break;
        case 1: case 17:
          sheet->SetNumber(r + 1, c, std::trunc(CaptionNumber(row, c)));
          break;
        case 6: case 7: case 14: case 15: case 16: case 24: case 28:
          sheet->SetString(r + 1, c, WideToUtf8(row->GetItemCaption(c)));
          break;
        default:
          sheet->SetNumber(r + 1, c, CaptionNumber(row, c));
          break;
      }
    }
  }
  // The program folder's template folder may not exist yet.
  const size_t slash = path.rfind('/');
  if (slash != std::string::npos) ::mkdir(path.substr(0, slash).c_str(), 0755);
  return book.SaveXlsx(path, error);
}

int CStockBoard::LoadStrategyWorkbook() {
  m_grid.ResetContent();
  m_rowCodes.clear();
  orv::xl::CXlBook book;
  if (!book.LoadXlsx(StrategyWorkbookPath(m_host.ProgramFolder()))) return -1;
  int index = -1;
  const orv::xl::CXlSheet* sheet = FindSheet(book, kStrategySheetName, &index, false, nullptr);
  if (!sheet) return -1;
  int loaded = 0;
  for (int r = 1; r < sheet->LastRow(); ++r) {
    std::string cells[29];
    for (int c = 0; c < 29; ++c) cells[c] = CellText(*sheet, r, c);
    const std::wstring code = Utf8ToWide(cells[6]);
    if (code.size() <= 3) continue;
    const auto nation = static_cast<uint8_t>(std::atoi(cells[3].c_str()));
    Stock_s* stock = m_host.FindMasterStock(nation, code);
    if (!stock || m_host.InAutoBuyList(stock->market, stock->code)) continue;
    auto num = [&](int c) { return std::atof(cells[c].c_str()); };
    {
      StockLock lock(m_host);
      StockBuySettings_s& b = stock->buy;
      b.limit = num(18);
      b.band1_low = b.band1_low_work = num(21);
      b.tolerance1 = PositiveOr(num(22), kWorkbookDefaultTolerance);
      b.band1_high = b.band1_high_work = (b.tolerance1 / 100 + 1) * b.band1_low;
      b.credit = static_cast<uint8_t>(std::atoi(cells[11].c_str()) != 0);
      stock->auto_buy = static_cast<uint8_t>(std::atoi(cells[12].c_str()) != 0);
      b.band2_low = b.band2_low_work = num(25);
      b.tolerance2 = PositiveOr(num(kColBand2Tolerance), kWorkbookDefaultTolerance);
      b.band2_high = b.band2_high_work = (b.tolerance2 / 100 + 1) * b.band2_low;
    }
    m_host.AddToAutoBuyList(stock->market, stock->code, stock->auto_buy != 0);
    CStockBuyItemRecord* row =
        AppendStockRow(stock, std::atoi(cells[1].c_str()), std::atoi(cells[2].c_str()),
                       stock->buy.credit != 0);
    row->SetOptionsValue(CStockBuyItemRecord::kColCafe, std::atoi(cells[5].c_str()));
    row->SetOptionsValue(CStockBuyItemRecord::kColAlgorithm, std::atoi(cells[13].c_str()));
    row->SetNumberValue(kColAmountBought, num(20));
    row->SetTimeValue(CStockBuyItemRecord::kColBand1Time, ParseBuyTime(cells[24]));
    row->SetTimeValue(CStockBuyItemRecord::kColBand2Time, ParseBuyTime(cells[28]));
    ++loaded;
  }
  m_grid.Populate();
  return loaded;
}
