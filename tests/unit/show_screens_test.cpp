// The show over several monitors: where the show and the blanks go, and how they follow a change
// of the monitors.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "show/show_screens.h"

namespace torva::testing {
namespace {

std::string Text(const PixelRect& r) {
  std::ostringstream text;
  text << r.width << "x" << r.height << "+" << r.left << "+" << r.top;
  return text.str();
}

std::vector<std::string> Texts(const ShowLayout& layout) {
  std::vector<std::string> texts{Text(layout.show)};
  for (const PixelRect& blank : layout.blanks) texts.push_back(Text(blank));
  return texts;
}

constexpr PixelSize kScreen{1024, 768};

TEST(LayOutShow, TheShowOnThePrimaryMonitorAndABlankOnEachOtherOne) {
  struct Case {
    const char* desk;
    std::vector<Monitor> monitors;
    std::vector<std::string> showThenBlanks;
  };
  const Case cases[] = {
      {"one monitor", {{{0, 0, 1024, 768}, true}}, {"1024x768+0+0"}},
      {"primary listed second, one to its left, one portrait above it",
       {{{-1280, 0, 1280, 1024}, false}, {{0, 0, 1920, 1080}, true}, {{0, -1024, 768, 1024}, false}},
       {"1920x1080+0+0", "1280x1024+-1280+0", "768x1024+0+-1024"}},
      {"none marked primary: the one at the origin",
       {{{1024, 0, 800, 600}, false}, {{0, 0, 1024, 768}, false}},
       {"1024x768+0+0", "800x600+1024+0"}},
      {"none marked and none at the origin: the first",
       {{{100, 0, 800, 600}, false}, {{900, 0, 640, 480}, false}},
       {"800x600+100+0", "640x480+900+0"}},
      {"a mirror of the primary and a doubled second monitor get nothing more",
       {{{0, 0, 1024, 768}, true}, {{0, 0, 1024, 768}, false}, {{1024, 0, 800, 600}, false},
        {{1024, 0, 800, 600}, false}},
       {"1024x768+0+0", "800x600+1024+0"}},
      {"a monitor with no area gets no window", {{{0, 0, 1024, 768}, true}, {{1024, 0, 0, 600}, false}},
       {"1024x768+0+0"}},
      {"nor does one with no area or a negative one away from the primary; one pixel is an area",
       {{{0, 0, 1024, 768}, true}, {{3000, 0, 0, 600}, false}, {{3000, 0, 800, 0}, false},
        {{-3000, 0, -800, 600}, false}, {{3000, 0, 1, 1}, false}},
       {"1024x768+0+0", "1x1+3000+0"}},
      {"monitors stacked vertically",
       {{{0, 0, 1024, 768}, true}, {{0, 768, 1024, 768}, false}, {{0, -600, 800, 600}, false}},
       {"1024x768+0+0", "1024x768+0+768", "800x600+0+-600"}},
      {"a larger mirror around the primary gets a blank, which lies beneath the show",
       {{{0, 0, 1024, 768}, true}, {{-128, -96, 1280, 960}, false}},
       {"1024x768+0+0", "1280x960+-128+-96"}},
      {"none marked: the one holding the origin, not those meeting it there",
       {{{-1280, 0, 1280, 1024}, false}, {{0, -1024, 768, 1024}, false}, {{0, 0, 1024, 768}, false}},
       {"1024x768+0+0", "1280x1024+-1280+0", "768x1024+0+-1024"}},
      {"none marked: the origin is a pixel, here the last of the second monitor",
       {{{1, 1, 800, 600}, false}, {{-1023, -767, 1024, 768}, false}},
       {"1024x768+-1023+-767", "800x600+1+1"}},
      {"no monitors reported: the screen", {}, {"1024x768+0+0"}},
  };
  for (const Case& c : cases) EXPECT_EQ(Texts(LayOutShow(c.monitors, kScreen)), c.showThenBlanks) << c.desk;
}

// A blank as the system would hold it: where it is, whether it is shown, and whether it still exists.
struct BlankState {
  PixelRect area;
  bool shown = false;
  bool alive = true;
};

class FakeBlank final : public BlankScreen {
 public:
  explicit FakeBlank(BlankState& state) : state_(state) {}
  ~FakeBlank() override { state_.alive = false; }
  void Show() override { state_.shown = true; }
  void MoveTo(const PixelRect& area) override { state_.area = area; }

