#include "device/server.h"

#include <malloc.h>
#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <deque>
#include <system_error>
#include <thread>

#include "host/device_frame.h"
#include "host/unix_connect.h"

namespace qx {

namespace {

// Clients at once, those whose first request is not whole yet among them. At the cap a new one
// takes the place of the client idle the longest; when none is idle it is closed at once.
constexpr std::size_t kMaxClients = 256;
// Connections waiting to be accepted. Each costs the loop a read and a close when it turns out to
// be junk, so the backlog empties quickly: it only has to take bursts.
constexpr int kBacklog = 256;
// Connections taken in one go before the loop lets the turn go to those waiting for it.
constexpr int kAcceptBatch = 32;
// A client's turn ends once its unread replies are this many bytes; it is not read from until
// they are sent, so its further requests wait in its own socket.
constexpr std::size_t kClientReplyCap = 64u << 10;
// A request that may get a large reply (the journal) is served only while the unread replies of
// all clients together leave room for one more such reply under this.
constexpr std::size_t kTotalReplyCap = 40u << 20;
// How long one client's requests are served in a row before the others get their turn.
constexpr auto kServeSlice = std::chrono::milliseconds(2);
// A client that has taken nothing of its unread replies for this long is disconnected, so that
// clients that never read cannot hold the room for large replies for ever.
constexpr timeval kStalledReader{10, 0};
// How long the loop sleeps at most: what wakes it is otherwise always announced (a descriptor, a
// due time, the wake-up descriptor), so this only bounds a wake-up that went astray.
constexpr int kLongestSleepMs = 250;
// The loop's poll set: the listening socket, the wake-up descriptor, then the inputs.
constexpr std::size_t kListening = 0;
constexpr std::size_t kWakeUp = 1;
constexpr std::size_t kFirstInput = 2;

// A client's thread leaves the stop signals to the loop's thread, whose poll they cut short.
// Faults stay unblocked, so that a crash is still reported where it happens.
void LeaveStopSignalsToTheLoop() {
  sigset_t stops;
  sigemptyset(&stops);
  sigaddset(&stops, SIGTERM);
  sigaddset(&stops, SIGINT);
  pthread_sigmask(SIG_BLOCK, &stops, nullptr);
}

}  // namespace

struct DeviceServer::Client {
  int fd = -1;
  Controller::ClientId id = 0;
  RequestReader in;
  // The replies of the turn, sent when the turn ends.
  std::vector<std::uint8_t> out;
  std::size_t outSent = 0;
  // The replies that wait for the kept settings (DeviceReply::kept), and every one after them,
  // in order: they go into OUT once the settings are on disk, without the turn.
  std::deque<DeviceReply> held;
  std::size_t heldBytes = 0;
  bool hungUp = false;  // it will send nothing more
  // Set by the loop, holding the turn: it has a thread of its own (its first request was whole),
  // and it was shut down to give its place to a new client.
  bool attended = false;
  bool evicted = false;
  // The line of the turn it takes or holds: that of its first request.
  TurnLock::Line line = TurnLock::Line::kPrompt;
  // For the loop's choice of a client to give its place up: whether its thread waits for it to
  // send something, and when it last did (or connected), in Clock's ticks.
  std::atomic<bool> waiting{false};
  std::atomic<Clock::rep> sentAt{0};
  // For a first request the controller holds (Controller::Holds): when it is answered at the latest.
  std::optional<Clock::time_point> heldUntil;
  // The inputs' descriptors, polled (without waiting) before each turn.
  std::vector<pollfd> inputs;

