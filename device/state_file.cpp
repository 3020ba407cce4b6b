#include "device/state_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

#include "host/regular_file.h"
#include "host/unique_fd.h"

namespace qx {

namespace {

constexpr char kMagic[4] = {'Q', 'X', 'D', 'V'};
// Version 1: magic, version, present, block, crc32. Version 2 adds the fingerprint of the initial
// settings taken (8 bytes, little-endian) before the crc32; a version 1 file reads as none taken.
// Version 3 adds the rotation code the calibration was made at (1 byte, -1 not known) after it;
// version 4 the touch options (TouchOptions, 8 bytes) after that. An older file reads as not
// known, with the default options. Version 5 adds the calibrations per panel after them: the
// panel whose calibration the block holds, then a u16 count of the others' (each its panel, its
// 12 bytes of CalibrationData, CalibrationFlags and the rotation), each panel a u16 length and its
// bytes; an older file's calibration belongs to no panel yet, given to the next one taken. A state
// without them is written as version 4, which a service before them reads too.
constexpr std::uint8_t kVersion = 5;
constexpr std::size_t kVersion1Size = 4 + 1 + 1 + sizeof(SettingsBlock) + 4;
constexpr std::size_t kVersion2Size = kVersion1Size + 8;
constexpr std::size_t kVersion3Size = kVersion2Size + 1;
constexpr std::size_t kVersion4Size = kVersion3Size + sizeof(TouchOptions);
// The largest a file may be: every panel's calibration at its longest.
constexpr std::size_t kLargestFile =
    kVersion4Size + 4 + (kKeptPanels + 1) * (2 + kLongestPanel + sizeof(PanelCalibration::data) + 2);
constexpr std::size_t kFingerprintAt = 6 + sizeof(SettingsBlock);
constexpr std::size_t kCalibratedAt = kFingerprintAt + 8;
constexpr std::size_t kOptionsAt = kCalibratedAt + 1;
// The most of a newer version's file read.
constexpr std::size_t kMaxNewerSize = 64 * 1024;

// The size of a file of VERSION, which is GOT long (version 5's varies with its panels).
std::size_t SizeOfVersion(std::uint8_t version, std::size_t got) {
  return version == 1   ? kVersion1Size
         : version == 2 ? kVersion2Size
         : version == 3 ? kVersion3Size
         : version == 4 ? kVersion4Size
                        : got;
}

// The calibrations per panel of a version-5 file, from AT up to END: false when they do not fill
// it exactly.
class PanelReader {
 public:
  PanelReader(const std::uint8_t* at, const std::uint8_t* end) : at_(at), end_(end) {}
  bool Read(StoredState& s) {
    std::uint16_t count = 0;
    if (!Text(s.calibratedPanel) || !U16(count) || count > kKeptPanels) return false;
    s.panels.resize(count);
    for (PanelCalibration& p : s.panels) {
      if (!Text(p.panel) || !Bytes(p.data, sizeof p.data) || !Bytes(&p.flags, 1) || !Bytes(&p.calibratedAt, 1))
        return false;
    }
    return at_ == end_;
  }

