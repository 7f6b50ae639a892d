// The still picture in the host's preview pane.
#pragma once

#include <cstdint>

namespace torva {

// Embeds the preview window in the host's pane `host`, a handle as the command line gave it.
void StartPreview(std::int32_t host);

}  // namespace torva