  // Reply bytes not sent yet: those of OUT, and the held ones.
  std::size_t Unsent() const { return out.size() - outSent; }
  std::size_t Pending() const { return Unsent() + heldBytes; }
  bool HasRequest() const {
    Request r;
    return in.Peek(r) != RequestReader::State::kNeedMore;
  }
  // Whether it waits for its next request: a client without a thread always does.
  bool Idle() const { return !attended || waiting; }
  // One read of what it sent, as far as its reader has room, with recv FLAGS: recv's result.
  ssize_t TakeIn(int flags) {
    std::uint8_t chunk[16u << 10];
    const ssize_t n = ::recv(fd, chunk, std::min(sizeof chunk, in.Room()), flags);
    if (n > 0) {
      in.Append(chunk, static_cast<std::size_t>(n));
      sentAt = Clock::now().time_since_epoch().count();
    }
    if (n == 0) hungUp = true;
    return n;
  }
};

DeviceServer::DeviceServer(std::string socketPath, Controller& controller, TouchSide& touch)
    : path_(std::move(socketPath)),
      controller_(controller),
      touch_(touch),
      wakeFd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

DeviceServer::~DeviceServer() {
  if (listenFd_ >= 0) {
    ::close(listenFd_);
    ::unlink(path_.c_str());
  }
  if (wakeFd_ >= 0) ::close(wakeFd_);
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
  if (!ok || ::listen(listenFd_, kBacklog) != 0 || wakeFd_ < 0) {
    std::fprintf(stderr, "qxwmecomd: cannot serve %s: %s\n", path_.c_str(), std::strerror(errno));
    return false;
  }
  return true;
}

void DeviceServer::Stop() {
  stop_ = true;
  WakeLoop();
}

void DeviceServer::WakeLoop() {
  const std::uint64_t one = 1;
  ssize_t ignored = ::write(wakeFd_, &one, sizeof one);
  (void)ignored;
}

// The loop's thread: it holds the turn except while it sleeps in its poll.
void DeviceServer::Run() {
  Turn turn(turn_);
  while (!stop_) {
    const int timeout = PreparePoll();
    turn.unlock();
    GiveMemoryBackWhenQuiet();
    const int ready = ::poll(fds_.data(), fds_.size(), timeout);
    turn.lock();
    if (ready < 0 && errno != EINTR) {
      std::fprintf(stderr, "qxwmecomd: poll: %s\n", std::strerror(errno));
      break;
    }
    if (ready < 0) {
      for (pollfd& p : fds_) p.revents = 0;
    }
    if (fds_[kWakeUp].revents & POLLIN) {
      std::uint64_t wakeUps;  // an eventfd: one read takes them all
      ssize_t ignored = ::read(wakeFd_, &wakeUps, sizeof wakeUps);
      (void)ignored;
    }
    touch_.Wake(Clock::now(), fds_.data() + kFirstInput, fds_.size() - kFirstInput);
    NoteChange();
    ReadFirstRequests();
    if (fds_[kListening].revents & POLLIN) AcceptClients();
  }
  EndClients(turn);
}

int DeviceServer::PreparePoll() {
  const Clock::time_point now = Clock::now();
  int timeout = kLongestSleepMs;
  NoteDue();
  if (due_) {
    auto wait = std::chrono::ceil<std::chrono::milliseconds>(*due_ - now).count();
    timeout = static_cast<int>(std::clamp<long long>(wait, 0, timeout));
  }
  loopWakesBy_ = now + std::chrono::milliseconds(timeout);
  fds_.clear();
  fds_.push_back({listenFd_, POLLIN, 0});
  fds_.push_back({wakeFd_, POLLIN, 0});
  touch_.AppendPollEntries(fds_);
  firstReadsAt_ = fds_.size();
  firstReads_.clear();
  for (Client& c : clients_) {
    if (c.attended) continue;
    fds_.push_back({c.fd, POLLIN, 0});
    firstReads_.push_back(&c);
  }
  return timeout;
}

// A journal read's reply is a few megabytes, made and freed by its client's thread. The C
// library's allocator keeps freed blocks for the next ones: cheap while journal reads go on
// (mapping each afresh doubled a read's cost), but with an arena of its own for each of many
// threads, clients that had read the journal and sat idle held tens of megabytes. So the threads
// share one arena (the turn lets one at a time do most of the work anyway), and once no reply
// waits to be sent the loop hands what the arena keeps free back to the system.
void DeviceServer::GiveMemoryBackWhenQuiet() {
  if (!largeReplySent_ || pendingTotal_ > 0) return;
  largeReplySent_ = false;
  malloc_trim(0);
}

void DeviceServer::NoteDue() {
  due_ = touch_.NextDue();
  inputDescriptors_ = touch_.HasDescriptors();
}

bool DeviceServer::InputsMayHaveWork() const { return inputDescriptors_ || (due_ && *due_ <= Clock::now()); }

void DeviceServer::WakeLoopIfDueSooner() {
  if (!due_ || *due_ >= loopWakesBy_) return;
  loopWakesBy_ = *due_;
  WakeLoop();
}

void DeviceServer::ReadFirstRequests() {
  for (std::size_t i = 0; i < firstReads_.size(); ++i)
    if (fds_[firstReadsAt_ + i].revents) ReadFirstRequest(*firstReads_[i]);
}

void DeviceServer::AcceptClients() {
  for (int taken = 0; taken < kAcceptBatch; ++taken) {
    // Blocking, unlike the listening socket: the client's thread waits in its calls.
    const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) return;
    if (!MakePlace()) {
      ::close(fd);
      continue;
    }
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &kStalledReader, sizeof kStalledReader);
    Client& c = clients_.emplace_back();
    c.fd = fd;
    c.id = ++lastId_;
    c.sentAt = Clock::now().time_since_epoch().count();
    ReadFirstRequest(c);  // most clients send their request with the connect
  }
}

