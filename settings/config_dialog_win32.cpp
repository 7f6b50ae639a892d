// The settings dialog on the screen: the dialog from the resources, its black look, and its events
// handed to the ConfigDialog decisions.
#include "settings/config_dialog_win32.h"

#include <windows.h>

#include <commctrl.h>
#include <uxtheme.h>

#include "resources/resource.h"
#include "settings/config_dialog.h"
#include "settings/sound_policy_win32.h"
#include "settings/win32_file_system.h"
#include "startup/com_apartment_win32.h"
#include "startup/program_win32.h"
#include "startup/shell_win32.h"
#include "startup/system_library_win32.h"

namespace torva {
namespace {

constexpr COLORREF kOptionTextColour = RGB(255, 255, 255);
constexpr COLORREF kBackgroundColour = RGB(0, 0, 0);

class ProgramSettingsStore final : public SoundSettingStore {
 public:
  bool Read() override { return ReadProgramSoundSettingToEdit(); }
  void Write(bool soundOn) override { WriteProgramSoundSetting(soundOn); }
  std::optional<bool> SetByOrganisation() override { return ReadSoundSetByOrganisation(); }
};

int ControlId(SoundOption option) {
  return option == SoundOption::SoundOn ? IDC_SOUND_ON : IDC_SOUND_OFF;
}

// The dialog window, owned by the settings mode; destroying the object destroys the window.
class ConfigDialogWindow final : public ConfigDialogView {
 public:
  explicit ConfigDialogWindow(Program& program) : program_(program) {}
  ConfigDialogWindow(const ConfigDialogWindow&) = delete;
  ConfigDialogWindow& operator=(const ConfigDialogWindow&) = delete;
  ~ConfigDialogWindow() override {
    if (hwnd_) {
      // Its last messages find no object: nothing of ours runs under the teardown.
      SetWindowLongPtrW(hwnd_, DWLP_USER, 0);
      DestroyWindow(hwnd_);
    }
    if (optionFont_) DeleteObject(optionFont_);
  }

  // Creates the dialog hidden (its load runs in WM_INITDIALOG), then shows it.
  void Load() {
    // The manifest asks for version 6 of the common controls, whose buttons live in comctl32. Not
    // imported: loaded at start, it would bring its own libraries from the program's folder before
    // the program could ask for the system folder.
    const auto initCommonControls =
        SystemFunction<decltype(&InitCommonControlsEx)>(L"comctl32.dll", "InitCommonControlsEx");
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_STANDARD_CLASSES};
    if (initCommonControls) initCommonControls(&controls);
    const HWND dialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_CONFIG),
                                           nullptr, &DialogProc, reinterpret_cast<LPARAM>(this));
    if (!dialog) {
      const DWORD error = GetLastError();
      MessageBoxW(nullptr, L"The settings dialog cannot be created.", kProgramName,
                  MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
      program_.End(error ? static_cast<int>(error) : 1);
      return;
    }
    // A settings file that could not be read was reported from the load, and the program ends.
    if (!program_.Ended()) ShowWindow(dialog, SW_SHOW);
  }

