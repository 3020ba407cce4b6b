// The steady-finger filter on raw reports: what each report and wake lets through, in order.
#include "device/steady_filter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qx {
namespace steady_filter_test {

// A report (x, y, touching) at T ms, or a wake at T; and what it lets through: "x,y" a report
// passed while touching, "x,y^" a lift-off, separated by blanks; "" nothing.
struct Step {
  int t;
  int x, y;
  bool touching;
  const char* passed;
  bool wake = false;
};
Step Down(int t, int x, int y, const char* passed) { return {t, x, y, true, passed}; }
Step Up(int t, int x, int y, const char* passed) { return {t, x, y, false, passed}; }
Step Wake(int t, const char* passed) { return {t, 0, 0, false, passed, true}; }

std::string Text(const SteadyFilter::Passed& passed) {
  std::string text;
  for (int i = 0; i < passed.count; ++i) {
    const SteadyFilter::Point& p = passed.points[i];
    text += (text.empty() ? "" : " ") + std::to_string(p.x) + "," + std::to_string(p.y) + (p.touching ? "" : "^");
  }
  return text;
}

// A still finger and a spike, as a desktop gets them, are the X11 pointer's test.
TEST(SteadyFilter, AStrokeLagsOneReportAndAHeldReportIsLetGo) {
  const struct {
    const char* what;
    std::vector<Step> steps;
  } cases[] = {
      {"a stroke leaves the zone at once, one report behind the finger",
       {Down(0, 100, 100, "100,100"), Down(10, 120, 100, ""), Down(20, 140, 100, "120,100"),
        Down(30, 160, 100, "140,100"), Up(40, 160, 100, "160,100 160,100^")}},
      {"a fast stroke is no spike: its reports are far from each other",
       {Down(0, 100, 100, "100,100"), Down(10, 300, 100, ""), Down(20, 500, 100, "300,100"),
        Up(30, 500, 100, "500,100 500,100^")}},
      {"a report held with none after it is let go once the hold limit passes",
       {Down(0, 100, 100, "100,100"), Down(10, 150, 100, ""), Wake(39, ""), Wake(40, "150,100"), Down(50, 153, 100, ""),
        Wake(80, "150,100")}},
  };
  for (const auto& c : cases) {
    SteadyFilter filter;
    filter.SetStrength(8);
    const auto start = std::chrono::steady_clock::now();
    for (std::size_t i = 0; i < c.steps.size(); ++i) {
      const Step& s = c.steps[i];
      const auto now = start + std::chrono::milliseconds(s.t);
      const SteadyFilter::Passed passed =
          s.wake ? filter.Wake(now)
                 : filter.Take({static_cast<std::int16_t>(s.x), static_cast<std::int16_t>(s.y), s.touching}, now);
      EXPECT_EQ(Text(passed), s.passed) << c.what << ", step " << i;
    }
    EXPECT_FALSE(filter.NextDue()) << c.what << ": nothing held at the end";
  }
}

}  // namespace steady_filter_test
}  // namespace qx
