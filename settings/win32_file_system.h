// The settings file's operations on a real Windows file system.
#pragma once

#include "settings/settings_file.h"

namespace torva {

class Win32FileSystem final : public FileSystem {
 public:
  FileStatus ReadStart(const std::wstring& path, std::size_t maxBytes, std::string& content) override;
  FileStatus WriteNew(const std::wstring& path, std::string_view bytes) override;
  FileStatus Replace(const std::wstring& source, const std::wstring& target) override;
  void Remove(const std::wstring& path) override;
  bool Exists(const std::wstring& path) override;
  FileStatus CreateFolder(const std::wstring& path) override;
};

// The settings file beside the executable, or the user's own (see SettingsFiles), read and written
// through Win32FileSystem.
bool ReadProgramSoundSetting();
bool ReadProgramSoundSettingToEdit();
void WriteProgramSoundSetting(bool soundOn);

}  // namespace torva
