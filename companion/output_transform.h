// The turn a Wayland compositor gives an output, read from the compositor itself: Qt reports a
// Wayland screen's orientation against the shape of the output's mode, which a turned screen
// shows no longer, so a natively portrait monitor and a turned landscape one look alike there.
#pragma once

#include <optional>
#include <string>

namespace qx::companion {

// The wl_output transform (WL_OUTPUT_TRANSFORM_*: 0 normal, 1 90, 2 180, 3 270, 4..7 the same
// mirrored) of the output named NAME on the compositor of WAYLAND_DISPLAY: matched by the name
// wl_output version 4 gives, or the only output. Nothing without such a compositor or output, or
// when the compositor does not answer within a second.
std::optional<int> WaylandOutputTransform(const std::string& name);

}  // namespace qx::companion
