// The settings dialog's decisions: load selects what the file says, only OK writes, a failed write
// is not taken for a saved one, the logo leaves the setting alone, and where the organisation has
// set the sound nothing is read or written.
#include "settings/config_dialog.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "startup/product.h"
#include "startup/runtime_error.h"

namespace torva {
namespace {

// Records every call, to the settings file and to the window alike, in one sequence.
class Recorder final : public SoundSettingStore, public ConfigDialogView {
 public:
  std::vector<std::string> calls;
  bool storedSoundOn = false;
  std::optional<ErrorCode> readFailure, writeFailure;
  std::optional<SoundOption> selected;
  std::optional<bool> organisation;

  bool Read() override {
    calls.push_back("Read");
    if (readFailure) throw RuntimeError(*readFailure, L"torva.txt");
    return storedSoundOn;
  }
  void Write(bool soundOn) override {
    calls.push_back(soundOn ? "Write 1" : "Write 0");
    if (writeFailure) throw RuntimeError(*writeFailure, L"torva.txt");
    storedSoundOn = soundOn;
  }
  std::optional<bool> SetByOrganisation() override { return organisation; }
  void ShowSetByOrganisation() override { calls.push_back("Show set by organisation"); }
  void SelectOption(SoundOption option) override {
    calls.push_back(option == SoundOption::SoundOn ? "Select On" : "Select Off");
    selected = option;
  }
  bool IsSelected(SoundOption option) const override { return selected == option; }
  void OpenWebAddress(const wchar_t* address) override {
    calls.push_back(address == std::wstring(kProductWebAddress) ? "Open product address" : "Open ?");
  }
  void LetPendingEventsRun() override { calls.push_back("LetPendingEventsRun"); }
  void EndProgram() override { calls.push_back("EndProgram"); }
};

using Calls = std::vector<std::string>;

TEST(ConfigDialog, LoadSelectsTheOptionThatTheFileHolds) {
  for (const bool soundOn : {true, false}) {
    Recorder world;
    world.storedSoundOn = soundOn;
    ConfigDialog dialog(world, world);
    dialog.OnLoad();
    EXPECT_EQ(world.calls, (Calls{"Read", soundOn ? "Select On" : "Select Off"}));
  }
}

TEST(ConfigDialog, UnreadableFileStopsTheLoadBeforeAnyOptionIsSelected) {
  Recorder world;
  world.readFailure = ErrorCode::FileNotFound;
  ConfigDialog dialog(world, world);
  EXPECT_THROW(dialog.OnLoad(), RuntimeError);
  EXPECT_EQ(world.calls, Calls{"Read"});
}

TEST(ConfigDialog, OkWritesTheSelectedOptionThenEndsTheProgram) {
  for (const SoundOption option : {SoundOption::SoundOn, SoundOption::SoundOff}) {
    Recorder world;
    world.storedSoundOn = option == SoundOption::SoundOff;  // the user changed it
    ConfigDialog dialog(world, world);
    dialog.OnLoad();
    world.selected = option;
    world.calls.clear();
    dialog.OnCmdCloseClick();
    EXPECT_EQ(world.calls,
              (Calls{option == SoundOption::SoundOn ? "Write 1" : "Write 0", "EndProgram"}));
  }
}

// The file is not even looked at (so a missing one is no error), and OK ends the program without
// writing, whatever the option checked by then.
TEST(ConfigDialog, SoundSetByTheOrganisationIsShownAndOkWritesNothing) {
  for (const bool soundOn : {true, false}) {
    Recorder world;
    world.organisation = soundOn;
    world.readFailure = ErrorCode::FileNotFound;
    ConfigDialog dialog(world, world);
    dialog.OnLoad();
    world.selected = soundOn ? SoundOption::SoundOff : SoundOption::SoundOn;
    dialog.OnCmdCloseClick();
    EXPECT_EQ(world.calls, (Calls{soundOn ? "Select On" : "Select Off", "Show set by organisation", "EndProgram"}));
  }
}

TEST(ConfigDialog, FailedWriteReachesTheReportInsteadOfEndingQuietly) {
  Recorder world;
  world.writeFailure = ErrorCode::PathFileAccessError;
  ConfigDialog dialog(world, world);
  dialog.OnLoad();
  world.calls.clear();
  try {
    dialog.OnCmdCloseClick();
    ADD_FAILURE() << "the write failure was swallowed";
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.code(), ErrorCode::PathFileAccessError);
  }
  EXPECT_EQ(world.calls, Calls{"Write 0"}) << "the program must not end as if it had saved";
}

TEST(ConfigDialog, LogoOpensTheProductAddressAndLeavesTheDialogAndTheFileAlone) {
  Recorder world;
  ConfigDialog dialog(world, world);
  dialog.OnLoad();
  world.calls.clear();
  dialog.OnImage2Click();
  dialog.OnImage2Click();
  EXPECT_EQ(world.calls, (Calls{"Open product address", "LetPendingEventsRun",
                                "Open product address", "LetPendingEventsRun"}));
}

TEST(ConfigDialog, ClosingAnyOtherWayWritesNothing) {
  Recorder world;
  ConfigDialog dialog(world, world);
  dialog.OnLoad();
  world.selected = SoundOption::SoundOn;
  world.calls.clear();
  dialog.OnClose();
  EXPECT_EQ(world.calls, Calls{"EndProgram"});
}

TEST(ConfigDialogLayout, ScalesPositionsWithTheDisplayButKeepsTheLogoAtItsNaturalSize) {
  const PixelSize logo{298, 226};
  const ConfigDialogLayout at96 = LayOutConfigDialog(96, logo);
  EXPECT_EQ(at96.client, (PixelSize{376, 425}));
  EXPECT_EQ(at96.image2, (PixelRect{36, 28, 298, 226}));
  EXPECT_EQ(at96.soundOn, (PixelRect{40, 316, 101, 21}));
  EXPECT_EQ(at96.soundOff, (PixelRect{40, 336, 101, 21}));
  EXPECT_EQ(at96.cmdClose, (PixelRect{36, 376, 297, 25}));
  EXPECT_EQ(at96.optionFontHeight, -11);

  const ConfigDialogLayout at144 = LayOutConfigDialog(144, logo);
  EXPECT_EQ(at144.client, (PixelSize{564, 638}));  // 637.5 to the even neighbour
  EXPECT_EQ(at144.image2, (PixelRect{54, 42, 298, 226}));
  EXPECT_EQ(at144.cmdClose, (PixelRect{54, 564, 446, 38}));
  EXPECT_LT(at144.optionFontHeight, at96.optionFontHeight);

  for (const ConfigDialogLayout& layout : {at96, at144}) {
    const PixelRect& note = layout.organisationNote;
    EXPECT_EQ(note.left, layout.soundOff.left);
    EXPECT_GE(note.top, layout.soundOff.top + layout.soundOff.height) << "the note is below the options";
    EXPECT_LE(note.top + note.height, layout.cmdClose.top) << "and above OK";
    EXPECT_EQ(note.left + note.width, layout.cmdClose.left + layout.cmdClose.width) << "and ends where OK ends";
    EXPECT_GE(note.height, -layout.optionFontHeight) << "room for one line";
  }

  const ConfigDialogLayout noDpi = LayOutConfigDialog(0, logo);
  EXPECT_EQ(noDpi.client, at96.client) << "a screen that reports no DPI is taken as one at 96";
  EXPECT_EQ(noDpi.cmdClose, at96.cmdClose);
  EXPECT_EQ(noDpi.optionFontHeight, at96.optionFontHeight);
  EXPECT_EQ(LayOutConfigDialog(96, {}).image2, (PixelRect{36, 28, 0, 0})) << "no picture, no room for one";
}

}  // namespace
}  // namespace torva
