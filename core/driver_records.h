// The driver's request codes and the records they exchange, as laid out in memory and on the wire.
// The table with each request's record and fields, and the frames: docs/device-protocol.md.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/settings_block.h"
#include "core/settings_fields.h"
#include "core/touch_options.h"

namespace qx {

// The device's name: the driver's socket in the root's run/ folder, and the handle `\\.\QXWMECOM`.
inline constexpr char DRIVER_NAME[] = "QXWMECOM";

// The suite's requests: device type 0xF, buffered.
inline constexpr std::uint32_t IOCTL_GET_SETTINGS = 0xF2010;
inline constexpr std::uint32_t IOCTL_GET_TOUCH_SAMPLE = 0xF2030;
inline constexpr std::uint32_t IOCTL_SET_CALIBRATION_STATE = 0xF2040;
inline constexpr std::uint32_t IOCTL_SET_SERIAL_PORTS = 0xF2050;
inline constexpr std::uint32_t IOCTL_SET_TOUCH_MODE = 0xF2060;
inline constexpr std::uint32_t IOCTL_SET_FEEDBACK_SOUND = 0xF2070;
inline constexpr std::uint32_t IOCTL_SET_SENSITIVITY = 0xF2080;
inline constexpr std::uint32_t IOCTL_SET_MOUSE_SPEED = 0xF2090;
inline constexpr std::uint32_t IOCTL_SET_CALIBRATION = 0xF20A0;
inline constexpr std::uint32_t IOCTL_SET_SCREEN_SIZE = 0xF20B0;
inline constexpr std::uint32_t IOCTL_SET_POWER_SAVE = 0xF20C0;
inline constexpr std::uint32_t IOCTL_GET_RBF_REGISTRATION = 0xF3010;
inline constexpr std::uint32_t IOCTL_SET_RBF_REGISTRATION = 0xF3020;
inline constexpr std::uint32_t IOCTL_GET_SMI_REGISTRATION = 0xF4010;
inline constexpr std::uint32_t IOCTL_PLAY_TEST_SOUND = 0xF5010;

// The device service's own requests, which the suite's programs never send: the companion's
// registration, and the simulated controller's controls and journal.
inline constexpr std::uint32_t IOCTL_SET_SMI_REGISTRATION = 0xF4020;  // SmiRegistration
inline constexpr std::uint32_t IOCTL_SIM_GET_BLOCK = 0xF9010;         // SettingsBlock, as stored
inline constexpr std::uint32_t IOCTL_SIM_SET_BLOCK = 0xF9020;         // SettingsBlock, every field
inline constexpr std::uint32_t IOCTL_SIM_SET_PRESENT = 0xF9030;       // i32: 0 absent, 1 present
inline constexpr std::uint32_t IOCTL_SIM_TOUCH = 0xF9040;             // SimTouch
inline constexpr std::uint32_t IOCTL_SIM_GET_STATUS = 0xF9050;        // SimStatus
inline constexpr std::uint32_t IOCTL_SIM_READ_JOURNAL = 0xF9060;      // in: nothing; out: text
inline constexpr std::uint32_t IOCTL_SIM_CLEAR_JOURNAL = 0xF9070;     // nothing
inline constexpr std::uint32_t IOCTL_SIM_FINGER = 0xF9080;            // SimFinger; out: TouchSample
inline constexpr std::uint32_t IOCTL_SIM_REPORT_RATE = 0xF9090;       // i32 reports a second (0: as is)
inline constexpr std::uint32_t IOCTL_SIM_DESCRIBE_IO = 0xF90A0;       // in: nothing; out: text, two lines
// Recordings: events of a recording played as the controller's reports, and the reports made
// since a point of the journal.
inline constexpr std::uint32_t IOCTL_SIM_REPLAY = 0xF9100;        // SimReplay; out: the last TouchSample
inline constexpr std::uint32_t IOCTL_SIM_READ_REPORTS = 0xF9110;  // SimReports

// The device service's administration of the real device, which qxctl and the companion send and
// the service serves in the suite's line: the desktop's monitors as the companion registers them
// and the touchscreen's among them, the input setting and the input in force, the suite's own touch
// settings (core/touch_options.h), and named settings changed together.
inline constexpr std::uint32_t IOCTL_SET_MONITORS = 0xF6010;   // MonitorLayout; out: the same, Chosen set
inline constexpr std::uint32_t IOCTL_GET_MONITORS = 0xF6020;   // MonitorLayout (in: ignored)
inline constexpr std::uint32_t IOCTL_MAP_TO_OUTPUT = 0xF6030;  // OutputName; out: MonitorLayout
inline constexpr std::uint32_t IOCTL_GET_INPUT = 0xF6040;      // InputInfo
inline constexpr std::uint32_t IOCTL_SET_INPUT = 0xF6050;      // InputUse; out: InputInfo
inline constexpr std::uint32_t IOCTL_GET_OPTIONS = 0xF6060;    // TouchOptions (in: ignored)
inline constexpr std::uint32_t IOCTL_SET_OPTIONS = 0xF6070;    // TouchOptions, every field; out: the same
inline constexpr std::uint32_t IOCTL_SET_FIELDS = 0xF6080;     // FieldChanges; out: the same

// The service's wait for the right-button program: RbfRegistration (in: ignored; out: the
// registration as GetRbfRegistration gives it), answered as soon as the armed flag is clear and
// at the latest after kRbfWaitHoldMs, so that the program waits for the touch without polling
// and still lets its events run between two answers.
inline constexpr std::uint32_t IOCTL_WAIT_RBF_DISARMED = 0xF3030;
inline constexpr int kRbfWaitHoldMs = 20;
// A GetTouchSample while nothing touches the panel, whose in-buffer is the sample in force already
// (its caller has seen it), is answered once the next report comes, and at the latest after
// kSampleWaitHoldMs: a program that polls for a touch waits for it without spinning, and still sees
// its keys between two answers.
inline constexpr int kSampleWaitHoldMs = 50;

#pragma pack(push, 1)
struct TouchSample {
  std::int16_t X;
  std::int16_t Y;
  std::uint8_t Status;  // bit 3 (0x08): the panel is touched
  std::uint8_t Unused;
  std::int16_t Counter;  // changes with every report
};

struct SmiRegistration {
  std::int32_t Window;  // -1 = none registered
  std::int16_t RotationCode;
  std::int16_t Unused;
};

struct RbfRegistration {
  std::int32_t Window;  // -1 = none registered
  std::int16_t Armed;   // 1 = the next touch is a right-button action
  std::int16_t Reserved;
};

struct TestSound {
  std::int16_t Tone;
  std::int16_t Duration;
};

// One or more touch reports at (X, Y): Touching 1 is a touch, 0 a lift.
struct SimTouch {
  std::int16_t X;
  std::int16_t Y;
  std::uint8_t Touching;
  std::uint8_t Unused;
  std::uint16_t Reports;
};

// The finger the simulated controller holds: Down 1 puts it down at (X, Y), or moves it there
// when it is down already; Down 0 lifts it where it is. While it is down the controller reports
// it at its report rate, each report off by up to Jitter raw units on each axis.
struct SimFinger {
  std::int16_t X;
  std::int16_t Y;
  std::uint16_t Jitter;
  std::uint8_t Down;
  std::uint8_t Unused;
};

// One axis of a touchscreen, in the device's own units.
struct AxisRange {
  std::int32_t Minimum;
  std::int32_t Maximum;
};

// The axes a touchscreen reports positions on: X and Y of a single touch (ABS_X, ABS_Y), and of
// the contacts of a multi-touch device (ABS_MT_POSITION_X, ABS_MT_POSITION_Y), which has Slots
// contacts at once (0 for a single-touch device, or one without slots).
struct TouchAxes {
  AxisRange X;
  AxisRange Y;
  AxisRange SlotX;
  AxisRange SlotY;
  std::uint16_t Slots;
  std::uint16_t Unused;
};

// One input event as an evdev device hands it out, without its time.
struct SimEvent {
  std::uint16_t Type;
  std::uint16_t Code;
  std::int32_t Value;
};

// A part of a recording played through the service: Count events, read as a touchscreen with Axes
// would give them. The first part of a recording (REPLAY_FIRST) makes it the input in force, File
// naming it; after the last (REPLAY_LAST) the input before it is in force again.
inline constexpr std::size_t kReplayEvents = 480;
inline constexpr std::uint8_t REPLAY_FIRST = 1;
inline constexpr std::uint8_t REPLAY_LAST = 2;
struct SimReplay {
  std::uint16_t Count;
  std::uint8_t Flags;
  std::uint8_t Unused;
  TouchAxes Axes;
  char File[108];  // ended by a 0 byte
  SimEvent Events[kReplayEvents];
};

// One report of the controller as the journal keeps it, with its time (microseconds since 1970).
struct ReportEntry {
  std::int64_t Time;
  std::int16_t X;
  std::int16_t Y;
  std::uint8_t Touching;
  std::uint8_t Unused[3];
};

// The reports the journal took after its entry After (REPORTS_FROM_NOW: none, only where the
// journal is now), up to kReportsRead of them; Next is where to go on from, Lost how many reports
// the journal had already let go of.
inline constexpr std::size_t kReportsRead = 256;
inline constexpr std::uint32_t REPORTS_FROM_NOW = 0xFFFFFFFF;
struct SimReports {
  std::uint32_t After;
  std::uint32_t Next;
  std::uint32_t Lost;
  std::uint32_t Count;
  ReportEntry Reports[kReportsRead];
};

// The touch input in force: the simulated finger, a touchscreen or a recording; its name and path
// (or file) where it has them, its axes and whether it can report now.
inline constexpr std::uint8_t INPUT_SIMULATED = 0;
inline constexpr std::uint8_t INPUT_TOUCHSCREEN = 1;
inline constexpr std::uint8_t INPUT_RECORDING = 2;
struct InputInfo {
  std::uint8_t Kind;
  std::uint8_t Present;
  std::uint16_t Unused;
  TouchAxes Axes;
  char Name[128];  // each ended by a 0 byte
  char Path[128];
};

// The input setting of the root (device/input_setting): "simulated", "auto", a device's path or a
// touchscreen's name, ended by a 0 byte.
struct InputUse {
  char Use[256];
};

// One monitor of the desktop: its name (the output's, as RandR and the compositors name it:
// "eDP-1", "HDMI-1"), what its EDID says of it (maker, model, serial; empty where none), where it
// lies in the desktop in pixels, its physical size, how its picture stands (RotationCode, as
// SmiRegistration has it) and whether it is the primary one. Texts end by a 0 byte.
struct MonitorInfo {
  char Name[32];
  char Maker[32];
  char Model[32];
  char Serial[24];
  std::int32_t X;
  std::int32_t Y;
  std::int32_t Width;
  std::int32_t Height;
  std::int16_t WidthMm;
  std::int16_t HeightMm;
  std::int16_t RotationCode;
  std::uint8_t Primary;
  std::uint8_t Unused;
};
inline constexpr std::size_t kMonitors = 8;
struct MonitorLayout {
  std::uint32_t Count;  // monitors listed, at most kMonitors
  std::int32_t Chosen;  // out: the touchscreen's monitor, -1 when none is known
  MonitorInfo Monitors[kMonitors];
};

// A monitor's name, for MapToOutput: the touchscreen's monitor from now on ("" for the desktops'
// own choice).
struct OutputName {
  char Name[32];
};

// Settings changed by name, together (SetFields, core/field_changes.h): "NAME=VALUE" changes
// separated by blanks, ended by a 0 byte.
struct FieldChanges {
  char Text[1024];
};

struct SimStatus {
  std::uint8_t Present;
  std::uint8_t Touching;
  std::int16_t RawX;
  std::int16_t RawY;
  std::uint16_t Counter;
  std::int32_t PointerX;  // where the last report put the pointer
  std::int32_t PointerY;
  std::uint32_t RightButtonActions;  // touches turned into a right-button action so far
};
#pragma pack(pop)

inline constexpr std::uint8_t TOUCH_BIT = 0x08;

static_assert(sizeof(TouchSample) == 8);
static_assert(sizeof(SmiRegistration) == 8);
static_assert(sizeof(RbfRegistration) == 8);
static_assert(sizeof(TestSound) == 4);
static_assert(sizeof(SimTouch) == 8);
static_assert(sizeof(SimFinger) == 8);
static_assert(sizeof(SimStatus) == 20);
static_assert(sizeof(TouchAxes) == 36);
static_assert(sizeof(SimReplay) == 4 + 36 + 108 + 8 * kReplayEvents);
static_assert(sizeof(ReportEntry) == 16);
static_assert(sizeof(SimReports) == 16 + 16 * kReportsRead);
static_assert(sizeof(InputInfo) == 4 + 36 + 256);
static_assert(sizeof(InputUse) == 256);
static_assert(sizeof(MonitorInfo) == 144);
static_assert(sizeof(MonitorLayout) == 8 + 144 * kMonitors);
static_assert(sizeof(FieldChanges) == 1024);

// One row of the request table: every request the device service serves, the driver's and its own.
struct RequestEntry {
  std::uint32_t code;
  const char* name;    // as the journal and the tools write it
  std::uint32_t size;  // the record the request takes, in bytes; 0 for none
  // For a Set request of the driver: the SettingsBlock fields it takes, by their names in
  // core/settings_fields, in the order the journal lists them. Empty for every other request.
  std::vector<std::string> fields;
  // The same fields, looked up once when the table is made.
  FieldList taken{};
};

// The request table, one row a request. A new Set request is one more row here: the service
// takes its fields and journals them from this row alone.
const std::vector<RequestEntry>& RequestTable();
// The row of CODE; nothing for an unknown code.
const RequestEntry* FindRequest(std::uint32_t code);
// The name of a request code as the journal and the tools write it; "" for an unknown code.
const char* RequestName(std::uint32_t code);

}  // namespace qx