// An idle client (one waiting for its next request, or for its first) holds its place only as
// long as nobody else needs it: clients that connect and send nothing cannot shut others out.
bool DeviceServer::MakePlace() {
  if (clients_.size() - evicted_ < kMaxClients) return true;
  Client* quietest = nullptr;
  for (Client& c : clients_)
    if (!c.evicted && c.Idle() && (!quietest || c.sentAt < quietest->sentAt)) quietest = &c;
  if (!quietest) return false;
  if (!quietest->attended) {
    Drop(*quietest);
    return true;
  }
  // Its thread sees the end of its stream and leaves.
  ::shutdown(quietest->fd, SHUT_RDWR);
  quietest->evicted = true;
  ++evicted_;
  return true;
}

void DeviceServer::ReadFirstRequest(Client& c) {
  const ssize_t n = c.TakeIn(MSG_DONTWAIT);
  if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return;
  Request r;
  const RequestReader::State state = c.in.Peek(r);
  if (state == RequestReader::State::kRequest) StartAttending(c);
  else if (n <= 0 || state == RequestReader::State::kMalformed) Drop(c);
}

void DeviceServer::StartAttending(Client& c) {
  c.attended = true;
  try {
    // It ends on its own, after taking itself off the list; Run waits for that.
    std::thread(&DeviceServer::Attend, this, std::ref(c)).detach();
  } catch (const std::system_error& e) {
    std::fprintf(stderr, "qxwmecomd: no thread for a client: %s\n", e.what());
    Drop(c);
  }
}

void DeviceServer::Drop(Client& c) {
  ::close(c.fd);
  clients_.remove_if([&](const Client& each) { return &each == &c; });
}

void DeviceServer::EndClients(Turn& turn) {
  for (auto next = clients_.begin(); next != clients_.end();) {
    Client& c = *next++;
    if (c.attended) ::shutdown(c.fd, SHUT_RDWR);
    else Drop(c);
  }
  WakeRoomWaiters();
  NoteChange();
  ++changeWaiters_;
  changed_.wait(turn, [&] { return clients_.empty(); });
  --changeWaiters_;
}

void DeviceServer::Attend(Client& c) {
  LeaveStopSignalsToTheLoop();
  for (;;) {
    if (!c.HasRequest()) {
      // A client that hung up goes once everything it sent is answered, or cannot be.
      if (c.hungUp || !Receive(c)) break;
      continue;
    }
    Turn turn;
    TakeTurnFor(c, turn);
    const bool stays = TakeTurn(c, turn);
    turn.unlock();
    if (!stays || !WriteTo(c)) break;
  }
  Leave(c);
}

// Takes one read of what the client sent, waiting for it; idle meanwhile.
bool DeviceServer::Receive(Client& c) {
  c.waiting = true;
  ssize_t n;
  while ((n = c.TakeIn(0)) < 0 && errno == EINTR) {
  }
  c.waiting = false;
  return n >= 0;
}

TurnLock::Line DeviceServer::LineOf(std::uint32_t code) {
  return Controller::SimulatorRequest(code) ? TurnLock::Line::kBulk : TurnLock::Line::kPrompt;
}

