// qxctl replay and qxctl record against a real device service, with recordings the tests make:
// a recording that cannot be played is refused whole, naming the line; a paced replay keeps the
// recording's pace; what record writes replays as the reports it recorded.
#include "tools/qxctl/recording.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "core/driver_records.h"
#include "tests/support/device_request.h"
#include "tests/support/device_service.h"
#include "tests/support/journal.h"
#include "tests/support/process.h"
#include "tests/support/temp_root.h"
#include "tests/support/touch_recording.h"
#include "tests/support/wait.h"

namespace qx {
namespace {

using test::DeviceService;
using test::TestTouchscreen;
using test::TouchRecording;

const TestTouchscreen kPanel{"QX Test Panel", 0, 2046, 0, 2046, 0};

// A tap and a short drag: 15 lines of events after the description.
TouchRecording TapAndDrag() {
  TouchRecording rec(kPanel);
  rec.Down(0, 100, 200);
  rec.Up(50000);
  rec.Down(100000, 400, 400);
  rec.Move(120000, 500, 500);
  rec.Up(140000);
  return rec;
}

// A report's place: "x,y,touch".
std::string ReportPlace(const test::JournalReport& r) {
  return std::to_string(r.x) + "," + std::to_string(r.y) + "," + std::to_string(r.touch);
}

std::vector<std::string> Places(const std::vector<test::JournalReport>& reports) {
  std::vector<std::string> places;
  for (const test::JournalReport& r : reports) places.push_back(ReportPlace(r));
  return places;
}

class Replay : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const std::string& text) {
    const std::string path = root_.path() + "/" + name;
    test::WriteFile(path, text);
    return path;
  }

  test::TempRoot root_;
  DeviceService service_;
};

// Lines of the recording's text up to the first event: where its events begin.
int DescriptionLines(const std::string& text) {
  const std::size_t events = text.find("\nE:");
  return static_cast<int>(std::count(text.begin(), text.begin() + static_cast<long>(events) + 1, '\n'));
}

struct Refusal {
  const char* what;
  // The recording made bad: from the whole text of a good one.
  std::string (*spoil)(const std::string& text);
  // What the message says after "FILE, ": the line is counted from the first event.
  int line;  // 0: no line
  const char* says;
};

std::string InsertAt(const std::string& text, int eventLine, const std::string& line) {
  std::size_t at = text.find("\nE:");
  for (int i = 1; i < eventLine; ++i) at = text.find('\n', at + 1);
  return text.substr(0, at + 1) + line + text.substr(at + 1);
}

const Refusal kRefusals[] = {
    {"a file cut inside its last line", [](const std::string& t) { return t.substr(0, t.size() - 4); }, 15,
     "cut short"},
    {"a file cut after a whole event, inside a report", [](const std::string& t) { return t.substr(0, t.rfind("E:")); },
     14, "the recording ends in the middle of a report"},
    {"a bad E: line", [](const std::string& t) { return InsertAt(t, 6, "E: 0.060000 0003 zz 5\n"); }, 6,
     "not an event line: E: 0.060000 0003 zz 5"},
    {"an E: line short of its value", [](const std::string& t) { return InsertAt(t, 3, "E: 0.010000 0003 0000\n"); }, 3,
     "not an event line"},
    {"a line that is no event among the events", [](const std::string& t) { return InsertAt(t, 9, "X: 1 2 3\n"); }, 9,
     "not an event line: X: 1 2 3"},
    {"events without the description", [](const std::string& t) { return t.substr(t.find("E:")); }, -1,
     "no device description before the events"},
    {"an event time past what the clocks hold",
     [](const std::string& t) { return InsertAt(t, 3, "E: 9223372036854.000000 0003 0000 5\n"); }, 3,
     "the event's time is out of range"},
    {"an event more than a week from the first",
     [](const std::string& t) { return InsertAt(t, 3, "E: 900000.000000 0003 0000 5\n"); }, 3,
     "the event lies 900000 s from the first: a recording spans at most 604800 s"},
    {"a description with a line libevemu does not take",
     [](const std::string& t) { return "# EVEMU 1.3\nN: QX\nI: 0003 zz\n" + t.substr(t.find("E:")); }, -3,
     "not a device description line: I: 0003 zz"},
};

class ReplayRefuses : public Replay, public ::testing::WithParamInterface<Refusal> {};

TEST_P(ReplayRefuses, NamingTheLineAndPlayingNothing) {
  const Refusal& r = GetParam();
  const std::string good = TapAndDrag().Text();
  const std::string file = Write("bad.events", r.spoil(good));
  // Negative lines are counted from the top of the file.
  const int line = r.line < 0 ? -r.line : DescriptionLines(good) + r.line;
  const test::RunResult run = test::Run({test::Program("qxctl"), "--root", root_.path(), "replay", file});
  EXPECT_EQ(run.exitCode, 65) << r.what;
  EXPECT_NE(run.err.find(file + ", line " + std::to_string(line) + ": " + r.says), std::string::npos)
      << r.what << ": line " << line << "\n"
      << run.err;
  EXPECT_EQ(DeviceService::Qxctl("journal").find("Sim"), std::string::npos) << r.what << ": something was played";
}