 private:
  bool Bytes(void* to, std::size_t n) {
    if (std::size_t(end_ - at_) < n) return false;
    std::memcpy(to, at_, n);
    at_ += n;
    return true;
  }
  bool U16(std::uint16_t& v) {
    std::uint8_t b[2];
    if (!Bytes(b, 2)) return false;
    v = static_cast<std::uint16_t>(b[0] | b[1] << 8);
    return true;
  }
  bool Text(std::string& text) {
    std::uint16_t n = 0;
    if (!U16(n) || n > kLongestPanel || std::size_t(end_ - at_) < n) return false;
    text.assign(reinterpret_cast<const char*>(at_), n);
    at_ += n;
    return true;
  }
  const std::uint8_t* at_;
  const std::uint8_t* end_;
};

void PutText(std::vector<std::uint8_t>& data, const std::string& text) {
  const std::size_t n = std::min(text.size(), kLongestPanel);
  data.push_back(static_cast<std::uint8_t>(n));
  data.push_back(static_cast<std::uint8_t>(n >> 8));
  data.insert(data.end(), text.begin(), text.begin() + static_cast<long>(n));
}

// The calibrations per panel, as version 5 writes them.
void PutPanels(std::vector<std::uint8_t>& data, const StoredState& s) {
  PutText(data, s.calibratedPanel);
  const std::size_t count = std::min(s.panels.size(), kKeptPanels);
  data.push_back(static_cast<std::uint8_t>(count));
  data.push_back(static_cast<std::uint8_t>(count >> 8));
  // The most recently set aside are kept.
  for (std::size_t i = s.panels.size() - count; i < s.panels.size(); ++i) {
    const PanelCalibration& p = s.panels[i];
    PutText(data, p.panel);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(p.data);
    data.insert(data.end(), bytes, bytes + sizeof p.data);
    data.push_back(p.flags);
    data.push_back(static_cast<std::uint8_t>(p.calibratedAt));
  }
}

std::uint32_t ReadU32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

bool WriteAll(int fd, const std::uint8_t* data, std::size_t size) {
  while (size) {
    ssize_t n = ::write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

// The state in the first SIZE bytes of a sound file, the fields of its version up to 4 (a version
// 5 file's panels are read by PanelReader).
StoredState Decode(const std::uint8_t* data, std::size_t size) {
  StoredState s;
  s.present = data[5] != 0;
  std::memcpy(&s.block, data + 6, sizeof(SettingsBlock));
  if (size >= kVersion3Size) s.calibratedAt = static_cast<std::int8_t>(data[kCalibratedAt]);
  if (size >= kVersion4Size) {
    std::memcpy(&s.options, data + kOptionsAt, sizeof s.options);
    // Values no service wrote: the defaults.
    if (!OptionsValid(s.options)) s.options = DefaultOptions();
  }
  if (size >= kVersion2Size)
    s.initialSettings = ReadU32(data + kFingerprintAt) | std::uint64_t(ReadU32(data + kFingerprintAt + 4)) << 32;
  return s;
}

}  // namespace

StoredState DefaultState() {
  StoredState s;
  SettingsBlock& b = s.block;
  b.ActivePortBase = 0x3F8;
  b.ActivePortIrq = 4;
  b.ActivePort = 1;
  b.PortTable[0] = {0x3F8, 4, 0};
  b.PortTable[1] = {0x2F8, 3, 0};
  b.PortTable[2] = {0, 255, 0};
  b.PortTable[3] = {0, 254, 0};
  for (int n = 4; n < 9; ++n) b.PortTable[n] = {0, 255, 0};
  b.TouchMode = 4;
  b.SoundMode = 4;
  b.SoundTone = 1000;
  b.SoundDuration = 20;
  b.Sensitivity = 64;
  b.Bypass = 0;
  b.SpeedH = 10;
  b.SpeedV = 10;
  b.Acceleration = 1;
  b.PowerDownTime = 9;
  b.BaudIndex = 4;
  b.RbfEnable = 1;
  b.RbfAutoMode = 1;
  b.RbfAutoSTime = 1;
  b.RbfAutoETime = 3;
  b.RbfAutoBeep = 1;
  std::memcpy(b.CalibrationData, kStraightCalibration, sizeof kStraightCalibration);
  b.CalibrationFlags = 0;
  b.ScreenWidth = 1024;
  b.ScreenHeight = 768;
  b.McuMode = 0x01;
  b.McuVersion = 0x23;
  const std::uint8_t code[4] = {0x51, 0x58, 0x07, 0x00};
  std::memcpy(b.McuCode, code, sizeof code);
  s.present = true;
  return s;
}

StateFile::StateFile(std::string path) : path_(std::move(path)) {}

// Moves the file aside to PATH.damaged, saying WHAT it is; the service starts from the defaults.
std::optional<StoredState> StateFile::SetAside(const char* what) const {
  const std::string aside = path_ + ".damaged";
  std::rename(path_.c_str(), aside.c_str());
  std::fprintf(stderr, "qxwmecomd: %s %s; kept as %s, starting from the default settings\n", path_.c_str(), what,
               aside.c_str());
  return std::nullopt;
}

std::optional<StoredState> StateFile::Load() const {
  // A symbolic link where our file should be was not made by us, and a FIFO, device or folder
  // would hold the start (a FIFO for ever): neither is read.
  const UniqueFd fd(OpenRegularFile(path_, O_RDONLY | O_NOFOLLOW));
  if (!fd && errno == ELOOP) return SetAside("is a symbolic link, not followed");
  if (!fd && errno == EINVAL) return SetAside("is not a regular file");
  if (!fd) {
    if (errno != ENOENT) std::fprintf(stderr, "qxwmecomd: cannot read %s: %s\n", path_.c_str(), std::strerror(errno));
    return std::nullopt;
  }
  const std::optional<std::string> read = ReadFrom(fd.get(), kMaxNewerSize);
  const std::string bytes = read.value_or("");
  const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
  const std::size_t got = bytes.size();
  if (got >= 5 && std::memcmp(data, kMagic, 4) == 0 && data[4] > kVersion) return LoadNewer(data, got);
  const std::size_t size = got >= 5 ? SizeOfVersion(data[4], got) : kVersion4Size;
  StoredState panels;
  const bool sound =
      read && got == size && size >= kVersion1Size && size <= kLargestFile && std::memcmp(data, kMagic, 4) == 0 &&
      data[4] >= 1 && Crc32(data, size - 4) == ReadU32(data + size - 4) &&
      (data[4] < 5 || (size >= kVersion4Size && PanelReader(data + kVersion4Size - 4, data + size - 4).Read(panels)));
  if (!sound) return SetAside("is damaged");
  StoredState s = Decode(data, size);
  s.calibratedPanel = std::move(panels.calibratedPanel);
  s.panels = std::move(panels.panels);
  return s;
}

// A file a newer service wrote (this one run after a downgrade) is left as it is, for that
// service to find again: what this version knows of it is read when its checksum holds (a newer
// version keeps the fields of version 4 where they are), and nothing is written over it.
std::optional<StoredState> StateFile::LoadNewer(const std::uint8_t* data, std::size_t got) const {
  newer_ = true;
  const bool sound = got >= kVersion4Size && Crc32(data, got - 4) == ReadU32(data + got - 4);
  std::fprintf(stderr,
               "qxwmecomd: %s was written by a newer version of the service (file version %d); left as it is, "
               "starting from %s, and changes are not kept\n",
               path_.c_str(), data[4], sound ? "the settings this version knows of it" : "the default settings");
  if (!sound) return std::nullopt;
  return Decode(data, kVersion4Size);
}

bool StateFile::Save(const StoredState& state) const {
  if (newer_) return true;  // kept for the newer service, as said at the start
  std::vector<std::uint8_t> data(kVersion4Size - 4);
  std::memcpy(data.data(), kMagic, 4);
  const bool perPanel = !state.calibratedPanel.empty() || !state.panels.empty();
  data[4] = perPanel ? kVersion : 4;
  data[5] = state.present ? 1 : 0;
  std::memcpy(data.data() + 6, &state.block, sizeof(SettingsBlock));
  for (int i = 0; i < 8; ++i) data[kFingerprintAt + i] = static_cast<std::uint8_t>(state.initialSettings >> (8 * i));
  data[kCalibratedAt] = static_cast<std::uint8_t>(state.calibratedAt);
  std::memcpy(data.data() + kOptionsAt, &state.options, sizeof state.options);
  if (perPanel) PutPanels(data, state);
  const std::uint32_t crc = Crc32(data.data(), data.size());
  for (int i = 0; i < 4; ++i) data.push_back(static_cast<std::uint8_t>(crc >> (8 * i)));

  // A new file of our own every time: whatever is left under the temporary name (a file from a
  // write that died, or a link someone planted) is removed, not written through.
  std::string temp = path_ + ".new";
  ::unlink(temp.c_str());
  int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  bool ok = WriteAll(fd, data.data(), data.size()) && ::fsync(fd) == 0;
  ok = ::close(fd) == 0 && ok;
  if (!ok || std::rename(temp.c_str(), path_.c_str()) != 0) {
    ::unlink(temp.c_str());
    return false;
  }
  // The rename itself must reach the disk too.
  std::string dir = std::filesystem::path(path_).parent_path().string();
  int dfd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    ::fsync(dfd);
    ::close(dfd);
  }
  return true;
}

}  // namespace qx
