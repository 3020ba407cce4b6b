// The seats as logind has them (sd-login), and the words every source of seats shares.
#include <pwd.h>
#include <systemd/sd-login.h>

#include <cstring>

#include "broker/seats.h"

namespace qx {

namespace {

class LogindSeatsImpl : public Seats {
 public:
  explicit LogindSeatsImpl(sd_login_monitor* monitor) : monitor_(monitor) {}
  ~LogindSeatsImpl() override { sd_login_monitor_unref(monitor_); }

  int Descriptor() const override { return sd_login_monitor_get_fd(monitor_); }
  void Flush() override { sd_login_monitor_flush(monitor_); }
  std::string Refusal(uid_t uid, const std::string& seat) const override {
    const int on = sd_uid_is_on_seat(uid, 1, seat.c_str());
    if (on > 0) return "";
    if (on == 0) return NotAtSeat(uid, seat);
    return "logind cannot say who is at " + seat + " (" + std::strerror(-on) + ")";
  }

 private:
  sd_login_monitor* monitor_;
};

}  // namespace

std::unique_ptr<Seats> LogindSeats(std::string& why) {
  sd_login_monitor* monitor = nullptr;
  if (int rc = sd_login_monitor_new(nullptr, &monitor); rc < 0) {
    why = std::string("cannot follow logind's seats: ") + std::strerror(-rc);
    return nullptr;
  }
  return std::make_unique<LogindSeatsImpl>(monitor);
}

std::string UserText(uid_t uid) {
  const passwd* pw = ::getpwuid(uid);
  return "user " + (pw ? std::string(pw->pw_name) + " " : "") + "(uid " + std::to_string(uid) + ")";
}

std::string NotAtSeat(uid_t uid, const std::string& seat) {
  return UserText(uid) + " has no active session on " + seat;
}

}  // namespace qx
