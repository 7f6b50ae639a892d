// The video control on Windows: a child window into which the platform's MCI device plays the clip.
#pragma once

#include <windows.h>

#include <memory>

#include "video/video_control.h"

namespace torva {

class MciPlayer;

// Created hidden; the window reports its own mouse events to `events` and passes the keys that reach
// it on to `parent`, so that the parent's key handler sees every key press. The clip is played
// under the MCI alias kMciAlias (video/mci_player.h), so one player per process.
// Destroy the player before ending the process: under Wine a process that ends with a clip still
// open crashes on its way out (exit status 0xC0000005 instead of its own); closing takes ~40 ms.
class MciVideoPlayer final : public VideoControl {
 public:
  MciVideoPlayer(HWND parent, VideoControlEvents& events);
  ~MciVideoPlayer() override;
  MciVideoPlayer(const MciVideoPlayer&) = delete;
  MciVideoPlayer& operator=(const MciVideoPlayer&) = delete;

  void SetMute(bool mute) override;
  void SetDeviceType(const std::wstring& deviceType) override;
  void SetFileName(const std::wstring& path) override;
  void SetCommand(int command) override;
  void SetVisible(bool visible) override;
  void Move(float left, float top, float width, float height) override;

  HWND hwnd() const;

 private:
  class Window;
  class Device;

  // In this order: the player closes the clip before the window that shows it goes.
  std::unique_ptr<Window> window_;
  std::unique_ptr<Device> device_;
  std::unique_ptr<MciPlayer> player_;
};

}  // namespace torva
