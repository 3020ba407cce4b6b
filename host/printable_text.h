// Text from outside (a monitor's or a device's name, a path a client sent) as the suite prints or
// journals it: a control character in it would start a line of its own, a false one, or split a
// journal's line in two, so every one is written as an escape ("\n", "\r", "\t", "\x1b"), and a
// backslash as "\\", so that an escape in the text cannot pass for one of ours. Other bytes,
// UTF-8 among them, are kept.
#pragma once

#include <string>
#include <string_view>

namespace qx {

std::string Printable(std::string_view text);

}  // namespace qx
