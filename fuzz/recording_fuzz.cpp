// Fuzz target: any text as a recording, through the reader qxctl replay uses. A refusal names its
// line; a recording it accepts has X and Y axes, at most 64 contacts, ends with a SYN_REPORT, and
// keeps every event within the span a replay can wait for.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tools/qxctl/recording.h"

namespace {

bool Holds(const qx::Recording& recording) {
  const qx::TouchAxes& axes = recording.axes;
  if (recording.events.empty() || axes.X.Maximum <= axes.X.Minimum || axes.Y.Maximum <= axes.Y.Minimum ||
      axes.Slots > 64)
    return false;
  const qx::RecordedEvent& last = recording.events.back();
  if (last.type != 0 || last.code != 0) return false;  // SYN_REPORT
  const std::int64_t first = recording.events.front().time;
  for (const qx::RecordedEvent& event : recording.events)
    if (std::llabs(event.time - first) > qx::kLongestRecordingSeconds * 1'000'000) return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  std::FILE* in = ::fmemopen(text.data(), text.size(), "r");
  if (!in) return 0;
  qx::Recording recording;
  std::string why;
  const bool read = qx::ReadRecordingFrom(in, recording, why);
  std::fclose(in);
  if (read ? !Holds(recording) : why.rfind("line ", 0) != 0) std::abort();
  return 0;
}
