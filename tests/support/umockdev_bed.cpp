#include "tests/support/umockdev_bed.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>

#include "tests/support/device_service.h"
#include "tests/support/process.h"
#include "tests/support/temp_root.h"
#include "tests/support/wait.h"

extern char** environ;

namespace qx::test {

namespace {

constexpr char kPreload[] = "LD_PRELOAD=libumockdev-preload.so.0";

}  // namespace

UmockdevBed::UmockdevBed() {
  // A keeper that died is an answer of its own ("the test bed is gone"), not the test's end.
  ::signal(SIGPIPE, SIG_IGN);
  int in[2], out[2];
  if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0) return;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  const std::string program = Program("umockdev-bed");
  std::vector<char*> argv = {const_cast<char*>(program.c_str()), nullptr};
  std::vector<char*> env = {const_cast<char*>(kPreload)};
  for (char** e = environ; *e; ++e) env.push_back(*e);
  env.push_back(nullptr);
  if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), env.data()) != 0) pid_ = -1;
  posix_spawn_file_actions_destroy(&actions);
  ::close(in[0]);
  ::close(out[1]);
  to_ = ::fdopen(in[1], "w");
  from_ = ::fdopen(out[0], "r");
  const std::string first = Answer();
  if (first.rfind("dir ", 0) == 0) dir_ = first.substr(4);
}

UmockdevBed::~UmockdevBed() {
  if (to_) std::fclose(to_);  // its end of input: it ends
  if (from_) std::fclose(from_);
  if (pid_ > 0) ::waitpid(pid_, nullptr, 0);
}

std::string UmockdevBed::Answer() {
  char line[4096];
  if (!from_ || !std::fgets(line, sizeof line, from_)) return "error the test bed is gone";
  std::string text = line;
  if (!text.empty() && text.back() == '\n') text.pop_back();
  return text;
}

std::string UmockdevBed::Ask(const std::string& command) {
  if (!to_) return "error no test bed";
  std::fprintf(to_, "%s\n", command.c_str());
  std::fflush(to_);
  const std::string answer = Answer();
  return answer == "ok" ? "" : answer;
}

std::vector<std::string> UmockdevBed::Environment() const { return {kPreload, "UMOCKDEV_DIR=" + dir_}; }

bool UmockdevBed::Plug(const TestTouchscreen& device, const std::string& node, const std::string& events,
                       std::string& why, const std::string& properties) {
  const std::string prefix = dir_ + "/plugged" + std::to_string(++plugs_);
  std::ofstream(prefix + ".desc") << Description(device);
  if (!WriteUmockdevDevice(prefix + ".desc", node, prefix, why, properties, device.phys)) return false;
  std::string command = "plug " + node + " " + prefix;
  if (!events.empty()) {
    std::ofstream(prefix + ".events") << events;
    command += " " + prefix + ".events";
  }
  why = Ask(command);
  return why.empty();
}

void UmockdevBed::Unplug(const std::string& node) { Ask("unplug " + node); }

bool UmockdevBed::AddTty(const std::string& name, const std::string& port, int irq, int type, std::string& why) {
  why = Ask("tty " + name + " " + port + " " + std::to_string(irq) + " " + std::to_string(type));
  return why.empty();
}

void UmockdevBed::RemoveTty(const std::string& name) { Ask("untty " + name); }

bool ServiceOnBed::Start(const std::vector<std::string>& args, const std::vector<std::string>& env) {
  std::vector<std::string> argv = {Program("qxwmecomd"), "--root", root_, "--pointer", "none"};
  argv.insert(argv.end(), args.begin(), args.end());
  std::vector<std::string> all = bed_.Environment();
  all.insert(all.end(), env.begin(), env.end());
  pid_ = Spawn(argv, root_ + "/service.log", all);
  return WaitUntil([] { return DeviceService::QxctlExit("summary") != 2; }, 10000, 20);
}

void ServiceOnBed::Stop() {
  if (pid_ > 0) KillAndWait(pid_, SIGTERM);
  pid_ = -1;
}

std::string ServiceOnBed::Plug(const TestTouchscreen& device, const std::string& events, std::string& why,
                               const std::string& properties) {
  const std::string node = "/dev/input/event" + std::to_string(10 + plugged_++);
  return bed_.Plug(device, node, events, why, properties) ? node : "";
}

std::string ServiceOnBed::Log() const { return ReadFile(root_ + "/service.log"); }

}  // namespace qx::test
