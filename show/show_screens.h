// The monitors during the show: the show window on the primary one, a plain black window over each
// of the others, and both following the desktop when its monitors change.
#pragma once

#include <memory>
#include <vector>

#include "startup/twips.h"

namespace torva {

// One monitor of the desktop, in the system's virtual-screen pixels.
struct Monitor {
  PixelRect area;
  bool primary = false;
};

// What the show's windows cover: the show window one area, and each blank window one more.
struct ShowLayout {
  PixelRect show;
  std::vector<PixelRect> blanks;
  friend bool operator==(const ShowLayout&, const ShowLayout&) = default;
};

// The show goes on the primary monitor (the one the system marks, else the one holding the
// desktop's origin, else the first); every other monitor that shows something the show's windows
// do not already cover gets a blank. With no monitor reported at all, `screen` at the origin.
ShowLayout LayOutShow(const std::vector<Monitor>& monitors, PixelSize screen);

// A plain black window over one monitor, created hidden; destroying the object destroys the window.
class BlankScreen {
 public:
  virtual ~BlankScreen() = default;
  // Shows it without taking the input from the show window.
  virtual void Show() = 0;
  virtual void MoveTo(const PixelRect& area) = 0;
};

// The desktop as the show's windows see it.
class Desktop {
 public:
  virtual ~Desktop() = default;
  virtual std::vector<Monitor> Monitors() const = 0;
  // The primary screen's size, as the system reports it apart from its monitors.
  virtual PixelSize ScreenSize() const = 0;
  virtual void MoveShowWindow(const PixelRect& area) = 0;
  virtual std::unique_ptr<BlankScreen> CreateBlank(const PixelRect& area) = 0;
};

// Keeps the show window and the blanks over the monitors as they are.
class ShowScreens {
 public:
  explicit ShowScreens(Desktop& desktop) : desktop_(desktop) {}

  // Lays the windows out over the monitors of this moment: at the load and after every change of
  // the display configuration. Blanks already there are moved rather than created again, so a
  // change that keeps the monitors creates nothing under the pointer. Returns the show's area.
  PixelRect Follow();
  // Shows the blanks together with the show window, and any that a later change adds.
  void Show();

 private:
  Desktop& desktop_;
  std::vector<std::unique_ptr<BlankScreen>> blanks_;
  bool shown_ = false;
};

}  // namespace torva
