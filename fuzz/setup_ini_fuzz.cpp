// Fuzz target: any bytes as the installer's "setup.ini", read as the installer reads it (each of
// the eighteen keys of its "Settings" section through ReadIniString and SetupNumber). Checks that
// every value it accepts lies in its key's range.
#include <cstdint>
#include <cstdlib>

#include "fuzz/fuzz_root.h"
#include "programs/setup/setup_settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  qx::fuzz::WriteWhole(qx::fuzz::FuzzRoot() + "/drive_c/setup.ini", data, size);
  const qx::SetupValues values = qx::ReadSetupValues("C:\\setup.ini");
  for (std::size_t k = 0; k < values.size(); ++k)
    if (values[k] && (*values[k] < qx::kSetupKeys[k].min || *values[k] > qx::kSetupKeys[k].max)) std::abort();
  return 0;
}
