// Which monitor shows the show, which ones go black, and how the windows follow a change.
#include "show/show_screens.h"

#include <algorithm>

namespace torva {
namespace {

bool IsEmpty(const PixelRect& area) { return area.width <= 0 || area.height <= 0; }

bool Contains(const PixelRect& outer, const PixelRect& inner) {
  return inner.left >= outer.left && inner.top >= outer.top &&
         inner.left + inner.width <= outer.left + outer.width &&
         inner.top + inner.height <= outer.top + outer.height;
}

bool HoldsOrigin(const Monitor& monitor) { return Contains(monitor.area, {0, 0, 1, 1}); }

}  // namespace

ShowLayout LayOutShow(const std::vector<Monitor>& monitors, PixelSize screen) {
  ShowLayout layout;
  auto primary = std::find_if(monitors.begin(), monitors.end(), [](const Monitor& m) { return m.primary; });
  if (primary == monitors.end()) primary = std::find_if(monitors.begin(), monitors.end(), HoldsOrigin);
  if (primary == monitors.end()) primary = monitors.begin();
  layout.show = primary == monitors.end() ? PixelRect{0, 0, screen.width, screen.height} : primary->area;

  // A mirrored monitor reports the same area as another one: one window over it is enough.
  const auto covered = [&layout](const PixelRect& area) {
    return Contains(layout.show, area) ||
           std::any_of(layout.blanks.begin(), layout.blanks.end(),
                       [&area](const PixelRect& blank) { return Contains(blank, area); });
  };
  for (auto monitor = monitors.begin(); monitor != monitors.end(); ++monitor) {
    if (monitor == primary || IsEmpty(monitor->area) || covered(monitor->area)) continue;
    layout.blanks.push_back(monitor->area);
  }
  return layout;
}

PixelRect ShowScreens::Follow() {
  const ShowLayout layout = LayOutShow(desktop_.Monitors(), desktop_.ScreenSize());
  desktop_.MoveShowWindow(layout.show);
  if (blanks_.size() > layout.blanks.size()) blanks_.resize(layout.blanks.size());
  for (std::size_t i = 0; i < blanks_.size(); ++i) blanks_[i]->MoveTo(layout.blanks[i]);
  for (std::size_t i = blanks_.size(); i < layout.blanks.size(); ++i) {
    blanks_.push_back(desktop_.CreateBlank(layout.blanks[i]));
    if (shown_) blanks_.back()->Show();
  }
  return layout.show;
}

void ShowScreens::Show() {
  shown_ = true;
  for (const auto& blank : blanks_) blank->Show();
}

}  // namespace torva
