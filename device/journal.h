// The service's journal: one line per request (and per event of the simulated controller),
// with its time, code, name and the fields it carried. Bounded: the oldest lines go first.
#pragma once

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "core/driver_records.h"

namespace qx {

// A touch report as the journal keeps it: numbers only, written out when the journal is read,
// so that a burst of reports costs no text until someone looks.
struct ReportLine {
  std::int32_t x = 0;
  std::int32_t y = 0;
  bool touching = false;
  std::int32_t counter = 0;
  std::int32_t pointerX = 0;
  std::int32_t pointerY = 0;
};

class Journal {
 public:
  // CAPACITY: how many entries are kept, at least one.
  explicit Journal(std::size_t capacity = 20000) : capacity_(capacity > 0 ? capacity : 1) {}

  // "<time> 0x<code> <name> <fields>"; CODE 0 is an event of the controller, written "-".
  void Add(std::uint32_t code, std::string name, std::string fields);
  // The same line as Add, unless the newest line is that line already: a run of identical polls
  // is said once.
  void AddUnlessRepeated(std::uint32_t code, const std::string& name, const std::string& fields);
  // "<time> - Report X=… Y=… Touch=… Counter=… PointerX=… PointerY=…".
  void AddReport(const ReportLine& report);
  // While the journal is held, new lines other than reports wait aside and are stamped and
  // written in order when it is let go of, or read, or a report comes: a reply can go out before
  // its line is made. Such a line bears the time it is written, microseconds after it was added.
  void Hold() { holding_ = true; }
  void LetGo() {
    WriteHeld();
    holding_ = false;
  }
  void Clear() {
    WriteHeld();
    ring_.clear();
    oldest_ = 0;
  }
  // The reports among the entries added after entry AFTER (counting every entry ever added, from
  // 1; REPORTS_FROM_NOW for none), at most OUT.Reports' room; OUT says where to go on from and how
  // many reports were let go of before they could be read.
  void ReportsAfter(std::uint32_t after, SimReports& out);
  // Every line, each ended by '\n', oldest first.
  std::string Text();
  // The newest whole lines that fit in LIMIT bytes, oldest first: what a journal read is answered.
  std::vector<std::uint8_t> Tail(std::size_t limit);
  std::size_t size() const { return std::min(capacity_, ring_.size() + heldCount_); }
  std::size_t capacity() const { return capacity_; }

 private:
  // Kept as they came and written out only when first read (then kept written), so that a
  // request pays little for its line and a journal read pays only for lines not read before.
  struct Entry {
    std::chrono::system_clock::time_point time;
    std::uint32_t code = 0;
    std::string name;
    std::string fields;
    bool isReport = false;
    ReportLine report;
    mutable std::string line;
    std::string Render() const;
    void Reset();
  };
  // How many lines may wait while held; more are written at once.
  static constexpr std::size_t kMostHeld = 256;
  // The entry for a new line: a new one until the journal is full, then the oldest, emptied, so
  // that a full journal takes a line without allocating (the texts' room is kept too).
  Entry& Append();
  // The entry for a new line, stamped now.
  Entry& StampedEntry();
  // The entry for a new line, stamped now unless it is held.
  Entry& NewEntry();
  void WriteHeld();
  // The entry N places after the oldest kept.
  const Entry& At(std::size_t n) const { return ring_[(oldest_ + n) % ring_.size()]; }
  // The newest lines that fit in LIMIT bytes (a line costs at least one), in one allocation.
  template <typename Bytes>
  Bytes Lines(std::size_t limit);

  std::size_t capacity_;
  std::vector<Entry> ring_;  // in the order added from oldest_ on, wrapping round
  std::size_t oldest_ = 0;
  // Entries added since the start, cleared ones too: the number of the newest entry.
  std::uint32_t added_ = 0;
  bool holding_ = false;
  std::vector<Entry> held_;  // the first heldCount_ wait; the others keep their room for reuse
  std::size_t heldCount_ = 0;
};

}  // namespace qx
