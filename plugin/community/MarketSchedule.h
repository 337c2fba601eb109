#pragma once
// The trading view's market schedule: six domestic and two overseas times of day (hhmm
// numbers). The service check sends a delay for each market; the delays shift the base times,
// they never pile up: the same delay from a second check (or from the per-account checks of
// one login) leaves the times where the first put them.

#include <array>

class CMarketSchedule {
 public:
  static constexpr int kDomesticCount = 6;
  static constexpr int kOverseasCount = 2;
  // Domestic: pre-market start, pre-market end, regular open, regular close, after-market
  // close, after-hours end; overseas: session start and end (Korean time).
  static constexpr std::array<int, kDomesticCount> kDefaultDomestic{800,  850,  900,
                                                                    1530, 1531, 2000};
  static constexpr std::array<int, kOverseasCount> kDefaultOverseas{2330, 600};

  CMarketSchedule() = default;

  // The unshifted times (hhmm); the current delays apply to them.
  void SetBaseTimes(const std::array<int, kDomesticCount>& domestic,
                    const std::array<int, kOverseasCount>& overseas);
  // A delay in hhmm form (100 = one hour, 30 = thirty minutes, negative moves earlier); 0 keeps
  // the delay in force.
  void ApplyDomesticDelay(int delay);
  void ApplyOverseasDelay(int delay);

  int DomesticDelay() const { return m_domesticDelay; }
  int OverseasDelay() const { return m_overseasDelay; }
  // The shifted times.
  int Domestic(int index) const;
  int Overseas(int index) const;
  const std::array<int, kDomesticCount>& BaseDomestic() const { return m_baseDomestic; }
  const std::array<int, kOverseasCount>& BaseOverseas() const { return m_baseOverseas; }

  // hhmm + delay (hhmm) as times of day: minutes carry into hours and the result wraps around
  // midnight (2330 + 100 = 30).
  static int AddHhmm(int hhmm, int delay);

 private:
  std::array<int, kDomesticCount> m_baseDomestic = kDefaultDomestic;
  std::array<int, kOverseasCount> m_baseOverseas = kDefaultOverseas;
  int m_domesticDelay = 0;
  int m_overseasDelay = 0;
};
