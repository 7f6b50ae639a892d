// Turning the preview window into a child of the host's preview pane, step by step over a narrow
// platform interface. Free of <windows.h>, so the order of the calls and their values are checked
// anywhere.
#pragma once

#include <cstdint>

namespace torva {

// A window handle as a plain number. Handles from the command line are 32-bit and are widened
// with their sign, as 64-bit Windows expects.
using WindowHandle = std::intptr_t;

struct ClientRect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
  friend bool operator==(const ClientRect&, const ClientRect&) = default;
};

// The platform's values for the bits the embedding sets.
inline constexpr std::uint32_t kPopupWindowStyle = 0x80000000;  // WS_POPUP
inline constexpr std::uint32_t kChildWindowStyle = 0x40000000;  // WS_CHILD
inline constexpr std::uint32_t kNoZOrder = 0x0004;              // SWP_NOZORDER
inline constexpr std::uint32_t kNoActivate = 0x0010;            // SWP_NOACTIVATE
inline constexpr std::uint32_t kShowWindow = 0x0040;            // SWP_SHOWWINDOW

class PreviewPlatform {
 public:
  virtual ~PreviewPlatform() = default;
  virtual bool IsWindow(WindowHandle window) = 0;
  // Whether `window` and every window it lies in are shown.
  virtual bool IsWindowVisible(WindowHandle window) = 0;
  virtual WindowHandle DesktopWindow() = 0;
  virtual ClientRect GetClientRect(WindowHandle window) = 0;
  // Creates the preview window without showing it and returns its handle.
  virtual WindowHandle LoadPreviewWindow() = 0;
  virtual std::uint32_t GetWindowStyle(WindowHandle window) = 0;
  virtual void SetWindowStyle(WindowHandle window, std::uint32_t style) = 0;
  // False when the new parent is gone.
  virtual bool SetParent(WindowHandle child, WindowHandle parent) = 0;
  virtual void SetOwner(WindowHandle window, WindowHandle owner) = 0;
  virtual void SetWindowPos(WindowHandle window, WindowHandle insertAfter, int x, int y, int width,
                            int height, std::uint32_t flags) = 0;
  // Asks for the end of the program; every caller makes this its last step.
  virtual void EndProgram() = 0;
};

// Makes the preview a child of `host` filling its client area, and shows it without activating
// it: the host's dialog keeps the focus. When `host` is no pane to draw in, the program ends
// instead, showing nothing: a handle of no window (a bare "/p" gives 0), the desktop, which would
// get a full-screen preview that never ends, or a window nobody sees, which would hide one; and
// likewise when the pane goes away before the preview is inside it, since an orphaned preview
// would never learn that it is no longer wanted.
void EmbedPreview(PreviewPlatform& platform, WindowHandle host);

}  // namespace torva
