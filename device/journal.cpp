#include "device/journal.h"

#include <chrono>
#include <cstdio>
#include <ctime>

namespace qx {

namespace {

std::string TimeText(std::chrono::system_clock::time_point now) {
  std::time_t secs = std::chrono::system_clock::to_time_t(now);
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  std::tm tm{};
  gmtime_r(&secs, &tm);
  char out[64];
  std::snprintf(out, sizeof out, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                tm.tm_hour, tm.tm_min, tm.tm_sec, static_cast<int>(ms));
  return out;
}

}  // namespace

void Journal::Add(std::uint32_t code, const std::string& name, const std::string& fields) {
  lines_.push_back({std::chrono::system_clock::now(), code, name, fields});
  while (lines_.size() > capacity_) lines_.pop_front();
}

std::string Journal::Text() const {
  std::string text;
  for (const Entry& e : lines_) {
    char hex[16];
    if (e.code) std::snprintf(hex, sizeof hex, "0x%05X", e.code);
    else std::snprintf(hex, sizeof hex, "-");
    text += TimeText(e.time) + " " + hex + " " + e.name;
    if (!e.fields.empty()) text += " " + e.fields;
    text += '\n';
  }
  return text;
}

}  // namespace qx