  void SelectOption(SoundOption option) override {
    CheckRadioButton(hwnd_, IDC_SOUND_ON, IDC_SOUND_OFF, ControlId(option));
  }
  bool IsSelected(SoundOption option) const override {
    return IsDlgButtonChecked(hwnd_, ControlId(option)) == BST_CHECKED;
  }
  void ShowSetByOrganisation() override {
    EnableWindow(GetDlgItem(hwnd_, IDC_SOUND_ON), FALSE);
    EnableWindow(GetDlgItem(hwnd_, IDC_SOUND_OFF), FALSE);
    ShowWindow(GetDlgItem(hwnd_, IDC_SET_BY_ORGANISATION), SW_SHOW);
  }
  void OpenWebAddress(const wchar_t* address) override { torva::OpenWebAddress(hwnd_, address); }
  void LetPendingEventsRun() override { program_.LetPendingEventsRun(); }
  void EndProgram() override { program_.End(0); }

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    ConfigDialogWindow* self = nullptr;
    if (message == WM_INITDIALOG) {
      self = reinterpret_cast<ConfigDialogWindow*>(lParam);
      self->hwnd_ = hwnd;
      SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
    } else {
      self = reinterpret_cast<ConfigDialogWindow*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    }
    INT_PTR result = FALSE;
    // While a report is up or the program ends, the dialog manager's default answers every message.
    if (!self || !self->program_.Run(hwnd, [&] { result = self->HandleMessage(message, wParam, lParam); })) {
      return FALSE;
    }
    return result;
  }

  // Dialog procedure convention: TRUE when the message was handled, with any result in
  // DWLP_MSGRESULT; the WM_CTLCOLOR* messages return their brush directly.
  // https://learn.microsoft.com/windows/win32/api/winuser/nc-winuser-dlgproc
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case WM_INITDIALOG: return OnInitDialog();
      case WM_CTLCOLORDLG:
      case WM_CTLCOLORSTATIC: return OnCtlColor(reinterpret_cast<HDC>(wParam));
      case WM_SETCURSOR:
        return OnSetCursor(reinterpret_cast<HWND>(wParam), LOWORD(lParam));
      case WM_COMMAND: return OnCommand(LOWORD(wParam), HIWORD(wParam));
      case WM_CLOSE: dialog_.OnClose(); return TRUE;
    }
    return FALSE;
  }

  INT_PTR OnInitDialog() {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    SendMessageW(hwnd_, WM_SETICON, ICON_BIG,
                 reinterpret_cast<LPARAM>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_TORVA), IMAGE_ICON,
                                                     GetSystemMetrics(SM_CXICON),
                                                     GetSystemMetrics(SM_CYICON), LR_SHARED)));
    SendMessageW(hwnd_, WM_SETICON, ICON_SMALL,
                 reinterpret_cast<LPARAM>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_TORVA), IMAGE_ICON,
                                                     GetSystemMetrics(SM_CXSMICON),
                                                     GetSystemMetrics(SM_CYSMICON), LR_SHARED)));
    hand_ = LoadCursorW(instance, MAKEINTRESOURCEW(IDC_LOGO_HAND));

    const ConfigDialogLayout layout = LayOutConfigDialog(ScreenDpi(), LogoSize());
    optionFont_ = CreateFontW(layout.optionFontHeight, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE,
                              DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                              DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"MS Sans Serif");
    // Themed option buttons draw their text in the theme's colour and ignore WM_CTLCOLORSTATIC;
    // without a theme they draw white on black like the rest of the dialog. Where the system has no
    // themes library, nothing is themed and they keep that classic look.
    const auto setWindowTheme = SystemFunction<decltype(&SetWindowTheme)>(L"uxtheme.dll", "SetWindowTheme");
    for (const int id : {IDC_SOUND_ON, IDC_SOUND_OFF}) {
      const HWND option = GetDlgItem(hwnd_, id);
      if (setWindowTheme) setWindowTheme(option, L"", L"");
      SendMessageW(option, WM_SETFONT, reinterpret_cast<WPARAM>(optionFont_), FALSE);
    }
    Place(IDC_LOGO, layout.logo);
    Place(IDC_SOUND_ON, layout.soundOn);
    Place(IDC_SOUND_OFF, layout.soundOff);
    Place(IDC_OK, layout.ok);
    Place(IDC_SET_BY_ORGANISATION, layout.organisationNote);
    SizeAndCentre(layout.client);

    dialog_.OnLoad();
    // TRUE: the dialog manager gives the focus to the first tab stop, ok.
    return TRUE;
  }

  INT_PTR OnCtlColor(HDC dc) {
    SetTextColor(dc, kOptionTextColour);
    SetBkColor(dc, kBackgroundColour);
    return reinterpret_cast<INT_PTR>(GetStockObject(BLACK_BRUSH));
  }

  INT_PTR OnSetCursor(HWND over, int hitTest) {
    if (over != GetDlgItem(hwnd_, IDC_LOGO) || hitTest != HTCLIENT) return FALSE;
    SetCursor(hand_);
    SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, TRUE);
    return TRUE;
  }

  INT_PTR OnCommand(int id, int code) {
    switch (id) {
      case IDC_OK:
        if (code == BN_CLICKED) dialog_.OnOk();
        return TRUE;
      case IDC_LOGO:
        if (code == STN_CLICKED) dialog_.OnLogoClick();
        return TRUE;
      // Esc. The dialog has no cancel button, so it does nothing; the close box closes without
      // saving. Enter outside the OK button arrives as IDOK, which nothing answers: no default
      // button either, and it must not save.
      case IDCANCEL: return TRUE;
    }
    return FALSE;
  }

  static int ScreenDpi() {
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
  }

  PixelSize LogoSize() const {
    const auto logo = reinterpret_cast<HBITMAP>(
        SendDlgItemMessageW(hwnd_, IDC_LOGO, STM_GETIMAGE, IMAGE_BITMAP, 0));
    BITMAP info{};
    if (!logo || !GetObjectW(logo, sizeof info, &info)) return {};
    return {info.bmWidth, info.bmHeight};
  }

  void Place(int id, const PixelRect& rect) const {
    SetWindowPos(GetDlgItem(hwnd_, id), nullptr, rect.left, rect.top, rect.width, rect.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }

  void SizeAndCentre(PixelSize client) const {
    RECT frame{0, 0, client.width, client.height};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongW(hwnd_, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongW(hwnd_, GWL_EXSTYLE)));
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    SetWindowPos(hwnd_, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }

  Program& program_;
  HWND hwnd_ = nullptr;
  ProgramSettingsStore settings_;
  ConfigDialog dialog_{settings_, *this};
  HFONT optionFont_ = nullptr;
  HCURSOR hand_ = nullptr;
};

}  // namespace

void RunSettings(Program& program) {
  // The shell, which a click on the logo calls, asks its callers for an apartment of their own.
  // https://learn.microsoft.com/windows/win32/api/shellapi/nf-shellapi-shellexecutew
  const ComApartment com(COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  ConfigDialogWindow dialog(program);
  dialog.Load();
  program.RunMessageLoop();
}

}  // namespace torva
