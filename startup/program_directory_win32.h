// Files beside the executable: the program directory is where the saver keeps its clip and setting.
#pragma once

#include <string>

namespace torva {

// The directory of the running executable followed by "\" and `fileName`.
std::wstring ProgramFile(const wchar_t* fileName);

}  // namespace torva
