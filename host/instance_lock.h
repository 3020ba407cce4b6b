// Named locks that a process holds for the rest of its life: how a program learns that another
// copy of it runs on the same machine root.
#pragma once

#include <string>

namespace qx {

// Takes the lock NAME (the file <root>/run/NAME.lock, held with flock) unless another process
// holds it. True when this process holds it afterwards, also when it took it before; false
// when another process holds it. The lock goes with the process: at its end, however it ends,
// the lock is free again, and the processes it starts do not inherit it.
bool TakeInstanceLock(const std::string& name);

}  // namespace qx
