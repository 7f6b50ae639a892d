// The product's web address, opened by a click on the logo in the show and in the settings dialog.
#pragma once

namespace torva {

// A bare host name: the shell's "open" verb hands it to the default browser.
inline constexpr wchar_t kProductWebAddress[] = L"www.torva.example";

}  // namespace torva
