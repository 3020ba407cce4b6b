// Every tool and program of the package speaks alike on its command line (docs/command-line.md):
// --version prints the suite's version on stdout, --help a usage line apart from the rest, and a
// wrong command line says what is wrong and how to call the program on stderr, with exit code 64.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/exit_codes.h"
#include "core/suite_version.h"
#include "tests/support/process.h"
#include "tests/support/temp_root.h"

namespace qx {
namespace {

struct Speaker {
  std::string name;                // as it names itself
  std::vector<std::string> argv;   // the program, and what every run of it takes
  std::vector<std::string> wrong;  // a wrong command line; none where every argument is its own
};

std::vector<Speaker> Speakers() {
  const auto program = [](const std::string& name) { return std::vector<std::string>{test::Program(name)}; };
  const std::string bin = test::Program("qxreg").substr(0, test::Program("qxreg").rfind('/'));
  return {
      {"qxctl", program("qxctl"), {"touch", "here"}},
      {"qxreg", program("qxreg"), {"query"}},
      {"qxmachine", program("qxmachine"), {"--bogus"}},
      {"qxwmecomd", program("qxwmecomd"), {"--pointer", "sideways"}},
      {"qx-com-broker", program("qx-com-broker"), {"--seat"}},
      {"qx-com-serial", program("qx-com-serial"), {"attach", "ttyS0"}},
      {"unins000", program("unins000"), {"/LOUD"}},
      {"QXWMECcp", program("QXWMECcp"), {"--bogus"}},
      {"QXWMECao", program("QXWMECao"), {}},
      {"QXWMECrb", program("QXWMECrb"), {"--bogus"}},
      {"QXWMECdi", program("QXWMECdi"), {"--bogus"}},
      {"QXWMECde", program("QXWMECde"), {"--bogus"}},
      {"QXWMECvr", program("QXWMECvr"), {"--rotation", "9"}},
      {"install-suite", {std::string(QX_SOURCE_DIR) + "/package/install-suite", "--programs", bin}, {"--bogus"}},
  };
}

test::RunResult RunWith(const Speaker& s, const std::vector<std::string>& args) {
  std::vector<std::string> argv = s.argv;
  argv.insert(argv.end(), args.begin(), args.end());
  return test::Run(argv, {"QT_QPA_PLATFORM=offscreen"});
}

TEST(CommandLines, VersionHelpAndUsageErrorsFollowOneTable) {
  test::TempRoot root;
  for (const Speaker& s : Speakers()) {
    const test::RunResult version = RunWith(s, {"--version"});
    EXPECT_EQ(version.exitCode, exit_code::kOk) << s.name;
    EXPECT_EQ(version.out, s.name + " (TouchScreen QX-COM) " + kSuiteVersion + "\n") << s.name;
    EXPECT_EQ(version.err, "") << s.name;

    // The usage line stands apart, as a manual page made from the text takes it.
    const test::RunResult help = RunWith(s, {"--help"});
    EXPECT_EQ(help.exitCode, exit_code::kOk) << s.name;
    EXPECT_EQ(help.out.rfind("Usage: " + s.name, 0), 0u) << help.out;
    EXPECT_EQ(help.out.find('\n'), help.out.find("\n\n")) << help.out;
    EXPECT_NE(help.out.find("\nExit status:\n"), std::string::npos) << help.out;
    EXPECT_EQ(help.err, "") << s.name;

    if (s.wrong.empty()) continue;
    const test::RunResult wrong = RunWith(s, s.wrong);
    EXPECT_EQ(wrong.exitCode, exit_code::kUsage) << s.name;
    EXPECT_EQ(wrong.out, "") << s.name;
    EXPECT_NE(wrong.err.find("Usage: " + s.name), std::string::npos) << wrong.err;
    EXPECT_NE(wrong.err.find("Try '" + s.name), std::string::npos) << wrong.err;
  }
}

}  // namespace
}  // namespace qx
