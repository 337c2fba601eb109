#pragma once
// The envelope position score: where a value stands against three reference levels and a base
// band (base b, upper u). The stock grid rows show its outputs as the forecast columns.

// Inputs: p the current value, levels[0..2] the three reference levels, base and upper.
// out[0] the level score (+1 above the first level, else -1; +2 above the second; +3 above the
// third), out[1] the second level's distance from the base in percent, out[2] that distance
// against the current value's, out[3] it scaled by the band width, out[4] the weighted score.
// Answers the score: the weight m when the second level and the value are positive, else the
// level score.
double ScoreEnvelopePosition(double p, const double levels[3], double base, double upper,
                             double out[5]);
