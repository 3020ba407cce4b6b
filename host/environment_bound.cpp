#include "host/environment_bound.h"

#include <cstdlib>

namespace qx {

int MillisecondsFromEnvironment(const char* name, int fallback) {
  constexpr long kDay = 24L * 60 * 60 * 1000;
  const char* text = std::getenv(name);
  if (!text || *text < '0' || *text > '9') return fallback;
  char* end = nullptr;
  const long ms = std::strtol(text, &end, 10);
  return *end == '\0' && ms > 0 && ms <= kDay ? static_cast<int>(ms) : fallback;
}

}  // namespace qx
