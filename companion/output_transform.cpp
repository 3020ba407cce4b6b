#include "companion/output_transform.h"

#include <poll.h>
#include <wayland-client.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <vector>

namespace qx::companion {

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::chrono::milliseconds kAnswerTime{1000};

struct Output {
  wl_output* proxy = nullptr;
  std::string name;
  int transform = 0;
};

struct Outputs {
  std::vector<std::unique_ptr<Output>> list;
};

void Geometry(void* data, wl_output*, int32_t, int32_t, int32_t, int32_t, int32_t, const char*, const char*,
              int32_t transform) {
  static_cast<Output*>(data)->transform = transform;
}
void Mode(void*, wl_output*, uint32_t, int32_t, int32_t, int32_t) {}
void Done(void*, wl_output*) {}
void Scale(void*, wl_output*, int32_t) {}
void Name(void* data, wl_output*, const char* name) { static_cast<Output*>(data)->name = name; }
void Description(void*, wl_output*, const char*) {}
const wl_output_listener kOutputListener = {Geometry, Mode, Done, Scale, Name, Description};

void Global(void* data, wl_registry* registry, uint32_t id, const char* interface, uint32_t version) {
  if (std::strcmp(interface, wl_output_interface.name) != 0) return;
  auto output = std::make_unique<Output>();
  const uint32_t bound = version < 4 ? version : 4;  // 4 names the output
  output->proxy = static_cast<wl_output*>(wl_registry_bind(registry, id, &wl_output_interface, bound));
  wl_output_add_listener(output->proxy, &kOutputListener, output.get());
  static_cast<Outputs*>(data)->list.push_back(std::move(output));
}
void GlobalRemove(void*, wl_registry*, uint32_t) {}
const wl_registry_listener kRegistryListener = {Global, GlobalRemove};

// wl_display_roundtrip without waiting past DEADLINE for a compositor that does not answer.
bool Roundtrip(wl_display* display, Clock::time_point deadline) {
  bool done = false;
  static const wl_callback_listener kSynced = {
      [](void* data, wl_callback*, uint32_t) { *static_cast<bool*>(data) = true; }};
  wl_callback* sync = wl_display_sync(display);
  wl_callback_add_listener(sync, &kSynced, &done);
  bool ok = true;
  while (ok && !done) {
    while (wl_display_prepare_read(display) != 0) wl_display_dispatch_pending(display);
    wl_display_flush(display);
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    pollfd ready{wl_display_get_fd(display), POLLIN, 0};
    if (left <= 0 || poll(&ready, 1, static_cast<int>(left)) <= 0) {
      wl_display_cancel_read(display);
      ok = false;
    } else {
      ok = wl_display_read_events(display) == 0 && wl_display_dispatch_pending(display) >= 0;
    }
  }
  wl_callback_destroy(sync);
  return ok;
}

}  // namespace

std::optional<int> WaylandOutputTransform(const std::string& name) {
  wl_display* display = wl_display_connect(nullptr);
  if (!display) return std::nullopt;
  Outputs outputs;
  wl_registry* registry = wl_display_get_registry(display);
  wl_registry_add_listener(registry, &kRegistryListener, &outputs);
  const Clock::time_point deadline = Clock::now() + kAnswerTime;
  // The first answer binds the outputs; the second brings their events.
  const bool answered = Roundtrip(display, deadline) && Roundtrip(display, deadline);
  std::optional<int> transform;
  for (const auto& output : outputs.list)
    if (answered && (output->name == name || outputs.list.size() == 1)) transform = output->transform;
  for (const auto& output : outputs.list) wl_output_destroy(output->proxy);
  wl_registry_destroy(registry);
  wl_display_disconnect(display);
  return transform;
}

}  // namespace qx::companion
