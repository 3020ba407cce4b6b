#include "tests/support/sway.h"

#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QJsonDocument>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "tests/support/temp_root.h"
#include "tests/support/wait.h"

namespace qx::test {

namespace {

constexpr uid_t kNobody = 65534;  // Debian's "nobody" and "nogroup"
constexpr int kStartMs = 20000;

// Run by sway once its Xwayland is there: lets the test's user into Xwayland (it takes only
// sway's user otherwise), then names the displays in "session", written last.
std::string ReadyScript(const std::string& dir) {
  const passwd* user = getpwuid(geteuid());
  const std::string name = user ? user->pw_name : "root";
  return "xhost +si:localuser:" + name + " >/dev/null 2>&1\n" +
         "printf '%s\\n%s\\n' \"$WAYLAND_DISPLAY\" \"$DISPLAY\" > " + dir + "/session.part && mv " + dir +
         "/session.part " + dir + "/session\n";
}

std::string LastLines(const std::string& text) {
  const std::size_t from = text.size() > 600 ? text.size() - 600 : 0;
  return text.substr(from);
}

QJsonDocument JsonOf(const RunResult& r) { return QJsonDocument::fromJson(QByteArray::fromStdString(r.out)); }

// "  Label:  value" of xwininfo's report, as a number.
std::optional<int> Field(const std::string& report, const std::string& label) {
  const std::size_t at = report.find(label);
  if (at == std::string::npos) return std::nullopt;
  return std::atoi(report.c_str() + at + label.size());
}

void CollectNamed(const QJsonObject& node, const QString& name, std::vector<QJsonObject>& out) {
  if (node.value("name").toString() == name) out.push_back(node);
  for (const char* key : {"nodes", "floating_nodes"})
    for (const QJsonValue child : node.value(key).toArray()) CollectNamed(child.toObject(), name, out);
}

}  // namespace

Sway::Sway() { Start(); }

void Sway::Start() {
  if (access("/usr/bin/sway", X_OK) != 0) {
    why_ = "sway is not installed (scripts/install-deps installs it)";
    return;
  }
  char folder[] = "/tmp/qx-sway.XXXXXX";
  if (!mkdtemp(folder)) {
    why_ = "no temporary folder for its runtime";
    return;
  }
  dir_ = folder;
  const bool root = geteuid() == 0;
  if (root && chown(dir_.c_str(), kNobody, kNobody) != 0) {
    why_ = "cannot give its runtime folder to nobody";
    return;
  }
  // Xwayland's socket folder, as a booted system has it (root's, open to all, sticky), where a
  // fresh machine has none yet: made by nobody, it would be nobody's.
  if (root && mkdir("/tmp/.X11-unix", 01777) == 0) chmod("/tmp/.X11-unix", 01777);
  WriteFile(dir_ + "/ready.sh", ReadyScript(dir_));
  WriteFile(dir_ + "/config", "xwayland enable\noutput * resolution 1024x768\nexec sh " + dir_ + "/ready.sh\n");
  std::vector<std::string> argv = {"/usr/bin/sway", "-c", dir_ + "/config"};
  if (root) argv.insert(argv.begin(), {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", "--"});
  pid_ = Spawn(argv, dir_ + "/sway.log",
               {"XDG_RUNTIME_DIR=" + dir_, "HOME=" + dir_, "SWAYSOCK=" + dir_ + "/ipc.sock",
                "WAYLAND_DISPLAY=", "DISPLAY=", "WLR_BACKENDS=headless", "WLR_HEADLESS_OUTPUTS=1",
                "WLR_LIBINPUT_NO_DEVICES=1", "WLR_RENDERER=pixman"});
  if (!WaitUntilReady()) {
    if (pid_ > 0) KillAndWait(pid_, SIGKILL);
    pid_ = -1;
  }
}

bool Sway::WaitUntilReady() {
  bool ended = false;
  const bool ready = WaitUntil(
      [&] {
        ended = waitpid(pid_, nullptr, WNOHANG) == pid_;
        return ended || access((dir_ + "/session").c_str(), R_OK) == 0;
      },
      kStartMs, 20);
  const std::string log = LastLines(ReadFile(dir_ + "/sway.log"));
  if (ended) {
    pid_ = -1;
    why_ = "sway ended as it started: " + log;
    return false;
  }
  if (!ready) {
    why_ = "sway did not come up within " + std::to_string(kStartMs / 1000) + " s: " + log;
    return false;
  }
  std::istringstream session(ReadFile(dir_ + "/session"));
  std::string wayland;
  std::getline(session, wayland);
  std::getline(session, xDisplay_);
  waylandDisplay_ = dir_ + "/" + wayland;
  if (wayland.empty() || xDisplay_.empty()) {
    why_ = "sway started without Wayland or Xwayland displays: " + log;
    return false;
  }
  return true;
}

Sway::~Sway() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    if (!WaitUntil([&] { return waitpid(pid_, nullptr, WNOHANG) == pid_; }, 10000, 20)) KillAndWait(pid_, SIGKILL);
  }
  std::error_code ignored;
  if (!dir_.empty()) std::filesystem::remove_all(dir_, ignored);
}

std::vector<std::string> Sway::ClientEnvironment() const {
  return {"WAYLAND_DISPLAY=" + waylandDisplay_, "DISPLAY=" + xDisplay_, "XDG_SESSION_TYPE=wayland",
          "XDG_CURRENT_DESKTOP=sway", "QT_QPA_PLATFORM="};
}

RunResult Sway::Msg(const std::vector<std::string>& args) const {
  std::vector<std::string> argv = {"/usr/bin/swaymsg", "-s", dir_ + "/ipc.sock"};
  argv.insert(argv.end(), args.begin(), args.end());
  return Run(argv);
}

QJsonArray Sway::Outputs() const { return JsonOf(Msg({"-r", "-t", "get_outputs"})).array(); }

QJsonObject Sway::Tree() const { return JsonOf(Msg({"-r", "-t", "get_tree"})).object(); }

void Sway::EnsureOutputs(int count) {
  int known = static_cast<int>(Outputs().size());
  for (; known < count; ++known) Msg({"create_output"});
  for (int i = 1; i <= known; ++i)
    Msg({"output", "HEADLESS-" + std::to_string(i), "resolution", "1024x768", "transform", "normal", "position",
         std::to_string((i - 1) * kOutputWidth), "0"});
  Msg({"focus", "output", "HEADLESS-1"});
}

QRect Sway::OutputRect(const std::string& name) const {
  for (const QJsonValue output : Outputs())
    if (output["name"].toString().toStdString() == name && output["active"].toBool()) return RectOf(output.toObject());
  return {};
}

QImage Sway::Screenshot(const std::string& name) const {
  const std::string file = dir_ + "/" + name + ".png";
  const RunResult r = Run({"/usr/bin/grim", "-o", name, file}, {"WAYLAND_DISPLAY=" + waylandDisplay_});
  return r.exitCode == 0 ? QImage(QString::fromStdString(file)) : QImage();
}

std::optional<QRect> Sway::XWindowRect(const std::string& title) const {
  const RunResult r = Run({"/usr/bin/xwininfo", "-display", xDisplay_, "-name", title});
  if (r.exitCode != 0 || r.out.find("IsViewable") == std::string::npos) return std::nullopt;
  const auto x = Field(r.out, "Absolute upper-left X:"), y = Field(r.out, "Absolute upper-left Y:");
  const auto w = Field(r.out, "Width:"), h = Field(r.out, "Height:");
  if (!x || !y || !w || !h) return std::nullopt;
  return QRect(*x, *y, *w, *h);
}

std::vector<QJsonObject> NodesNamed(const QJsonObject& tree, const std::string& name) {
  std::vector<QJsonObject> found;
  CollectNamed(tree, QString::fromStdString(name), found);
  return found;
}

QRect RectOf(const QJsonObject& node) {
  const QJsonObject r = node.value("rect").toObject();
  return QRect(r["x"].toInt(), r["y"].toInt(), r["width"].toInt(), r["height"].toInt());
}

}  // namespace qx::test