void DeviceServer::TakeTurnFor(Client& c, Turn& turn) {
  Request r;
  c.line = c.in.Peek(r) == RequestReader::State::kRequest ? LineOf(r.code) : TurnLock::Line::kPrompt;
  turn.release();
  turn_.lock(c.line);
  turn = Turn(turn_, std::adopt_lock);
}

// Before its replies go out the turn does only what they need: on a busy machine every
// microsecond before a reply costs several in the client's round trip, and what follows it costs
// nothing there. So the inputs are woken only when that may do something, and the journal's lines
// are written once the replies are sent.
bool DeviceServer::TakeTurn(Client& c, Turn& turn) {
  if (stop_) return false;
  if (InputsMayHaveWork()) {
    // Reports that came in meanwhile go before the request.
    const pollfd* polled = PollInputsNow(c);
    touch_.Wake(Clock::now(), polled, c.inputs.size());
  }
  controller_.journal().Hold();
  const bool stays = ServeTurn(c, turn);
  // A send that would wait is left to WriteTo, without the turn.
  if (stays) SendPending(c, MSG_DONTWAIT);
  controller_.journal().LetGo();
  NoteChange();
  NoteDue();
  WakeLoopIfDueSooner();
  return stays;
}

// The client's poll set of the inputs, polled without waiting; no call when no input has a
// descriptor (the simulated finger alone).
const pollfd* DeviceServer::PollInputsNow(Client& c) {
  c.inputs.clear();
  touch_.AppendPollEntries(c.inputs);
  if (inputDescriptors_) ::poll(c.inputs.data(), c.inputs.size(), 0);
  return c.inputs.data();
}

// Answers the client's whole requests for one turn: those of the turn's line, while its unread
// replies stay under its cap, and for no longer than one slice. A request that may not be answered
// yet is waited for, once the replies before it are sent.
bool DeviceServer::ServeTurn(Client& c, Turn& turn) {
  // The slice is timed from the second request on: most turns have one, which needs no clock.
  std::optional<Clock::time_point> start;
  const auto started = [&start] {
    if (!start) start = Clock::now();
    return *start;
  };
  Request r;
  for (bool first = true;; first = false) {
    const RequestReader::State state = c.in.Peek(r);
    if (state == RequestReader::State::kMalformed || stop_) return false;  // not our peer
    if (state == RequestReader::State::kNeedMore || c.Pending() >= kClientReplyCap ||
        (!first && (LineOf(r.code) != c.line || Clock::now() - started() >= kServeSlice)))
      return true;
    // A request the controller holds waits from the moment it is first seen.
    if (!c.heldUntil && controller_.Holds(r.code)) c.heldUntil = started() + std::chrono::milliseconds(kRbfWaitHoldMs);
    if (Servable(c, r.code)) {
      Answer(c, r);
      continue;
    }
    if (c.Pending() > 0) return true;
    WaitToServe(c, r.code, turn);
  }
}

bool DeviceServer::HeldBack(const Client& c, std::uint32_t code) const {
  return controller_.Holds(code) && !(c.heldUntil && Clock::now() >= *c.heldUntil);
}

bool DeviceServer::Servable(const Client& c, std::uint32_t code) { return !HeldBack(c, code) && RoomFor(code); }

bool DeviceServer::RoomFor(std::uint32_t code) const {
  const std::size_t pending = pendingTotal_;
  // No reply is larger than a frame's payload: while that fits, the request need not be looked up.
  return pending + frame::kMaxPayload <= kTotalReplyCap || pending + Controller::ReplyBound(code) <= kTotalReplyCap;
}

void DeviceServer::WaitToServe(Client& c, std::uint32_t code, Turn& turn) {
  // The turn is given up here: the journal gets the lines so far, the waiters learn what it changed.
  controller_.journal().LetGo();
  NoteChange();
  if (HeldBack(c, code)) {
    ++changeWaiters_;
    changed_.wait_until(turn, *c.heldUntil, [&] { return stop_ || !controller_.Holds(code); });
    --changeWaiters_;
    return;
  }
  turn.unlock();
  {
    std::unique_lock<std::mutex> room(roomMutex_);
    ++roomWaiters_;  // before the room is looked at: see RemovePending
    roomFreed_.wait(room, [&] { return stop_ || RoomFor(code); });
    --roomWaiters_;
  }
  TakeTurnFor(c, turn);
}

