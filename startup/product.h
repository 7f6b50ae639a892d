// The product's web address, opened by a click on the logo in the show and in the settings dialog.
#pragma once

namespace torva {

// With its scheme, so that the shell's "open" verb can only hand it to the default browser. A bare
// host name is taken for a file first: a program named like the host in the current folder or the
// program's own would run instead.
inline constexpr wchar_t kProductWebAddress[] = L"https://www.torva.example/";

}  // namespace torva
