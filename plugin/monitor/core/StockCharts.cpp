#include "plugin/monitor/core/StockCharts.h"

using orv::ui::ChartModel;
using orv::ui::ChartSeriesKind;
using orv::ui::GfxAddSeriesObjToChart;

namespace {
constexpr double kSarStart = 0.02;
constexpr double kSarMax = 0.2;
constexpr double kMacdFast = 10;
constexpr double kMacdSlow = 20;
constexpr double kMacdSignal = 9;
constexpr double kDayMargin = 0.01;
constexpr int kMinuteLabelDivisor = 100;

// Colours (0x00BBGGRR) of the lines drawn over the candles.
constexpr uint32_t kSarColour = 0x00A000A0;
constexpr uint32_t kEnvelopeEdgeColour = 0x00808080;
constexpr uint32_t kEnvelopeMidColour = 0x0000A0E0;
constexpr uint32_t kMacdColour = 0x00008000;

const double* Data(const std::vector<double>& values, int count) {
  return static_cast<int>(values.size()) >= count && count > 0 ? values.data() : nullptr;
}

// The arrays of one chart's bars as FillChartSeries takes them.
ChartFillBars FillBars(const ChartBars_s& bars, const std::vector<double>& sar,
                       const std::vector<double>& macd) {
  const int n = bars.Count();
  ChartFillBars fill;
  fill.count = n;
  fill.labels = static_cast<int>(bars.labels.size()) >= n ? bars.labels.data() : nullptr;
  fill.open = Data(bars.open, n);
  fill.low = Data(bars.low, n);
  fill.high = Data(bars.high, n);
  fill.close = Data(bars.close, n);
  fill.sar = Data(sar, n);
  fill.macd = Data(macd, n);
  fill.envLow = Data(bars.envLow, n);
  fill.envMid = Data(bars.envMid, n);
  fill.envHigh = Data(bars.envHigh, n);
  return fill;
}

// SAR and MACD of one chart's bars into fresh arrays.
void ComputeIndicators(const ChartBars_s& bars, std::vector<double>* sar,
                       std::vector<double>* macd) {
  const int n = bars.Count();
  sar->assign(n, 0.0);
  macd->assign(n, 0.0);
  if (static_cast<int>(bars.high.size()) >= n && static_cast<int>(bars.low.size()) >= n)
    CalcParabolicSar(bars.high.data(), bars.low.data(), n, sar->data(), kSarStart, kSarMax);
  CalcMacd(bars.close.data(), n, macd->data(), kMacdFast, kMacdSlow, kMacdSignal, nullptr,
           nullptr);
}

void Colour(orv::ui::ChartSeries* series, uint32_t colour) {
  if (series) series->colour = colour;
}
}  // namespace

CStockChartSet::CStockChartSet() { CreateSeries(); }

void CStockChartSet::CreateSeries() {
  // The day chart: candles and their lines on the price axis, MACD on the second axis.
  day_.RemoveAllSeries();
  daySeries_.candle = GfxAddSeriesObjToChart(&day_, "Candle", 13, 0, 0, 1, 0);
  day_.secondaryAxis = true;
  orv::ui::ChartAxis& macdAxis = day_.ValueAxis(1);
  macdAxis.farSide = true;
  macdAxis.visible = true;
  macdAxis.labels = true;
  macdAxis.title = "MACD";
  macdAxis.titleVisible = true;
  macdAxis.gridLines = false;
  macdAxis.constantLines = {0.0};
  daySeries_.sar = GfxAddSeriesObjToChart(&day_, "SAR", 0, 1, 0, 1, 0);
  daySeries_.envLow = GfxAddSeriesObjToChart(&day_, "Envelope.Low", 1, 0, 0, 1, 0);
  daySeries_.envMid = GfxAddSeriesObjToChart(&day_, "Envelope.Mid", 1, 0, 0, 1, 0);
  daySeries_.envHigh = GfxAddSeriesObjToChart(&day_, "Envelope.High", 1, 0, 0, 1, 0);
  GfxAddSeriesObjToChart(&day_, "RSI", 1, 0, 0, 1, 0);
  daySeries_.macd = GfxAddSeriesObjToChart(&day_, "MACD", 1, 0, 0, 1, 0);
  daySeries_.macd->axis = 1;
  day_.AddSeries("Signal", ChartSeriesKind::kLine);
  day_.AddSeries("Histogram", ChartSeriesKind::kBar);

  // The minute chart: every series on the price axis.
  minute_.RemoveAllSeries();
  minuteSeries_.candle = minute_.AddSeries("Candle", ChartSeriesKind::kCandle);
  minute_.secondaryAxis = true;
  minute_.ValueAxis(1).farSide = true;
  minute_.ValueAxis(1).gridLines = false;
  minuteSeries_.sar = GfxAddSeriesObjToChart(&minute_, "SAR", 0, 1, 0, 1, 0);
  minuteSeries_.macd = GfxAddSeriesObjToChart(&minute_, "MACD", 1, 0, 0, 1, 0);
  minuteSeries_.envLow = GfxAddSeriesObjToChart(&minute_, "Envelope.Low", 1, 0, 0, 1, 0);
  minuteSeries_.envMid = GfxAddSeriesObjToChart(&minute_, "Envelope.Mid", 1, 0, 0, 1, 0);
  minuteSeries_.envHigh = GfxAddSeriesObjToChart(&minute_, "Envelope.High", 1, 0, 0, 1, 0);

  for (const ChartFillSeries* s : {&daySeries_, &minuteSeries_}) {
    Colour(s->sar, kSarColour);
    Colour(s->envLow, kEnvelopeEdgeColour);
    Colour(s->envHigh, kEnvelopeEdgeColour);
    Colour(s->envMid, kEnvelopeMidColour);
    Colour(s->macd, kMacdColour);
  }
}

bool CStockChartSet::LoadChartData(const StockChartSnapshot_s* stock) {
  if (!stock) return false;
  ComputeIndicators(stock->day, &daySar_, &dayMacd_);
  ComputeIndicators(stock->minute, &minuteSar_, &minuteMacd_);
  FillChartSeries(&day_, daySeries_, FillBars(stock->day, daySar_, dayMacd_), 0, kDayMargin,
                  &dayExtents_);
  SetAxisRangeByRatio(&day_.ValueAxis(0), dayExtents_.priceMin, dayExtents_.priceMax, 0.3, 1.0);
  SetAxisRangeByRatio(&day_.ValueAxis(1), dayExtents_.macdMin, dayExtents_.macdMax, 0.0, 0.3);
  FillChartSeries(&minute_, minuteSeries_, FillBars(stock->minute, minuteSar_, minuteMacd_),
                  kMinuteLabelDivisor, 0, &minuteExtents_);
  return true;
}
