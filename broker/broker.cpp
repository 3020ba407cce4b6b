#include "broker/broker.h"

#include <fcntl.h>
#include <linux/input.h>
#include <linux/uinput.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>

#include "broker/touchscreen_gate.h"
#include "host/uinput_device.h"

namespace qx {

namespace {

constexpr std::size_t kMaxAsking = 16;
constexpr std::chrono::seconds kRequestWait{2};
constexpr std::size_t kMaxLeases = 32;
// A user's refusals said one by one in a minute; the rest are counted, and the count said at the
// minute's end, so that no user's requests flood the log past the journal's rate limit, which
// would drop the lines of the devices handed out and taken back.
constexpr int kRefusalsSaid = 10;
constexpr std::chrono::seconds kRefusalsWindow{60};
// Out of descriptors with no connection to make room, the listener rests until one is given back,
// or this long: the whole system's table (ENFILE) frees without the broker's doing.
constexpr std::chrono::seconds kAcceptPause{1};
// The virtual devices uinput makes belong to the first seat, as udev's rules have it.
constexpr char kPointerSeat[] = "seat0";

uid_t PeerUid(int socket, bool& known) {
  ucred cred{};
  socklen_t size = sizeof cred;
  known = ::getsockopt(socket, SOL_SOCKET, SO_PEERCRED, &cred, &size) == 0;
  return cred.uid;
}

}  // namespace

void Broker::Run() {
  while (Wait()) {
  }
  // Stopped (the package's removal, an upgrade): nothing it handed out outlives it.
  for (Lease& l : leases_)
    if (!l.ended) End(l, "the device broker stopped");
}

int Broker::Timeout() const {
  Clock::time_point first = Clock::time_point::max();
  for (const Asking& a : asking_) first = std::min(first, a.deadline);
  for (const auto& [uid, r] : refusals_)
    if (r.unsaid) first = std::min(first, r.windowEnd);
  if (!accepting_) first = std::min(first, acceptAgain_);
  if (first == Clock::time_point::max()) return -1;
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(first - Clock::now()).count() + 1;
  return static_cast<int>(std::max<long long>(left, 0));
}

bool Broker::Wait() {
  const short listening = accepting_ ? POLLIN : 0;
  std::vector<pollfd> fds = {{stop_, POLLIN, 0}, {listener_.get(), listening, 0}, {seats_.Descriptor(), POLLIN, 0}};
  for (const Asking& a : asking_) fds.push_back({a.socket.get(), POLLIN, 0});
  for (const Lease& l : leases_) fds.push_back({l.socket.get(), POLLIN, 0});
  if (::poll(fds.data(), fds.size(), Timeout()) < 0 && errno != EINTR) return false;
  if (fds[0].revents) return false;
  if (!accepting_ && Clock::now() >= acceptAgain_) accepting_ = true;
  SayUnsaidRefusals();
  if (fds[2].revents) {
    seats_.Flush();
    Review();
  }
  // Leases granted now are polled from the next round on.
  const std::size_t polled = leases_.size();
  std::size_t at = 3;
  for (Asking& a : asking_) {
    const bool ready = fds[at++].revents != 0;
    if (ready) Answer(a);  // answered or not, its turn is over
    else if (Clock::now() >= a.deadline) a.socket.reset();
  }
  for (std::size_t i = 0; i < polled; ++i)
    if (fds[at++].revents && !leases_[i].ended) Serve(leases_[i]);
  // A descriptor given back: connections waiting to be accepted can be taken again.
  if (std::erase_if(asking_, [](const Asking& a) { return !a.socket; }) +
      std::erase_if(leases_, [](const Lease& l) { return l.ended; }))
    accepting_ = true;
  if (fds[1].revents) Accept();
  return true;
}

void Broker::Accept() {
  for (;;) {
    UniqueFd socket(::accept4(listener_.get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
    if (!socket && (errno == EMFILE || errno == ENFILE)) {
      // Out of descriptors, the listener stays readable: polled again, it would spin. A connection
      // waiting for its request makes room, as a full queue does; with none, the listener rests
      // (kAcceptPause).
      if (asking_.empty()) {
        accepting_ = false;
        acceptAgain_ = Clock::now() + kAcceptPause;
      } else {
        MakeRoom();
      }
      if (accepting_) continue;
    }
    if (!socket) return;
    bool known = false;
    const uid_t uid = PeerUid(socket.get(), known);
    if (!known) continue;
    if (asking_.size() >= kMaxAsking) MakeRoom();
    asking_.push_back({std::move(socket), uid, Clock::now() + kRequestWait});
  }
}

// The connection waiting longest of the user with the most waiting goes: a user who keeps the
// queue full pushes out their own, never the seat's user's one request.
void Broker::MakeRoom() {
  std::map<uid_t, int> waiting;
  for (const Asking& a : asking_) ++waiting[a.uid];
  const uid_t most = std::max_element(waiting.begin(), waiting.end(), [](const auto& a, const auto& b) {
                       return a.second < b.second;
                     })->first;
  asking_.erase(std::find_if(asking_.begin(), asking_.end(), [most](const Asking& a) { return a.uid == most; }));
}

void Broker::Answer(Asking& asking) {
  broker::Message request;
  if (!broker::Receive(asking.socket.get(), request, false)) {
    asking.socket.reset();
    return;
  }
  if (request.first == broker::kMakePointer) GrantPointer(asking, request.payload);
  else if (request.first == broker::kOpenTouchscreen) GrantTouchscreen(asking, request.payload);
  else Refuse(asking, broker::kNeverGranted, "no such request");
}

void Broker::GrantPointer(Asking& asking, const std::string& payload) {
  int width = 0, height = 0;
  if (!broker::DecodeSize(payload, width, height))
    return Refuse(asking, broker::kNeverGranted, "a pointer's axes are 1 to 32768 wide and high");
  if (std::string why = seats_.Refusal(asking.uid, kPointerSeat); !why.empty())
    return Refuse(asking, broker::kRefused, why);
  for (Lease& l : leases_)
    if (l.pointer && l.uid == asking.uid && !l.ended) End(l, "another pointer device was asked for");
  if (LeasesFull()) return Refuse(asking, broker::kRefused, "too many devices are handed out");
  UniqueFd uinput;
  const int rc = MakeUinputPointer(uinput, width, height);
  if (rc) return Refuse(asking, broker::kRefused, std::string("cannot make the pointer device: ") + std::strerror(-rc));
  Lease lease;
  lease.pointer = true;
  lease.width = width;
  lease.height = height;
  lease.seat = kPointerSeat;
  const std::string node = UinputNode(uinput.get());
  lease.what = "the pointer device " + (node.empty() ? std::string(kPointerDeviceName) : node) + " (" +
               std::to_string(width) + "x" + std::to_string(height) + ")";
  lease.device = std::move(uinput);
  Keep(asking, std::move(lease), node, -1);
}

// Leases ended in this round (a pointer given up for a new one) no longer count.
bool Broker::LeasesFull() const {
  return std::count_if(leases_.begin(), leases_.end(), [](const Lease& l) { return !l.ended; }) >=
         static_cast<std::ptrdiff_t>(kMaxLeases);
}

void Broker::GrantTouchscreen(Asking& asking, const std::string& path) {
  // Nothing is opened for a user who is refused.
  GateAnswer gate = CheckTouchscreen(path);
  std::string why = gate.why.empty() ? seats_.Refusal(asking.uid, gate.seat) : gate.why;
  if (why.empty() && LeasesFull()) why = "too many devices are handed out";
  if (why.empty()) {
    OpenTouchscreen(path, gate);
    why = gate.why;
  }
  if (!why.empty()) return Refuse(asking, gate.never ? broker::kNeverGranted : broker::kRefused, why);
  Lease lease;
  lease.seat = gate.seat;
  lease.what = path;
  lease.device = std::move(gate.fd);
  const int fd = lease.device.get();
  Keep(asking, std::move(lease), path, fd);
}

void Broker::Refuse(Asking& asking, std::uint32_t answer, const std::string& why) {
  broker::Send(asking.socket.get(), answer, why);
  Refusals& refusals = refusals_.try_emplace(asking.uid, Refusals{Clock::now() + kRefusalsWindow}).first->second;
  if (refusals.said < kRefusalsSaid) {
    ++refusals.said;
    Say("refused " + UserText(asking.uid) + ": " + why);
  } else {
    ++refusals.unsaid;
  }
  asking.socket.reset();
}

// The users whose minute ended: how many of their refusals went unsaid, and a new minute.
void Broker::SayUnsaidRefusals() {
  const Clock::time_point now = Clock::now();
  for (auto at = refusals_.begin(); at != refusals_.end();) {
    if (now < at->second.windowEnd) {
      ++at;
      continue;
    }
    if (at->second.unsaid)
      Say("refused " + UserText(at->first) + " " + std::to_string(at->second.unsaid) +
          " more times in a minute, not said one by one");
    at = refusals_.erase(at);
  }
}

void Broker::Keep(Asking& asking, Lease lease, const std::string& node, int fd) {
  lease.uid = asking.uid;
  lease.socket = std::move(asking.socket);
  if (!broker::Send(lease.socket.get(), broker::kGranted, node, fd)) return End(lease, "");
  Say("handed " + lease.what + " to " + UserText(lease.uid));
  leases_.push_back(std::move(lease));
}

void Broker::Serve(Lease& lease) {
  broker::Message message;
  std::vector<PointerEvent> events;
  if (!broker::Receive(lease.socket.get(), message, false)) return End(lease, "");
  if (!lease.pointer || message.first != broker::kPointerEvents || !broker::DecodeEvents(message.payload, events))
    return End(lease, "a lease carries a pointer's events alone");
  const auto dropped = std::stable_partition(
      events.begin(), events.end(), [&](const PointerEvent& e) { return PointerMakes(e, lease.width, lease.height); });
  if (dropped != events.end() && !lease.dropSaid) {
    lease.dropSaid = true;
    Say("dropped events " + lease.what + " does not make (type " + std::to_string(dropped->type) + ", code " +
        std::to_string(dropped->code) + ") from " + UserText(lease.uid));
  }
  events.erase(dropped, events.end());
  if (!events.empty() && !WriteInputEvents(lease.device.get(), events))
    End(lease, std::string("the pointer device failed: ") + std::strerror(errno));
}

void Broker::Review() {
  for (Lease& l : leases_)
    if (!l.ended)
      if (std::string why = seats_.Refusal(l.uid, l.seat); !why.empty()) End(l, why);
}

void Broker::End(Lease& lease, const std::string& why) {
  // The last words first: the service reads them once its reads of the device fail.
  if (!why.empty()) broker::Send(lease.socket.get(), broker::kRefused, why);
  if (lease.pointer) ::ioctl(lease.device.get(), UI_DEV_DESTROY);
  else ::ioctl(lease.device.get(), EVIOCREVOKE, nullptr);
  lease.device.reset();
  lease.socket.reset();
  lease.ended = true;
  Say(why.empty() ? UserText(lease.uid) + " gave back " + lease.what
                  : "took back " + lease.what + " from " + UserText(lease.uid) + ": " + why);
}

void Broker::Say(const std::string& text) { std::fprintf(stderr, "qx-com-broker: %s\n", text.c_str()); }

}  // namespace qx
