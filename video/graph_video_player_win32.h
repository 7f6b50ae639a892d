// The video control on Windows: a child window over which the platform's media graph (DirectShow,
// quartz.dll) draws the clip.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "startup/base_window_win32.h"
#include "video/graph_player.h"
#include "video/video_control.h"

namespace torva {

// Created hidden; the window reports its own mouse events to `events` and passes the keys that reach
// it on to `parent`, so that the parent's key handler sees every key press. The graph's picture
// passes its mouse and key messages on to the window, so they count as the control's own.
// The window owns its graph and the player that decides what the graph does; the player draws on
// the window through VideoSurface, and the window hands it the graph's events and its timer.
// Destroy the control before ending the process (see Wine's notes in the .cpp file).
class GraphVideoPlayer final : public BaseWindow<GraphVideoPlayer>,
                               public VideoControl,
                               private VideoSurface {
 public:
  GraphVideoPlayer(Program& program, HWND parent, VideoControlEvents& events);
  ~GraphVideoPlayer() override;
  GraphVideoPlayer(const GraphVideoPlayer&) = delete;
  GraphVideoPlayer& operator=(const GraphVideoPlayer&) = delete;

  void SetSound(bool on) override;
  void SetClip(const std::wstring& path) override;
  void Play() override;
  void Stop() override;
  void Rest() override;
  void Close() override;
  void SetVisible(bool visible) override;
  void Move(float left, float top, float width, float height) override;

  // Passes a message that only the top-level `owner` hears on to the picture's window, as the
  // platform asks of a window that holds it: display, colour and palette changes.
  // https://learn.microsoft.com/windows/win32/api/control/nf-control-ivideowindow-notifyownermessage
  void ForwardOwnerMessage(HWND owner, UINT message, WPARAM wParam, LPARAM lParam);

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  class Graph;

  // VideoSurface
  void MoveTo(const PixelRect& area) override;
  void ShowMessage(const std::wstring& text) override;
  void StartRestartTimer(std::chrono::milliseconds delay) override;
  void StopRestartTimer() override;

  void OnGraphEvent();
  void OnRestartTimer();
  void OnMouseDown();
  void OnMouseUp(POINT where);
  void OnMouseMove(POINT where);
  void OnPaint();

  HWND parent_;
  VideoControlEvents& events_;
  HFONT font_ = nullptr;
  std::wstring message_;
  bool pressed_ = false;
  // Made once the window exists, and gone before it: the player first, which releases the graph.
  std::unique_ptr<Graph> graph_;
  std::unique_ptr<GraphPlayer> player_;
};

}  // namespace torva
