#include "host/printable_text.h"

namespace qx {

std::string Printable(std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\n') out += "\\n";
    else if (c == '\r') out += "\\r";
    else if (c == '\t') out += "\\t";
    else if (c == '\\') out += "\\\\";
    else if (byte < 0x20 || byte == 0x7f) out += {'\\', 'x', kHex[byte >> 4], kHex[byte & 15]};
    else out += c;
  }
  return out;
}

}  // namespace qx
