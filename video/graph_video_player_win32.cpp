// The video control's child window, and the DirectShow graph that draws the clip into it.
// https://learn.microsoft.com/windows/win32/directshow/directshow
#include "video/graph_video_player_win32.h"

#include <dshow.h>
#include <errors.h>
#include <windowsx.h>
#include <wrl/client.h>

#include <chrono>
#include <cstdint>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "startup/base_window_win32.h"
#include "startup/runtime_error.h"
#include "startup/system_library_win32.h"
#include "video/graph_player.h"

namespace torva {
namespace {

using Microsoft::WRL::ComPtr;

constexpr wchar_t kClassName[] = L"TorvaVideo";

// Posted by the graph when it has events waiting: no polling.
constexpr UINT kGraphEventMessage = WM_APP + 1;

// The restart of a clip that ended too soon after the last one; its delay comes with each start.
enum class VideoTimer : UINT_PTR { Restart = 1 };

std::chrono::milliseconds Now() { return std::chrono::milliseconds(GetTickCount64()); }

int ScreenDpi(int index) {
  const HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, index);
  ReleaseDC(nullptr, screen);
  return dpi;
}

// By the interface's id: MinGW's headers give some of the graph's interfaces no __uuidof.
template <class Interface>
HRESULT QueryFor(IUnknown* object, REFIID id, ComPtr<Interface>& result) {
  return object->QueryInterface(id, reinterpret_cast<void**>(result.ReleaseAndGetAddressOf()));
}

std::vector<ComPtr<IPin>> PinsOf(IBaseFilter* filter) {
  std::vector<ComPtr<IPin>> pins;
  ComPtr<IEnumPins> all;
  if (FAILED(filter->EnumPins(&all))) return pins;
  for (ComPtr<IPin> pin; all->Next(1, &pin, nullptr) == S_OK; pin.Reset()) pins.push_back(pin);
  return pins;
}

PIN_DIRECTION DirectionOf(IPin* pin) {
  PIN_DIRECTION direction = PINDIR_INPUT;
  pin->QueryDirection(&direction);
  return direction;
}

bool IsConnected(IPin* pin) {
  ComPtr<IPin> other;
  return SUCCEEDED(pin->ConnectedTo(&other));
}

std::wstring NameOf(IBaseFilter* filter) {
  FILTER_INFO info{};
  if (FAILED(filter->QueryFilterInfo(&info))) return L"";
  if (info.pGraph) info.pGraph->Release();
  return info.achName;
}

bool CarriesAudio(IPin* pin) {
  AM_MEDIA_TYPE type{};
  if (FAILED(pin->ConnectionMediaType(&type))) return false;
  const bool audio = type.majortype == MEDIATYPE_Audio;
  CoTaskMemFree(type.pbFormat);
  if (type.pUnk) type.pUnk->Release();
  return audio;
}

}  // namespace

