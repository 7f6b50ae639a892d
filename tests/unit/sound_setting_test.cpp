// The settings text: a misread second field plays sound in an office, or silences a user who chose it.
#include "settings/sound_setting.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace torva {
namespace {

using Fields = std::vector<std::string>;

TEST(FieldReader, SplitsAsTheInputStatementDoes) {
  const struct {
    const char* text;
    Fields fields;
  } rows[] = {
      // At commas and line ends, whichever a line ends with.
      {"a,b\r\nc\nd\re", {"a", "b", "c", "d", "e"}},
      {"a,,b", {"a", "", "b"}},
      // Blanks before a field are skipped, those after it kept.
      {"  a  ,\t b \r\n   c", {"a  ", "b ", "c"}},
      // Quotes are removed and protect commas; what follows the closing quote belongs to no field.
      {"\"a,b\" , \" c \"\r\n\"d", {"a,b", " c ", "d"}},
      {"\"x\" tail,y", {"x", "y"}},
      {"\"x\",y\r\n\"z\"\nw", {"x", "y", "z", "w"}},
      {"\"\",\"\"\r\nv", {"", "", "v"}},
      // An empty line is one empty field, but a line end that ends the text starts none.
      {"a\r\n\r\nb\r\n", {"a", "", "b"}},
      {"a\r\n", {"a"}},
      {"", {}},
      {"   ", {}},
  };
  for (const auto& row : rows) {
    FieldReader reader(row.text);
    Fields fields;
    while (auto field = reader.Next()) fields.push_back(*field);
    EXPECT_EQ(fields, row.fields) << testing::PrintToString(std::string(row.text));
  }
}

// What the whole file says (its second field, exactly "1" for sound on), or, from a start of it,
// that the start cannot tell.
TEST(ReadSoundSettingStart, ReadsTheSecondField) {
  using enum SoundSettingRead;
  const struct {
    const char* text;
    bool wholeFile;
    SoundSettingRead expected;
  } rows[] = {
      {"Sound Config file for torva screensaver\r\n1\r\n", true, SoundOn},
      {"header\r\n   1\r\n", true, SoundOn},
      {"header\n1", true, SoundOn},
      {"header\r\n\"1\"\r\n", true, SoundOn},
      {"header,1\r\n0\r\n", true, SoundOn},
      {"\"a,b\"\r\n1\r\n", true, SoundOn},
      {"\r\n1\r\n", true, SoundOn},
      {"header\r\n\"1\",0\r\n", true, SoundOn},
      {"\"header,\"\r\n1\r\n", true, SoundOn},
      {"Sound Config file for torva screensaver\r\n0\r\n", true, SoundOff},
      {"header\r\n2\r\n", true, SoundOff},
      {"header\r\n01\r\n", true, SoundOff},
      {"header\r\non\r\n", true, SoundOff},
      {"header\r\n\r\n1\r\n", true, SoundOff},
      {"header,0\r\n1\r\n", true, SoundOff},
      {"header\r\n1 \r\n", true, SoundOff},
      {"header\r\n1\t\r\n", true, SoundOff},
      {"header\n\n1\n", true, SoundOff},  // an empty line is an empty field, whatever ends the lines
      {"", true, TooFewFields},
      {"Sound Config file for torva screensaver\r\n", true, TooFewFields},
      {"header", true, TooFewFields},
      {"header\r\n  \t ", true, TooFewFields},
      {"header\r", true, TooFewFields},
      {"h\r\n1\r\nmore", false, SoundOn},
      {"h\r\n1\r", false, SoundOn},
      {"h,1,", false, SoundOn},
      {"h\r\n\"1\" and more", false, SoundOn},
      {"h\r\n0\n", false, SoundOff},
      {"h\r\n1", false, FieldsTooLong},
      {"h\r\n\"1", false, FieldsTooLong},
      {"h\r\n   ", false, FieldsTooLong},
      {"hhhhhhhh", false, FieldsTooLong},
      {"", false, FieldsTooLong},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(ReadSoundSettingStart(row.text, row.wholeFile), row.expected)
        << testing::PrintToString(std::string(row.text)) << (row.wholeFile ? " whole" : " start");
  }
}

// Cut anywhere, a file's start never says other than the whole file.
TEST(ReadSoundSettingStart, NeverContradictsTheWholeFile) {
  for (const std::string text : {"Sound Config file for torva screensaver\r\n1\r\n", "h\r\n12\r\n",
                                 "\"a,b\"\r\n \"1\" x,0\r\n", "h,0\n1", "h\r\n"}) {
    const SoundSettingRead whole = ReadSoundSettingStart(text, true);
    for (std::size_t cut = 0; cut < text.size(); ++cut) {
      const SoundSettingRead part = ReadSoundSettingStart(std::string_view(text).substr(0, cut), false);
      if (part != SoundSettingRead::FieldsTooLong) {
        EXPECT_EQ(part, whole) << testing::PrintToString(text) << " cut at " << cut;
      }
    }
  }
}

TEST(FormatSoundSetting, IsExactlyTheHeaderAndTheDigitWithCrLf) {
  EXPECT_EQ(FormatSoundSetting(false), "Sound Config file for torva screensaver\r\n0\r\n");
  EXPECT_EQ(FormatSoundSetting(true), "Sound Config file for torva screensaver\r\n1\r\n");
}

}  // namespace
}  // namespace torva
