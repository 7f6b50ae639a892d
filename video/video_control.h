// What the show asks of its video control, and the control's events that it answers. The show
// sees only this; the graph player behind it is one implementation, a recording fake another.
#pragma once

#include <string>

namespace torva {

// Values of the playback command.
inline constexpr int kPlayCommand = 5;  // play the clip from its beginning
inline constexpr int kStopCommand = 1;

// The platform's name for its MPEG video device, which the show hands to the control.
inline constexpr wchar_t kMpegVideoDevice[] = L"MPEGVideo";

class VideoControl {
 public:
  virtual ~VideoControl() = default;

  // Sound off or on; the show sets it once, before the first play.
  virtual void SetMute(bool mute) = 0;
  virtual void SetDeviceType(const std::wstring& deviceType) = 0;
  virtual void SetFileName(const std::wstring& path) = 0;
  // kPlayCommand or kStopCommand.
  virtual void SetCommand(int command) = 0;
  virtual void SetVisible(bool visible) = 0;
  // Position and size within the parent window, in twips.
  virtual void Move(float left, float top, float width, float height) = 0;
  // Nobody can see or hear the clip (the display is off, or the computer goes to sleep): it stops,
  // and lets go of whatever keeps the system awake. The next play starts it from its start.
  virtual void Rest() = 0;
};

// A point on the screen in pixels; mouse events carry it so that a "move" that does not move
// (which the system sends when windows appear or hide under the pointer) can be told apart.
struct ScreenPoint {
  int x = 0;
  int y = 0;
  friend bool operator==(const ScreenPoint&, const ScreenPoint&) = default;
};

// The events of the control that the show handles; the others are not reported.
class VideoControlEvents {
 public:
  virtual ~VideoControlEvents() = default;
  virtual void OnVideoClick() = 0;
  virtual void OnVideoMouseMove(ScreenPoint where) = 0;
};

}  // namespace torva
