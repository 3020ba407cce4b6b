#include "host/window_bus_server.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "host/device_frame.h"
#include "host/machine_root.h"

namespace qx {

namespace {

using Clock = std::chrono::steady_clock;

// How long a connected peer may take to deliver its request, and to take the answer.
constexpr auto kPeerBound = std::chrono::milliseconds(500);
// Connections in progress at once; more wait in the listen backlog.
constexpr std::size_t kMaxConnections = 128;

bool Answer(WindowHost* host, std::uint32_t code, const std::vector<std::uint8_t>& payload,
            std::vector<std::uint8_t>* reply) {
  switch (code) {
    case bus::kList:
      if (!payload.empty()) return false;
      *reply = bus::EncodeEntries(host->Windows());
      return true;
    case bus::kSend: {
      auto args = bus::DecodeSend(payload);
      LRESULT result = 0;
      if (!args || !host->Deliver(args->hwnd, args->msg, args->wParam, args->lParam, &result)) return false;
      *reply = bus::EncodeResult(result);
      return true;
    }
    case bus::kRaise: {
      auto h = bus::DecodeHandle(payload);
      return h && host->Raise(*h);
    }
    default: return false;
  }
}

void Signal(int eventFd) {
  std::uint64_t one = 1;
  [[maybe_unused]] ssize_t n = ::write(eventFd, &one, sizeof one);
}

void Drain(int eventFd) {
  std::uint64_t count;
  [[maybe_unused]] ssize_t n = ::read(eventFd, &count, sizeof count);
}

// A whole request, read off the UI thread, waiting for the UI thread's answer.
struct Pending {
  std::uint64_t id = 0;
  std::uint32_t code = 0;
  std::vector<std::uint8_t> payload;
};

struct Answered {
  std::uint64_t id = 0;
  std::vector<std::uint8_t> frame;
};

// The socket's own thread: it accepts, reads each request whole within the bound, hands it to the
// UI thread, and writes the answer back within the bound. A peer that is silent or slow costs
// this thread a place in its poll and nothing else; the UI thread only ever sees whole requests.
class BusListener {
 public:
  BusListener(int listenFd, std::string path)
      : listenFd_(listenFd),
        path_(std::move(path)),
        ready_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)),
        wake_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

  ~BusListener() {
    stop_ = true;
    Signal(wake_);
    if (thread_.joinable()) thread_.join();
    for (auto& [id, c] : connections_) ::close(c.fd);
    ::unlink(path_.c_str());
    ::close(listenFd_);
    ::close(ready_);
    ::close(wake_);
  }

  bool Start() {
    if (ready_ < 0 || wake_ < 0) return false;
    thread_ = std::thread([this] { Run(); });
    return true;
  }

  // Readable while whole requests wait for the UI thread.
  int ReadyFd() const { return ready_; }

  std::deque<Pending> TakeRequests() {
    Drain(ready_);
    std::lock_guard lock(mutex_);
    return std::exchange(requests_, {});
  }

  void GiveAnswer(Answered answer) {
    {
      std::lock_guard lock(mutex_);
      answers_.push_back(std::move(answer));
    }
    Signal(wake_);
  }

 private:
  struct Connection {
    int fd = -1;
    Clock::time_point deadline;
    std::vector<std::uint8_t> in;  // the request as far as it came
    std::vector<std::uint8_t> out;
    std::size_t sent = 0;
    bool withUi = false;  // handed over, its answer not yet back
  };

  void Run() {
    std::vector<pollfd> fds;
    std::vector<std::uint64_t> ids;
    while (!stop_) {
      TakeAnswers();
      fds.clear();
      ids.clear();
      fds.push_back({wake_, POLLIN, 0});
      fds.push_back({listenFd_, static_cast<short>(connections_.size() < kMaxConnections ? POLLIN : 0), 0});
      Clock::time_point next = Clock::now() + std::chrono::seconds(1);
      for (auto& [id, c] : connections_) {
        if (c.withUi) continue;  // its answer comes when the UI thread gives it
        fds.push_back({c.fd, static_cast<short>(c.out.empty() ? POLLIN : POLLOUT), 0});
        ids.push_back(id);
        next = std::min(next, c.deadline);
      }
      auto wait = std::chrono::ceil<std::chrono::milliseconds>(next - Clock::now()).count();
      int n = ::poll(fds.data(), fds.size(), static_cast<int>(std::max<long long>(wait, 0)));
      if (n < 0 && errno != EINTR) return;
      if (fds[0].revents & POLLIN) Drain(wake_);
      for (std::size_t i = 0; i < ids.size(); ++i) {
        Connection& c = connections_[ids[i]];
        bool keep = c.out.empty() ? ReadFrom(ids[i], c, fds[i + 2].revents) : WriteTo(c, fds[i + 2].revents);
        if (keep && Clock::now() >= c.deadline) keep = false;
        if (!keep) {
          ::close(c.fd);
          connections_.erase(ids[i]);
        }
      }
      if (fds[1].revents & POLLIN) Accept();
    }
  }

  void Accept() {
    while (connections_.size() < kMaxConnections) {
      int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
      if (fd < 0) return;
      Connection& c = connections_[nextId_++];
      c.fd = fd;
      c.deadline = Clock::now() + kPeerBound;
    }
  }

