#pragma once
// The step ("계단") stop-loss and take-profit rules as the step watch dialog edits them: the
// loss-cut lines of domestic stocks, overseas stocks and coins, an extra loss-cut line, and for
// five profit bands a minimum profit and a step interval. Band 1 (profits up to 4.9 %) holds
// the minimum profit itself; bands 2 to 5 hold the correction added to the profit rate.

#include "plugin/view/engine/PelomarEngine.h"

struct StairRules_s {
  static constexpr int kCorrectedBands = 4;
  double minProfit = 3.8;
  double minProfitCorrection[kCorrectedBands] = {-2.0, -3.0, -3.0, -3.0};
  double stepInterval = 2.0;
  double stepIntervalCorrection[kCorrectedBands] = {5.0, 5.0, 5.0, 5.0};
  // -100 means no loss cut.
  double domesticLossCut = -100.0;
  double overseasLossCut = -100.0;
  double coinLossCut = -100.0;
  double extraLossCut = -5.0;
  // The first-band correction of every band.
  bool firstBandCorrection = true;
};

// The range a rule value may take (the dialog's spin ranges).
struct StairRange_s {
  double min;
  double max;
  double Clamp(double value) const;
};
constexpr StairRange_s kStairLossCutRange{-100.0, -2.0};
constexpr StairRange_s kStairBand1Range{1.0, 200.0};
constexpr StairRange_s kStairBandRange{-10.0, 200.0};

// Every value brought into its range (a value that is not a number takes the range's bound
// nearest the default: the lower bound of a loss-cut line, which means no loss cut).
StairRules_s ClampStairRules(const StairRules_s& rules);

// The rules as the engine's rate table applies them to a holding.
AutoStopLossRates_s ToAutoStopLossRates(const StairRules_s& rules);
