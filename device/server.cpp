#include "device/server.h"

#include <malloc.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "host/device_frame.h"
#include "host/short_turns.h"
#include "host/unix_connect.h"

namespace qx {

namespace {

// Clients at once. At the cap a new one takes the place of the client idle the longest; when none
// is idle it is closed at once.
constexpr std::size_t kMaxClients = 256;
// Connections waiting to be accepted. A gone or junk one costs the loop a call or two, so the
// backlog empties quickly: it only has to take bursts.
constexpr int kBacklog = 256;
// Connections taken in one round.
constexpr int kAcceptBatch = 64;
// A client is not served while its unread replies are this many bytes; it is not read from once
// its reader is full either, so its further requests wait in its own socket.
constexpr std::size_t kClientReplyCap = 64u << 10;
// A request that may get a large reply (the journal) is served only while the unread replies of
// all clients together leave room for one more such reply under this.
constexpr std::size_t kTotalReplyCap = 40u << 20;
// How long one client's requests are served in a row before the others get their turn, and how
// long the simulator's requests are served in one round before the loop looks again for the
// suite's and the inputs'.
constexpr auto kServeSlice = std::chrono::milliseconds(2);
constexpr auto kSimulatorShare = std::chrono::milliseconds(2);
// The loop's turns on a processor at most (host/short_turns.h).
constexpr std::chrono::microseconds kTurn{200};
// The epoll set's tags besides the clients' numbers, which start above them.
constexpr std::uint64_t kListenerTag = 0;
constexpr std::uint64_t kWakeTag = 1;
constexpr std::uint64_t kKeptTag = 2;
constexpr Controller::ClientId kFirstClientId = 16;

bool WatchFd(int epollFd, int op, int fd, std::uint32_t events, std::uint64_t tag) {
  epoll_event e{};
  e.events = events;
  e.data.u64 = tag;
  return ::epoll_ctl(epollFd, op, fd, &e) == 0;
}

// The epoll set's events within WAIT (null: until one comes), to the nanosecond where the kernel
// can (since Linux 5.11), else to the millisecond, rounded up.
int EpollWait(int epollFd, std::vector<epoll_event>& events, const timespec* wait) {
  static bool nanoseconds = true;
  const int room = static_cast<int>(events.size());
  if (nanoseconds) {
    const int n = ::epoll_pwait2(epollFd, events.data(), room, wait, nullptr);
    if (n >= 0 || errno != ENOSYS) return n;
    nanoseconds = false;
  }
  const long long ms = wait ? wait->tv_sec * 1000LL + (wait->tv_nsec + 999999) / 1000000 : -1;
  return ::epoll_wait(epollFd, events.data(), room, static_cast<int>(std::min<long long>(ms, 1 << 30)));
}

// An eventfd's count, taken whole.
void Drain(int fd) {
  std::uint64_t count;
  ssize_t ignored = ::read(fd, &count, sizeof count);
  (void)ignored;
}

}  // namespace

DeviceServer::DeviceServer(std::string socketPath, Controller& controller, TouchSide& touch)
    : path_(std::move(socketPath)),
      controller_(controller),
      touch_(touch),
      epollFd_(::epoll_create1(EPOLL_CLOEXEC)),
      wakeFd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)),
      lastId_(kFirstClientId),
      events_(kMaxClients + 3) {}

DeviceServer::~DeviceServer() {
  clients_.clear();
  if (listenFd_ >= 0) {
    ::close(listenFd_);
    ::unlink(path_.c_str());
  }
  for (int fd : {wakeFd_, epollFd_})
    if (fd >= 0) ::close(fd);
}

