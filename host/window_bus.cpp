#include "host/window_bus.h"

#include <dirent.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>

#include "host/device_frame.h"
#include "host/environment_bound.h"
#include "host/unix_connect.h"
#include "host/window_bus_server.h"
#include "host/window_bus_wire.h"

namespace qx {

namespace {

using Clock = std::chrono::steady_clock;
using bus::WindowEntry;

// How long a process that did not answer in time is taken for gone.
constexpr auto kSilenceMemory = std::chrono::seconds(1);

thread_local std::map<pid_t, Clock::time_point> silentSince;
// The top-level order as the last FindWindowA (or GetWindow FIRST/LAST) of this thread saw it.
thread_local std::vector<WindowEntry> lastListing;

bool ProcessGone(pid_t pid) { return ::kill(pid, 0) != 0 && errno == ESRCH; }

bool Silent(pid_t pid) {
  auto it = silentSince.find(pid);
  if (it == silentSince.end()) return false;
  if (Clock::now() - it->second < kSilenceMemory) return true;
  silentSince.erase(it);
  return false;
}

// A connection to PID's socket, or -1. A socket whose process is gone is removed: it is never
// trusted, and nobody else would clean it up.
int Connect(pid_t pid) {
  std::string path = bus::SocketPath(pid);
  // One try: a program whose backlog is full is not served for now, and waiting for it would
  // slow every walk over the windows.
  int fd = ConnectUnix(path, Clock::now());
  if (fd >= 0) return fd;
  if (errno == ECONNREFUSED && ProcessGone(pid)) ::unlink(path.c_str());
  if (errno == ETIMEDOUT) silentSince[pid] = Clock::now();  // its queue is full
  return -1;
}

// Reads SIZE bytes before DEADLINE. On the thread that serves this process's own windows, the
// requests that come in meanwhile are answered while waiting.
bool Receive(int fd, std::uint8_t* data, std::size_t size, Clock::time_point deadline) {
  int own = bus::ServedHere();
  if (own < 0) return frame::ReceiveAll(fd, data, size, deadline);
  std::size_t done = 0;
  while (done < size) {
    ssize_t n = ::recv(fd, data + done, size - done, MSG_DONTWAIT);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
      continue;
    }
    if (n == 0) return false;
    if (errno == EINTR) continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK) return false;
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return false;
    pollfd p[2] = {{fd, POLLIN, 0}, {own, POLLIN, 0}};
    int ready = ::poll(p, 2, static_cast<int>(left));
    if (ready < 0 && errno != EINTR) return false;
    if (ready > 0 && (p[1].revents & POLLIN)) ServePendingBusRequests();
  }
  return true;
}

// One request to process PID; true when it answered with success.
bool Ask(pid_t pid, std::uint32_t code, const std::vector<std::uint8_t>& payload, std::vector<std::uint8_t>* reply) {
  if (pid <= 0) return false;
  bool success = false;
  if (pid == ::getpid() && bus::AnswerHere(code, payload, &success, reply)) return success;
  if (Silent(pid)) return false;
  int fd = Connect(pid);
  if (fd < 0) return false;
  auto deadline = Clock::now() + std::chrono::milliseconds(WindowBusTimeoutMs());
  std::uint8_t header[frame::kHeaderSize];
  bool answered = frame::SendFrame(fd, code, payload.data(), static_cast<std::uint32_t>(payload.size()), deadline) &&
                  Receive(fd, header, sizeof header, deadline);
  std::uint32_t count = answered ? frame::GetU32(header + 4) : 0;
  if (answered && count <= frame::kMaxPayload) {
    reply->resize(count);
    answered = Receive(fd, reply->data(), count, deadline);
  } else {
    answered = false;
  }
  ::close(fd);
  if (!answered) {
    if (!ProcessGone(pid)) silentSince[pid] = Clock::now();
    return false;
  }
  return frame::GetU32(header) == 1;
}

std::optional<std::vector<WindowEntry>> List(pid_t pid) {
  std::vector<std::uint8_t> reply;
  if (!Ask(pid, bus::kList, {}, &reply)) return std::nullopt;
  auto entries = bus::DecodeEntries(reply);
  if (!entries) return std::nullopt;
  // A process speaks for its own windows only.
  std::erase_if(*entries, [pid](const WindowEntry& e) { return bus::OwnerOf(e.handle) != pid; });
  return entries;
}

// The process id a name in the socket folder stands for, or 0.
pid_t PidOf(const char* name) {
  if (!*name || std::strlen(name) > 10) return 0;
  for (const char* c = name; *c; ++c)
    if (*c < '0' || *c > '9') return 0;
  long value = std::strtol(name, nullptr, 10);
  return value > 0 && value <= INT_MAX / bus::kWindowsPerProcess ? static_cast<pid_t>(value) : 0;
}

