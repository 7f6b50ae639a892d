// The settings dialog frmConfig's decisions, kept free of <windows.h>: which option load selects,
// what OK writes, what the logo does, and where the controls sit.
#pragma once

#include "startup/twips.h"

namespace torva {

// Option1's two buttons by their indices.
enum class SoundOption : int { SoundOn = 1, SoundOff = 2 };

// The settings file as the dialog sees it. Both calls throw RuntimeError naming the file; a failed
// write leaves the old file as it was.
class SoundSettingStore {
 public:
  virtual ~SoundSettingStore() = default;
  virtual bool Read() = 0;
  virtual void Write(bool soundOn) = 0;
};

// What the dialog does to its own controls and to the rest of the world.
class ConfigDialogView {
 public:
  virtual ~ConfigDialogView() = default;
  // Checks `option` and clears the other one of the group.
  virtual void SelectOption(SoundOption option) = 0;
  virtual bool IsSelected(SoundOption option) const = 0;
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
  void OnLoad();
  // cmdClose ("OK"): the only way the choice is saved.
  void OnCmdCloseClick();
  void OnImage2Click();
  // The close box or Alt+F4: the choice is dropped.
  void OnClose();

 private:
  SoundSettingStore& settings_;
  ConfigDialogView& view_;
};

// The dialog's geometry in pixels at `dpi`. Positions are kept in twips, so the layout scales with
// the display; the logo keeps its natural size, as a picture that is never stretched.
struct ConfigDialogLayout {
  PixelSize client;
  PixelRect image2;
  PixelRect soundOn;
  PixelRect soundOff;
  PixelRect cmdClose;
  // For CreateFont: negative, so it is the height of the characters rather than of the cell.
  int optionFontHeight = 0;
};

ConfigDialogLayout LayOutConfigDialog(int dpi, PixelSize logo);

}  // namespace torva