bool DeviceServer::Listen() {
  sockaddr_un addr{};
  if (path_.size() >= sizeof(addr.sun_path)) {
    std::fprintf(stderr, "qxwmecomd: socket path too long: %s\n", path_.c_str());
    return false;
  }
  addr.sun_family = AF_UNIX;
  std::memcpy(addr.sun_path, path_.c_str(), path_.size() + 1);

  // A socket file left by a service that died is stale; one that answers (or is too busy to) is
  // another service.
  int probe = ConnectUnix(path_, Clock::now() + std::chrono::seconds(1));
  if (probe >= 0 || errno == ETIMEDOUT) {
    if (probe >= 0) ::close(probe);
    std::fprintf(stderr, "qxwmecomd: another device service already serves %s\n", path_.c_str());
    return false;
  }
  ::unlink(path_.c_str());

  listenFd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  mode_t old = ::umask(0077);
  bool ok = listenFd_ >= 0 && ::bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
  ::umask(old);
  if (ok) ::chmod(path_.c_str(), 0600);
  ok = ok && ::listen(listenFd_, kBacklog) == 0 && epollFd_ >= 0 && wakeFd_ >= 0 &&
       WatchFd(epollFd_, EPOLL_CTL_ADD, listenFd_, EPOLLIN, kListenerTag) &&
       WatchFd(epollFd_, EPOLL_CTL_ADD, wakeFd_, EPOLLIN, kWakeTag) &&
       WatchFd(epollFd_, EPOLL_CTL_ADD, controller_.KeptDescriptor(), EPOLLIN, kKeptTag);
  if (!ok) {
    std::fprintf(stderr, "qxwmecomd: cannot serve %s: %s\n", path_.c_str(), std::strerror(errno));
    return false;
  }
  return true;
}

void DeviceServer::Stop() {
  stop_ = true;
  const std::uint64_t one = 1;
  ssize_t ignored = ::write(wakeFd_, &one, sizeof one);
  (void)ignored;
}

// One round: the inputs report first, then the clients are read, new ones taken, requests
// answered (the suite's first) and replies sent.
void DeviceServer::Run() {
  // Reports are due every few milliseconds: a woken loop must not wait for a busy neighbour's
  // whole turn on the processor (several milliseconds on a loaded machine).
  AskForShortTurns(kTurn);
  while (!stop_) {
    WaitForWork();
    if (stop_) break;
    touch_.Wake(Clock::now(), waitSet_.data() + 1, waitSet_.size() - 1);
    TakeEvents();
    if (acceptable_) Accept();
    workLeft_ = false;
    ServeSuite();
    ServeSimulator();
    ReleaseKept();
    UpdateWatches();
    GiveMemoryBackWhenQuiet();
  }
  clients_.clear();
}

// The epoll set's descriptor is one among the touch side's few, which change as inputs come and
// go: polled afresh each time, they need no bookkeeping, and a descriptor an input closed (whose
// device the broker may still hold open) cannot linger in a set. With none of them (the simulated
// controller alone) the loop waits on the epoll set itself: one call less for every request.
//
// With nothing due, the wait has no end: everything that brings work is a descriptor, and a wait
// with a timeout arms a timer in the kernel each time (some 7 % of a request's round trip).
void DeviceServer::WaitForWork() {
  waitSet_.clear();
  waitSet_.push_back({epollFd_, POLLIN, 0});
  touch_.AppendPollEntries(waitSet_);
  timespec wait{};
  const timespec* until = &wait;
  if (!workLeft_) {
    const std::optional<Clock::time_point> due = NextDue();
    if (due) {
      const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(
          std::max(*due - Clock::now(), Clock::duration{}));
      wait = {static_cast<time_t>(ns.count() / 1000000000), static_cast<long>(ns.count() % 1000000000)};
    } else {
      until = nullptr;
    }
  }
  eventCount_ = 0;
  const bool inputsToo = std::any_of(waitSet_.begin() + 1, waitSet_.end(), [](const pollfd& p) { return p.fd >= 0; });
  if (!inputsToo) {
    eventCount_ = EpollWait(epollFd_, events_, until);
  } else if (::ppoll(waitSet_.data(), waitSet_.size(), until, nullptr) > 0 && (waitSet_[0].revents & POLLIN)) {
    eventCount_ = ::epoll_wait(epollFd_, events_.data(), static_cast<int>(events_.size()), 0);
  }
  if (eventCount_ < 0) {
    if (errno != EINTR) std::fprintf(stderr, "qxwmecomd: waiting: %s\n", std::strerror(errno));
    eventCount_ = 0;
  }
}

std::optional<DeviceServer::Clock::time_point> DeviceServer::NextDue() {
  std::optional<Clock::time_point> due = touch_.NextDue();
  const auto sooner = [&due](Clock::time_point t) {
    if (!due || t < *due) due = t;
  };
  for (const auto& [id, c] : clients_) {
    if (c.heldUntil) sooner(*c.heldUntil);
    if (c.Unsent() > 0) sooner(c.takenAt + ServiceClient::kStalledReader);
  }
  return due;
}

