#include "plugin/view/engine/EnvelopeScore.h"

#include <cmath>

double ScoreEnvelopePosition(double p, const double levels[3], double base, double upper,
                             double out[5]) {
  for (int i = 0; i < 5; ++i) out[i] = 0;
  double score = p > levels[0] ? 1 : -1;
  if (p > levels[1]) score += 2;
  if (p > levels[2]) score += 3;
  out[0] = score;
  const double l2 = levels[1];
  // Distances are relative to the base: without one there is nothing more to score.
  if (!(l2 > 0) || !(p > 0) || base == 0) return score;
  const double b = base;
  const double u = upper;
  const double d0 = (p - b) / b * 100;
  const double d2 = (l2 - b) / b * 100;
  out[1] = d2;
  double r = std::fabs(d0) < 0.000001 ? d2 * 10000 : std::fabs(d2 / d0);
  if (b > l2) r = -r;
  out[2] = r;
  out[3] = r * (u - b) / b * 100;
  double m = 1.0;
  if (u < p && p < b)
    m += (b - p) / b * 100;
  else if (b < p && p < u)
    m -= (p - b) / b * 100;
  if (u < l2 && l2 < b)
    m += (b - l2) / b * 200;
  else if (b < l2 && l2 < u)
    m -= (l2 - b) / b * 200;
  out[4] = m * r;
  return m;
}
