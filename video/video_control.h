// What the show asks of its video control, and the control's events that it answers. The show
// sees only this; the graph player behind it is one implementation, a recording fake another.
#pragma once

#include <string>

namespace torva {

class VideoControl {
 public:
  virtual ~VideoControl() = default;
  // With or without sound: decides the shape of the graph built for the clip; set once, before the
  // first play.
  virtual void SetSound(bool on) = 0;
  virtual void SetClip(const std::wstring& path) = 0;
  // The clip from its start, starting over whenever it ends, until Stop or Rest.
  virtual void Play() = 0;
  virtual void Stop() = 0;
  // Nobody can see or hear the clip: stopped, and nothing holds the sound device or keeps the
  // computer awake. The next Play starts it from its start.
  virtual void Rest() = 0;
  // The clip let go altogether: its graph, and every thread that the graph runs, are gone; the next
  // Play builds a new one. For a program about to end at once, which not every media engine
  // survives while its threads run.
  virtual void Close() = 0;
  virtual void SetVisible(bool visible) = 0;
  // Position and size within the parent window, in twips.
  virtual void Move(float left, float top, float width, float height) = 0;
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
