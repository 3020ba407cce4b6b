#include "programs/panel/level_frame.h"

#include <string>

#include "ui/colours.h"
#include "ui/controls.h"

namespace qx {

namespace {

constexpr int kWordWidth = 900;
constexpr int kMarkWidth = 600;

std::string Named(const char* prefix, const char* text) { return std::string(prefix) + text; }

}  // namespace

LevelFrame AddLevelFrame(QWidget* dialog, const char* caption, int left, int top, int width, const char* barName,
                         int min, int max, int smallStep, int largeStep, const char* lowWord, const char* highWord,
                         const char* valueName, std::initializer_list<const char*> marks) {
  LevelFrame f;
  f.frame = AddFrame(dialog, Named("fra", barName + 3).c_str(), caption, left, top, width, kLevelFrameHeight);
  const int inner = width - 2 * kMargin;
  const int right = kMargin + inner;
  AddLabel(f.frame, Named("lbl", lowWord).c_str(), lowWord, kMargin, kInFrameTop, kWordWidth);
  f.value = AddLabel(f.frame, valueName, "", kMargin + kWordWidth, kInFrameTop, inner - 2 * kWordWidth, kLabelHeight,
                     Qt::AlignHCenter);
  SetTextColour(f.value, kBlue);
  AddLabel(f.frame, Named("lbl", highWord).c_str(), highWord, right - kWordWidth, kInFrameTop, kWordWidth, kLabelHeight,
           Qt::AlignRight);

  const int barTop = kInFrameTop + 300;
  f.bar = AddScrollBar(f.frame, barName, min, max, smallStep, largeStep, kMargin, barTop, inner);

  const int markTop = barTop + 300;
  int index = 0;
  for (const char* mark : marks) {
    const std::string name = Named("lblMark", std::to_string(index).c_str());
    if (index == 0) AddLabel(f.frame, name.c_str(), mark, kMargin, markTop, kMarkWidth);
    else if (index + 1 == static_cast<int>(marks.size()))
      AddLabel(f.frame, name.c_str(), mark, right - kMarkWidth, markTop, kMarkWidth, kLabelHeight, Qt::AlignRight);
    else
      AddLabel(f.frame, name.c_str(), mark, kMargin + (inner - kMarkWidth) / 2, markTop, kMarkWidth, kLabelHeight,
               Qt::AlignHCenter);
    ++index;
  }
  return f;
}

}  // namespace qx
