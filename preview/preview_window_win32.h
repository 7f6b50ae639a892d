// The preview: the still picture in the host's preview pane, started by "/P <handle>".
#pragma once

#include <windows.h>

#include <cstdint>

namespace torva {

class Program;

// Embeds the preview window in the host's pane `host`, a handle as the command line gave it, and
// runs it until the pane goes away, whether the host destroys it or exits without doing so; then
// takes it down. Ends at once when `host` is no pane to draw in.
void RunPreview(Program& program, std::int32_t host);

// The preview's picture on `dc`: `picture` at the top-left at its natural size, black on the rest
// of the `width` x `height` area; a smaller area crops the picture.
void PaintPreview(HDC dc, HBITMAP picture, int width, int height);

}  // namespace torva
