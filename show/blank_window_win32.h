// The plain black windows over the monitors other than the show's, and the desktop that makes
// them: its monitors from the system, the show window moved onto the primary one.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "show/show_screens.h"
#include "startup/base_window_win32.h"

namespace torva {

// Black, borderless, topmost and never active; mouse moves and button presses over it reach the
// show window as if they had happened over the show window itself.
class BlankWindow final : public BaseWindow<BlankWindow>, public BlankScreen {
 public:
  BlankWindow(Program& program, HWND showWindow, const PixelRect& area);
  BlankWindow(const BlankWindow&) = delete;
  BlankWindow& operator=(const BlankWindow&) = delete;

  void Show() override;
  void MoveTo(const PixelRect& area) override;

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  LRESULT RelayMouse(UINT message, WPARAM wParam, LPARAM lParam);

  HWND showWindow_;
};

class MonitorDesktop final : public Desktop {
 public:
  MonitorDesktop(Program& program, HWND showWindow) : program_(program), showWindow_(showWindow) {}

  std::vector<Monitor> Monitors() const override;
  PixelSize ScreenSize() const override;
  void MoveShowWindow(const PixelRect& area) override;
  std::unique_ptr<BlankScreen> CreateBlank(const PixelRect& area) override;

 private:
  Program& program_;
  HWND showWindow_;
};

}  // namespace torva
