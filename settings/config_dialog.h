// The settings dialog's decisions, kept free of <windows.h>: which option load selects, what OK
// writes, what the logo does, and where the controls sit.
#pragma once

#include <optional>

#include "startup/twips.h"

namespace torva {

// The two options of the dialog; choosing one clears the other.
enum class SoundOption { SoundOn, SoundOff };

// The setting as the dialog sees it. Read and Write throw RuntimeError naming the file; a failed
// write leaves the old file as it was.
class SoundSettingStore {
 public:
  virtual ~SoundSettingStore() = default;
  virtual bool Read() = 0;
  virtual void Write(bool soundOn) = 0;
  // Sound on or off where the organisation has set it for the user; nothing where the user decides.
  virtual std::optional<bool> SetByOrganisation() = 0;
};

// What the dialog does to its own controls and to the rest of the world.
class ConfigDialogView {
 public:
  virtual ~ConfigDialogView() = default;
  // Checks `option` and clears the other one of the group.
  virtual void SelectOption(SoundOption option) = 0;
  virtual bool IsSelected(SoundOption option) const = 0;
  // Greys both options and shows the line that says the organisation has set the sound.
  virtual void ShowSetByOrganisation() = 0;
  virtual void OpenWebAddress(const wchar_t* address) = 0;
  virtual void LetPendingEventsRun() = 0;
  // Asks for the end of the program; every caller makes this its last step.
  virtual void EndProgram() = 0;
};

class ConfigDialog {
 public:
  ConfigDialog(SoundSettingStore& settings, ConfigDialogView& view)
      : settings_(settings), view_(view) {}

  // Runs before the dialog is shown, so a missing or short file is reported with nothing on screen.
  // Where the organisation has set the sound, the dialog shows that instead and never reads the file.
  void OnLoad();
  // OK: the only way the choice is saved, where there is one.
  void OnOk();
  void OnLogoClick();
  // The close box or Alt+F4: the choice is dropped.
  void OnClose();

 private:
  SoundSettingStore& settings_;
  ConfigDialogView& view_;
  bool setByOrganisation_ = false;
};

// The dialog's geometry in pixels at `dpi`. Positions are kept in twips, so the layout scales with
// the display; the logo keeps its natural size, as a picture that is never stretched.
struct ConfigDialogLayout {
  PixelSize client;
  PixelRect logo;
  PixelRect soundOn;
  PixelRect soundOff;
  PixelRect ok;
  PixelRect organisationNote;  // the line under the options, shown where the organisation set the sound
  // For CreateFont: negative, so it is the height of the characters rather than of the cell.
  int optionFontHeight = 0;
};

ConfigDialogLayout LayOutConfigDialog(int dpi, PixelSize logo);

}  // namespace torva
