#pragma once
// A broker peer on loopback over TLS, reached the way the plug-in finds it: the host from the
// "Settings" value "BrokerHost-<broker id>" and the test CA in "<program folder>Settings/cacert.pem".
// BrokerPeerSetup is the DB broker's.

#include <cstdlib>
#include <string>

#include "platform/stocklib/StockAgentBase.h"
#include "platform/win/Registry.h"
#include "plugin/view/engine/PelomarEngine.h"
#include "tests/peers/DbBrokerPeer.h"
#include "tests/peers/TestCa.h"
#include "tests/plugin/engine/EngineTestSupport.h"

namespace orv::test {

template <class Peer, int BrokerId>
class BrokerPeerSetupFor {
 public:
  // With `keepAlive` the peer keeps connections open between requests, as a broker does.
  explicit BrokerPeerSetupFor(bool keepAlive = false) : ca("Orvella Engine Test CA"), peer(ca) {
    if (keepAlive) peer.Http().SetKeepAlive(100, 2);
    const char* previous = std::getenv("XDG_CONFIG_HOME");
    hadConfigHome_ = previous != nullptr;
    if (previous) savedConfigHome_ = previous;
    setenv("XDG_CONFIG_HOME", (folder.Path() + "config").c_str(), 1);
    ready_ = ca.IsValid() && ca.WriteCertificate(folder.Path() + "Settings/cacert.pem") &&
             peer.Start() && orv::win::AppRegistry().Open("OrvellaEngineTest", "Settings.ini");
    if (!ready_) return;
    const std::string base = peer.BaseUrl();  // "https://127.0.0.1:<port>"
    const std::string host = base.substr(base.find("://") + 3);
    ready_ = orv::win::WriteProfileString("Settings", "BrokerHost-" + std::to_string(BrokerId),
                                          host) != 0;
  }
  ~BrokerPeerSetupFor() {
    peer.Stop();
    orv::win::AppRegistry().Open("", "");
    if (hadConfigHome_)
      setenv("XDG_CONFIG_HOME", savedConfigHome_.c_str(), 1);
    else
      unsetenv("XDG_CONFIG_HOME");
  }
  bool Ready() const { return ready_; }
  // Gives the engine the program folder that holds the CA file.
  void Prepare(CPelomarEngine& engine) {
    engine.SetProgramFolder(folder.WidePath());
    engine.ResolveCaCertPath();
  }
  // The engine's agent of this broker, logged in to the peer with its account record linked
  // and price polling on (the sell pass orders only then); null when either fails.
  CStockAgentBase* LoginAgent(CPelomarEngine& engine) {
    CStockAgentBase* agent = engine.GetStockAgent(1, BrokerId, 1, nullptr, L"DB");
    if (!agent) return nullptr;
    int code = 0;
    wchar_t error[256]{};
    if (agent->LoginA(nullptr, "11112222", "key", "secret", &code, error, 256) != 1) return nullptr;
    agent->m_accountRecord.agent = agent;
    engine.m_quotePolling.store(1);
    return agent;
  }

  TempDataFolder folder;
  TestCa ca;
  Peer peer;

 private:
  bool ready_ = false;
  bool hadConfigHome_ = false;
  std::string savedConfigHome_;
};

using BrokerPeerSetup = BrokerPeerSetupFor<DbBrokerPeer, 11>;

}  // namespace orv::test
