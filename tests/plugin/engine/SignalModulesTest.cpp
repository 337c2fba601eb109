// The signal-module loader over real modules built by the tests ("QLX_alpha.so",
// "QLX_beta.so", and "QLX_partial.so" without signal entries) copied into a program folder's
// "PlugIn" folder: the scan, the selection by name and index with its fallback, the unload
// before the next load, and the trade-signal call.

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "plugin/view/engine/SignalModules.h"
#include "tests/plugin/engine/EngineTestSupport.h"

namespace fs = std::filesystem;

namespace {

class SignalModules : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(program_.Path() + "PlugIn");
    fs::create_directories(program_.Path() + "Log");
    modules_.SetFolders(program_.WidePath(), program_.WidePath() + L"Log/");
  }
  // Copies the built module `built` into the PlugIn folder as "QLX_<name>.so".
  void Install(const std::string& built, const std::string& name) {
    fs::copy_file(std::string(QLX_MODULE_DIR) + "QLX_" + built + ".so",
                  program_.Path() + "PlugIn/QLX_" + name + ".so",
                  fs::copy_options::overwrite_existing);
  }
  // The calls the modules noted, one per line.
  std::vector<std::string> Calls() {
    std::vector<std::string> lines;
    std::stringstream in(ReadBytes(program_.Path() + "Log/signal_calls.txt"));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  TempDataFolder program_;
  CSignalModules modules_;
};

TEST_F(SignalModules, ScanListsModuleNamesAndSkipsOtherEntries) {
  Install("alpha", "alpha");
  Install("beta", "beta");
  Install("partial", "");  // "QLX_.so": an empty name
  fs::create_directories(program_.Path() + "PlugIn/QLX_folder.so");
  WriteBytes(program_.Path() + "PlugIn/other.so", "x");
  WriteBytes(program_.Path() + "PlugIn/QLX_text.txt", "x");
  std::wstring list, first = L"stale";
  EXPECT_EQ(modules_.ScanSignalModules(&list, &first), 0);
  EXPECT_EQ(list, L";alpha;beta;");
  EXPECT_EQ(first, L"");
  // Without the first-name buffer nothing is scanned.
  list = L"kept";
  modules_.ScanSignalModules(&list, nullptr);
  EXPECT_EQ(list, L"kept");
}

TEST_F(SignalModules, NoFolderOrNoModuleLeavesTheViewWithoutAModule) {
  fs::remove_all(program_.Path() + "PlugIn");
  modules_.SelectSignalModule(L"alpha");
  EXPECT_FALSE(modules_.Loaded());
  EXPECT_EQ(modules_.ModuleName(), L"");
  double params[kSignalParamCount]{};
  EXPECT_EQ(modules_.CalcTradeSignal(8, true, SignalOptions_s{}, params, nullptr), -1);
  int signal = 7;
  EXPECT_FALSE(modules_.CalcBuySignal(0, L"005930", L"n", SignalOptions_s{}, SignalAnalysis_s{},
                                      1, 0, 0, 1, &signal, nullptr, nullptr));
  EXPECT_EQ(signal, 7);
  // A file that is no library fails to load the same way.
  WriteBytes(program_.Path() + "PlugIn/../broken.so", "not a library");
  EXPECT_FALSE(modules_.LoadSignalModule((program_.WidePath() + L"broken.so").c_str()));
  EXPECT_FALSE(modules_.Loaded());
}

TEST_F(SignalModules, MissingNameFallsBackToTheFirstModuleAndResetsTheIndex) {
  Install("alpha", "alpha");
  Install("beta", "beta");
  modules_.SelectSignalModule(L"");  // the start-up with nothing stored
  EXPECT_EQ(modules_.ModuleName(), L"alpha");
  EXPECT_EQ(modules_.ModuleList(), L"alpha;beta;");
  ASSERT_TRUE(modules_.SelectSignalModuleByIndex(1));
  EXPECT_EQ(modules_.ModuleName(), L"beta");
  EXPECT_EQ(modules_.SelectedIndex(), 1);
  EXPECT_EQ(modules_.Caption(), L"beta title(1.2) - beta signals");

  modules_.SelectSignalModule(L"gamma");  // its file is missing
  EXPECT_EQ(modules_.ModuleName(), L"alpha");
  EXPECT_EQ(modules_.SelectedIndex(), 0);
  EXPECT_TRUE(modules_.Loaded());
  EXPECT_EQ(modules_.Caption(), L"alpha title(1.2) - alpha signals");
  EXPECT_FALSE(modules_.SelectSignalModuleByIndex(2)) << "past the list's end";
}

// The stored module found at once: the list still names every module of the folder, with the
// stored one's place selected, so the module combos can offer them.
TEST_F(SignalModules, AStoredModuleFoundAtOnceStillListsTheFolder) {
  Install("alpha", "alpha");
  Install("beta", "beta");
  modules_.SelectSignalModule(L"beta");
  EXPECT_TRUE(modules_.Loaded());
  EXPECT_EQ(modules_.ModuleName(), L"beta");
  EXPECT_EQ(modules_.ModuleList(), L"alpha;beta;");
  EXPECT_EQ(modules_.SelectedIndex(), 1);
}

TEST_F(SignalModules, SelectingAnotherModuleClosesTheFirstBeforeLoadingTheSecond) {
  Install("alpha", "alpha");
  Install("beta", "beta");
  modules_.SelectSignalModule(L"alpha");
  modules_.SelectSignalModule(L"beta");
  modules_.UnloadSignalModule();
  EXPECT_FALSE(modules_.Loaded());
  const std::string program = program_.Path();
  const std::vector<std::string> expected = {
      "alpha SetDirs " + program, "alpha GetModuleInfo", "alpha ModuleClose",
      "beta SetDirs " + program,  "beta GetModuleInfo",  "beta ModuleClose"};
  EXPECT_EQ(Calls(), expected);
}

TEST_F(SignalModules, AModuleWithoutSignalEntriesAnswersAsNoModule) {
  Install("partial", "partial");
  modules_.SelectSignalModule(L"partial");
  EXPECT_TRUE(modules_.Loaded());
  EXPECT_FALSE(modules_.HasBuySignal());
  EXPECT_EQ(modules_.Title(), L"partial title");
  double params[kSignalParamCount]{};
  EXPECT_EQ(modules_.CalcTradeSignal(1, false, SignalOptions_s{}, params, nullptr), -1);
}

TEST_F(SignalModules, TradeSignalHandsTheKindCodeForKindAndFlag) {
  Install("alpha", "alpha");
  modules_.SelectSignalModule(L"alpha");
  struct Case {
    int kind;
    bool flag;
    int code;
  };
  const Case cases[] = {{8, true, 12}, {8, false, 4}, {7, true, 9},
                        {7, false, 1}, {3, true, 8},  {3, false, 0}};
  for (const Case& c : cases) {
    double params[kSignalParamCount]{};
    params[0] = 5;
    params[1] = 2.5;
    double result = 0;
    EXPECT_EQ(modules_.CalcTradeSignal(c.kind, c.flag, SignalOptions_s{}, params, &result),
              c.code * 100 + 5)
        << "kind " << c.kind << " flag " << c.flag;
    EXPECT_DOUBLE_EQ(result, 2.5);
  }
}

}  // namespace
