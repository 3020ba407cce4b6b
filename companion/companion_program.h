// The companion program QXWMECvr: its name, caption and version, in one place.
#pragma once

namespace qx::companion {

inline constexpr char kProgramName[] = "QXWMECvr";  // also its single-instance lock
inline constexpr char kCaption[] = " TouchScreen Companion #QX-COM";
inline constexpr char kVersion[] = "7.0.COM";

}  // namespace qx::companion