INSTANTIATE_TEST_SUITE_P(BadRecordings, ReplayRefuses, ::testing::ValuesIn(kRefusals));

TEST_F(Replay, AFifoWhereTheRecordingShouldBeIsRefusedWithoutWaiting) {
  const std::string fifo = root_.path() + "/fifo.events";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const test::RunResult run = test::Run({test::Program("qxctl"), "--root", root_.path(), "replay", fifo}, {}, 10000);
  EXPECT_EQ(run.exitCode, 65);
  EXPECT_NE(run.err.find("not a regular file"), std::string::npos) << run.err;
}

// A recording is read as a stream: blank lines cost no memory of their own (they once cost 50
// times their size), measured against the same recording without them. The file is written a
// piece at a time, so that what the started qxctl shares of this test's memory stays the same.
TEST_F(Replay, BlankLinesCostNoMemory) {
  const std::string text = InsertAt(TapAndDrag().Text(), 3, "#\n");
  const std::size_t at = text.find("#\n");
  long peakKb[2] = {};
  for (const int blankMiB : {0, 16}) {
    const std::string file = root_.path() + "/blank.events";
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << text.substr(0, at);
    const std::string mib(1 << 20, '\n');
    for (int i = 0; i < blankMiB; ++i) out << mib;
    out << text.substr(at + 2);
    out.close();
    const test::RunResult run = test::Run({test::Program("qxctl"), "--root", root_.path(), "replay", file, "--fast"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    peakKb[blankMiB > 0] = run.maxRssKb;
  }
  EXPECT_LT(peakKb[1] - peakKb[0], 8 * 1024) << "16 MiB of blank lines";
}

// Many published recordings end without an end of line: their last line, whole, plays.
TEST_F(Replay, AWholeLastLineWithoutItsEndPlays) {
  const std::string text = TapAndDrag().Text();
  int rc = -1;
  DeviceService::Qxctl("replay " + Write("unended.events", text.substr(0, text.size() - 1)) + " --fast", &rc);
  EXPECT_EQ(rc, 0);
  EXPECT_EQ(Places(test::JournalReports()).back(), "250,250,0");  // the last line: the lift at 500,500 of 2046
}

TEST_F(Replay, PlaysAtTheRecordingsPaceOrFaster) {
  TouchRecording rec(kPanel);
  rec.Down(0, 0, 0);
  for (int i = 1; i <= 8; ++i) rec.Move(i * 100000, i * 200, i * 100);
  rec.Up(800000);
  const std::string file = Write("pace.events", rec.Text());
  for (const char* speed : {"1", "4"}) {
    DeviceService::Qxctl("journal --clear");
    int rc = -1;
    DeviceService::Qxctl(std::string("replay ") + file + " --speed " + speed, &rc);
    EXPECT_EQ(rc, 0);
    const std::vector<test::JournalReport> reports = test::JournalReports(true);
    ASSERT_EQ(reports.size(), 10u);
    // No sooner than the recording's 800 ms, divided by the speed (the journal counts whole ms).
    EXPECT_GE(reports.back().ms - reports.front().ms, 800 / std::stoi(speed) - 1) << "speed " << speed;
    EXPECT_EQ(ReportPlace(reports[4]), "400,200,1");
  }
  // A speed whose waits no clock can count is refused, not played at once.
  const test::RunResult slowest =
      test::Run({test::Program("qxctl"), "--root", root_.path(), "replay", file, "--speed", "1e-300"});
  EXPECT_EQ(slowest.exitCode, 64) << slowest.err;
}

TEST_F(Replay, WhatRecordWritesReplaysAsTheReportsItRecorded) {
  const std::string file = root_.path() + "/recorded.events";
  const std::string log = root_.path() + "/record.log";
  const pid_t record = test::Spawn({test::Program("qxctl"), "--root", root_.path(), "record", file}, log);
  test::ReadUntil(
      log, [](const std::string& text) { return text.find("recording") != std::string::npos; }, 5000);
  DeviceService::Qxctl("journal --clear");
  DeviceService::Qxctl("press 100 200");
  std::this_thread::sleep_for(std::chrono::milliseconds(60));
  DeviceService::Qxctl("press 300 400");
  std::this_thread::sleep_for(std::chrono::milliseconds(60));
  DeviceService::Qxctl("lift");
  DeviceService::Qxctl("touch 5 1023 --reports 3");
  DeviceService::Qxctl("lift");
  const std::vector<std::string> recorded = Places(test::JournalReports());
  std::this_thread::sleep_for(std::chrono::milliseconds(150));  // the record's next look at the journal
  const int status = test::KillAndWait(record, SIGINT);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << test::ReadFile(log);
  EXPECT_NE(test::ReadFile(log).find(std::to_string(recorded.size()) + " reports recorded in " + file),
            std::string::npos)
      << test::ReadFile(log);
  DeviceService::Qxctl("journal --clear");
  int rc = -1;
  DeviceService::Qxctl("replay " + file + " --fast", &rc);
  EXPECT_EQ(rc, 0);
  EXPECT_EQ(Places(test::JournalReports()), recorded);
  EXPECT_GE(recorded.size(), 6u);
}

// A replay belongs to the qxctl that plays it: a second is refused while it plays. A closed
// terminal (SIGHUP) ends it as Ctrl-C does; a killed qxctl's, the service ends. Either way its touch
// lifts and the input before it is in force again.
TEST_F(Replay, ASecondIsRefusedAndOneEndsWithItsClient) {
  TouchRecording rec(kPanel);
  rec.Down(0, 100, 200);
  rec.Up(60000000);
  const std::vector<std::string> replay = {test::Program("qxctl"), "--root", root_.path(), "replay",
                                           Write("held.events", rec.Text())};
  const auto touching = [] { return test::DeviceAnswer(IOCTL_SIM_GET_STATUS, SimStatus{}).Touching != 0; };
  for (const int sig : {SIGHUP, SIGKILL}) {
    SCOPED_TRACE(sig);
    const pid_t first = test::Spawn(replay);
    ASSERT_TRUE(test::WaitUntil(touching, 10000));
    if (sig == SIGHUP) {
      const test::RunResult second = test::Run(replay, {}, 5000);
      EXPECT_EQ(second.exitCode, 1);
      EXPECT_NE(second.err.find("another recording is being replayed"), std::string::npos) << second.err;
    }
    const int status = test::KillAndWait(first, sig);
    if (sig == SIGHUP) {
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    EXPECT_TRUE(test::WaitUntil([&] { return !touching(); }, 10000)) << "the touch stays down";
    EXPECT_TRUE(test::WaitUntil([] { return test::DeviceAnswer(IOCTL_GET_INPUT, InputInfo{}).Kind != INPUT_RECORDING; },
                                10000));
  }
}

// record checks where it writes before it records: a FIFO or a link is never replaced, a folder
// that is not there is said at once. A closed terminal ends the recording as Ctrl-C does, and the
// file is the person's alone whatever the umask.
TEST_F(Replay, RecordRefusesWhereItCannotWriteAndWritesWhatAHangUpEnds) {
  const std::string fifo = root_.path() + "/fifo", link = root_.path() + "/link";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  ASSERT_EQ(symlink("elsewhere", link.c_str()), 0);
  for (const std::string& to : {fifo, link, root_.path() + "/none/rec.events"}) {
    const test::RunResult run = test::Run({test::Program("qxctl"), "--root", root_.path(), "record", to}, {}, 10000);
    EXPECT_EQ(run.exitCode, 1) << to << ": " << run.err;
  }
  struct stat st {};
  EXPECT_TRUE(::lstat(fifo.c_str(), &st) == 0 && S_ISFIFO(st.st_mode) && ::lstat(link.c_str(), &st) == 0 &&
              S_ISLNK(st.st_mode));
  const std::string file = root_.path() + "/recorded.events", log = root_.path() + "/record.log";
  const mode_t umask = ::umask(022);
  const pid_t record = test::Spawn({test::Program("qxctl"), "--root", root_.path(), "record", file}, log);
  ::umask(umask);
  test::ReadUntil(
      log, [](const std::string& text) { return text.find("recording") != std::string::npos; }, 5000);
  DeviceService::Qxctl("touch 5 1023 --reports 3");
  const int status = test::KillAndWait(record, SIGHUP);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << test::ReadFile(log);
  EXPECT_NE(test::ReadFile(log).find("3 reports recorded"), std::string::npos) << test::ReadFile(log);
  EXPECT_TRUE(::stat(file.c_str(), &st) == 0 && (st.st_mode & 0777) == 0600) << std::oct << st.st_mode;
}

// A recording stops, whole, short of its limit: what was written replays.
TEST(RecordingWriterTest, StopsWholeShortOfItsLimit) {
  test::TempRoot root;
  const std::string file = root.path() + "/full.events";
  RecordingWriter writer(4096);
  std::string why;
  ASSERT_TRUE(writer.Begin(file, why)) << why;
  for (std::int16_t i = 0; writer.Add({i * 1000LL, i, 5, 1, {}});) ++i;
  EXPECT_TRUE(writer.full());
  ASSERT_TRUE(writer.Finish(why)) << why;
  EXPECT_LE(std::filesystem::file_size(file), 4096u);
  Recording recording;
  ASSERT_TRUE(ReadRecording(file, recording, why)) << why;
  EXPECT_EQ(std::count_if(recording.events.begin(), recording.events.end(),
                          [](const RecordedEvent& e) { return e.type == 0; }),
            static_cast<long>(writer.reports()));
}

}  // namespace
}  // namespace qx
