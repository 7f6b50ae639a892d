// The settings text: a misread second field plays sound in an office, or silences a user who chose it.
#include "settings/sound_setting.h"

#include <gtest/gtest.h>

#include <optional>
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

struct SettingCase {
  const char* content;
  std::optional<bool> expected;
};

class ParseSoundSettingReads : public testing::TestWithParam<SettingCase> {};

TEST_P(ParseSoundSettingReads, TheSecondField) {
  EXPECT_EQ(ParseSoundSetting(GetParam().content), GetParam().expected)
      << testing::PrintToString(std::string(GetParam().content));
}

INSTANTIATE_TEST_SUITE_P(SoundOn, ParseSoundSettingReads, testing::Values(
    SettingCase{"Sound Config file for torva screensaver\r\n1\r\n", true},
    SettingCase{"header\r\n   1\r\n", true}, SettingCase{"header\n1", true},
    SettingCase{"header\r\n\"1\"\r\n", true}, SettingCase{"header,1\r\n0\r\n", true},
    SettingCase{"\"a,b\"\r\n1\r\n", true}, SettingCase{"\r\n1\r\n", true},
    SettingCase{"\"\"\r\n1\r\n", true}, SettingCase{"header\r\n\"1\",0\r\n", true},
    SettingCase{"\"header,\"\r\n1\r\n", true}));

INSTANTIATE_TEST_SUITE_P(SoundOff, ParseSoundSettingReads, testing::Values(
    SettingCase{"Sound Config file for torva screensaver\r\n0\r\n", false},
    SettingCase{"header\r\n2\r\n", false}, SettingCase{"header\r\n01\r\n", false},
    SettingCase{"header\r\non\r\n", false}, SettingCase{"header\r\n1.0\r\n", false},
    SettingCase{"header\r\n\r\n1\r\n", false}, SettingCase{"header,0\r\n1\r\n", false},
    SettingCase{"header\r\n1 \r\n", false}, SettingCase{"header\r\n1\t\r\n", false},
    // An empty line is an empty field, whichever line ends the file uses.
    SettingCase{"header\n\n1\n", false}));

INSTANTIATE_TEST_SUITE_P(TooShort, ParseSoundSettingReads, testing::Values(
    SettingCase{"", std::nullopt}, SettingCase{"Sound Config file for torva screensaver\r\n", std::nullopt},
    SettingCase{"header", std::nullopt}, SettingCase{"header\r\n  \t ", std::nullopt},
    SettingCase{"header\n", std::nullopt}, SettingCase{"header\r", std::nullopt}));

struct StartCase {
  const char* start;
  bool wholeFile;
  SoundSettingRead expected;
};

class ReadSoundSettingStartSays : public testing::TestWithParam<StartCase> {};

TEST_P(ReadSoundSettingStartSays, WhatTheWholeFileSaysOrThatItCannotTell) {
  EXPECT_EQ(ReadSoundSettingStart(GetParam().start, GetParam().wholeFile), GetParam().expected)
      << testing::PrintToString(std::string(GetParam().start));
}

INSTANTIATE_TEST_SUITE_P(Starts, ReadSoundSettingStartSays, testing::Values(
    StartCase{"h\r\n1\r\nmore", false, SoundSettingRead::SoundOn},
    StartCase{"h\r\n1\r", false, SoundSettingRead::SoundOn},
    StartCase{"h,1,", false, SoundSettingRead::SoundOn},
    StartCase{"h\r\n\"1\" and more", false, SoundSettingRead::SoundOn},
    StartCase{"h\r\n0\n", false, SoundSettingRead::SoundOff},
    StartCase{"h\r\n1", true, SoundSettingRead::SoundOn},
    StartCase{"h\r\n", true, SoundSettingRead::TooFewFields},
    StartCase{"h\r\n1", false, SoundSettingRead::FieldsTooLong},
    StartCase{"h\r\n\"1", false, SoundSettingRead::FieldsTooLong},
    StartCase{"h\r\n   ", false, SoundSettingRead::FieldsTooLong},
    StartCase{"hhhhhhhh", false, SoundSettingRead::FieldsTooLong},
    StartCase{"", false, SoundSettingRead::FieldsTooLong}));

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
