#include "core/touch_options.h"

#include <cstddef>

#include "core/settings_fields.h"
#include "host/profile_text.h"

namespace qx {

namespace {

struct Option {
  const char* name;
  std::uint16_t TouchOptions::*u16;  // one of these two
  std::uint8_t TouchOptions::*u8;
  long most;  // the values are 0..most
};

const Option kOptions[] = {
    {"TouchOn", nullptr, &TouchOptions::TouchOn, 1},
    {"SteadyFinger", &TouchOptions::SteadyFinger, nullptr, kMaxSteadyFinger},
    {"DoubleTap", nullptr, &TouchOptions::DoubleTap, 1},
    {"HideCursor", nullptr, &TouchOptions::HideCursor, 1},
};

const Option* Find(const std::string& name) {
  for (const Option& o : kOptions)
    if (profile::SameName(o.name, name)) return &o;
  return nullptr;
}

long ValueOf(const TouchOptions& options, const Option& o) { return o.u8 ? options.*o.u8 : options.*o.u16; }

}  // namespace

TouchOptions DefaultOptions() { return TouchOptions{1, 1, 0, 0, 0, 0}; }

const std::vector<std::string>& OptionNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> n;
    for (const Option& o : kOptions) n.push_back(o.name);
    return n;
  }();
  return names;
}

std::optional<std::string> GetOption(const TouchOptions& options, const std::string& name) {
  const Option* o = Find(name);
  if (!o) return std::nullopt;
  return std::to_string(ValueOf(options, *o));
}

std::string SetOption(TouchOptions& options, const std::string& name, const std::string& value) {
  const Option* o = Find(name);
  if (!o) return "unknown field '" + name + "'";
  const std::optional<long> v = ParseFieldNumber(value);
  if (!v || *v < 0 || *v > o->most)
    return "bad value '" + value + "' for " + o->name + " (0 to " + std::to_string(o->most) + ")";
  if (o->u8) options.*o->u8 = static_cast<std::uint8_t>(*v);
  else options.*o->u16 = static_cast<std::uint16_t>(*v);
  return "";
}

bool OptionsValid(const TouchOptions& options) {
  for (const Option& o : kOptions)
    if (ValueOf(options, o) > o.most) return false;
  return true;
}

std::string DescribeOptions(const TouchOptions& options) {
  std::string text;
  for (const Option& o : kOptions)
    text += (text.empty() ? "" : " ") + std::string(o.name) + "=" + std::to_string(ValueOf(options, o));
  return text;
}

}  // namespace qx
