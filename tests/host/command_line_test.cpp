// How WinExec reads a command line, against files of a real machine root.
#include "host/command_line.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "host/paths.h"
#include "tests/support/temp_root.h"

namespace qx {
namespace {

TEST(CommandLineTest, TheProgramPathEndsWhereAFileDoesElseAtAProgramsNameElseAtTheFirstBlank) {
  test::TempRoot root;
  test::WriteFile(HostPath("C:\\Program Files\\QX\\Report.exe"), "");
  test::WriteFile(HostPath("C:\\QX\\Tool"), "");
  std::filesystem::create_directories(HostPath("C:\\QX\\Folder"));
  const struct {
    const char* line;
    const char* program;
    std::vector<std::string> args;
  } cases[] = {
      // An existing file ends the path, blanks and all.
      {"C:\\Program Files\\QX\\Report.exe /SDC", "C:\\Program Files\\QX\\Report.exe", {"/SDC"}},
      {"c:\\program files\\qx\\REPORT.EXE", "c:\\program files\\qx\\REPORT.EXE", {}},
      // It comes before a name that only looks like a program; a folder is no file.
      {"C:\\QX\\Tool other.exe", "C:\\QX\\Tool", {"other.exe"}},
      {"C:\\QX\\Folder x.exe", "C:\\QX\\Folder x.exe", {}},
      // No such file: the first prefix ending in ".exe", in any case.
      {"C:\\Program Files\\QX\\Missing.EXE /x", "C:\\Program Files\\QX\\Missing.EXE", {"/x"}},
      // Neither: the first word.
      {"C:\\Program Files\\QX\\Tool /x", "C:\\Program", {"Files\\QX\\Tool", "/x"}},
      // Quoted: up to the closing quote, or to the end of the line.
      {"\"C:\\Program Files\\QX\\none.exe\"/a b", "C:\\Program Files\\QX\\none.exe", {"/a", "b"}},
      {"\"C:\\Unclosed path.exe /x", "C:\\Unclosed path.exe /x", {}},
      // Arguments: blanks and tabs split, quotes group and are dropped, backslashes stay.
      {"  C:\\QX\\A.exe\ta\"b c\"d  \"\" e\\f\\ ", "C:\\QX\\A.exe", {"ab cd", "", "e\\f\\"}},
      {"", "", {}},
      {" \t ", "", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    const CommandLine parsed = ParseCommandLine(c.line);
    EXPECT_EQ(parsed.program, c.program);
    EXPECT_EQ(parsed.args, c.args);
  }
}

}  // namespace
}  // namespace qx
