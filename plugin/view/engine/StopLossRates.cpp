// The automatic stop-loss rate table: rows "name=value,value,value[,comment]" separated by ';'
// that set the take-profit, the step width and the stop-loss of every holding by the band its
// profit rate is in.

#include <cmath>
#include <cwctype>
#include <string>

#include "platform/win/CriticalSection.h"
#include "plugin/view/engine/PelomarEngine.h"

namespace {
constexpr size_t kMaxRowLen = 299;
constexpr double kNoStopLoss = -100.0;
constexpr double kMinTableValue = 1.0;

// Band rows, lowest first, with the lowest correction each allows (band 0 has none).
struct BandRow {
  const wchar_t* name;
  double correctionFloor;
};
constexpr BandRow kBandRows[AutoStopLossRates_s::kBands] = {
    {L"4.9% 이하 수익권", 0},   {L"5~14.9% 수익권", -4},    {L"15~29.9% 수익권", -8},
    {L"30%이상 수익권", -15},  {L"50%이상 수익권", -15},
};
// Profit rates from which a band starts (band 0: anything below 5).
constexpr double kBandStarts[AutoStopLossRates_s::kBands] = {0, 5, 15, 30, 50};
constexpr const wchar_t* kStopLineRows[3] = {L"(국내) 손절 라인", L"(해외) 손절 라인",
                                             L"(코인) 손절 라인"};

std::wstring Trim(const std::wstring& text) {
  size_t begin = 0, end = text.size();
  while (begin < end && std::iswspace(text[begin])) ++begin;
  while (end > begin && std::iswspace(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

bool SameName(const std::wstring& a, const wchar_t* b) {
  const std::wstring other(b);
  if (a.size() != other.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::towlower(a[i]) != std::towlower(other[i])) return false;
  return true;
}

// The first three numbers of a row's value list; missing or unreadable ones are 0.
void ReadValues(const std::wstring& list, double (&values)[3]) {
  size_t start = 0;
  for (double& value : values) {
    value = 0;
    if (start > list.size()) continue;
    const size_t comma = list.find(L',', start);
    const std::wstring field =
        Trim(list.substr(start, comma == std::wstring::npos ? std::wstring::npos : comma - start));
    wchar_t* end = nullptr;
    const double read = std::wcstod(field.c_str(), &end);
    if (end != field.c_str() && std::isfinite(read)) value = read;
    start = comma == std::wstring::npos ? list.size() + 1 : comma + 1;
  }
}

double AtLeastOne(double value) { return std::max(kMinTableValue, std::fabs(value)); }
}  // namespace

std::wstring AutoStopLossRatesInForce(const std::wstring& stored) {
  // The table a new user starts with.
  static const wchar_t kDefaultTable[] =
      L"4.9% 이하 수익권=5,0,2,최저 5% 이익. 간격 2%;"
      L"5~14.9% 수익권=-2.5,1,5,-3% 낮게. 간격 6% 권장;"
      L"15~29.9% 수익권=-3,1,6,-5% 낮게. 간격 10% 권장;"
      L"30%이상 수익권=-3,1,7,-7% 낮게. 간격 10% 권장;"
      L"50%이상 수익권=-3,1,7,-7% 낮게. 간격 10% 권장;"
      L"(국내) 손절 라인=-100,0,0,-11% 권장. -100은 손절안함;"
      L"(해외) 손절 라인=-100,0,0,-11% 권장. -100은 손절안함;"
      L"(코인) 손절 라인=-100,0,0,-11% 권장. -100은 손절안함;"
      L"추가 손절 라인=-3,0,0,-3% 권장. 손실 중 종목 추가 손절;";
  // A stored table from before the coin line existed is replaced too.
  if (stored.empty() || stored.find(L"(코인) 손절") == std::wstring::npos) return kDefaultTable;
  return stored;
}

AutoStopLossRates_s ParseAutoStopLossRates(const std::wstring& text) {
  AutoStopLossRates_s rates;
  size_t start = 0;
  while (start <= text.size()) {
    const size_t semicolon = text.find(L';', start);
    std::wstring row =
        text.substr(start, semicolon == std::wstring::npos ? std::wstring::npos : semicolon - start);
    start = semicolon == std::wstring::npos ? text.size() + 1 : semicolon + 1;
    if (row.size() > kMaxRowLen) row.resize(kMaxRowLen);
    const size_t equals = row.find(L'=');
    if (equals == std::wstring::npos) continue;
    const std::wstring name = Trim(row.substr(0, equals));
    double v[3];
    ReadValues(row.substr(equals + 1), v);
    // A row's values: the take-profit (band 0) or its correction, the first-band switch, the
    // step width.
    for (int band = 0; band < AutoStopLossRates_s::kBands; ++band) {
      if (!SameName(name, kBandRows[band].name)) continue;
      double value = band == 0 ? AtLeastOne(v[0]) : -std::fabs(v[0]);
      if (band > 0 && value < kBandRows[band].correctionFloor)
        value = kBandRows[band].correctionFloor;
      rates.value[band] = value;
      rates.firstBand[band] = v[1] >= 1.0;
      rates.stepWidth[band] = AtLeastOne(v[2]);
    }
    for (int line = 0; line < 3; ++line) {
      if (!SameName(name, kStopLineRows[line])) continue;
      const double value = -std::fabs(v[0]);
      rates.stopLine[line] = (v[0] >= 100.0 || value < kNoStopLoss) ? kNoStopLoss : value;
    }
  }
  // A band without its row keeps the table's floor values.
  for (int band = 0; band < AutoStopLossRates_s::kBands; ++band) {
    if (rates.stepWidth[band] == 0) rates.stepWidth[band] = kMinTableValue;
    if (band == 0 && rates.value[0] == 0) rates.value[0] = kMinTableValue;
  }
  return rates;
}

int AutoStopLossRates_s::BandOf(double profitRate) {
  for (int band = kBands - 1; band > 0; --band)
    if (profitRate >= kBandStarts[band]) return band;
  return 0;
}

int CPelomarEngine::ApplyAutoStopLossRates(const AutoStopLossRates_s& rates,
                                           std::vector<HoldingRow_s>* shown) {
  orv::win::CSingleLock lock(&m_viewLock, TRUE);
  int applied = 0;
  for (const auto& entry : m_stocks.Holdings()) {
    StockTrade_s* holding = entry.first;
    if (!holding || !holding->in_grid) continue;
    ApplyAutoStopLossRates(holding, rates);
    if (shown) shown->push_back(MakeHoldingRow(*holding));
    ++applied;
  }
  return applied;
}

void CPelomarEngine::ApplyAutoStopLossRates(StockTrade_s* holding,
                                            const AutoStopLossRates_s& rates) {
  if (!holding) return;
  // The table's levels replace the step values a new holding would take at its first check.
  TakeOverStepValues(holding);
  // Automatic trading stops until the user checks the new levels.
  holding->auto_trade = 0;
  if (holding->stock) holding->stock->listing.auto_trade = 0;

  const double profit = holding->profit_rate;
  const int band = AutoStopLossRates_s::BandOf(profit);
  const double a = rates.value[band];
  holding->step_width = rates.stepWidth[band];
  if (band > 0) {
    holding->min_take_profit = profit + a;
    holding->first_band_on = rates.firstBand[band] ? 1 : 0;
    holding->first_band_correction = rates.firstBand[band] ? -a : 0;
  } else {
    holding->min_take_profit = a;
    const double above = profit - a;
    const bool mark = rates.firstBand[0] || above > 0;
    holding->first_band_on = mark ? 1 : 0;
    holding->first_band_correction = mark && above > 0 ? above : 0;
  }

  const uint8_t market = holding->stock ? holding->stock->market : kMarketDomestic;
  const int line = (market == kMarketCoin || market == kMarketCoinBtc)          ? 2
                   : (market == kMarketOverseas || market == kMarketThird) ? 1
                                                                           : 0;
  const double stopLine = rates.stopLine[line];
  double stop = holding->stop_loss_rate;
  if (stopLine >= 0 || stopLine == kNoStopLoss)
    stop = kNoStopLoss;
  else if (stopLine <= -2)
    stop = profit <= 0 ? stopLine + profit : stopLine;
  if (stop < kNoStopLoss) stop = kNoStopLoss;
  holding->stop_loss_rate = stop;

  BuildStockLadder(holding, 1);
  ResetStockStairs(holding);
}