 private:
  BlankState& state_;
};

class FakeDesktop final : public Desktop {
 public:
  std::vector<Monitor> Monitors() const override { return monitors; }
  PixelSize ScreenSize() const override { return kScreen; }
  void MoveShowWindow(const PixelRect& area) override { showWindow = area; }
  std::unique_ptr<BlankScreen> CreateBlank(const PixelRect& area) override {
    blanks.push_back(std::make_unique<BlankState>(BlankState{area}));
    return std::make_unique<FakeBlank>(*blanks.back());
  }

  // The areas of the blanks that exist, in no particular order, and how many of them are shown.
  std::multiset<std::string> LiveBlanks() const {
    std::multiset<std::string> areas;
    for (const auto& blank : blanks) {
      if (blank->alive) areas.insert(Text(blank->area));
    }
    return areas;
  }
  std::size_t ShownBlanks() const {
    return std::count_if(blanks.begin(), blanks.end(), [](const auto& b) { return b->alive && b->shown; });
  }

  std::vector<Monitor> monitors;
  PixelRect showWindow;
  std::vector<std::unique_ptr<BlankState>> blanks;  // every blank ever created
};

struct ScreensRig {
  FakeDesktop desktop;
  ShowScreens screens{desktop};
};

using Areas = std::multiset<std::string>;

const Monitor kPrimary{{0, 0, 1024, 768}, true};
const Monitor kRight{{1024, 0, 800, 600}, false};
const Monitor kLeft{{-1280, 0, 1280, 1024}, false};

// After every change: the show window over the primary, one blank over each other monitor, all
// shown once the show is, and a new blank created only for a monitor that has none, so a change
// that keeps the monitors creates nothing under the pointer.
TEST(ShowScreens, BlanksAppearOnlyWithTheShowThenFollowEveryChangeOfTheMonitors) {
  ScreensRig rig;
  rig.desktop.monitors = {kPrimary, kRight};
  EXPECT_EQ(Text(rig.screens.Follow()), "1024x768+0+0");
  EXPECT_EQ(Text(rig.desktop.showWindow), "1024x768+0+0");
  EXPECT_EQ(rig.desktop.LiveBlanks(), Areas{"800x600+1024+0"});
  EXPECT_EQ(rig.desktop.ShownBlanks(), 0u)
      << "created hidden: a broken settings file is reported before anything appears";
  rig.screens.Show();
  EXPECT_EQ(rig.desktop.ShownBlanks(), 1u);

  // The second monitor gets a new resolution, a third one is plugged in.
  rig.desktop.monitors = {kPrimary, {{1024, 0, 1280, 1024}, false}, kLeft};
  rig.screens.Follow();
  EXPECT_EQ(rig.desktop.LiveBlanks(), (Areas{"1280x1024+1024+0", "1280x1024+-1280+0"}));
  EXPECT_EQ(rig.desktop.ShownBlanks(), 2u);
  EXPECT_EQ(rig.desktop.blanks.size(), 2u);

  // Both get a new resolution.
  rig.desktop.monitors = {kPrimary, kRight, {{-1024, 0, 1024, 768}, false}};
  rig.screens.Follow();
  EXPECT_EQ(rig.desktop.LiveBlanks(), (Areas{"800x600+1024+0", "1024x768+-1024+0"}));
  EXPECT_EQ(rig.desktop.blanks.size(), 2u);

  // The primary role moves to the left monitor, and the right one is unplugged.
  rig.desktop.monitors = {{{0, 0, 1280, 1024}, true}, {{1280, 0, 1024, 768}, false}};
  EXPECT_EQ(Text(rig.screens.Follow()), "1280x1024+0+0");
  EXPECT_EQ(Text(rig.desktop.showWindow), "1280x1024+0+0");
  EXPECT_EQ(rig.desktop.LiveBlanks(), Areas{"1024x768+1280+0"});
  EXPECT_EQ(rig.desktop.ShownBlanks(), 1u);
  EXPECT_EQ(rig.desktop.blanks.size(), 2u);

  // Down to one monitor.
  rig.desktop.monitors = {{{0, 0, 800, 600}, true}};
  EXPECT_EQ(Text(rig.screens.Follow()), "800x600+0+0");
  EXPECT_EQ(rig.desktop.LiveBlanks(), Areas{});
}

}  // namespace
}  // namespace torva::testing
