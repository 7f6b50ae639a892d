// frmPreview: the still picture in the host's preview pane, started by "/P <handle>".
#pragma once

#include <windows.h>

#include <cstdint>

namespace torva {

// Embeds the preview window in the host's pane `host`, a handle as the command line gave it, and
// returns at once. Ends the program when `host` is not a window; the program also ends when the
// pane goes away, whether the host destroys it or exits without doing so.
void StartPreview(std::int32_t host);

// The preview's picture on `dc`: `picture` at the top-left at its natural size, black on the rest
// of the `width` x `height` area; a smaller area crops the picture.
void PaintPreview(HDC dc, HBITMAP picture, int width, int height);

}  // namespace torva
