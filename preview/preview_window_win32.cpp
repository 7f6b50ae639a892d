// The preview window: a borderless black window holding the preview picture, embedded in the
// host's pane.
#include "preview/preview_window_win32.h"

#include "preview/preview_embedding.h"
#include "resources/resource.h"
#include "startup/base_window_win32.h"
#include "startup/program_win32.h"

namespace torva {
namespace {

static_assert(kPopupWindowStyle == WS_POPUP && kChildWindowStyle == WS_CHILD);
static_assert(kNoZOrder == SWP_NOZORDER && kNoActivate == SWP_NOACTIVATE &&
              kShowWindow == SWP_SHOWWINDOW);

constexpr wchar_t kClassName[] = L"TorvaPreview";

HWND ToHwnd(WindowHandle window) { return reinterpret_cast<HWND>(window); }
WindowHandle ToHandle(HWND window) { return reinterpret_cast<WindowHandle>(window); }

class PreviewWindow : public BaseWindow<PreviewWindow> {
 public:
  PreviewWindow(Program& program, HWND host) : BaseWindow(program), host_(host) {}
  ~PreviewWindow() {
    if (picture_) DeleteObject(picture_);
  }
  PreviewWindow(const PreviewWindow&) = delete;
  PreviewWindow& operator=(const PreviewWindow&) = delete;

  // Creates the window, not shown: it only appears once it is inside the pane.
  HWND Load() {
    picture_ = static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_PREVIEW),
                                               IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
    WNDCLASSEXW windowClass{};
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    RegisterClass(kClassName, windowClass);
    return Create(kClassName, L"Form1", WS_POPUP, 0, 0, 0, 0, 0, nullptr);
  }

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case WM_PAINT: OnPaint(); return 0;
      // The pane is going: DestroyWindow on it reaches us as WM_DESTROY, but when the host
      // process simply exits, all a child in another process gets is WM_NCDESTROY.
      case WM_DESTROY:
      case WM_NCDESTROY: OnDestroy(); break;
    }
    return DefaultHandling(message, wParam, lParam);
  }

 private:
  void OnDestroy() {
    // A pane being destroyed is hidden first, and a host that exits takes its pane with it; the
    // same message posted by another program to a preview on screen is no end.
    if (!IsWindowVisible(hwnd()) || !IsWindow(host_)) program().End(0);
  }

  void OnPaint() {
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(hwnd(), &paint);
    RECT client;
    GetClientRect(hwnd(), &client);
    PaintPreview(dc, picture_, client.right, client.bottom);
    EndPaint(hwnd(), &paint);
  }

  HWND host_;
  HBITMAP picture_ = nullptr;
};

class Win32PreviewPlatform final : public PreviewPlatform {
 public:
  Win32PreviewPlatform(Program& program, PreviewWindow& window) : program_(program), window_(window) {}

  bool IsWindow(WindowHandle window) override { return ::IsWindow(ToHwnd(window)) != FALSE; }
  bool IsWindowVisible(WindowHandle window) override { return ::IsWindowVisible(ToHwnd(window)) != FALSE; }
  WindowHandle DesktopWindow() override { return ToHandle(GetDesktopWindow()); }
  ClientRect GetClientRect(WindowHandle window) override {
    RECT rect{};
    ::GetClientRect(ToHwnd(window), &rect);
    return {rect.left, rect.top, rect.right, rect.bottom};
  }
  WindowHandle LoadPreviewWindow() override { return ToHandle(window_.Load()); }
  std::uint32_t GetWindowStyle(WindowHandle window) override {
    return static_cast<std::uint32_t>(GetWindowLongW(ToHwnd(window), GWL_STYLE));
  }
  void SetWindowStyle(WindowHandle window, std::uint32_t style) override {
    SetWindowLongW(ToHwnd(window), GWL_STYLE, static_cast<LONG>(style));
  }
  bool SetParent(WindowHandle child, WindowHandle parent) override {
    return ::SetParent(ToHwnd(child), ToHwnd(parent)) != nullptr;
  }
  void SetOwner(WindowHandle window, WindowHandle owner) override {
    // SetWindowLongPtrW: the same code for i686 and x86_64, where only GWLP_HWNDPARENT exists.
    SetWindowLongPtrW(ToHwnd(window), GWLP_HWNDPARENT, owner);
  }
  void SetWindowPos(WindowHandle window, WindowHandle insertAfter, int x, int y, int width,
                    int height, std::uint32_t flags) override {
    ::SetWindowPos(ToHwnd(window), ToHwnd(insertAfter), x, y, width, height, flags);
  }
  void EndProgram() override { program_.End(0); }

 private:
  Program& program_;
  PreviewWindow& window_;
};

}  // namespace

void RunPreview(Program& program, std::int32_t host) {
  // Widened with its sign: 64-bit Windows keeps window handles to 32 significant bits.
  // https://learn.microsoft.com/windows/win32/winprog64/interprocess-communication
  const auto pane = static_cast<WindowHandle>(host);
  PreviewWindow window(program, ToHwnd(pane));
  Win32PreviewPlatform platform(program, window);
  EmbedPreview(platform, pane);
  program.RunMessageLoop();
}

void PaintPreview(HDC dc, HBITMAP picture, int width, int height) {
  BITMAP info{};
  if (picture) GetObjectW(picture, sizeof info, &info);
  const HDC source = CreateCompatibleDC(dc);
  const HGDIOBJ previous = SelectObject(source, picture);
  BitBlt(dc, 0, 0, info.bmWidth, info.bmHeight, source, 0, 0, SRCCOPY);
  SelectObject(source, previous);
  DeleteDC(source);

  const auto black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  const RECT right{info.bmWidth, 0, width, height};
  const RECT below{0, info.bmHeight, info.bmWidth, height};
  if (width > info.bmWidth) FillRect(dc, &right, black);
  if (height > info.bmHeight) FillRect(dc, &below, black);
}

}  // namespace torva
