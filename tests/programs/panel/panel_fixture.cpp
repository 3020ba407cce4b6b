#include "tests/programs/panel/panel_fixture.h"

#include <QApplication>
#include <QImage>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <sstream>

#include "core/driver_link.h"
#include "core/registry_access.h"
#include "core/settings_store.h"
#include "host/paths.h"
#include "host/program_state.h"
#include "ui/oem_branding.h"
#include "ui/window_ops.h"

namespace qx::test {

namespace {

HKEY OpenSuite() {
  std::string sub = SUITE_SUB_KEY;
  HKEY key = 0;
  EXPECT_TRUE(CreateKey(HKEY_LOCAL_MACHINE, SUITE_KEY_PATH, sub, key));
  return key;
}

}  // namespace

void WriteInstallation(const std::string& leaveOut) {
  const std::pair<const char*, std::string> values[] = {
      {"VenderName", "Harlenby"},
      {"VenderStyle", ""},
      {"InstallPath", kInstallPath},
      {"WindowsPath", "C:\\WINDOWS"},
      {"SystemPath", "C:\\WINDOWS\\SYSTEM"},
      {"HardwareID", "SERENUM\\QXC0001"},
  };
  HKEY key = OpenSuite();
  for (const auto& [name, text] : values)
    if (leaveOut != name) SetString(key, name, text);
  CloseKey(key);
  std::filesystem::create_directories(HostPath(kInstallPath));
}

std::string StoredValue(const std::string& name) {
  HKEY key = OpenSuite();
  DWORD type = 0, size = 0;
  std::string result;
  if (RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
    std::string data(size, '\0');
    RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
    if (type == REG_DWORD && size == 4) {
      std::int32_t v = 0;
      std::memcpy(&v, data.data(), 4);
      result = "4:" + std::to_string(v);
    } else {
      result = std::to_string(type) + ":" + data.substr(0, data.find('\0'));
    }
  }
  CloseKey(key);
  return result;
}

void WriteDword(const std::string& name, std::int32_t value) {
  HKEY key = OpenSuite();
  SetDword(key, name, value);
  CloseKey(key);
}

void WriteString(const std::string& name, const std::string& text) {
  HKEY key = OpenSuite();
  SetString(key, name, text);
  CloseKey(key);
}

void DeleteValue(const std::string& name) {
  HKEY key = OpenSuite();
  RegDeleteValueA(key, name.c_str());
  CloseKey(key);
}

void WriteInstallFile(const std::string& name, const std::string& content) {
  WriteFile(HostPath(std::string(kInstallPath) + "\\" + name), content);
}

void WriteInstallBitmap(const std::string& name, int width, int height) {
  QImage picture(width, height, QImage::Format_RGB32);
  picture.fill(QColor(255, 255, 192));
  ASSERT_TRUE(picture.save(QString::fromStdString(HostPath(std::string(kInstallPath) + "\\" + name)), "BMP"));
}

std::vector<std::string> JournalLines(const std::string& name) {
  std::istringstream journal(DeviceService::Qxctl("journal"));
  std::vector<std::string> lines;
  for (std::string line; std::getline(journal, line);)
    if (line.find(" " + name) != std::string::npos) lines.push_back(line);
  return lines;
}

std::vector<std::string> Sent(const std::string& name) {
  std::vector<std::string> fields;
  for (const std::string& line : JournalLines(name)) {
    const std::size_t at = line.find(" " + name);
    fields.push_back(line.substr(std::min(line.size(), at + name.size() + 2)));
  }
  return fields;
}

void DragThumb(ScrollBar* bar, std::initializer_list<int> positions) {
  bar->setSliderDown(true);
  for (int p : positions) bar->setSliderPosition(p);
  bar->setSliderDown(false);
}

void PanelTest::SetUp() {
  ResetProgramState();  // as a fresh process would start
  WriteInstallation();
}

void PanelTest::TearDown() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w != window.get()) w->deleteLater();
  Settle();
  if (window) window->close();  // unload: closes the driver
  window.reset();
  ResetProgramState();
}

LoadResult PanelTest::Start() {
  window = std::make_unique<MainWindow>();
  const LoadResult result = window->Load();
  if (result == LoadResult::Ready) window->show();
  return result;
}

void PanelTest::StartWith(const std::string& fields) {
  if (!fields.empty()) DeviceService::Qxctl("set " + fields);
  ASSERT_EQ(Start(), LoadResult::Ready);
  DeviceService::Qxctl("journal --clear");
}

void PanelTest::Settle() {
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  QCoreApplication::processEvents();
}

}  // namespace qx::test
