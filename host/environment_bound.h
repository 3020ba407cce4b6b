// A time bound a person or a test may set in the environment (QX_DEVICE_TIMEOUT_MS,
// QX_WINDOW_TIMEOUT_MS, QX_END_TIMEOUT_MS): read alike by every tool and program.
#pragma once

namespace qx {

// The milliseconds NAME's value gives, when it is a whole number from 1 to a day's; FALLBACK
// otherwise (unset, empty, 0, negative, not a number, or too large). A bound of 0 would wait for
// nothing: no answer, or no end before SIGKILL, could ever come in time.
int MillisecondsFromEnvironment(const char* name, int fallback);

}  // namespace qx
