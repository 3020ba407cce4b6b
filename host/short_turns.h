// A thread that must answer promptly when it wakes (the device service's loop, whose reports are
// due every few milliseconds) asks the scheduler for short turns.
#pragma once

#include <chrono>

namespace qx {

// Asks that the calling thread's turns on a processor be at most SLICE long (Linux 6.12 and
// later): a thread with short turns is run sooner when it wakes, in place of one that is busy for
// long. Older kernels accept the request and do as before; false only when it is refused.
bool AskForShortTurns(std::chrono::microseconds slice);

}  // namespace qx