void DeviceServer::Answer(Client& c, const Request& r) {
  DeviceReply reply = controller_.Handle(r.code, r.payload, r.size, c.id);
  c.in.Pop();
  c.heldUntil.reset();
  AddPending(frame::kHeaderSize + reply.data.size());
  if (reply.kept == 0 && c.held.empty()) {
    PutReply(c, reply);
    return;
  }
  c.heldBytes += frame::kHeaderSize + reply.data.size();
  c.held.push_back(std::move(reply));
}

void DeviceServer::PutReply(Client& c, const DeviceReply& reply) {
  std::uint8_t header[frame::kHeaderSize];
  frame::PutU32(header, reply.success ? 1 : 0);
  frame::PutU32(header + 4, static_cast<std::uint32_t>(reply.data.size()));
  // Grown once for a large reply (a journal read), not once for its header and again for its text.
  const std::size_t needed = c.out.size() + sizeof header + reply.data.size();
  if (needed > c.out.capacity()) c.out.reserve(std::max(needed, 2 * c.out.capacity()));
  c.out.insert(c.out.end(), header, header + sizeof header);
  c.out.insert(c.out.end(), reply.data.begin(), reply.data.end());
}

// A reply whose settings could not be written says that its request failed: the caller learns
// that the change is not kept, although the service runs with it.
bool DeviceServer::ReleaseHeld(Client& c) {
  while (!c.held.empty()) {
    DeviceReply& reply = c.held.front();
    const std::size_t bytes = frame::kHeaderSize + reply.data.size();
    if (reply.kept && !controller_.WaitKept(reply.kept)) {
      {
        Turn turn(turn_);
        controller_.NoteNotKept();
      }
      RemovePending(reply.data.size());
      reply = DeviceReply{};
    }
    c.heldBytes -= bytes;
    PutReply(c, reply);
    c.held.pop_front();
    if (!SendPending(c, 0)) return false;
  }
  return true;
}

bool DeviceServer::SendPending(Client& c, int flags) {
  while (c.Unsent() > 0) {
    const ssize_t n = ::send(c.fd, c.out.data() + c.outSent, c.Unsent(), MSG_NOSIGNAL | flags);
    if (n > 0) {
      c.outSent += static_cast<std::size_t>(n);
      RemovePending(static_cast<std::size_t>(n));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    return false;
  }
  return true;
}

// The client is to go when it is gone, or has taken nothing for kStalledReader (the socket's
// send time-out).
bool DeviceServer::WriteTo(Client& c) {
  if (!SendPending(c, 0) || !ReleaseHeld(c)) return false;
  c.out.clear();
  c.outSent = 0;
  // A large reply's room goes back once it is sent, as a reader's does once it is empty: clients
  // that read the journal once and then sit idle hold no more than those that never did.
  if (c.out.capacity() > RequestReader::kKeptRoom) {
    c.out.shrink_to_fit();
    largeReplySent_ = true;
  }
  return true;
}

void DeviceServer::Leave(Client& c) {
  RemovePending(c.Pending());
  Turn turn(turn_);
  controller_.Leaves(c.id);
  if (c.evicted) --evicted_;
  ::close(c.fd);
  clients_.remove_if([&](const Client& each) { return &each == &c; });
  NoteChange();
  NoteDue();
  WakeLoopIfDueSooner();
}

void DeviceServer::AddPending(std::size_t bytes) { pendingTotal_ += bytes; }

// A waiter counts itself before it looks at the room, and this looks for waiters after it frees
// some: so either the waiter sees the room freed or this sees the waiter, and wakes it once it
// waits (the mutex, taken empty, lets it get there).
void DeviceServer::RemovePending(std::size_t bytes) {
  pendingTotal_ -= bytes;
  if (roomWaiters_ > 0) WakeRoomWaiters();
}

void DeviceServer::WakeRoomWaiters() {
  { std::lock_guard<std::mutex> room(roomMutex_); }
  roomFreed_.notify_all();
}

void DeviceServer::NoteChange() {
  if (changeWaiters_ > 0) changed_.notify_all();
}

}  // namespace qx
