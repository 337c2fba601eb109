#include "plugin/community/MarketSchedule.h"

#include <cstdlib>

namespace {
int ToMinutes(int hhmm) {
  const int sign = hhmm < 0 ? -1 : 1;
  const int value = std::abs(hhmm);
  return sign * ((value / 100) * 60 + value % 100);
}
}  // namespace

void CMarketSchedule::SetBaseTimes(const std::array<int, kDomesticCount>& domestic,
                                   const std::array<int, kOverseasCount>& overseas) {
  m_baseDomestic = domestic;
  m_baseOverseas = overseas;
}

void CMarketSchedule::ApplyDomesticDelay(int delay) {
  if (delay != 0) m_domesticDelay = delay;
}

void CMarketSchedule::ApplyOverseasDelay(int delay) {
  if (delay != 0) m_overseasDelay = delay;
}

int CMarketSchedule::Domestic(int index) const {
  if (index < 0 || index >= kDomesticCount) return 0;
  return m_domesticDelay ? AddHhmm(m_baseDomestic[index], m_domesticDelay) : m_baseDomestic[index];
}

int CMarketSchedule::Overseas(int index) const {
  if (index < 0 || index >= kOverseasCount) return 0;
  return m_overseasDelay ? AddHhmm(m_baseOverseas[index], m_overseasDelay) : m_baseOverseas[index];
}

int CMarketSchedule::AddHhmm(int hhmm, int delay) {
  constexpr int kDay = 24 * 60;
  int minutes = (ToMinutes(hhmm) + ToMinutes(delay)) % kDay;
  if (minutes < 0) minutes += kDay;
  return (minutes / 60) * 100 + minutes % 60;
}