void DeviceServer::TakeEvents() {
  acceptable_ = false;
  for (int i = 0; i < eventCount_; ++i) {
    const std::uint64_t tag = events_[i].data.u64;
    if (tag == kListenerTag) acceptable_ = true;
    else if (tag == kWakeTag) Drain(wakeFd_);
    else if (tag == kKeptTag) Drain(controller_.KeptDescriptor());  // ReleaseKept looks each round
    else OnClientEvent(tag, events_[i].events);
  }
}

// A client whose peer has gone (a hang-up both ways, or an error) is closed at once, whatever it
// sent: nobody waits for its replies.
void DeviceServer::OnClientEvent(Controller::ClientId id, std::uint32_t events) {
  const auto it = clients_.find(id);
  if (it == clients_.end()) return;
  ServiceClient& c = it->second;
  const bool gone = (events & (EPOLLHUP | EPOLLERR)) != 0;
  const bool readable = (events & EPOLLIN) && c.in.Room() > 0;  // a full reader waits for its requests' turn
  if (!gone && readable && c.TakeIn(Clock::now()) < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
    Drop(it);
    return;
  }
  // Its room is used in its turn among the simulator's work: sending megabytes of journal to many
  // readers must not hold up the suite's requests.
  if (events & EPOLLOUT) c.writable = true;
  if (gone || c.Malformed()) Drop(it);
}

// Most clients send their first request with the connect: it is read at once, and served in the
// same round. One that sent its request and hung up is seen gone, and closed without being served.
void DeviceServer::Accept() {
  for (int taken = 0; taken < kAcceptBatch; ++taken) {
    const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd < 0) return;
    const Controller::ClientId id = lastId_ + 1;
    if (!MakePlace() || !WatchFd(epollFd_, EPOLL_CTL_ADD, fd, EPOLLIN, id)) {
      ::close(fd);
      continue;
    }
    lastId_ = id;
    const auto it = clients_.try_emplace(id, fd, id, Clock::now()).first;
    it->second.watching = EPOLLIN;
    pollfd peer{fd, POLLIN, 0};
    if (::poll(&peer, 1, 0) == 1) OnClientEvent(id, peer.revents & POLLHUP ? EPOLLHUP : EPOLLIN);
  }
}

// An idle client (one waiting for its next request) holds its place only as long as nobody else
// needs it: clients that connect and send nothing cannot shut others out.
bool DeviceServer::MakePlace() {
  if (clients_.size() < kMaxClients) return true;
  auto quietest = clients_.end();
  for (auto it = clients_.begin(); it != clients_.end(); ++it)
    if (it->second.Idle() && (quietest == clients_.end() || it->second.sentAt < quietest->second.sentAt)) quietest = it;
  if (quietest == clients_.end()) return false;
  Drop(quietest);
  return true;
}

void DeviceServer::ServeSuite() {
  for (auto it = clients_.begin(); it != clients_.end();) it = Serve(it->second, Line::kSuite) ? std::next(it) : Drop(it);
}

// In turn from the client after the one served last, so that every client gets its share however
// many there are; a round serves one client at least. Replies that waited for room are sent here.
void DeviceServer::ServeSimulator() {
  const Clock::time_point start = Clock::now();
  auto it = clients_.upper_bound(lastSimulatorClient_);
  for (std::size_t visited = 0, count = clients_.size(); visited < count; ++visited) {
    if (it == clients_.end()) it = clients_.begin();
    if (Clock::now() - start >= kSimulatorShare) {
      workLeft_ = true;
      return;
    }
    const Controller::ClientId id = it->first;
    ServiceClient& c = it->second;
    Request r;
    const bool asks = c.writable || (c.Next(r) && LineOf(r.code) == Line::kSimulator);
    const bool stays = (!c.writable || Flush(c)) && Serve(c, Line::kSimulator);
    c.writable = false;
    it = stays ? std::next(it) : Drop(it);
    if (asks) lastSimulatorClient_ = id;
  }
}

