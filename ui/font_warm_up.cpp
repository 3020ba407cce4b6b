#include "ui/font_warm_up.h"

#include <fontconfig/fontconfig.h>

namespace qx {

// Fontconfig keeps the configuration FcInit reads as the process's current one, whichever thread
// read it; its calls may come from any thread.
std::jthread ReadFontConfigurationMeanwhile() {
  return std::jthread([] { FcInit(); });
}

}  // namespace qx
