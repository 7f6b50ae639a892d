// The logo picture of the show, a child window that paints the logo bitmap at its natural
// size under the hand cursor and reports a left click.
#pragma once

#include <windows.h>

#include <functional>

#include "show/saver_show.h"
#include "startup/base_window_win32.h"

namespace torva {

class LogoWindow final : public BaseWindow<LogoWindow>, public Logo {
 public:
  // Created hidden at `left`, `top` (twips) inside `parent`, below every sibling, so that the video
  // covers it whenever both are visible. `onClick` runs on a left click (down and up on the logo).
  LogoWindow(Program& program, HWND parent, float left, float top, std::function<void()> onClick);
  ~LogoWindow() override;
  LogoWindow(const LogoWindow&) = delete;
  LogoWindow& operator=(const LogoWindow&) = delete;

  void SetVisible(bool visible) override;
  void Move(float left, float top) override;
  float Width() const override;
  float Height() const override;

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  void OnPaint();
  void OnLeftButtonDown();
  void OnLeftButtonUp(POINT where);

  HBITMAP bitmap_ = nullptr;
  SIZE size_{};
  int dpiX_ = 96;
  int dpiY_ = 96;
  bool pressed_ = false;
  std::function<void()> onClick_;
};

}  // namespace torva
