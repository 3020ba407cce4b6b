// The companion program QXWMECvr: its name and caption, in one place.
#pragma once

namespace qx::companion {

inline constexpr char kProgramName[] = "QXWMECvr";  // also its single-instance lock
inline constexpr char kCaption[] = " TouchScreen Companion #QX-COM";

}  // namespace qx::companion
