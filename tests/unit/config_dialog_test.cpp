// The settings dialog's decisions: load selects what the file says, only OK writes, a failed write
// is not taken for a saved one, the logo leaves the setting alone, and where the organisation has
// set the sound nothing is read or written.
#include "settings/config_dialog.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "startup/product.h"
#include "startup/runtime_error.h"

namespace torva {
namespace {

// The settings file and the dialog's window, keeping what a user would see and what is on disk.
class World final : public SoundSettingStore, public ConfigDialogView {
 public:
  bool stored = false;
  std::optional<ErrorCode> readFailure, writeFailure;
  std::optional<bool> organisation;
  int reads = 0;
  std::optional<bool> written;
  std::optional<SoundOption> selected;
  bool organisationShown = false;
  int addressesOpened = 0;
  bool ended = false;

  bool Read() override {
    ++reads;
    if (readFailure) throw RuntimeError(*readFailure, L"torva.txt");
    return stored;
  }
  void Write(bool soundOn) override {
    if (writeFailure) throw RuntimeError(*writeFailure, L"torva.txt");
    written = soundOn;
  }
  std::optional<bool> SetByOrganisation() override { return organisation; }
  void ShowSetByOrganisation() override { organisationShown = true; }
  void SelectOption(SoundOption option) override { selected = option; }
  bool IsSelected(SoundOption option) const override { return selected == option; }
  void OpenWebAddress(const wchar_t* address) override {
    if (address == std::wstring(kProductWebAddress)) ++addressesOpened;
  }
  void LetPendingEventsRun() override {}
  void EndProgram() override { ended = true; }
};

SoundOption OptionFor(bool soundOn) { return soundOn ? SoundOption::SoundOn : SoundOption::SoundOff; }

TEST(ConfigDialog, ShowsTheFilesSettingAndOkSavesTheChoiceThenEnds) {
  for (const bool soundOn : {true, false}) {
    World world;
    world.stored = soundOn;
    ConfigDialog dialog(world, world);
    dialog.OnLoad();
    EXPECT_EQ(world.selected, OptionFor(soundOn));
    EXPECT_FALSE(world.organisationShown);
    world.selected = OptionFor(!soundOn);  // the user changes it
    dialog.OnOk();
    EXPECT_EQ(world.written, !soundOn);
    EXPECT_TRUE(world.ended);
  }
}

TEST(ConfigDialog, AnUnreadableFileStopsTheLoadBeforeAnyOptionIsSelected) {
  World world;
  world.readFailure = ErrorCode::FileNotFound;
  ConfigDialog dialog(world, world);
  EXPECT_THROW(dialog.OnLoad(), RuntimeError);
  EXPECT_FALSE(world.selected);
}

// The file is not even looked at (so a missing one is no error), and OK ends the program without
// writing, whatever the option checked by then.
TEST(ConfigDialog, SoundSetByTheOrganisationIsShownAndOkWritesNothing) {
  for (const bool soundOn : {true, false}) {
    World world;
    world.organisation = soundOn;
    world.readFailure = ErrorCode::FileNotFound;
    ConfigDialog dialog(world, world);
    dialog.OnLoad();
    EXPECT_EQ(world.selected, OptionFor(soundOn));
    EXPECT_TRUE(world.organisationShown);
    world.selected = OptionFor(!soundOn);
    dialog.OnOk();
    EXPECT_EQ(world.reads, 0);
    EXPECT_FALSE(world.written);
    EXPECT_TRUE(world.ended);
  }
}

TEST(ConfigDialog, AFailedWriteReachesTheReportInsteadOfEndingAsIfSaved) {
  World world;
  world.writeFailure = ErrorCode::PathFileAccessError;
  ConfigDialog dialog(world, world);
  dialog.OnLoad();
  EXPECT_THROW(dialog.OnOk(), RuntimeError);
  EXPECT_FALSE(world.ended);
}

TEST(ConfigDialog, TheLogoAndTheCloseBoxSaveNothing) {
  World world;
  ConfigDialog dialog(world, world);
  dialog.OnLoad();
  world.selected = SoundOption::SoundOn;
  dialog.OnLogoClick();
  dialog.OnLogoClick();
  EXPECT_EQ(world.addressesOpened, 2);
  EXPECT_FALSE(world.ended) << "the dialog stays open";
  dialog.OnClose();
  EXPECT_FALSE(world.written);
  EXPECT_TRUE(world.ended);
}

TEST(ConfigDialogLayout, ScalesPositionsWithTheDisplayButKeepsTheLogoAtItsNaturalSize) {
  const PixelSize logo{298, 226};
  const ConfigDialogLayout at96 = LayOutConfigDialog(96, logo);
  EXPECT_EQ(at96.client, (PixelSize{376, 425}));
  EXPECT_EQ(at96.logo, (PixelRect{36, 28, 298, 226}));
  EXPECT_EQ(at96.soundOn, (PixelRect{40, 316, 101, 21}));
  EXPECT_EQ(at96.soundOff, (PixelRect{40, 336, 101, 21}));
  EXPECT_EQ(at96.ok, (PixelRect{36, 376, 297, 25}));
  EXPECT_EQ(at96.optionFontHeight, -11);

  const ConfigDialogLayout at144 = LayOutConfigDialog(144, logo);
  EXPECT_EQ(at144.client, (PixelSize{564, 638}));  // 637.5 to the even neighbour
  EXPECT_EQ(at144.logo, (PixelRect{54, 42, 298, 226}));
  EXPECT_EQ(at144.ok, (PixelRect{54, 564, 446, 38}));
  EXPECT_LT(at144.optionFontHeight, at96.optionFontHeight);

  for (const ConfigDialogLayout& layout : {at96, at144}) {
    const PixelRect& note = layout.organisationNote;
    EXPECT_EQ(note.left, layout.soundOff.left);
    EXPECT_GE(note.top, layout.soundOff.top + layout.soundOff.height) << "the note is below the options";
    EXPECT_LE(note.top + note.height, layout.ok.top) << "and above OK";
    EXPECT_EQ(note.left + note.width, layout.ok.left + layout.ok.width) << "and ends where OK ends";
    EXPECT_GE(note.height, -layout.optionFontHeight) << "room for one line";
  }

  const ConfigDialogLayout noDpi = LayOutConfigDialog(0, logo);
  EXPECT_EQ(noDpi.client, at96.client) << "a screen that reports no DPI is taken as one at 96";
  EXPECT_EQ(noDpi.ok, at96.ok);
  EXPECT_EQ(noDpi.optionFontHeight, at96.optionFontHeight);
  EXPECT_EQ(LayOutConfigDialog(96, {}).logo, (PixelRect{36, 28, 0, 0})) << "no picture, no room for one";
}

}  // namespace
}  // namespace torva