class GraphVideoPlayer::Window final : public BaseWindow<Window>, public VideoSurface {
 public:
  Window(Program& program, HWND parent, VideoControlEvents& events)
      : BaseWindow(program), parent_(parent), events_(events) {
    WNDCLASSEXW windowClass{};
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    RegisterClass(kClassName, windowClass);
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
      font_ = CreateFontIndirectW(&metrics.lfMessageFont);
    }
    Create(kClassName, L"", WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0, 0, 0, 0, parent);
    if (!hwnd()) {
      if (font_) DeleteObject(font_);
      throw RuntimeError(ErrorCode::DeviceIoError, L"video window");
    }
  }

  ~Window() override {
    if (font_) DeleteObject(font_);
  }

  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  void SetPlayer(GraphPlayer* player) { player_ = player; }

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case kGraphEventMessage: OnGraphEvent(); return 0;
      case WM_TIMER:
        if (wParam == static_cast<UINT_PTR>(VideoTimer::Restart)) OnRestartTimer();
        return 0;
      // The picture's window passes these on (its message drain), so they arrive as if the mouse
      // were over this window; it lies at this window's origin, so the positions hold as well.
      case WM_LBUTTONDOWN: OnMouseDown(); return 0;
      case WM_LBUTTONUP: OnMouseUp({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}); return 0;
      case WM_CAPTURECHANGED: pressed_ = false; return 0;
      case WM_MOUSEMOVE: OnMouseMove({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}); return 0;
      // Key preview: the window that holds the control handles every key, whoever has the focus.
      case WM_KEYDOWN:
      case WM_KEYUP:
      case WM_SYSKEYDOWN:
      case WM_SYSKEYUP:
        return SendMessageW(parent_, message, wParam, lParam);
      case WM_PAINT: OnPaint(); return 0;
    }
    return DefaultHandling(message, wParam, lParam);
  }

  // VideoSurface
  void SetVisible(bool visible) override {
    if (visible) {
      // Above the parent's other children, such as a picture that the video is meant to cover.
      SetWindowPos(hwnd(), HWND_TOP, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    } else {
      ShowWindow(hwnd(), SW_HIDE);
    }
  }

  void MoveTo(const PixelRect& area) override {
    SetWindowPos(hwnd(), nullptr, area.left, area.top, area.width, area.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }

  void ShowMessage(const std::wstring& text) override {
    // Also as the window's text, where other programs (and tests) can read it.
    SetWindowTextW(hwnd(), text.c_str());
    message_ = text;
    InvalidateRect(hwnd(), nullptr, TRUE);
  }

  void StartRestartTimer(std::chrono::milliseconds delay) override {
    SetTimer(hwnd(), static_cast<UINT_PTR>(VideoTimer::Restart), static_cast<UINT>(delay.count()),
             nullptr);
  }

  void StopRestartTimer() override {
    KillTimer(hwnd(), static_cast<UINT_PTR>(VideoTimer::Restart));
  }

 private:
  void OnGraphEvent() {
    if (player_) player_->OnGraphEvents(Now());
  }

  void OnRestartTimer() {
    StopRestartTimer();  // one-shot
    if (player_) player_->OnRestartTimer(Now());
  }

  // A click is a press and a release of the left button, both over the control.
  void OnMouseDown() {
    pressed_ = true;
    SetCapture(hwnd());
  }

  void OnMouseUp(POINT where) {
    const bool wasPressed = pressed_;
    pressed_ = false;
    if (GetCapture() == hwnd()) ReleaseCapture();
    RECT client;
    GetClientRect(hwnd(), &client);
    if (wasPressed && PtInRect(&client, where)) events_.OnVideoClick();
  }

  void OnMouseMove(POINT where) {
    ClientToScreen(hwnd(), &where);
    events_.OnVideoMouseMove({where.x, where.y});
  }

  void OnPaint() {
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(hwnd(), &paint);
    if (!message_.empty()) {
      RECT client;
      GetClientRect(hwnd(), &client);
      SetTextColor(dc, RGB(255, 255, 255));
      SetBkMode(dc, TRANSPARENT);
      const HGDIOBJ oldFont = SelectObject(dc, font_ ? font_ : GetStockObject(DEFAULT_GUI_FONT));
      // A long path gives way in its middle, so that the file's name and the reason stay.
      DrawTextW(dc, message_.c_str(), static_cast<int>(message_.size()), &client,
                DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_PATH_ELLIPSIS);
      SelectObject(dc, oldFont);
    }
    EndPaint(hwnd(), &paint);
  }

  HWND parent_;
  VideoControlEvents& events_;
  GraphPlayer* player_ = nullptr;
  HFONT font_ = nullptr;
  std::wstring message_;
  bool pressed_ = false;
};

class GraphVideoPlayer::Graph final : public FilterGraph {
 public:
  explicit Graph(HWND control)
      : control_(control),
        comInitialized_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}

  ~Graph() override {
    Release();
    if (comInitialized_) CoUninitialize();
  }

  Graph(const Graph&) = delete;
  Graph& operator=(const Graph&) = delete;

  Hresult Create() override {
    Release();
    HRESULT result = CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_PPV_ARGS(&builder_));
    if (SUCCEEDED(result)) result = QueryFor(builder_.Get(), IID_IMediaControl, mediaControl_);
    if (SUCCEEDED(result)) result = QueryFor(builder_.Get(), IID_IMediaSeeking, seeking_);
    if (SUCCEEDED(result)) result = QueryFor(builder_.Get(), IID_IMediaEventEx, events_);
    // The renderer that draws into a window of its own, which becomes our child: it needs no
    // graphics hardware. Under Wine it is the only one that takes the clip (the mixing renderers,
    // 7 and 9, refuse it there), and it draws with GDI.
    if (SUCCEEDED(result)) {
      result = CoCreateInstance(CLSID_VideoRenderer, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(&renderer_));
    }
    if (SUCCEEDED(result)) result = builder_->AddFilter(renderer_.Get(), L"Video Renderer");
    if (FAILED(result)) Release();
    return result;
  }

  Hresult AddSource(const std::wstring& path) override {
    return builder_->AddSourceFilter(path.c_str(), path.c_str(), &source_);
  }

  Hresult RenderSourceToExistingRenderers() override {
    // The platform's way to a graph of the picture alone: with the video renderer as the graph's
    // only renderer, an output that leads to no renderer there (the sound) stays unconnected.
    // https://learn.microsoft.com/windows/win32/api/strmif/nf-strmif-ifiltergraph2-renderex
    if (!source_) return E_UNEXPECTED;
    ComPtr<IFilterGraph2> builder;
    HRESULT result = QueryFor(builder_.Get(), IID_IFilterGraph2, builder);
    if (FAILED(result)) return result;
    bool rendered = false;
    result = VFW_E_CANNOT_RENDER;
    for (const ComPtr<IPin>& pin : PinsOf(source_.Get())) {
      if (DirectionOf(pin.Get()) != PINDIR_OUTPUT) continue;
      const HRESULT pinResult =
          builder->RenderEx(pin.Get(), AM_RENDEREX_RENDERTOEXISTINGRENDERERS, nullptr);
      rendered = rendered || SUCCEEDED(pinResult);
      if (!rendered) result = pinResult;
    }
    return rendered ? S_OK : result;
  }

  Hresult RenderFile(const std::wstring& path) override {
    return builder_->RenderFile(path.c_str(), nullptr);
  }

  bool RendererConnected() override {
    const ComPtr<IPin> input = RendererInput();
    return input && IsConnected(input.Get());
  }

  std::vector<GraphFilter> Filters() override {
    std::vector<GraphFilter> summary;
    ComPtr<IEnumFilters> all;
    if (FAILED(builder_->EnumFilters(&all))) return summary;
    for (ComPtr<IBaseFilter> filter; all->Next(1, &filter, nullptr) == S_OK; filter.Reset()) {
      GraphFilter entry{NameOf(filter.Get())};
      for (const ComPtr<IPin>& pin : PinsOf(filter.Get())) {
        if (!IsConnected(pin.Get())) continue;
        entry.connected = true;
        if (DirectionOf(pin.Get()) == PINDIR_INPUT && CarriesAudio(pin.Get())) {
          entry.takesAudio = true;
        }
      }
      summary.push_back(entry);
    }
    return summary;
  }

  // Names are unique within a graph: adding a filter under a name already taken changes the name.
  Hresult RemoveFilter(const std::wstring& name) override {
    ComPtr<IBaseFilter> filter;
    const HRESULT result = builder_->FindFilterByName(name.c_str(), &filter);
    return FAILED(result) ? result : builder_->RemoveFilter(filter.Get());
  }

  Hresult AttachToControl(PixelSize size) override {
    HRESULT result = QueryFor(builder_.Get(), IID_IVideoWindow, window_);
    const auto control = reinterpret_cast<OAHWND>(control_);
    if (SUCCEEDED(result)) result = window_->put_Owner(control);
    if (SUCCEEDED(result)) result = window_->put_WindowStyle(WS_CHILD | WS_CLIPSIBLINGS);
    // Mouse and keys over the picture go to the control, as they would without the picture.
    if (SUCCEEDED(result)) result = window_->put_MessageDrain(control);
    if (SUCCEEDED(result)) FitToControl(size);
    if (SUCCEEDED(result)) result = events_->SetNotifyWindow(control, kGraphEventMessage, 0);
    return result;
  }

  void FitToControl(PixelSize size) override {
    if (window_) window_->SetWindowPosition(0, 0, size.width, size.height);
  }

  Hresult UseDefaultClock() override { return builder_->SetDefaultSyncSource(); }

  Hresult SetVolume(long volume) override {
    ComPtr<IBasicAudio> audio;
    const HRESULT result = QueryFor(builder_.Get(), IID_IBasicAudio, audio);
    return FAILED(result) ? result : audio->put_Volume(volume);
  }

  Hresult Run() override { return mediaControl_->Run(); }
  Hresult Stop() override { return mediaControl_->Stop(); }

  Hresult SeekToStart() override {
    LONGLONG start = 0;
    return seeking_->SetPositions(&start, AM_SEEKING_AbsolutePositioning, nullptr,
                                  AM_SEEKING_NoPositioning);
  }

  std::optional<GraphEvent> NextEvent() override {
    if (!events_) return std::nullopt;
    long code = 0;
    LONG_PTR first = 0;
    LONG_PTR second = 0;
    if (events_->GetEvent(&code, &first, &second, 0) != S_OK) return std::nullopt;
    events_->FreeEventParams(code, first, second);
    return GraphEvent{code, static_cast<Hresult>(first)};
  }

  void Release() override {
    if (mediaControl_) mediaControl_->Stop();
    // The picture's window must not outlive the graph as our child, nor post to us afterwards.
    if (window_) {
      window_->put_Visible(OAFALSE);
      window_->put_MessageDrain(0);
      window_->put_Owner(0);
    }
    if (events_) events_->SetNotifyWindow(0, 0, 0);
    window_.Reset();
    events_.Reset();
    seeking_.Reset();
    mediaControl_.Reset();
    source_.Reset();
    renderer_.Reset();
    builder_.Reset();
  }

  std::wstring ErrorText(Hresult result) override {
    wchar_t text[MAX_ERROR_TEXT_LEN] = {};
    const auto errorText = SystemFunction<decltype(&AMGetErrorTextW)>(L"quartz.dll", "AMGetErrorTextW");
    if (!errorText || !errorText(result, text, static_cast<DWORD>(std::size(text)))) return L"";
    return text;
  }

  std::optional<ClipStamp> StampOf(const std::wstring& path) override {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
    return ClipStamp{
        (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow,
        (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
            data.ftLastWriteTime.dwLowDateTime};
  }

  // Messages that only the top-level window hears, which the picture's window needs as well.
  void NotifyOwnerMessage(HWND owner, UINT message, WPARAM wParam, LPARAM lParam) {
    if (window_) {
      window_->NotifyOwnerMessage(reinterpret_cast<OAHWND>(owner), static_cast<long>(message),
                                  static_cast<LONG_PTR>(wParam), static_cast<LONG_PTR>(lParam));
    }
  }

 private:
  ComPtr<IPin> RendererInput() {
    if (!renderer_) return nullptr;
    for (const ComPtr<IPin>& pin : PinsOf(renderer_.Get())) {
      if (DirectionOf(pin.Get()) == PINDIR_INPUT) return pin;
    }
    return nullptr;
  }

  HWND control_;
  bool comInitialized_;
  ComPtr<IGraphBuilder> builder_;
  ComPtr<IMediaControl> mediaControl_;
  ComPtr<IMediaSeeking> seeking_;
  ComPtr<IMediaEventEx> events_;
  ComPtr<IVideoWindow> window_;
  ComPtr<IBaseFilter> renderer_;
  ComPtr<IBaseFilter> source_;
};

GraphVideoPlayer::GraphVideoPlayer(Program& program, HWND parent, VideoControlEvents& events)
    : window_(std::make_unique<Window>(program, parent, events)),
      graph_(std::make_unique<Graph>(window_->hwnd())),
      player_(std::make_unique<GraphPlayer>(*graph_, *window_, ScreenDpi(LOGPIXELSX),
                                            ScreenDpi(LOGPIXELSY))) {
  window_->SetPlayer(player_.get());
}

GraphVideoPlayer::~GraphVideoPlayer() {
  window_->SetPlayer(nullptr);
  player_.reset();
}

void GraphVideoPlayer::SetMute(bool mute) { player_->SetMute(mute); }
void GraphVideoPlayer::SetDeviceType(const std::wstring& deviceType) {
  player_->SetDeviceType(deviceType);
}
void GraphVideoPlayer::SetFileName(const std::wstring& path) { player_->SetFileName(path); }
void GraphVideoPlayer::SetCommand(int command) { player_->SetCommand(command); }
void GraphVideoPlayer::SetVisible(bool visible) { player_->SetVisible(visible); }
void GraphVideoPlayer::Move(float left, float top, float width, float height) {
  player_->Move(left, top, width, height);
}
void GraphVideoPlayer::Rest() { player_->Rest(); }

void GraphVideoPlayer::ForwardOwnerMessage(HWND owner, UINT message, WPARAM wParam, LPARAM lParam) {
  graph_->NotifyOwnerMessage(owner, message, wParam, lParam);
}

HWND GraphVideoPlayer::hwnd() const { return window_->hwnd(); }

}  // namespace torva
