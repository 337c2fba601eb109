#include "plugin/brokers/BrokerHosts.h"

#include "platform/win/Registry.h"

namespace {

std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return {};
  const size_t last = text.find_last_not_of(" \t\r\n");
  return text.substr(first, last - first + 1);
}

std::string ReadHostSetting(const std::string& key, const std::string& defaultHost) {
  const std::string value = Trimmed(orv::win::GetProfileString("Settings", key, std::string()));
  return value.empty() ? defaultHost : value;
}

}  // namespace

std::string BrokerHostKey(int brokerId) { return "BrokerHost-" + std::to_string(brokerId); }

std::string ReadBrokerHost(int brokerId, const std::string& defaultHost) {
  return ReadHostSetting(BrokerHostKey(brokerId), defaultHost);
}

std::string ReadBrokerWsHost(int brokerId, const std::string& defaultHost) {
  return ReadHostSetting("BrokerWsHost-" + std::to_string(brokerId), defaultHost);
}

std::string BrokerBaseUrl(int brokerId, const std::string& defaultHost) {
  return "https://" + ReadBrokerHost(brokerId, defaultHost);
}
