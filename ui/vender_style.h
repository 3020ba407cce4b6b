// The "VenderStyle" code: how the OEM title is drawn. Eight characters, counted from 1:
//   1    font face: "1" Times New Roman, "2" Arial, anything else keeps the design face
//   2    0 regular, 1 bold, 2 italic, 3 bold italic, any other number neither
//   3-4  size in points; 0 or no number keeps the design size
//   5-6  colour of the OEM title, 7-8 colour of the version line: indexes into the 16 colours
// A shorter code is no style at all; characters after the eighth are ignored.
#pragma once

#include <QColor>
#include <QString>
#include <optional>
#include <string>
#include <string_view>

namespace qx {

// The 16-colour palette; nothing for an index outside 0..15.
std::optional<QColor> PaletteColour(int index);

// The number a field starts with, as the suite reads numbers from text: leading blanks skipped,
// an optional sign, digits with an optional fraction; no digits is 0. Rounded to a whole
// number, halves to the even neighbour.
int LeadingNumber(std::string_view field);

struct TitleStyle {
  QString face;  // empty: keep the design face
  bool bold = false;
  bool italic = false;
  int points = 0;                     // 0: keep the design size
  std::optional<QColor> titleColour;  // nothing: the field had no palette entry, keep the colour
  std::optional<QColor> systemColour;
};

// Nothing when CODE has fewer than 8 characters.
std::optional<TitleStyle> ParseVenderStyle(const std::string& code);

}  // namespace qx
