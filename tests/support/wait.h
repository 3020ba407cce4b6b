// Waiting in a test for something another process does: a condition asked again and again, or a
// file read again and again, until it holds or the time is up.
#pragma once

#include <functional>
#include <string>

namespace qx::test {

// Asks PREDICATE every POLL_MS until it holds, for up to MS; true when it held.
bool WaitUntil(const std::function<bool()>& predicate, int ms, int pollMs = 10);

// Reads FILE until PREDICATE holds of its text, for up to MS; the text last read ("" when the file
// cannot be read).
std::string ReadUntil(const std::string& file, const std::function<bool(const std::string&)>& predicate, int ms);
// Reads a state with READ until CONDITION holds of it, for up to MS; the state last read.
template <typename State>
State ReadStateUntil(State (*read)(), const std::function<bool(const State&)>& condition, int ms) {
  State state;
  WaitUntil([&] { return condition(state = read()); }, ms);
  return state;
}

// For ReadUntil: TEXT holds a whole line (a program's echo has come through).
bool HasWholeLine(const std::string& text);

}  // namespace qx::test
