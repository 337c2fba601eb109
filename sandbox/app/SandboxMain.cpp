// orvella-sandbox: serves the sandbox (a DB broker with one account and a moving market, and the
// product web server) on loopback HTTPS until SIGINT or SIGTERM, or until its parent ends.

#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "sandbox/Sandbox.h"

namespace {

constexpr const char* kUsage =
    "usage: orvella-sandbox [options]\n"
    "  --seed N          seed of the market's random walk (default 1)\n"
    "  --script FILE     follow a price script instead: one tick per line of \"code price\"\n"
    "                    pairs (\"005930 71500 000660 197000\"), \"#\" starts a comment\n"
    "  --tick-ms N       milliseconds between ticks (default 1000); 0: one tick after each\n"
    "                    answered price inquiry\n"
    "  --broker-port N   the broker's port (default: one the system picks)\n"
    "  --web-port N      the web server's port (default: one the system picks)\n"
    "  --broker db|ls    the broker whose account holds the opening holdings (default db;\n"
    "                    the other broker's account starts empty)\n"
    "  --ca FILE         where to write the CA certificate (default: sandbox-ca.pem beside\n"
    "                    the state file, or in the current folder)\n"
    "  --state FILE      write the ports and the CA path here once listening; removed on exit\n"
    "The sandbox stops on SIGINT or SIGTERM, and when the process that started it ends.\n";

bool ReadNumber(const char* text, long long low, long long high, long long* out) {
  if (!text || !*text) return false;
  errno = 0;
  char* end = nullptr;
  const long long value = std::strtoll(text, &end, 10);
  if (errno != 0 || *end != '\0' || value < low || value > high) return false;
  *out = value;
  return true;
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "orvella-sandbox: %s\n", message.c_str());
  return 2;
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

}  // namespace

int main(int argc, char** argv) {
  orv::test::SandboxOptions options;
  std::string scriptPath;
  std::string caPath;
  std::string statePath;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    long long number = 0;
    if (arg == "--seed") {
      if (!ReadNumber(value, 0, INT64_MAX, &number)) return Fail("--seed needs a number");
      options.seed = static_cast<uint64_t>(number);
    } else if (arg == "--tick-ms") {
      if (!ReadNumber(value, 0, 3600000, &number)) return Fail("--tick-ms needs 0 to 3600000");
      options.tickMs = static_cast<int>(number);
    } else if (arg == "--broker") {
      const std::string broker = value ? value : "";
      if (broker != "db" && broker != "ls") return Fail("--broker takes db or ls");
      options.lsHoldings = broker == "ls";
    } else if (arg == "--broker-port" || arg == "--web-port") {
      if (!ReadNumber(value, 1, 65535, &number)) return Fail(arg + " needs a port number");
      (arg == "--broker-port" ? options.brokerPort : options.webPort) = static_cast<int>(number);
    } else if (arg == "--script" || arg == "--ca" || arg == "--state") {
      if (!value || !*value) return Fail(arg + " needs a file");
      (arg == "--script" ? scriptPath : arg == "--ca" ? caPath : statePath) = value;
    } else {
      std::fputs(kUsage, stderr);
      return Fail("unknown argument \"" + arg + "\"");
    }
    ++i;
  }

  if (!scriptPath.empty()) {
    std::ifstream in(scriptPath, std::ios::binary);
    if (!in) return Fail("cannot read the script " + scriptPath);
    std::stringstream text;
    text << in.rdbuf();
    std::string error;
    if (!orv::test::ParseSandboxScript(text.str(), orv::test::SandboxStocks(), &options.script,
                                       &error)) {
      return Fail(scriptPath + ": " + error);
    }
    if (options.script.empty()) return Fail(scriptPath + ": the script has no price line");
  }
  if (caPath.empty()) {
    caPath = (statePath.empty() ? std::string(".") : FolderOf(statePath)) + "/sandbox-ca.pem";
  }

  // The signals are taken by sigwait below; every thread started from here on blocks them.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  sigaddset(&stopSignals, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  // A sandbox left behind by a script or test that died would hold its ports for nothing.
  const pid_t parent = getppid();
  prctl(PR_SET_PDEATHSIG, SIGTERM);
  if (getppid() != parent) return 0;

  orv::test::Sandbox sandbox(options);
  sandbox.OnServed([](const std::string& line) {
    std::printf("sandbox: %s\n", line.c_str());
    std::fflush(stdout);
  });
  std::string error;
  if (!sandbox.Start(&error)) return Fail(error);
  if (!sandbox.Ca().WriteCertificate(caPath)) return Fail("cannot write the CA to " + caPath);
  if (!statePath.empty() && !orv::test::WriteFileAtomically(statePath, sandbox.StateText(caPath))) {
    return Fail("cannot write the state file " + statePath);
  }
  const std::string path =
      options.script.empty() ? "seed " + std::to_string(options.seed) : "script " + scriptPath;
  std::printf("sandbox: broker %s, LS broker %s, web server %s, CA %s, %s\n",
              sandbox.BrokerHost().c_str(), sandbox.LsBrokerHost().c_str(),
              sandbox.WebUrl().c_str(), caPath.c_str(), path.c_str());
  std::fflush(stdout);

  int signal = 0;
  sigwait(&stopSignals, &signal);
  std::printf("sandbox: stopping (signal %d)\n", signal);
  std::fflush(stdout);
  sandbox.Stop();
  if (!statePath.empty()) std::remove(statePath.c_str());
  return 0;
}
