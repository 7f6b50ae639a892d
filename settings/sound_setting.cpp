// The settings file's text.
#include "settings/sound_setting.h"

namespace torva {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

}  // namespace

std::optional<std::string> FieldReader::Next() {
  while (pos_ < text_.size() && IsBlank(text_[pos_])) ++pos_;
  if (pos_ >= text_.size()) return std::nullopt;

  std::string field;
  if (text_[pos_] == '"') {
    const auto close = text_.find('"', pos_ + 1);
    lastFieldClosed_ = close != std::string_view::npos;
    const auto end = close == std::string_view::npos ? text_.size() : close;
    field = text_.substr(pos_ + 1, end - pos_ - 1);
    pos_ = close == std::string_view::npos ? text_.size() : close + 1;
    // Whatever follows the closing quote up to the delimiter belongs to no field.
    while (pos_ < text_.size() && text_[pos_] != ',' && !IsLineEnd(text_[pos_])) ++pos_;
  } else {
    const auto start = pos_;
    while (pos_ < text_.size() && text_[pos_] != ',' && !IsLineEnd(text_[pos_])) ++pos_;
    lastFieldClosed_ = pos_ < text_.size();
    field = text_.substr(start, pos_ - start);
  }

  // Consume the delimiter; CR LF counts as one line end.
  if (pos_ < text_.size()) {
    if (text_[pos_] == '\r' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '\n') ++pos_;
    ++pos_;
  }
  return field;
}

SoundSettingRead ReadSoundSettingStart(std::string_view start, bool wholeFile) {
  FieldReader reader(start);
  const auto header = reader.Next();
  if (!header) return wholeFile ? SoundSettingRead::TooFewFields : SoundSettingRead::FieldsTooLong;
  const bool headerClosed = reader.LastFieldClosed();
  const auto value = reader.Next();
  if (!wholeFile && (!headerClosed || !value || !reader.LastFieldClosed())) {
    return SoundSettingRead::FieldsTooLong;
  }
  if (!value) return SoundSettingRead::TooFewFields;
  return *value == "1" ? SoundSettingRead::SoundOn : SoundSettingRead::SoundOff;
}

std::string FormatSoundSetting(bool soundOn) {
  return std::string(kSettingsHeader) + "\r\n" + (soundOn ? "1" : "0") + "\r\n";
}

}  // namespace torva
