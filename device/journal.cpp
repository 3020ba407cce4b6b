#include "device/journal.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "host/printable_text.h"

namespace qx {

namespace {

// "2024-05-01T12:00:00.123Z". The date and time of day are formatted once per second.
void TimeText(std::chrono::system_clock::time_point now, char (&out)[32]) {
  static thread_local std::time_t cachedSecond = -1;
  static thread_local char cachedPrefix[64];
  std::time_t secs = std::chrono::system_clock::to_time_t(now);
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  if (secs != cachedSecond) {
    std::tm tm{};
    gmtime_r(&secs, &tm);
    std::snprintf(cachedPrefix, sizeof cachedPrefix, "%04d-%02d-%02dT%02d:%02d:%02d", tm.tm_year + 1900, tm.tm_mon + 1,
                  tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
    cachedSecond = secs;
  }
  std::memcpy(out, cachedPrefix, 19);
  out[19] = '.';
  out[20] = static_cast<char>('0' + ms / 100);
  out[21] = static_cast<char>('0' + ms / 10 % 10);
  out[22] = static_cast<char>('0' + ms % 10);
  out[23] = 'Z';
  out[24] = '\0';
}

}  // namespace

Journal::Entry& Journal::Append() {
  ++added_;
  if (ring_.size() < capacity_) {
    // Grown by doubling as a vector does, but never past the capacity.
    if (ring_.size() == ring_.capacity())
      ring_.reserve(std::min(capacity_, std::max<std::size_t>(64, 2 * ring_.size())));
    return ring_.emplace_back();
  }
  Entry& e = ring_[oldest_];
  oldest_ = (oldest_ + 1) % ring_.size();
  e.Reset();
  return e;
}

void Journal::Entry::Reset() {
  code = 0;
  name.clear();
  fields.clear();
  isReport = false;
  line.clear();
}

Journal::Entry& Journal::StampedEntry() {
  Entry& e = Append();
  e.time = std::chrono::system_clock::now();
  return e;
}

Journal::Entry& Journal::NewEntry() {
  if (!holding_) return StampedEntry();
  if (heldCount_ == kMostHeld) WriteHeld();
  if (heldCount_ == held_.size()) held_.emplace_back();
  Entry& e = held_[heldCount_++];
  e.Reset();
  return e;
}

// Swapped in, so that the ring's entry and the held one each keep their texts' room.
void Journal::WriteHeld() {
  if (heldCount_ == 0) return;
  const auto now = std::chrono::system_clock::now();
  for (std::size_t i = 0; i < heldCount_; ++i) {
    Entry& e = Append();
    std::swap(e, held_[i]);
    e.time = now;
  }
  heldCount_ = 0;
}

void Journal::Add(std::uint32_t code, std::string name, std::string fields) {
  Entry& e = NewEntry();
  e.code = code;
  e.name = std::move(name);
  // Names from outside in them (a monitor's, a display's) split no line.
  e.fields = Printable(fields);
}

void Journal::AddUnlessRepeated(std::uint32_t code, const std::string& name, const std::string& fields) {
  const Entry* newest = nullptr;
  if (heldCount_ > 0) newest = &held_[heldCount_ - 1];
  else if (!ring_.empty()) newest = &ring_[(oldest_ + ring_.size() - 1) % ring_.size()];
  const bool repeated = newest && !newest->isReport && newest->code == code && newest->name == name &&
                        newest->fields == Printable(fields);
  if (!repeated) Add(code, name, fields);
}

void Journal::AddReport(const ReportLine& report) {
  // Never held: a report bears the time the touch took effect, which a replay's pace is read
  // from, not the end of the turn that made it. The lines held before it go first, in order.
  WriteHeld();
  Entry& e = StampedEntry();
  e.isReport = true;
  e.report = report;
}

std::string Journal::Entry::Render() const {
  char stamp[32];
  TimeText(time, stamp);
  if (isReport) {
    // The most frequent line by far, and read in the thousands: written without printf.
    std::string out;
    out.reserve(128);
    auto field = [&out](const char* label, std::int32_t value) {
      char digits[16];
      auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
      out += label;
      out.append(digits, end);
    };
    out += stamp;
    field(" - Report X=", report.x);
    field(" Y=", report.y);
    field(" Touch=", report.touching ? 1 : 0);
    field(" Counter=", report.counter);
    field(" PointerX=", report.pointerX);
    field(" PointerY=", report.pointerY);
    out += '\n';
    return out;
  }
  char hex[16];
  if (code) std::snprintf(hex, sizeof hex, "0x%05X", code);
  else std::snprintf(hex, sizeof hex, "-");
  std::string out = std::string(stamp) + " " + hex + " " + name;
  if (!fields.empty()) out += " " + fields;
  return out + '\n';
}

template <typename Bytes>
Bytes Journal::Lines(std::size_t limit) {
  WriteHeld();
  std::size_t first = ring_.size(), total = 0;
  for (; first > 0; --first) {
    const Entry& e = At(first - 1);
    if (e.line.empty()) e.line = e.Render();
    if (total + e.line.size() > limit) break;
    total += e.line.size();
  }
  Bytes text;
  text.reserve(total);
  for (std::size_t n = first; n < ring_.size(); ++n) text.insert(text.end(), At(n).line.begin(), At(n).line.end());
  return text;
}

std::string Journal::Text() { return Lines<std::string>(SIZE_MAX); }

std::vector<std::uint8_t> Journal::Tail(std::size_t limit) { return Lines<std::vector<std::uint8_t>>(limit); }

}  // namespace qx

namespace qx {

void Journal::ReportsAfter(std::uint32_t after, SimReports& out) {
  WriteHeld();
  out.Count = 0;
  out.Lost = 0;
  out.Next = added_;
  if (after == REPORTS_FROM_NOW || after >= added_) return;
  // The entry numbered N sits N - first places after the oldest; entries before the first kept
  // ones are gone.
  const std::uint32_t first = added_ - static_cast<std::uint32_t>(ring_.size()) + 1;
  std::size_t at = 0;
  if (after + 1 < first) {
    out.Lost = first - after - 1;  // entries, not all of them reports: an upper bound
  } else {
    at = after + 1 - first;
  }
  for (; at < ring_.size() && out.Count < kReportsRead; ++at) {
    const Entry& e = At(at);
    if (!e.isReport) continue;
    ReportEntry& r = out.Reports[out.Count++];
    r = ReportEntry{};
    r.Time = std::chrono::duration_cast<std::chrono::microseconds>(e.time.time_since_epoch()).count();
    r.X = static_cast<std::int16_t>(e.report.x);
    r.Y = static_cast<std::int16_t>(e.report.y);
    r.Touching = e.report.touching ? 1 : 0;
  }
  out.Next = first + static_cast<std::uint32_t>(at) - 1;
}

}  // namespace qx
