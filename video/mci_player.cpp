// The video control's command sequences and its fallback for clips that cannot be played.
#include "video/mci_player.h"

#include <algorithm>
#include <cmath>

#include "startup/twips.h"

namespace torva {
namespace {

// MCI's own error numbers (mmsystem.h), for the refusals made here before MCI sees a command.
constexpr unsigned long kMciErrorInvalidDeviceName = 263;
constexpr unsigned long kMciErrorFileNotFound = 275;

constexpr int kFallbackDpi = 96;
// Window coordinates beyond this are meaningless (and SetWindowPos clamps them anyway).
constexpr int kMaxPixels = 32767;

const std::wstring kAlias = kMciAlias;

// A double quote ends MCI's quoted file name and could smuggle clauses into the command; Windows
// forbids it in file names, so such a name cannot name a clip anyway.
bool IsQuotableFileName(const std::wstring& path) { return path.find(L'"') == std::wstring::npos; }

// The device type is one bare word of the command.
bool IsDeviceTypeWord(const std::wstring& type) {
  return std::none_of(type.begin(), type.end(), [](wchar_t c) {
    return c == L'"' || c == L' ' || c == L'\t' || c == L'\r' || c == L'\n';
  });
}

}  // namespace

MciPlayer::MciPlayer(MciDevice& device, VideoSurface& surface, int dpiX, int dpiY)
    : device_(device),
      surface_(surface),
      dpiX_(dpiX > 0 ? dpiX : kFallbackDpi),
      dpiY_(dpiY > 0 ? dpiY : kFallbackDpi) {}

MciPlayer::~MciPlayer() { Close(); }

void MciPlayer::SetMute(bool mute) {
  mute_ = mute;
  if (open_) ApplyVolume();
}

void MciPlayer::SetDeviceType(const std::wstring& deviceType) {
  if (deviceType == deviceType_) return;
  Close();
  deviceType_ = deviceType;
  ClearMessage();
}

void MciPlayer::SetFileName(const std::wstring& path) {
  if (path == fileName_) return;
  Close();
  fileName_ = path;
  ClearMessage();
}

void MciPlayer::SetCommand(int command) {
  // Other values are no commands of this control and change nothing.
  if (command == kPlayCommand) Play();
  if (command == kStopCommand) Stop();
}

void MciPlayer::SetVisible(bool visible) { surface_.SetVisible(visible); }

void MciPlayer::Move(float left, float top, float width, float height) {
  const auto toPixels = [](float twips, int dpi) {
    if (std::isnan(twips)) return 0;
    const float limit = static_cast<float>(kMaxPixels) * kTwipsPerInch / static_cast<float>(dpi);
    return TwipsToPixels(std::clamp(twips, -limit, limit), dpi);
  };
  area_ = {toPixels(left, dpiX_), toPixels(top, dpiY_), std::max(0, toPixels(width, dpiX_)),
           std::max(0, toPixels(height, dpiY_))};
  surface_.MoveTo(area_);
  if (open_) ApplyDestination();
}

void MciPlayer::OnNotify(MciNotification notification) {
  // Under Wine the notification carries no device id, so one left over from a clip closed since
  // cannot be told apart; at worst it restarts the current clip, which has just started anyway.
  if (!looping_ || !open_) return;
  switch (notification) {
    case MciNotification::Successful:
      // The end of the clip: at once from the beginning, so the picture never stands still.
      Play();
      break;
    case MciNotification::Failure:
      Fail(L"the device failed during playback.");
      break;
    case MciNotification::Superseded:
    case MciNotification::Aborted:
      // A stop or a newer play took over; that command decides what happens next.
      break;
  }
}

void MciPlayer::Play() {
  looping_ = true;
  if (!open_ && !Open()) return;
  if (running_) {
    running_ = false;
    if (!SendOrFail(L"stop " + kAlias)) return;
  }
  if (!SendOrFail(L"play " + kAlias + L" from 0 notify")) return;
  running_ = true;
}

void MciPlayer::Stop() {
  looping_ = false;
  // Stopped, not closed, although an open device keeps the sound output waking the process (under
  // Wine about 4 % of a core through the logo phase): under Wine every close and reopen also
  // leaves about 3 MB behind (seen over seven logo phases in a row), which over a night's show is
  // far worse.
  if (!open_ || !running_) return;
  running_ = false;
  SendOrFail(L"stop " + kAlias);
}

bool MciPlayer::Open() {
  if (!IsQuotableFileName(fileName_)) {
    Fail(device_.ErrorText(kMciErrorFileNotFound));
    return false;
  }
  if (!IsDeviceTypeWord(deviceType_)) {
    Fail(device_.ErrorText(kMciErrorInvalidDeviceName));
    return false;
  }
  const std::wstring handle = std::to_wstring(surface_.NativeHandle());
  std::wstring open = L"open \"" + fileName_ + L"\"";
  if (!deviceType_.empty()) open += L" type " + deviceType_;
  open += L" alias " + kAlias + L" parent " + handle + L" style child";
  if (!SendOrFail(open)) return false;
  open_ = true;
  running_ = false;

  // Without it MCI draws into a window of its own at the clip's natural size.
  if (!SendOrFail(L"window " + kAlias + L" handle " + handle)) return false;
  ApplyDestination();
  if (!open_) return false;
  ApplyVolume();
  surface_.MakeInnerWindowsInert();
  ClearMessage();
  return true;
}

void MciPlayer::Close() {
  if (!open_) return;
  // Whatever these answer, the clip is given up: there is nothing else to try.
  if (running_) device_.Send(L"stop " + kAlias);
  device_.Send(L"close " + kAlias);
  open_ = false;
  running_ = false;
}

void MciPlayer::ApplyVolume() {
  // Volume is the one mute that Wine's device honours ("setaudio ... off" is accepted and ignored);
  // Windows takes it as well. A clip without a sound track has no volume to set and MCI refuses the
  // command: its picture plays all the same, and it is silent anyway, so the answer is not checked.
  device_.Send(L"setaudio " + kAlias + L" volume to " + (mute_ ? L"0" : L"1000"));
}

void MciPlayer::ApplyDestination() {
  // An empty area has no room for a picture; the next Move places it.
  if (area_.width <= 0 || area_.height <= 0) return;
  SendOrFail(L"put " + kAlias + L" destination at 0 0 " + std::to_wstring(area_.width) + L" " +
             std::to_wstring(area_.height));
}

bool MciPlayer::SendOrFail(const std::wstring& command) {
  const MciReply reply = device_.Send(command);
  if (reply.error == 0) return true;
  Fail(device_.ErrorText(reply.error));
  return false;
}

void MciPlayer::Fail(const std::wstring& reason) {
  Close();
  surface_.ShowMessage(L"Cannot play " + fileName_ + L": " + reason);
  messageShown_ = true;
}

void MciPlayer::ClearMessage() {
  if (!messageShown_) return;
  surface_.ShowMessage(L"");
  messageShown_ = false;
}

}  // namespace torva
