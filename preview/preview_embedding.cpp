// Embedding the preview window in the host's pane.
#include "preview/preview_embedding.h"

namespace torva {

void EmbedPreview(PreviewPlatform& platform, WindowHandle host) {
  if (!platform.IsWindow(host) || host == platform.DesktopWindow() || !platform.IsWindowVisible(host)) {
    platform.EndProgram();
    return;
  }
  const ClientRect pane = platform.GetClientRect(host);
  const WindowHandle preview = platform.LoadPreviewWindow();
  // The borderless window is created as a pop-up, and a window with both bits is no child to the
  // system: putting it in the pane would activate it and take the focus from the host's dialog.
  platform.SetWindowStyle(preview,
                          (platform.GetWindowStyle(preview) & ~kPopupWindowStyle) | kChildWindowStyle);
  if (!platform.SetParent(preview, host)) {
    platform.EndProgram();
    return;
  }
  // The pane as the owner too; for a child window the system takes this as its parent again.
  platform.SetOwner(preview, host);
  // The only call that shows the preview: it must not take the activation from the host's dialog.
  platform.SetWindowPos(preview, 0, 0, 0, pane.right, pane.bottom,
                        kNoZOrder | kNoActivate | kShowWindow);
}

}  // namespace torva
