// The video control on Windows: a child window over which the platform's media graph (DirectShow,
// quartz.dll) draws the clip.
#pragma once

#include <windows.h>

#include <memory>

#include "video/video_control.h"

namespace torva {

class GraphPlayer;
class Program;

// Created hidden; the window reports its own mouse events to `events` and passes the keys that reach
// it on to `parent`, so that the parent's key handler sees every key press. The graph's picture
// passes its mouse and key messages on to the window, so they count as the control's own.
// Destroy the player before ending the process: under Wine a process that ends with a graph still
// built can crash on its way out, and its exit code would then report a failure.
class GraphVideoPlayer final : public VideoControl {
 public:
  GraphVideoPlayer(Program& program, HWND parent, VideoControlEvents& events);
  ~GraphVideoPlayer() override;
  GraphVideoPlayer(const GraphVideoPlayer&) = delete;
  GraphVideoPlayer& operator=(const GraphVideoPlayer&) = delete;

  void SetMute(bool mute) override;
  void SetDeviceType(const std::wstring& deviceType) override;
  void SetFileName(const std::wstring& path) override;
  void SetCommand(int command) override;
  void SetVisible(bool visible) override;
  void Move(float left, float top, float width, float height) override;
  void Rest() override;

  // Passes a message that only the top-level `owner` hears on to the picture's window, as the
  // platform asks of a window that holds it: display, colour and palette changes.
  // https://learn.microsoft.com/windows/win32/api/control/nf-control-ivideowindow-notifyownermessage
  void ForwardOwnerMessage(HWND owner, UINT message, WPARAM wParam, LPARAM lParam);

  HWND hwnd() const;

 private:
  class Window;
  class Graph;

  // In this order: the player releases the graph before COM goes, and COM before the window.
  std::unique_ptr<Window> window_;
  std::unique_ptr<Graph> graph_;
  std::unique_ptr<GraphPlayer> player_;
};

}  // namespace torva
