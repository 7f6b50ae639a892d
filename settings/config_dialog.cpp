// The settings dialog's decisions.
#include "settings/config_dialog.h"

#include <cmath>

#include "startup/product.h"
#include "startup/twips.h"

namespace torva {
namespace {

struct TwipsRect {
  float left, top, width, height;
};

constexpr float kClientWidth = 5640;
constexpr float kClientHeight = 6375;
constexpr TwipsRect kLogo{540, 420, 4470, 3390};
constexpr TwipsRect kSoundOn{600, 4740, 1515, 315};
constexpr TwipsRect kSoundOff{600, 5040, 1515, 315};
constexpr TwipsRect kOk{540, 5640, 4455, 375};
// Between the options and OK, as wide as the space OK spans from the options' left edge.
constexpr TwipsRect kOrganisationNote{600, 5370, 4395, 240};
constexpr float kOptionFontPoints = 8.25f;
constexpr float kPointsPerInch = 72;

PixelRect ToPixels(const TwipsRect& rect, int dpi) {
  return {TwipsToPixels(rect.left, dpi), TwipsToPixels(rect.top, dpi),
          TwipsToPixels(rect.width, dpi), TwipsToPixels(rect.height, dpi)};
}

SoundOption OptionFor(bool soundOn) { return soundOn ? SoundOption::SoundOn : SoundOption::SoundOff; }

}  // namespace

void ConfigDialog::OnLoad() {
  if (const std::optional<bool> set = settings_.SetByOrganisation()) {
    setByOrganisation_ = true;
    view_.SelectOption(OptionFor(*set));
    view_.ShowSetByOrganisation();
    return;
  }
  view_.SelectOption(OptionFor(settings_.Read()));
}

void ConfigDialog::OnOk() {
  // A failed write throws past EndProgram, so the user sees the report instead of a silent loss.
  // Under the organisation's setting there is no choice to save, and the file stays as it is.
  if (!setByOrganisation_) settings_.Write(view_.IsSelected(SoundOption::SoundOn));
  view_.EndProgram();
}

void ConfigDialog::OnLogoClick() {
  view_.OpenWebAddress(kProductWebAddress);
  view_.LetPendingEventsRun();
}

void ConfigDialog::OnClose() { view_.EndProgram(); }

ConfigDialogLayout LayOutConfigDialog(int dpi, PixelSize logo) {
  ConfigDialogLayout layout;
  layout.client = {TwipsToPixels(kClientWidth, dpi), TwipsToPixels(kClientHeight, dpi)};
  layout.logo = ToPixels(kLogo, dpi);
  layout.logo.width = logo.width;
  layout.logo.height = logo.height;
  layout.soundOn = ToPixels(kSoundOn, dpi);
  layout.soundOff = ToPixels(kSoundOff, dpi);
  layout.ok = ToPixels(kOk, dpi);
  layout.organisationNote = ToPixels(kOrganisationNote, dpi);
  layout.optionFontHeight =
      -static_cast<int>(std::lround(kOptionFontPoints * static_cast<float>(UsableDpi(dpi)) / kPointsPerInch));
  return layout;
}

}  // namespace torva
