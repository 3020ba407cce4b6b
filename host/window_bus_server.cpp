#include "host/window_bus_server.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>

#include "host/device_frame.h"
#include "host/machine_root.h"

namespace qx {

namespace {

// How long a connected peer may take to deliver its request, and to take the answer.
constexpr auto kPeerBound = std::chrono::milliseconds(500);

std::mutex stateMutex;
WindowHost* servedHost = nullptr;
int listenFd = -1;
std::thread::id servingThread;
std::string socketPath;

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

void ServeConnection(WindowHost* host, int fd) {
  auto deadline = frame::Clock::now() + kPeerBound;
  std::uint8_t header[frame::kHeaderSize];
  if (!frame::ReceiveAll(fd, header, sizeof header, deadline)) return;
  std::uint32_t code = frame::GetU32(header);
  std::uint32_t size = frame::GetU32(header + 4);
  if (size > bus::kMaxRequest) return;
  std::vector<std::uint8_t> payload(size);
  if (!frame::ReceiveAll(fd, payload.data(), size, deadline)) return;
  std::vector<std::uint8_t> reply;
  bool success = Answer(host, code, payload, &reply);
  // The answer may have taken long (a procedure that shows a box); the sender may be gone.
  std::vector<std::uint8_t> out =
      frame::Encode(success ? 1 : 0, reply.data(), static_cast<std::uint32_t>(reply.size()));
  frame::SendAll(fd, out.data(), out.size(), frame::Clock::now() + kPeerBound);
}

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
  if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd, 64) != 0 ||
      ::rename(temporary.c_str(), path.c_str()) != 0) {
    ::close(fd);
    ::unlink(temporary.c_str());
    return -1;
  }
  std::lock_guard lock(stateMutex);
  servedHost = host;
  listenFd = fd;
  servingThread = std::this_thread::get_id();
  socketPath = path;
  return fd;
}

void StopWindowBus() {
  std::lock_guard lock(stateMutex);
  if (listenFd < 0) return;
  ::unlink(socketPath.c_str());
  ::close(listenFd);
  listenFd = -1;
  servedHost = nullptr;
  servingThread = std::thread::id();
}

void ServePendingBusRequests() {
  int fd;
  WindowHost* host;
  {
    std::lock_guard lock(stateMutex);
    if (std::this_thread::get_id() != servingThread) return;
    fd = listenFd;
    host = servedHost;
  }
  if (fd < 0) return;
  for (;;) {
    int connection = ::accept4(fd, nullptr, nullptr, SOCK_CLOEXEC);
    if (connection < 0) {
      if (errno == EINTR) continue;
      return;  // nothing more waiting (EAGAIN), or the socket is gone
    }
    ServeConnection(host, connection);
    ::close(connection);
  }
}

namespace bus {

bool AnswerHere(std::uint32_t code, const std::vector<std::uint8_t>& payload, bool* success,
                std::vector<std::uint8_t>* reply) {
  WindowHost* host;
  {
    std::lock_guard lock(stateMutex);
    if (listenFd < 0 || std::this_thread::get_id() != servingThread) return false;
    host = servedHost;
  }
  *success = Answer(host, code, payload, reply);
  return true;
}

int ServedHere() {
  std::lock_guard lock(stateMutex);
  return std::this_thread::get_id() == servingThread ? listenFd : -1;
}

}  // namespace bus

}  // namespace qx
