#include "tests/support/sway.h"

#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <filesystem>
#include <sstream>

#include "tests/support/temp_root.h"
#include "tests/support/wait.h"
#include "tests/support/x_display.h"

namespace qx::test {

namespace {

// Run by sway once it is up: lets this process's user into Xwayland (which takes only sway's user
// otherwise), then names the two displays in "session", written whole.
std::string ReadyScript(const std::string& dir) {
  const passwd* user = getpwuid(geteuid());
  return "xhost +si:localuser:" + std::string(user ? user->pw_name : "root") + " >/dev/null 2>&1\n" +
         "printf '%s\\n%s\\n' \"$WAYLAND_DISPLAY\" \"$DISPLAY\" > " + dir + "/part && mv " + dir + "/part " + dir +
         "/session\n";
}

void CollectNamed(const QJsonObject& node, const QString& name, std::vector<QJsonObject>& out) {
  if (node["name"].toString() == name) out.push_back(node);
  for (const char* key : {"nodes", "floating_nodes"})
    for (const QJsonValue child : node[key].toArray()) CollectNamed(child.toObject(), name, out);
}

}  // namespace

Sway::Sway() {
  if (Start() || pid_ <= 0) return;
  KillAndWait(pid_, SIGKILL);
  pid_ = -1;
}

bool Sway::Start() {
  char folder[] = "/tmp/qx-sway.XXXXXX";
  if (access("/usr/bin/sway", X_OK) != 0 || !mkdtemp(folder)) {
    why_ = "sway is not installed (scripts/install-deps), or no temporary folder";
    return false;
  }
  dir_ = folder;
  const bool root = geteuid() == 0;
  // Xwayland's socket folder as a booted system has it (root's, open to all), which nobody would
  // otherwise make its own on a fresh machine.
  if (root && mkdir("/tmp/.X11-unix", 01777) == 0) chmod("/tmp/.X11-unix", 01777);
  if (root && chown(folder, 65534, 65534) != 0) why_ = "cannot give nobody its runtime folder";
  WriteFile(dir_ + "/ready.sh", ReadyScript(dir_));
  WriteFile(dir_ + "/config", "xwayland enable\noutput * resolution 1024x768\nexec sh " + dir_ + "/ready.sh\n");
  std::vector<std::string> argv = {"/usr/bin/sway", "-c", dir_ + "/config"};
  if (root) argv.insert(argv.begin(), {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", "--"});
  pid_ = Spawn(argv, dir_ + "/sway.log",
               {"XDG_RUNTIME_DIR=" + dir_, "HOME=" + dir_, "SWAYSOCK=" + dir_ + "/ipc.sock",
                "WAYLAND_DISPLAY=", "DISPLAY=", "WLR_BACKENDS=headless", "WLR_HEADLESS_OUTPUTS=1",
                "WLR_LIBINPUT_NO_DEVICES=1", "WLR_RENDERER=pixman"});
  bool ended = false;
  const bool ready = WaitUntil(
      [&] { return (ended = waitpid(pid_, nullptr, WNOHANG) == pid_) || access((dir_ + "/session").c_str(), 0) == 0; },
      20000, 20);
  if (ended) pid_ = -1;
  std::istringstream session(ReadFile(dir_ + "/session"));
  std::string wayland;
  std::getline(session, wayland);
  std::getline(session, xDisplay_);
  waylandDisplay_ = dir_ + "/" + wayland;
  if (ready && !ended && !wayland.empty() && !xDisplay_.empty()) return true;
  why_ += " sway did not come up with its Wayland and Xwayland displays within 20 s: " + ReadFile(dir_ + "/sway.log");
  return false;
}

Sway::~Sway() {
  if (pid_ > 0) kill(pid_, SIGTERM);
  if (pid_ > 0 && !WaitUntil([&] { return waitpid(pid_, nullptr, WNOHANG) == pid_; }, 10000))
    KillAndWait(pid_, SIGKILL);
  std::error_code ignored;
  if (!dir_.empty()) std::filesystem::remove_all(dir_, ignored);
}

std::vector<std::string> Sway::ClientEnvironment() const {
  return {"WAYLAND_DISPLAY=" + waylandDisplay_, "DISPLAY=" + xDisplay_, "XDG_SESSION_TYPE=wayland", "QT_QPA_PLATFORM="};
}

RunResult Sway::Msg(const std::vector<std::string>& args) const {
  std::vector<std::string> argv = {"/usr/bin/swaymsg", "-s", dir_ + "/ipc.sock"};
  argv.insert(argv.end(), args.begin(), args.end());
  return Run(argv);
}

QJsonObject Sway::Tree() const {
  return QJsonDocument::fromJson(QByteArray::fromStdString(Msg({"-r", "-t", "get_tree"}).out)).object();
}

void Sway::EnsureOutputs(int count) {
  for (; outputs_ < count; ++outputs_) Msg({"create_output"});
}

QImage Sway::Screenshot(const std::string& name) const {
  const std::string file = dir_ + "/" + name + ".png";
  const bool taken = Run({"/usr/bin/grim", "-o", name, file}, {"WAYLAND_DISPLAY=" + waylandDisplay_}).exitCode == 0;
  return taken ? QImage(QString::fromStdString(file)) : QImage();
}

std::optional<QRect> Sway::XWindowRect(const std::string& title) const {
  const std::optional<XWindowPlace> place = ShownWindowPlace(xDisplay_, title);
  if (!place) return std::nullopt;
  return QRect(place->x, place->y, place->width, place->height);
}

std::vector<QJsonObject> NodesNamed(const QJsonObject& tree, const std::string& name) {
  std::vector<QJsonObject> found;
  CollectNamed(tree, QString::fromStdString(name), found);
  return found;
}

QRect RectOf(const QJsonObject& node) {
  const QJsonObject r = node["rect"].toObject();
  return QRect(r["x"].toInt(), r["y"].toInt(), r["width"].toInt(), r["height"].toInt());
}

}  // namespace qx::test
