#include "ui/vender_style.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>

namespace qx {

namespace {

constexpr std::array<QRgb, 16> kPalette = {
    qRgb(0, 0, 0),       qRgb(0, 0, 128),   qRgb(0, 128, 0),   qRgb(0, 128, 128),
    qRgb(128, 0, 0),     qRgb(128, 0, 128), qRgb(128, 128, 0), qRgb(192, 192, 192),
    qRgb(128, 128, 128), qRgb(0, 0, 255),   qRgb(0, 255, 0),   qRgb(0, 255, 255),
    qRgb(255, 0, 0),     qRgb(255, 0, 255), qRgb(255, 255, 0), qRgb(255, 255, 255),
};

// Positions FROM..FROM+COUNT-1, counted from 1, of a code known to be long enough.
std::string_view Field(const std::string& code, std::size_t from, std::size_t count) {
  return std::string_view(code).substr(from - 1, count);
}

}  // namespace

std::optional<QColor> PaletteColour(int index) {
  if (index < 0 || index >= static_cast<int>(kPalette.size())) return std::nullopt;
  return QColor(kPalette[static_cast<std::size_t>(index)]);
}

int LeadingNumber(std::string_view field) {
  std::size_t i = 0;
  while (i < field.size() && (field[i] == ' ' || field[i] == '\t')) ++i;
  bool negative = false;
  if (i < field.size() && (field[i] == '-' || field[i] == '+')) negative = field[i++] == '-';
  double value = 0;
  while (i < field.size() && std::isdigit(static_cast<unsigned char>(field[i])))
    value = value * 10 + (field[i++] - '0');
  if (i < field.size() && field[i] == '.') {
    double scale = 0.1;
    for (++i; i < field.size() && std::isdigit(static_cast<unsigned char>(field[i])); ++i, scale /= 10)
      value += (field[i] - '0') * scale;
  }
  // The default rounding mode rounds halves to the even neighbour.
  return static_cast<int>(std::nearbyint(negative ? -value : value));
}

std::optional<TitleStyle> ParseVenderStyle(const std::string& code) {
  if (code.size() <= 7) return std::nullopt;
  TitleStyle style;
  const char face = code[0];
  if (face == '1') style.face = QStringLiteral("Times New Roman");
  else if (face == '2') style.face = QStringLiteral("Arial");
  const int slant = LeadingNumber(Field(code, 2, 1));
  style.bold = slant == 1 || slant == 3;
  style.italic = slant == 2 || slant == 3;
  style.points = std::max(0, LeadingNumber(Field(code, 3, 2)));
  style.titleColour = PaletteColour(LeadingNumber(Field(code, 5, 2)));
  style.systemColour = PaletteColour(LeadingNumber(Field(code, 7, 2)));
  return style;
}

}  // namespace qx
