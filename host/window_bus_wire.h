// The window bus on the wire: where a process's socket lives, what a window entry holds, and the
// requests a process answers. Shared by the client calls (window_bus.cpp) and the server side
// (window_bus_server.cpp); nothing else needs it.
//
// One request per connection, framed as device requests are (host/device_frame.h):
//   request: u32 code, u32 size, size bytes      reply: u32 success, u32 count, count bytes
//   kList   ()                                   -> u32 n, then n entries (EncodeEntries)
//   kSend   (i32 hwnd, u32 msg, u64 wParam, i64 lParam)  -> i64 result; success 0: no such window
//   kRaise  (i32 hwnd)                           -> nothing; success 0: no such window
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/win_types.h"

namespace qx::bus {

inline constexpr std::uint32_t kList = 1;
inline constexpr std::uint32_t kSend = 2;
inline constexpr std::uint32_t kRaise = 3;

// Larger than any request; a longer one is malformed. Captions are cut to kMaxCaption bytes.
inline constexpr std::uint32_t kMaxRequest = 64;
inline constexpr std::size_t kMaxCaption = 4096;

// A window handle is the owner's process id times 256 plus a number 1..255 within the process.
inline constexpr HWND kWindowsPerProcess = 256;
inline pid_t OwnerOf(HWND h) { return h > 0 ? static_cast<pid_t>(h / kWindowsPerProcess) : 0; }

struct WindowEntry {
  HWND handle = 0;
  HWND parent = 0;  // 0: no parent
  WORD instance = 0;
  bool visible = false;
  // When the window was last shown or activated (steady clock, nanoseconds; one clock for every
  // process of the machine); the later, the nearer the top.
  std::uint64_t activatedAt = 0;
  std::string caption;
};

// Top-level order: visible windows before hidden ones, then the most recently activated first,
// then by handle (creation order within a process).
bool NearerTop(const WindowEntry& a, const WindowEntry& b);

struct SendArgs {
  HWND hwnd = 0;
  UINT msg = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
};

// Each entry: i32 handle, i32 parent, u16 instance, u8 visible, u8 0, u64 activatedAt,
// u32 caption length, the caption's bytes.
std::vector<std::uint8_t> EncodeEntries(const std::vector<WindowEntry>& entries);
std::optional<std::vector<WindowEntry>> DecodeEntries(const std::vector<std::uint8_t>& bytes);

std::vector<std::uint8_t> EncodeSend(const SendArgs& args);
std::optional<SendArgs> DecodeSend(const std::vector<std::uint8_t>& bytes);

std::vector<std::uint8_t> EncodeHandle(HWND h);
std::optional<HWND> DecodeHandle(const std::vector<std::uint8_t>& bytes);

std::vector<std::uint8_t> EncodeResult(LRESULT result);
std::optional<LRESULT> DecodeResult(const std::vector<std::uint8_t>& bytes);

// <root>/run/windows, and the socket of process PID in it.
std::string SocketFolder();
std::string SocketPath(pid_t pid);

}  // namespace qx::bus