bool DeviceServer::Serve(ServiceClient& c, Line line) {
  Request r;
  if (!c.Next(r) || LineOf(r.code) != line) return true;
  Clock::time_point now = Clock::now();
  const Clock::time_point sliceEnd = now + kServeSlice;
  controller_.journal().Hold();
  while (c.Next(r) && LineOf(r.code) == line && c.Pending() < kClientReplyCap) {
    WakeTouchIfDue(now);
    if (!Servable(c, r, now)) break;
    DeviceReply reply = controller_.Handle(r.code, r.payload, r.size, c.id);
    if (reply.unfinished) {
      workLeft_ = true;  // the rest of it in the next round, after the others
      break;
    }
    pendingTotal_ += c.Add(std::move(reply));
    c.in.Pop();
    c.heldUntil.reset();
    if ((now = Clock::now()) >= sliceEnd) {
      workLeft_ = workLeft_ || c.Next(r);
      break;
    }
  }
  // The replies go out before the journal's lines are written: on a busy machine every
  // microsecond before a reply costs several in the client's round trip.
  const bool stays = !c.Malformed() && Flush(c);
  controller_.journal().LetGo();
  return stays;
}

DeviceServer::Line DeviceServer::LineOf(std::uint32_t code) {
  return Controller::SimulatorRequest(code) ? Line::kSimulator : Line::kSuite;
}

// A request the controller holds waits from the moment it is first seen, for as long as the
// controller says at the most.
bool DeviceServer::Servable(ServiceClient& c, const Request& r, Clock::time_point now) {
  const std::chrono::milliseconds hold = controller_.HoldFor(r.code, r.payload, r.size);
  if (hold.count() > 0) {
    if (!c.heldUntil) c.heldUntil = now + hold;
    if (now < *c.heldUntil) return false;
  }
  return RoomFor(r.code);
}

bool DeviceServer::RoomFor(std::uint32_t code) const {
  // No reply is larger than a frame's payload: while that fits, the request need not be looked up.
  return pendingTotal_ + frame::kMaxPayload <= kTotalReplyCap ||
         pendingTotal_ + Controller::ReplyBound(code) <= kTotalReplyCap;
}

void DeviceServer::WakeTouchIfDue(Clock::time_point now) {
  const std::optional<Clock::time_point> due = touch_.NextDue();
  if (due && *due <= now) touch_.Wake(now, nullptr, 0);
}

void DeviceServer::ReleaseKept() {
  const auto kept = [this](std::uint64_t generation) { return controller_.Kept(generation); };
  const auto notKept = [this] { controller_.NoteNotKept(); };
  for (auto it = clients_.begin(); it != clients_.end();) {
    ServiceClient& c = it->second;
    if (c.held.empty()) {
      ++it;
      continue;
    }
    pendingTotal_ -= c.ReleaseHeld(kept, notKept);
    it = Flush(c) ? std::next(it) : Drop(it);
  }
}

bool DeviceServer::Flush(ServiceClient& c) {
  if (c.Unsent() == 0) return true;
  const ssize_t sent = c.Send(Clock::now());
  if (sent < 0) return false;
  pendingTotal_ -= static_cast<std::size_t>(sent);
  // A large reply's room goes back once it is sent, as a reader's does once it is empty: clients
  // that read the journal once and then sit idle hold no more than those that never did.
  if (c.Unsent() == 0 && c.out.capacity() > RequestReader::kKeptRoom) {
    c.out.shrink_to_fit();
    largeReplySent_ = true;
  }
  return true;
}

// Also where the clients done with are closed: a stalled reader, which no event reports, and one
// that hung up once everything it sent is answered, or cannot be.
void DeviceServer::UpdateWatches() {
  const Clock::time_point now = Clock::now();
  for (auto it = clients_.begin(); it != clients_.end();) {
    ServiceClient& c = it->second;
    if ((c.Unsent() > 0 && now - c.takenAt >= ServiceClient::kStalledReader) || (c.hungUp && c.Idle())) {
      it = Drop(it);
      continue;
    }
    const std::uint32_t wanted = c.Interest();
    if (wanted != c.watching && WatchFd(epollFd_, EPOLL_CTL_MOD, c.fd, wanted, c.id)) c.watching = wanted;
    ++it;
  }
}

DeviceServer::Clients::iterator DeviceServer::Drop(Clients::iterator it) {
  pendingTotal_ -= it->second.Pending();
  controller_.Leaves(it->first);
  return clients_.erase(it);  // closing its socket takes it out of the epoll set
}

// A journal read's reply is a few megabytes. The C library's allocator keeps freed blocks for the
// next ones: cheap while journal reads go on, but clients that had read the journal and sat idle
// would leave tens of megabytes held. Once no reply waits to be sent, what it keeps free goes back.
void DeviceServer::GiveMemoryBackWhenQuiet() {
  if (!largeReplySent_ || pendingTotal_ > 0) return;
  largeReplySent_ = false;
  malloc_trim(0);
}

}  // namespace qx
