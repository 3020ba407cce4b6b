#include "device/touchscreen_input.h"

#include <grp.h>
#include <pwd.h>
#include <sys/epoll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace qx {

namespace {

using std::chrono::milliseconds;

// How often a path named by the setting is looked at while it is not there (a node may come back
// without udev announcing it), and how often the node of an open device is looked at (one removed
// while its descriptor stays quiet, as a mocked device's does).
constexpr milliseconds kRetry{500};
constexpr milliseconds kCheck{1000};
// How often the device broker is asked again while it refuses (the person's session is not the
// active one): at most a second or two after the session is back, without keeping it busy.
constexpr milliseconds kAskAgain{2000};
// A device read in error is tried again after kRetry, then twice as long each time, up to this.
constexpr milliseconds kLongestRetry{30000};

std::string UserName() {
  const passwd* pw = ::getpwuid(::geteuid());
  return pw ? pw->pw_name : std::to_string(::geteuid());
}

std::string GroupOf(const std::string& node) {
  struct stat st {};
  if (::stat(node.c_str(), &st) != 0) return "input";
  const group* gr = ::getgrgid(st.st_gid);
  return gr ? gr->gr_name : std::to_string(st.st_gid);
}

// What a person does about a device the service may not read (without the package's device
// broker, which opens touchscreens for the person at the seat).
std::string DeniedHint(const std::string& node) {
  const std::string user = UserName(), group = GroupOf(node);
  return node + ": permission denied: the device service runs as " + user +
         ", who may not read it. The package's device broker opens touchscreens for the person at the seat; "
         "without it, add " +
         user + " to the group '" + group + "' (sudo usermod -aG " + group + " " + user + ") and log in again";
}

void Watch(int epoll, int fd, int op) {
  if (epoll < 0 || fd < 0) return;
  epoll_event ev{};
  ev.events = EPOLLIN;
  ev.data.fd = fd;
  ::epoll_ctl(epoll, op, fd, &ev);
}

}  // namespace

TouchscreenInput::TouchscreenInput(std::string use, TouchscreenIdentity remembered, Remember remember)
    : use_(std::move(use)),
      remembered_(std::move(remembered)),
      remember_(std::move(remember)),
      epoll_(::epoll_create1(EPOLL_CLOEXEC)) {
  Watch(epoll_, watch_.Descriptor(), EPOLL_CTL_ADD);
}

TouchscreenInput::~TouchscreenInput() {
  device_.reset();
  if (epoll_ >= 0) ::close(epoll_);
}

std::string TouchscreenInput::Start(bool& notTouchscreen) {
  notTouchscreen = false;
  std::string why;
  if (Find(why, notTouchscreen)) return "";
  if (!notTouchscreen) Say(why + "; the controller reads as absent until it is there");
  ScheduleRetry();
  return why;
}

bool TouchscreenInput::Find(std::string& why, bool& notTouchscreen, const std::string& except) {
  refused_ = false;
  const bool found = ByPath() ? FindByPath(why, notTouchscreen) : FindAmong(why, except);
  if (!found) absentWhy_ = why;
  return found;
}

bool TouchscreenInput::FindByPath(std::string& why, bool& notTouchscreen) {
  EvdevTouchscreen::Failure failure;
  const bool taken = Take(use_, true, why, failure);
  notTouchscreen = failure == EvdevTouchscreen::Failure::kNotTouchscreen;
  return taken;
}

bool TouchscreenInput::FindAmong(std::string& why, const std::string& except) {
  int unreadable = 0;
  std::vector<TouchscreenCandidate> found = FindTouchscreens(unreadable, Auto() ? "" : use_);
  std::erase_if(found, [&](const TouchscreenCandidate& c) {
    return c.node == except || (!Auto() && !Names(use_, c.identity));
  });
  if (found.empty()) {
    why = Auto() ? "no touchscreen found" : "no touchscreen named " + use_ + " found";
    if (unreadable) why += " (" + std::to_string(unreadable) + " input devices could not be read)";
    return false;
  }
  std::string chosenWhy;
  const TouchscreenCandidate& chosen = ChooseTouchscreen(found, remembered_, chosenWhy);
  // The chosen one first, then the others, until one opens.
  std::stable_partition(found.begin(), found.end(),
                        [&](const TouchscreenCandidate& c) { return c.node == chosen.node; });
  std::string first;
  for (const TouchscreenCandidate& c : found) {
    EvdevTouchscreen::Failure failure;
    std::string failed;
    if (Take(c.node, c.vouched, failed, failure)) {
      chosenWhy_ = c.node == found.front().node ? chosenWhy : "the first that could be opened";
      if (c.identity.Text() != remembered_.Text() && remember_) remember_(c.identity);
      remembered_ = c.identity;
      return true;
    }
    if (first.empty()) first = failed;
  }
  why = first;
  return false;
}

bool TouchscreenInput::Take(const std::string& node, bool vouched, std::string& why,
                            EvdevTouchscreen::Failure& failure) {
  device_ = EvdevTouchscreen::Open(node, vouched, failure, why);
  if (failure == EvdevTouchscreen::Failure::kDenied) why = DeniedHint(node);
  if (failure == EvdevTouchscreen::Failure::kRefused) refused_ = true;
  if (!device_) return false;
  Watch(epoll_, device_->Descriptor(), EPOLL_CTL_ADD);
  lastNode_ = node;
  lastName_ = device_->name();
  lastAxes_ = device_->axes();
  facts_ = device_->Facts();
  ReadMachine(machine_, *facts_);
  absentWhy_.clear();
  // A device that keeps failing its reads is said to fail once, not at every try again.
  if (readErrors_ == 0) said_.clear();
  due_ = Clock::now() + kCheck;
  return true;
}

