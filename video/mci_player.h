// The video control's decisions over the platform's MCI command strings: which commands to send,
// in which order, and what to show when the clip cannot be played. No window or MCI call here.
#pragma once

#include <cstdint>
#include <string>

#include "startup/twips.h"
#include "video/video_control.h"

namespace torva {

// The alias the open clip goes by in every command; tests query the device through it.
inline constexpr wchar_t kMciAlias[] = L"torvaclip";

// MCI's answer to one command string: its error number (0 for success) and its return text.
struct MciReply {
  unsigned long error = 0;
  std::wstring text;
};

// The platform's MCI command-string interface.
class MciDevice {
 public:
  virtual ~MciDevice() = default;
  // Completion notifications of "notify" commands go to the surface's window.
  virtual MciReply Send(const std::wstring& command) = 0;
  virtual std::wstring ErrorText(unsigned long error) = 0;
};

// The control's own child window, into which MCI draws the clip.
class VideoSurface {
 public:
  virtual ~VideoSurface() = default;
  virtual void SetVisible(bool visible) = 0;
  virtual void MoveTo(const PixelRect& area) = 0;
  // One line centred in the window, white on black; an empty text clears it.
  virtual void ShowMessage(const std::wstring& text) = 0;
  // The window handle as MCI's "parent" and "window handle" clauses take it.
  virtual std::uintptr_t NativeHandle() const = 0;
  // MCI may put windows of its own inside the surface; the mouse and the keyboard must still reach
  // the surface itself.
  virtual void MakeInnerWindowsInert() = 0;
};

// How a "notify" command ended (MM_MCINOTIFY's MCI_NOTIFY_* values, in their own words).
enum class MciNotification { Successful, Superseded, Aborted, Failure };

// One clip at a time under kMciAlias. A clip that cannot be opened or played never throws: the
// surface names the file and MCI's reason, and every later command still works.
class MciPlayer final : public VideoControl {
 public:
  // The screen's pixels per inch across and down, for Move's twips.
  MciPlayer(MciDevice& device, VideoSurface& surface, int dpiX, int dpiY);
  ~MciPlayer() override;
  MciPlayer(const MciPlayer&) = delete;
  MciPlayer& operator=(const MciPlayer&) = delete;

  void SetMute(bool mute) override;
  void SetDeviceType(const std::wstring& deviceType) override;
  void SetFileName(const std::wstring& path) override;
  void SetCommand(int command) override;
  void SetVisible(bool visible) override;
  void Move(float left, float top, float width, float height) override;

  // MM_MCINOTIFY from the surface's window.
  void OnNotify(MciNotification notification);

 private:
  void Play();
  void Stop();
  bool Open();
  void Close();
  void ApplyVolume();
  void ApplyDestination();
  bool SendOrFail(const std::wstring& command);
  void Fail(const std::wstring& reason);
  void ClearMessage();

  MciDevice& device_;
  VideoSurface& surface_;
  int dpiX_;
  int dpiY_;

  bool mute_ = false;
  std::wstring deviceType_ = kMpegVideoDevice;
  std::wstring fileName_;
  PixelRect area_;

  bool open_ = false;
  // Played since it was opened or last stopped; a clip that reached its end still counts. Such a
  // device is stopped before it plays again: under Wine one played again without a stop never
  // reports its next end, and then hangs in "close". On Windows the stop is merely redundant.
  bool running_ = false;
  // The last command was play, so the clip starts over whenever it ends.
  bool looping_ = false;
  bool messageShown_ = false;
};

}  // namespace torva
