// The journal keeps its newest lines, in order, as it goes round its room, and numbers entries the
// same however often it has gone round.
#include "device/journal.h"

#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace qx {
namespace {

// Each line's text after its time stamp.
std::vector<std::string> Lines(Journal& journal) {
  std::istringstream text(journal.Text());
  std::vector<std::string> lines;
  for (std::string line; std::getline(text, line);) lines.push_back(line.substr(line.find(' ') + 1));
  return lines;
}

// Request lines "R<n>" (code n) and reports at x = n, by the number of the entry.
void AddEntry(Journal& journal, int n, bool report) {
  if (report) journal.AddReport(ReportLine{n, 0, true, n, 0, 0});
  else journal.Add(static_cast<std::uint32_t>(n), "R" + std::to_string(n), n % 2 ? "" : "long fields to take room");
}

std::string Expected(int n, bool report) {
  if (report)
    return "- Report X=" + std::to_string(n) + " Y=0 Touch=1 Counter=" + std::to_string(n) + " PointerX=0 PointerY=0";
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%05X", n);
  return std::string(hex) + " R" + std::to_string(n) + (n % 2 ? "" : " long fields to take room");
}

TEST(Journal, KeepsTheNewestLinesInOrderAsItGoesRound) {
  struct Case {
    std::size_t capacity;
    int entries;
    int readFrom;  // after the text is read once at this entry, lines already written stay right
  };
  for (const Case& c : {Case{1, 3, 2}, Case{3, 3, 2}, Case{3, 10, 4}, Case{4, 9, 7}}) {
    Journal journal(c.capacity);
    std::vector<std::string> expected;
    for (int n = 1; n <= c.entries; ++n) {
      const bool report = n % 3 == 0;  // so that a report's entry is taken again by a request
      AddEntry(journal, n, report);
      expected.push_back(Expected(n, report));
      if (n == c.readFrom) journal.Text();
    }
    expected.erase(expected.begin(),
                   expected.end() - static_cast<long>(std::min<std::size_t>(c.capacity, expected.size())));
    EXPECT_EQ(Lines(journal), expected) << "capacity " << c.capacity << ", " << c.entries << " entries";
  }
}

TEST(Journal, NumbersReportsByEntryAcrossRoundsAndClears) {
  Journal journal(4);
  for (int n = 1; n <= 10; ++n) AddEntry(journal, n, n % 3 == 0);  // reports are entries 3, 6 and 9
  SimReports out{};
  journal.ReportsAfter(0, out);
  EXPECT_EQ(out.Lost, 6u) << "entries 1 to 6 are gone";
  ASSERT_EQ(out.Count, 1u);
  EXPECT_EQ(out.Reports[0].X, 9);
  EXPECT_EQ(out.Next, 10u);

  journal.ReportsAfter(8, out);
  EXPECT_EQ(out.Lost, 0u);
  ASSERT_EQ(out.Count, 1u);
  EXPECT_EQ(out.Reports[0].X, 9);

  journal.Clear();
  EXPECT_EQ(journal.size(), 0u);
  EXPECT_EQ(journal.Text(), "");
  AddEntry(journal, 11, true);
  journal.ReportsAfter(10, out);
  ASSERT_EQ(out.Count, 1u) << "numbering goes on after a clear";
  EXPECT_EQ(out.Reports[0].X, 11);
  EXPECT_EQ(Lines(journal), std::vector<std::string>{Expected(11, true)});
}

// Holding changes only when lines are stamped: however held lines meet a read, a clear or the end
// of the room, the journal holds the lines added, in order, and numbers them as added.
TEST(Journal, HeldLinesAreTheLinesAddedInOrder) {
  struct Case {
    std::size_t capacity;
    const char* steps;  // a: a request line, r: a report, R: 300 reports, h: hold, g: let go,
                        // t: read the text, c: clear
  };
  for (const Case& c : {Case{5, "aharag"}, Case{5, "haatrag"}, Case{3, "aahrcaag"}, Case{4, "hRag"},
                        Case{400, "ahRtRga"}, Case{2, "hcag"}}) {
    Journal journal(c.capacity);
    std::vector<std::string> expected;
    int n = 0;
    auto add = [&](bool report) {
      AddEntry(journal, ++n, report);
      expected.push_back(Expected(n, report));
    };
    for (const char* step = c.steps; *step; ++step) {
      switch (*step) {
        case 'a': add(false); break;
        case 'r': add(true); break;
        case 'R':
          for (int i = 0; i < 300; ++i) add(true);
          break;
        case 'h': journal.Hold(); break;
        case 'g': journal.LetGo(); break;
        case 't': journal.Text(); break;
        case 'c':
          journal.Clear();
          expected.clear();
          break;
      }
    }
    expected.erase(expected.begin(),
                   expected.end() - static_cast<long>(std::min<std::size_t>(c.capacity, expected.size())));
    EXPECT_EQ(journal.size(), expected.size()) << c.steps;
    EXPECT_EQ(Lines(journal), expected) << c.steps;
    SimReports out{};
    journal.ReportsAfter(REPORTS_FROM_NOW, out);
    EXPECT_EQ(out.Next, static_cast<std::uint32_t>(n)) << "entries numbered as added: " << c.steps;
  }
}

// A replay's pace is read from its reports' times: a report made in a held turn is stamped when it
// is made, not when the turn's lines are written.
TEST(Journal, AReportBearsTheTimeItIsMadeEvenWhileHeld) {
  using namespace std::chrono;
  const auto Now = [] { return duration_cast<microseconds>(system_clock::now().time_since_epoch()).count(); };
  Journal journal(4);
  journal.Hold();
  AddEntry(journal, 1, false);
  const auto before = Now();
  AddEntry(journal, 2, true);
  const auto after = Now();
  std::this_thread::sleep_for(milliseconds(2));
  journal.LetGo();
  SimReports out{};
  journal.ReportsAfter(0, out);
  ASSERT_EQ(out.Count, 1u);
  EXPECT_GE(out.Reports[0].Time, before);
  EXPECT_LE(out.Reports[0].Time, after);
}

}  // namespace
}  // namespace qx
