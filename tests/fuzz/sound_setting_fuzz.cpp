// Feeds arbitrary bytes to the settings reader: it must never crash or read out of bounds, the
// field count must agree with the parse, what we write must read back, and a start of the file
// must never say other than the whole.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "settings/sound_setting.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  torva::FieldReader reader(text);
  std::size_t fields = 0;
  while (auto field = reader.Next()) {
    if (field->size() > size) __builtin_trap();
    if (++fields > size + 1) __builtin_trap();  // every field consumes input
  }
  using torva::SoundSettingRead;
  const SoundSettingRead whole = torva::ReadSoundSettingStart(text, true);
  if ((whole == SoundSettingRead::TooFewFields) != (fields < 2)) __builtin_trap();
  const bool soundOn = size % 2 == 0;
  const SoundSettingRead written = torva::ReadSoundSettingStart(torva::FormatSoundSetting(soundOn), true);
  if (written != (soundOn ? SoundSettingRead::SoundOn : SoundSettingRead::SoundOff)) __builtin_trap();
  // A start of the file, cut where the first byte says, decides as the whole file does or not at all.
  const SoundSettingRead part = torva::ReadSoundSettingStart(text.substr(0, size ? data[0] % size : 0), false);
  if (part != SoundSettingRead::FieldsTooLong && part != whole) __builtin_trap();
  return 0;
}