  // False when the connection is to go: closed, malformed, or handed over whole.
  bool ReadFrom(std::uint64_t id, Connection& c, short revents) {
    if (!(revents & (POLLIN | POLLHUP | POLLERR))) return true;
    std::uint8_t chunk[frame::kHeaderSize + bus::kMaxRequest];
    std::size_t want = c.in.size() < frame::kHeaderSize ? frame::kHeaderSize - c.in.size()
                                                        : frame::kHeaderSize + RequestSize(c) - c.in.size();
    ssize_t n = ::recv(c.fd, chunk, want, 0);
    if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) return false;
    if (n > 0) c.in.insert(c.in.end(), chunk, chunk + n);
    if (c.in.size() < frame::kHeaderSize) return true;
    if (RequestSize(c) > bus::kMaxRequest) return false;  // no request is that long: not our peer
    if (c.in.size() < frame::kHeaderSize + RequestSize(c)) return true;
    c.withUi = true;
    {
      std::lock_guard lock(mutex_);
      requests_.push_back({id, frame::GetU32(c.in.data()), {c.in.begin() + frame::kHeaderSize, c.in.end()}});
    }
    Signal(ready_);
    return true;
  }

  static std::uint32_t RequestSize(const Connection& c) { return frame::GetU32(c.in.data() + 4); }

  // False when the connection is to go: written whole, or the peer is gone.
  bool WriteTo(Connection& c, short revents) {
    if (!(revents & (POLLOUT | POLLHUP | POLLERR))) return true;
    ssize_t n = ::send(c.fd, c.out.data() + c.sent, c.out.size() - c.sent, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n < 0) return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
    c.sent += static_cast<std::size_t>(n);
    return c.sent < c.out.size();
  }

  void TakeAnswers() {
    std::deque<Answered> answers;
    {
      std::lock_guard lock(mutex_);
      answers.swap(answers_);
    }
    for (Answered& a : answers) {
      auto it = connections_.find(a.id);
      if (it == connections_.end()) continue;
      // The answer may have taken long (a procedure that shows a box): the bound for taking it
      // starts now.
      it->second.out = std::move(a.frame);
      it->second.withUi = false;
      it->second.deadline = Clock::now() + kPeerBound;
    }
  }

  int listenFd_;
  std::string path_;
  int ready_;
  int wake_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
  std::map<std::uint64_t, Connection> connections_;  // this thread's only
  std::uint64_t nextId_ = 1;
  std::mutex mutex_;
  std::deque<Pending> requests_;
  std::deque<Answered> answers_;
};

std::mutex stateMutex;
WindowHost* servedHost = nullptr;
std::unique_ptr<BusListener> listener;
std::thread::id servingThread;

}  // namespace

int StartWindowBus(WindowHost* host) {
  StopWindowBus();
  std::string folder = bus::SocketFolder();
  MakeDirs(folder);
  std::string path = bus::SocketPath(::getpid());
  // Made under a temporary name and renamed when it listens: a socket file that exists under a
  // process id is always one that listened, so a refused connection means its process is gone.
  std::string temporary = folder + "/." + std::to_string(::getpid()) + ".new";
  sockaddr_un addr{};
  if (temporary.size() >= sizeof addr.sun_path) return -1;
  addr.sun_family = AF_UNIX;
  std::memcpy(addr.sun_path, temporary.c_str(), temporary.size() + 1);
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  ::unlink(temporary.c_str());
  // Only the owner may connect, whatever the umask: the mode is set before the socket is renamed
  // to the name clients look for.
  if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::chmod(temporary.c_str(), 0600) != 0 ||
      ::listen(fd, 64) != 0 || ::rename(temporary.c_str(), path.c_str()) != 0) {
    ::close(fd);
    ::unlink(temporary.c_str());
    return -1;
  }
  auto started = std::make_unique<BusListener>(fd, path);
  if (!started->Start()) return -1;
  std::lock_guard lock(stateMutex);
  servedHost = host;
  listener = std::move(started);
  servingThread = std::this_thread::get_id();
  return listener->ReadyFd();
}

void StopWindowBus() {
  std::unique_ptr<BusListener> stopping;
  {
    std::lock_guard lock(stateMutex);
    stopping = std::move(listener);
    servedHost = nullptr;
    servingThread = std::thread::id();
  }
  // Joined outside the lock; the socket file goes with it.
  stopping.reset();
}

void ServePendingBusRequests() {
  BusListener* served;
  WindowHost* host;
  {
    std::lock_guard lock(stateMutex);
    if (std::this_thread::get_id() != servingThread || !listener) return;
    served = listener.get();
    host = servedHost;
  }
  for (Pending& request : served->TakeRequests()) {
    std::vector<std::uint8_t> reply;
    bool success = Answer(host, request.code, request.payload, &reply);
    served->GiveAnswer(
        {request.id, frame::Encode(success ? 1 : 0, reply.data(), static_cast<std::uint32_t>(reply.size()))});
  }
}

namespace bus {

bool AnswerHere(std::uint32_t code, const std::vector<std::uint8_t>& payload, bool* success,
                std::vector<std::uint8_t>* reply) {
  WindowHost* host;
  {
    std::lock_guard lock(stateMutex);
    if (!listener || std::this_thread::get_id() != servingThread) return false;
    host = servedHost;
  }
  *success = Answer(host, code, payload, reply);
  return true;
}

int ServedHere() {
  std::lock_guard lock(stateMutex);
  return listener && std::this_thread::get_id() == servingThread ? listener->ReadyFd() : -1;
}

}  // namespace bus

}  // namespace qx
