// The service's journal: one line per request (and per event of the simulated controller),
// with its time, code, name and the fields it carried. Bounded: the oldest lines go first.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <string>

namespace qx {

class Journal {
 public:
  explicit Journal(std::size_t capacity = 20000) : capacity_(capacity) {}

  // "<time> 0x<code> <name> <fields>"; CODE 0 is an event of the controller, written "-".
  void Add(std::uint32_t code, const std::string& name, const std::string& fields);
  void Clear() { lines_.clear(); }
  // Every line, each ended by '\n', oldest first.
  std::string Text() const;
  std::size_t size() const { return lines_.size(); }

 private:
  // Kept as they came and written out only when read, so that a request pays little for its line.
  struct Entry {
    std::chrono::system_clock::time_point time;
    std::uint32_t code;
    std::string name;
    std::string fields;
  };
  std::size_t capacity_;
  std::deque<Entry> lines_;
};

}  // namespace qx
