#include "programs/panel/virtual_button_dialog.h"

#include <QLineEdit>
#include <QSignalBlocker>
#include <cstring>

#include "core/driver_link.h"
#include "core/settings_block.h"
#include "platform/program_start.h"
#include "ui/controls.h"

namespace qx {

namespace {

// The designed layout, in twips.
constexpr int kWidth = 7080;
constexpr int kHeight = 4395;
constexpr int kFrameLeft = 120;
constexpr int kFrameWidth = 6840;
constexpr int kListTop = 300;  // a list inside a frame, level with the options and labels
constexpr int kListHeight = 315;

static_assert(offsetof(SettingsBlock, RbfAutoBeep) - offsetof(SettingsBlock, RbfEnable) == 4,
              "the five right-button fields are one run of bytes");

// The ten time items: 0.5 to 5 seconds in steps of 0.5, in their shortest form ("0.5", "1").
QStringList TimeItems() {
  QStringList items;
  for (int half = 1; half <= 10; ++half) items << QString::number(half * 0.5);
  return items;
}

// Selects INDEX, or nothing when it lies outside the list; the list's change behaviour runs.
void Select(QComboBox* list, int index) { list->setCurrentIndex(index < list->count() ? index : -1); }

}  // namespace

VirtualButtonDialog::VirtualButtonDialog() : FeatureDialog("frmVirtualButton", kWidth, kHeight) {
  QGroupBox* modes =
      AddFrame(this, "fraVirtualButton", "  Virtual Button Option  ", kFrameLeft, kContentTop, kFrameWidth, 1020);
  optVirtualButton = new OptionGroup(this);
  for (int index = 1; index <= 4; ++index) {
    const std::string name = "optVirtualButton" + std::to_string(index);
    const int left = index % 2 ? 240 : 3480;
    const int top = kInFrameTop + (index - 1) / 2 * 330;
    optVirtualButton->Add(index, AddOption(modes, name.c_str(), "", left, top, 2520));
  }

  const int functionTop = kContentTop + 1140;
  QGroupBox* function =
      AddFrame(this, "fraRBFunction", "  Right Button Function ", kFrameLeft, functionTop, kFrameWidth, 690);
  optRBFunction = new OptionGroup(this);
  optRBFunction->Add(0, AddOption(function, "optRBFunction0", "Disable ( Off )", 240, kInFrameTop, 1980));
  optRBFunction->Add(1, AddOption(function, "optRBFunction1", "Enable  ( On )", 2280, kInFrameTop, 1980));
  cboRBAutoMode = AddList(function, "cboRBAutoMode", 4440, kListTop, 2220, kAutoMode);

  QGroupBox* automatic =
      AddFrame(this, "fraRBAutoMode", "  Right Button Automatic Mode", kFrameLeft, functionTop + 810, kFrameWidth, 690);
  lblRBAutoSTime = AddLabel(automatic, "lblRBAutoSTime", "Toggle On", 240, kInFrameTop, 1020);
  cboRBAutoSTime = AddList(automatic, "cboRBAutoSTime", 1290, kListTop, 780, kAutoSTime);
  lblRBAutoSTimeSec = AddLabel(automatic, "lblRBAutoSTimeSec", "Sec.", 2130, kInFrameTop, 480);
  lblRBAutoETime = AddLabel(automatic, "lblRBAutoETime", "Toggle Off", 2730, kInFrameTop, 1050);
  cboRBAutoETime = AddList(automatic, "cboRBAutoETime", 3810, kListTop, 780, kAutoETime);
  lblRBAutoETimeSec = AddLabel(automatic, "lblRBAutoETimeSec", "Sec.", 4650, kInFrameTop, 480);
  lblRBAutoBeep = AddLabel(automatic, "lblRBAutoBeep", "Beep", 5250, kInFrameTop, 600);
  cboRBAutoBeep = AddList(automatic, "cboRBAutoBeep", 5880, kListTop, 840, kAutoBeep);
  lblRBAutoSTime->setBuddy(cboRBAutoSTime);
  lblRBAutoETime->setBuddy(cboRBAutoETime);
  lblRBAutoBeep->setBuddy(cboRBAutoBeep);

  connect(optVirtualButton, &OptionGroup::Changed, this, [this] {
    pendingTouchMode_ = static_cast<std::uint8_t>(optVirtualButton->Pending());
    UpdateAutoModeControls();
    UpdateApply();
  });
  connect(optRBFunction, &OptionGroup::Changed, this, [this] {
    pendingRbf_[kEnable] = static_cast<std::uint8_t>(optRBFunction->Pending());
    UpdateAutoModeControls();
    UpdateApply();
  });
}

// A drop-down combo box: its text field takes typing, but only a choice from the list counts. The
// list itself would take typed text that names one of its items as a choice when the edit ends
// (Enter, or the focus leaving): the field's slots connected before the list connects its own
// mark that moment, and those connected after put the list back on the pending choice.
QComboBox* VirtualButtonDialog::AddList(QWidget* frame, const char* name, int left, int top, int width, RbfByte byte) {
  QComboBox* list = AddDropDownList(frame, name, left, top, width, kListHeight);
  auto* field = new QLineEdit(list);
  for (auto ends : {&QLineEdit::returnPressed, &QLineEdit::editingFinished})
    connect(field, ends, this, [this] { editEnding_ = true; });
  list->setEditable(true);
  list->setLineEdit(field);
  list->setInsertPolicy(QComboBox::NoInsert);
  list->setCompleter(nullptr);
  for (auto ends : {&QLineEdit::returnPressed, &QLineEdit::editingFinished}) {
    connect(field, ends, this, [this, list, byte] {
      editEnding_ = false;
      const QSignalBlocker quiet(list);
      Select(list, pendingRbf_[byte]);
    });
  }
  connect(list, &QComboBox::currentIndexChanged, this, [this, byte](int index) {
    if (!editEnding_) ListChosen(byte, index);
  });
  return list;
}

void VirtualButtonDialog::LoadFields() {
  for (int index = 1; index <= 4; ++index)
    optVirtualButton->Button(index)->setText(QStringLiteral(" ") +
                                             QString::fromStdString(TouchModeNames[static_cast<std::size_t>(index)]));
  pendingTouchMode_ = Settings.TouchMode;
  std::memcpy(pendingRbf_.data(), &Settings.RbfEnable, pendingRbf_.size());
  optVirtualButton->Load(pendingTouchMode_);
  optRBFunction->Load(pendingRbf_[kEnable]);
  // Filling and selecting run each list's change behaviour, which stores the index it holds; the
  // pending bytes are taken first, so that a value outside a list stays as it is.
  const std::array<std::uint8_t, 5> loaded = pendingRbf_;
  cboRBAutoMode->addItems({QStringLiteral(" Manual Mode"), QStringLiteral(" Automatic Mode")});
  Select(cboRBAutoMode, loaded[kAutoMode]);
  cboRBAutoSTime->addItems(TimeItems());
  cboRBAutoETime->addItems(TimeItems());
  Select(cboRBAutoSTime, loaded[kAutoSTime]);
  Select(cboRBAutoETime, loaded[kAutoETime]);
  cboRBAutoBeep->addItems({QStringLiteral("Off"), QStringLiteral("On")});
  Select(cboRBAutoBeep, loaded[kAutoBeep]);
  pendingRbf_ = loaded;
  UpdateAutoModeControls();
}

void VirtualButtonDialog::ListChosen(RbfByte byte, int index) {
  if (index < 0) return;  // the list was emptied or left without a selection: nothing chosen
  pendingRbf_[byte] = static_cast<std::uint8_t>(index);
  if (byte == kAutoMode) UpdateAutoModeControls();
  UpdateApply();
}

bool VirtualButtonDialog::HasPendingChanges() const {
  if (pendingTouchMode_ != Settings.TouchMode) return true;
  if (pendingRbf_[kEnable] != Settings.RbfEnable) return true;
  if (pendingTouchMode_ == 4 && pendingRbf_[kEnable] == 1) {
    if (pendingRbf_[kAutoMode] != Settings.RbfAutoMode) return true;
    if (pendingRbf_[kAutoMode] == 1 &&
        (pendingRbf_[kAutoSTime] != Settings.RbfAutoSTime || pendingRbf_[kAutoETime] != Settings.RbfAutoETime ||
         pendingRbf_[kAutoBeep] != Settings.RbfAutoBeep))
      return true;
  }
  return false;
}

void VirtualButtonDialog::UpdateAutoModeControls() {
  bool modeList = false;
  bool timing = false;
  if (pendingTouchMode_ == 4) {
    modeList = pendingRbf_[kEnable] == 1;
    timing = pendingRbf_[kAutoMode] == 1 && modeList;
  }
  cboRBAutoMode->setEnabled(modeList);
  for (QWidget* control :
       std::initializer_list<QWidget*>{lblRBAutoSTime, cboRBAutoSTime, lblRBAutoSTimeSec, lblRBAutoETime,
                                       cboRBAutoETime, lblRBAutoETimeSec, lblRBAutoBeep, cboRBAutoBeep})
    control->setEnabled(timing);
}

// All six fields, whatever their controls' state: the driver keeps the automatic fields too.
void VirtualButtonDialog::WriteFields() {
  Settings.TouchMode = pendingTouchMode_;
  std::memcpy(&Settings.RbfEnable, pendingRbf_.data(), pendingRbf_.size());
}

void VirtualButtonDialog::SendRequest() { SetTouchMode(); }

// The right-button program runs while the function is on, except in Drag Drop Mode with the
// automatic mode, where the driver makes the right button itself. A start while a copy runs makes
// that copy show its window.
void VirtualButtonDialog::Taken() {
  if (!RbfProgramNeeded(pendingTouchMode_, pendingRbf_[kEnable], pendingRbf_[kAutoMode])) CloseRbfProgram();
  else StartRbfProgram();  // a failed start is not reported
}

}  // namespace qx
