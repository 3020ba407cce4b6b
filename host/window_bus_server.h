// The serving side of the window bus, without any window system: a process's socket
// <root>/run/windows/<pid> and the answers to its requests. A window system (host/window_bus_qt.h
// for Qt) supplies the windows through WindowHost and calls ServePendingBusRequests from its UI
// thread whenever the socket is readable; that thread is the one every request runs on.
#pragma once

#include <vector>

#include "host/win_types.h"
#include "host/window_bus_wire.h"

namespace qx {

class WindowHost {
 public:
  virtual ~WindowHost() = default;
  // The process's top-level windows.
  virtual std::vector<bus::WindowEntry> Windows() = 0;
  // Runs the window's procedure; false when there is no such window.
  virtual bool Deliver(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) = 0;
  // Raises and activates the window; false when there is no such window.
  virtual bool Raise(HWND hwnd) = 0;
};

// Publishes this process's socket and makes the calling thread the one that serves it. A thread
// of its own accepts connections and reads each request whole (dropping a peer that has not sent
// one within the bound); the calling thread only answers whole requests. Returns a descriptor
// that is readable while requests wait for ServePendingBusRequests, or -1 when the socket cannot
// be made (the process then simply has no windows on the bus). HOST must outlive the serving.
int StartWindowBus(WindowHost* host);

// Removes the socket; the process's windows leave the bus.
void StopWindowBus();

// Answers every whole request waiting, on the calling (serving) thread; never waits for a peer.
void ServePendingBusRequests();

namespace bus {

// For the client calls: when the calling thread serves this process's bus, answers the request
// here and now (a process never connects to itself from its UI thread) and returns true.
bool AnswerHere(std::uint32_t code, const std::vector<std::uint8_t>& payload, bool* success,
                std::vector<std::uint8_t>* reply);

// The descriptor StartWindowBus gave when the calling thread serves the bus, else -1: a UI thread that
// waits for another process's answer keeps answering requests meanwhile, so two programs that
// send to each other never wait on each other.
int ServedHere();

}  // namespace bus

}  // namespace qx