void TouchscreenInput::Wake(Time now, bool readable, TouchPath& path) {
  if (readable) {
    Announced(path);
    int error = 0;
    if (device_ && !device_->Read(path, error)) {
      // Taken back by the device broker (the read fails with ENODEV), else unplugged or failing.
      const std::string taken = device_->TakenBack();
      refused_ = !taken.empty();
      if (refused_) Lose(path, taken, false);
      else Lose(path, error == ENODEV ? "unplugged" : std::strerror(error), error != ENODEV);
    } else if (device_ && readErrors_ > 0) {
      readErrors_ = 0;  // read again after failing: back
      said_.clear();
      std::fprintf(stderr, "qxwmecomd: touchscreen %s is back\n", device_->Describe().c_str());
    }
  }
  if (!due_ || now < *due_) return;
  if (device_) {
    // A node removed while its descriptor stays quiet: the device is gone all the same.
    struct stat st {};
    if (::stat(device_->node().c_str(), &st) != 0) return Lose(path, std::strerror(errno), false);
    due_ = now + kCheck;
    return;
  }
  std::string why;
  bool notTouchscreen = false;
  if (Find(why, notTouchscreen)) {
    // After read errors it is back once a read succeeds (above).
    if (readErrors_ == 0) std::fprintf(stderr, "qxwmecomd: touchscreen %s is back\n", device_->Describe().c_str());
    return;
  }
  Say(why + "; the controller reads as absent");
  ScheduleRetry();
}

// What udev announced: the open device unplugged, or a device plugged in while none is open.
// Where announcements were lost (the monitor's socket overflowed), what is there is looked at.
void TouchscreenInput::Announced(TouchPath& path) {
  for (const UdevWatch::Change& change : watch_.Take()) {
    if (change.tty) {
      if (facts_) ReadMachine(machine_, *facts_, change.added ? "" : change.node);
      continue;
    }
    if (!change.added && device_ && change.node == device_->node()) Lose(path, "unplugged", false);
    if (change.added && !device_) LookAgain();
  }
  if (!watch_.Dropped()) return;
  struct stat st {};
  if (device_ && ::stat(device_->node().c_str(), &st) != 0) Lose(path, "unplugged", false);
  if (!device_) LookAgain();
}

void TouchscreenInput::LookAgain() {
  std::string why;
  bool notTouchscreen = false;
  if (Find(why, notTouchscreen)) std::fprintf(stderr, "qxwmecomd: touchscreen %s taken\n", device_->Describe().c_str());
  else if (!absentWhy_.empty()) Say(why + "; the controller reads as absent");
}

void TouchscreenInput::Lose(TouchPath& path, const std::string& why, bool readError) {
  Watch(epoll_, device_->Descriptor(), EPOLL_CTL_DEL);
  device_->End(path);
  const std::string gone = "touchscreen " + device_->Describe() + " is gone (" + why + ")";
  const std::string lost = device_->node();
  device_.reset();
  readErrors_ = readError ? readErrors_ + 1 : 0;
  // Another touchscreen the setting takes, plugged in already, takes its place: no announcement
  // would bring it. One failing its reads, or taken back by the broker, is waited for instead. The
  // node just lost is not another: udev may still list a device it is removing.
  std::string none;
  bool notTouchscreen = false;
  if (!readError && !refused_ && !ByPath() && Find(none, notTouchscreen, lost)) {
    Say(gone + "; touchscreen " + device_->Describe() + " taken in its place");
    return;
  }
  absentWhy_ = gone;
  Say(absentWhy_ + "; the controller reads as absent until it is back");
  ScheduleRetry();
}

void TouchscreenInput::Release(TouchPath& path) {
  if (device_) device_->End(path);
}

void TouchscreenInput::Say(const std::string& why) {
  if (why == said_) return;
  said_ = why;
  std::fprintf(stderr, "qxwmecomd: %s\n", why.c_str());
}

void TouchscreenInput::ScheduleRetry() {
  if (readErrors_ > 0) {
    const milliseconds pause = std::min(kRetry * (1 << std::min(readErrors_ - 1, 8)), kLongestRetry);
    due_ = Clock::now() + pause;
  } else if (refused_) {
    due_ = Clock::now() + kAskAgain;
  } else if (ByPath() || watch_.Descriptor() < 0) {
    due_ = Clock::now() + kRetry;
  } else {
    due_.reset();  // udev announces what comes
  }
}

InputInfo TouchscreenInput::Identity() const {
  InputInfo input{};
  input.Kind = INPUT_TOUCHSCREEN;
  input.Present = device_ ? 1 : 0;
  input.Axes = lastAxes_;
  std::snprintf(input.Name, sizeof input.Name, "%s", lastName_.c_str());
  std::snprintf(input.Path, sizeof input.Path, "%s", (lastNode_.empty() ? use_ : lastNode_).c_str());
  return input;
}

std::string TouchscreenInput::Describe() const {
  if (device_) {
    const std::string looks = device_->Looks();
    return device_->Describe() + (ByPath() ? "" : "\nChosen: " + chosenWhy_ + " (" + use_ + ")") +
           (looks.empty() ? ""
                          : "\nNote: " + looks + "; taken all the same, as " +
                                (Auto() ? "udev calls it a touchscreen" : "named"));
  }
  return "touchscreen " + use_ + ", absent: " + absentWhy_;
}

}  // namespace qx