// The top-level windows of every live process of the root, in top-level order.
std::vector<WindowEntry> ListAll() {
  std::vector<pid_t> pids;
  std::string folder = bus::SocketFolder();
  if (DIR* d = ::opendir(folder.c_str())) {
    while (dirent* e = ::readdir(d)) {
      if (pid_t pid = PidOf(e->d_name)) {
        pids.push_back(pid);
      } else if (e->d_name[0] == '.' && std::strstr(e->d_name, ".new")) {
        // A socket still being made, or left by a process that died while making it.
        std::string digits(e->d_name + 1, std::strcspn(e->d_name + 1, "."));
        if (pid_t maker = PidOf(digits.c_str()); maker && ProcessGone(maker))
          ::unlink((folder + "/" + e->d_name).c_str());
      }
    }
    ::closedir(d);
  }
  std::vector<WindowEntry> all;
  for (pid_t pid : pids)
    if (auto entries = List(pid)) all.insert(all.end(), entries->begin(), entries->end());
  std::sort(all.begin(), all.end(), bus::NearerTop);
  return all;
}

bool PlausibleHandle(HWND h) { return h > 0 && h % bus::kWindowsPerProcess != 0; }

std::optional<WindowEntry> Lookup(HWND h) {
  if (!PlausibleHandle(h)) return std::nullopt;
  auto entries = List(bus::OwnerOf(h));
  if (!entries) return std::nullopt;
  for (WindowEntry& e : *entries)
    if (e.handle == h) return std::move(e);
  return std::nullopt;
}

std::ptrdiff_t IndexIn(const std::vector<WindowEntry>& listing, HWND h) {
  auto it = std::find_if(listing.begin(), listing.end(), [h](const WindowEntry& e) { return e.handle == h; });
  return it == listing.end() ? -1 : it - listing.begin();
}

BOOL Raise(HWND h) {
  std::vector<std::uint8_t> reply;
  return PlausibleHandle(h) && Ask(bus::OwnerOf(h), bus::kRaise, bus::EncodeHandle(h), &reply) ? TRUE : FALSE;
}

}  // namespace

int WindowBusTimeoutMs() { return MillisecondsFromEnvironment("QX_WINDOW_TIMEOUT_MS", 2000); }

HWND FindWindowA(const char*, const char* windowName) {
  lastListing = ListAll();
  for (const WindowEntry& e : lastListing)
    if (!windowName || e.caption == windowName) return e.handle;
  return 0;
}

HWND GetWindow(HWND h, UINT cmd) {
  if (cmd == GW_HWNDFIRST || cmd == GW_HWNDLAST) {
    lastListing = ListAll();
    if (lastListing.empty()) return 0;
    return cmd == GW_HWNDFIRST ? lastListing.front().handle : lastListing.back().handle;
  }
  if (cmd != GW_HWNDNEXT && cmd != GW_HWNDPREV) return 0;
  std::ptrdiff_t at = IndexIn(lastListing, h);
  if (at < 0) {
    lastListing = ListAll();
    at = IndexIn(lastListing, h);
    if (at < 0) return 0;
  }
  std::ptrdiff_t other = cmd == GW_HWNDNEXT ? at + 1 : at - 1;
  if (other < 0 || other >= static_cast<std::ptrdiff_t>(lastListing.size())) return 0;
  return lastListing[static_cast<std::size_t>(other)].handle;
}

HWND GetParent(HWND h) {
  auto e = Lookup(h);
  return e ? e->parent : 0;
}

WORD GetWindowWord(HWND h, int index) {
  if (index != GWW_HINSTANCE) return 0;
  auto e = Lookup(h);
  return e ? e->instance : 0;
}

int GetWindowTextA(HWND h, char* text, int maxCount) {
  if (!text || maxCount <= 0) return 0;
  text[0] = '\0';
  auto e = Lookup(h);
  if (!e) return 0;
  std::size_t count = std::min(e->caption.size(), static_cast<std::size_t>(maxCount - 1));
  std::memcpy(text, e->caption.data(), count);
  text[count] = '\0';
  return static_cast<int>(count);
}

int GetWindowTextLengthA(HWND h) {
  auto e = Lookup(h);
  return e ? static_cast<int>(e->caption.size()) : 0;
}

BOOL IsWindow(HWND h) { return Lookup(h) ? TRUE : FALSE; }

BOOL IsWindowVisible(HWND h) {
  auto e = Lookup(h);
  return e && e->visible ? TRUE : FALSE;
}

LRESULT SendMessageA(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!PlausibleHandle(h)) return 0;
  std::vector<std::uint8_t> reply;
  if (!Ask(bus::OwnerOf(h), bus::kSend, bus::EncodeSend({h, msg, wParam, lParam}), &reply)) return 0;
  return bus::DecodeResult(reply).value_or(0);
}

BOOL SetForegroundWindow(HWND h) { return Raise(h); }
BOOL BringWindowToTop(HWND h) { return Raise(h); }

}  // namespace qx
