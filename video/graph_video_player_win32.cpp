// The video control's child window, and the DirectShow graph that draws the clip into it: the
// platform's recipes for a graph with and without sound, and what its codes mean to the program.
// https://learn.microsoft.com/windows/win32/directshow/directshow
//
// Where Wine's media engine differs from Windows', named here and at the places that allow for it;
// each allowance is harmless on Windows:
// - Wine, the plain renderer only: the mixing renderers (7 and 9) refuse the clip; the plain video
//   renderer, which draws with GDI into a window of its own, takes it.
// - Wine, stop and never pause: with the sound renderer in the graph, pause, seek and run hung every
//   time, and a graph sought while it ran past its end played nothing more and hung in its next
//   stop. The graph is stopped before it is sought.
// - Wine, a clock that goes leaves its thread: a sound renderer that ran as the graph's clock leaves
//   a thread and its handles behind when it goes. The graph keeps time by a clock of its own.
// - Wine, intelligent connection leaks: each render through the platform's search for filters
//   leaves about 75 registry keys open. The sound renderer comes back by a direct connection.
// - Wine, graphs that go leave threads and memory behind: the player keeps its graph (see
//   graph_player.h) and lets go of the sound alone when it rests.
// - Wine, a process that ends with a graph built can crash on its way out, and its exit code then
//   reports a failure: the control is destroyed, and its graph released, before the process ends.
// - Wine, a file cut short under its graph: that graph never ends its stream, and stopping it soon
//   after it ran hung for good. The player builds anew when the file changed.
// - Wine, one splitter for both streams: it decodes both itself and leaves the sound's output
//   unconnected, so the stray filters removed below are Windows' only.
// - Wine, no words for the media engine's codes: AMGetErrorText answers "Error: 0x…".
#include "video/graph_video_player_win32.h"

#include <dshow.h>
#include <errors.h>
#include <qedit.h>
#include <windowsx.h>
#include <wrl/client.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "startup/runtime_error.h"
#include "startup/system_library_win32.h"

namespace torva {
namespace {

using Microsoft::WRL::ComPtr;

constexpr wchar_t kClassName[] = L"TorvaVideo";

// Posted by the graph when it has events waiting: no polling.
constexpr UINT kGraphEventMessage = WM_APP + 1;

// The restart of a clip that ended too soon after the last one; its delay comes with each start.
enum class VideoTimer : UINT_PTR { Restart = 1 };

// What the graph answers for a file that holds no clip it can play: no filter takes the file, or
// none makes a picture of what it holds.
constexpr HRESULT kNotAPlayableClip[] = {
    VFW_E_NO_TYPES,          VFW_E_NO_ACCEPTABLE_TYPES,       VFW_E_CANNOT_CONNECT,
    VFW_E_CANNOT_RENDER,     VFW_E_TYPE_NOT_ACCEPTED,         VFW_E_INVALID_FILE_FORMAT,
    VFW_E_UNKNOWN_FILE_TYPE, VFW_E_CANNOT_LOAD_SOURCE_FILTER, VFW_E_FILE_TOO_SHORT,
    VFW_E_NO_DECOMPRESSOR,   VFW_E_UNSUPPORTED_VIDEO,         VFW_E_UNSUPPORTED_STREAM,
};

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

template <class Interface>
HRESULT CreateFor(REFCLSID type, REFIID id, ComPtr<Interface>& result) {
  return CoCreateInstance(type, nullptr, CLSCTX_INPROC_SERVER, id,
                          reinterpret_cast<void**>(result.ReleaseAndGetAddressOf()));
}

std::vector<ComPtr<IPin>> PinsOf(IBaseFilter* filter) {
  std::vector<ComPtr<IPin>> pins;
  ComPtr<IEnumPins> all;
  if (FAILED(filter->EnumPins(&all))) return pins;
  for (ComPtr<IPin> pin; all->Next(1, &pin, nullptr) == S_OK; pin.Reset()) pins.push_back(pin);
  return pins;
}

std::vector<ComPtr<IBaseFilter>> FiltersOf(IFilterGraph* graph) {
  std::vector<ComPtr<IBaseFilter>> filters;
  ComPtr<IEnumFilters> all;
  if (FAILED(graph->EnumFilters(&all))) return filters;
  for (ComPtr<IBaseFilter> filter; all->Next(1, &filter, nullptr) == S_OK; filter.Reset()) {
    filters.push_back(filter);
  }
  return filters;
}

PIN_DIRECTION DirectionOf(IPin* pin) {
  PIN_DIRECTION direction = PINDIR_INPUT;
  pin->QueryDirection(&direction);
  return direction;
}

// The pin at the other end of `pin`'s connection, if it has one.
ComPtr<IPin> PeerOf(IPin* pin) {
  ComPtr<IPin> other;
  pin->ConnectedTo(&other);
  return other;
}

bool CarriesAudio(IPin* pin) {
  AM_MEDIA_TYPE type{};
  if (FAILED(pin->ConnectionMediaType(&type))) return false;
  const bool audio = type.majortype == MEDIATYPE_Audio;
  CoTaskMemFree(type.pbFormat);
  if (type.pUnk) type.pUnk->Release();
  return audio;
}

// The platform's words for a result code, or nothing. Loaded from the system folder when needed.
std::wstring ErrorText(HRESULT result) {
  wchar_t text[MAX_ERROR_TEXT_LEN] = {};
  const auto errorText = SystemFunction<decltype(&AMGetErrorTextW)>(L"quartz.dll", "AMGetErrorTextW");
  if (!errorText || !errorText(result, text, static_cast<DWORD>(std::size(text)))) return L"";
  return text;
}

ClipProblem ProblemOf(HRESULT result) {
  const auto code = static_cast<std::uint32_t>(result);
  if (result == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) ||
      result == HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND)) {
    return {ClipFault::FileNotFound, code};
  }
  if (result == E_ACCESSDENIED) return {ClipFault::AccessDenied, code};
  if (result == REGDB_E_CLASSNOTREG) return {ClipFault::NoMediaEngine, code};
  if (std::find(std::begin(kNotAPlayableClip), std::end(kNotAPlayableClip), result) !=
      std::end(kNotAPlayableClip)) {
    return {ClipFault::NotAClip, code};
  }
  return {ClipFault::Other, code, ErrorText(result)};
}

// Whether the file holds streams, none of them a picture, as the platform's media detector reads
// it: it opens the file with its splitter alone, so no sound renderer is made for a muted show.
// https://learn.microsoft.com/windows/win32/directshow/imediadet
bool HoldsNoPicture(const std::wstring& path) {
  ComPtr<IMediaDet> detector;
  if (FAILED(CreateFor(CLSID_MediaDet, IID_IMediaDet, detector))) return false;
  BSTR name = SysAllocString(path.c_str());
  const HRESULT opened = name ? detector->put_Filename(name) : E_OUTOFMEMORY;
  SysFreeString(name);
  long streams = 0;
  if (FAILED(opened) || FAILED(detector->get_OutputStreams(&streams))) return false;
  for (long stream = 0; stream < streams; ++stream) {
    GUID type{};
    if (FAILED(detector->put_CurrentStream(stream)) || FAILED(detector->get_StreamType(&type)) ||
        type == MEDIATYPE_Video) {
      return false;
    }
  }
  return streams > 0;
}

}  // namespace

// One graph at a time, for the player.
class GraphVideoPlayer::Graph final : public ClipGraph {
 public:
  // In the thread's apartment, which the mode that shows the clip holds.
  explicit Graph(HWND control) : control_(control) {}

  ~Graph() override { Release(); }

  Graph(const Graph&) = delete;
  Graph& operator=(const Graph&) = delete;

  std::optional<ClipProblem> Build(const std::wstring& path, bool withSound,
                                   PixelSize size) override {
    Release();
    if (FAILED(CreateWithRenderer())) {
      Release();
      return ClipProblem{ClipFault::NoMediaEngine};
    }
    // Partial success (the sound, or another stream, could not be rendered) still plays the picture.
    HRESULT result =
        withSound ? builder_->RenderFile(path.c_str(), nullptr) : RenderPictureOnly(path);
    if (FAILED(result) || !RendererConnected()) {
      Release();
      // The same answer with and without sound, from the file itself: a graph of the picture alone
      // cannot tell a file of sound alone from one that holds no clip, nor can a full one tell it
      // from a picture that nothing decodes.
      if (HoldsNoPicture(path)) return ClipProblem{ClipFault::NoPicture};
      return ProblemOf(FAILED(result) ? result : VFW_E_CANNOT_RENDER);
    }
    result = RemoveStrayFilters(withSound);
    if (SUCCEEDED(result)) result = AttachToControl(size);
    if (FAILED(result)) {
      Release();
      return ProblemOf(result);
    }
    KeepOwnTime();
    return std::nullopt;
  }

  std::optional<ClipProblem> RunFromStart() override {
    if (const auto problem = StopAtStart()) return problem;
    return Checked(mediaControl_->Run());
  }

  // Wine, stop and never pause.
  std::optional<ClipProblem> StopAtStart() override {
    HRESULT result = mediaControl_->Stop();
    LONGLONG start = 0;
    if (SUCCEEDED(result)) {
      result = seeking_->SetPositions(&start, AM_SEEKING_AbsolutePositioning, nullptr,
                                      AM_SEEKING_NoPositioning);
    }
    return Checked(result);
  }

  std::optional<ClipProblem> LetGoOfSound() override {
    if (const auto problem = Checked(mediaControl_->Stop())) return problem;
    ComPtr<IPin> feed;
    const ComPtr<IBaseFilter> renderer = SoundRenderer(feed);
    if (!renderer) return std::nullopt;
    ComPtr<IPersist> persist;
    HRESULT result = QueryFor(renderer.Get(), IID_IPersist, persist);
    if (SUCCEEDED(result)) result = persist->GetClassID(&soundRendererType_);
    if (SUCCEEDED(result)) result = builder_->RemoveFilter(renderer.Get());
    if (SUCCEEDED(result)) soundFeed_ = feed;
    return Checked(result);
  }

  // Wine, intelligent connection leaks: the same kind of renderer, connected straight to the pin
  // that fed the one before.
  std::optional<ClipProblem> TakeSoundBack() override {
    if (!soundFeed_) return std::nullopt;
    ComPtr<IBaseFilter> renderer;
    HRESULT result = CreateFor(soundRendererType_, IID_IBaseFilter, renderer);
    if (SUCCEEDED(result)) result = builder_->AddFilter(renderer.Get(), L"Sound Renderer");
    ComPtr<IPin> input;
    for (const ComPtr<IPin>& pin : PinsOf(renderer.Get())) {
      if (DirectionOf(pin.Get()) == PINDIR_INPUT) input = pin;
    }
    if (SUCCEEDED(result) && !input) result = E_NOINTERFACE;
    if (SUCCEEDED(result)) result = builder_->ConnectDirect(soundFeed_.Get(), input.Get(), nullptr);
    if (SUCCEEDED(result)) soundFeed_.Reset();
    KeepOwnTime();
    return Checked(result);
  }

  void Fit(PixelSize size) override {
    if (window_) window_->SetWindowPosition(0, 0, size.width, size.height);
  }

  std::optional<GraphEvent> NextEvent() override {
    long code = 0;
    LONG_PTR first = 0;
    LONG_PTR second = 0;
    while (events_ && events_->GetEvent(&code, &first, &second, 0) == S_OK) {
      events_->FreeEventParams(code, first, second);
      if (code == EC_COMPLETE) return GraphEvent{};
      // An error event carries its result code first; one without a failure code of its own is
      // an unspecified failure.
      if (code == EC_ERRORABORT || code == EC_STREAM_ERROR_STOPPED) {
        const auto result = static_cast<HRESULT>(first);
        return GraphEvent{ProblemOf(FAILED(result) ? result : E_FAIL)};
      }
    }
    return std::nullopt;
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
    soundFeed_.Reset();
    renderer_.Reset();
    clock_.Reset();
    builder_.Reset();
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
  static std::optional<ClipProblem> Checked(HRESULT result) {
    if (SUCCEEDED(result)) return std::nullopt;
    return ProblemOf(result);
  }

  // An empty graph holding only the video renderer. Wine, the plain renderer only: it needs no
  // graphics hardware, and its window becomes our child.
  HRESULT CreateWithRenderer() {
    HRESULT result = CreateFor(CLSID_FilterGraph, IID_IGraphBuilder, builder_);
    if (SUCCEEDED(result)) result = QueryFor(builder_.Get(), IID_IMediaControl, mediaControl_);
    if (SUCCEEDED(result)) result = QueryFor(builder_.Get(), IID_IMediaSeeking, seeking_);
    if (SUCCEEDED(result)) result = QueryFor(builder_.Get(), IID_IMediaEventEx, events_);
    if (SUCCEEDED(result)) result = CreateFor(CLSID_VideoRenderer, IID_IBaseFilter, renderer_);
    if (SUCCEEDED(result)) result = builder_->AddFilter(renderer_.Get(), L"Video Renderer");
    return result;
  }

  // The platform's way to a graph of the picture alone: with the video renderer as the graph's only
  // renderer, an output that leads to no renderer there (the sound) stays unconnected, and no sound
  // renderer is ever made; one, once made, keeps a stream open at the sound server.
  // https://learn.microsoft.com/windows/win32/api/strmif/nf-strmif-ifiltergraph2-renderex
  HRESULT RenderPictureOnly(const std::wstring& path) {
    ComPtr<IBaseFilter> source;
    HRESULT result = builder_->AddSourceFilter(path.c_str(), path.c_str(), &source);
    ComPtr<IFilterGraph2> builder;
    if (SUCCEEDED(result)) result = QueryFor(builder_.Get(), IID_IFilterGraph2, builder);
    if (FAILED(result)) return result;
    bool rendered = false;
    result = VFW_E_CANNOT_RENDER;
    for (const ComPtr<IPin>& pin : PinsOf(source.Get())) {
      if (DirectionOf(pin.Get()) != PINDIR_OUTPUT) continue;
      const HRESULT pinResult =
          builder->RenderEx(pin.Get(), AM_RENDEREX_RENDERTOEXISTINGRENDERERS, nullptr);
      rendered = rendered || SUCCEEDED(pinResult);
      if (!rendered) result = pinResult;
    }
    return rendered ? S_OK : result;
  }

  bool RendererConnected() {
    for (const ComPtr<IPin>& pin : PinsOf(renderer_.Get())) {
      if (DirectionOf(pin.Get()) == PINDIR_INPUT && PeerOf(pin.Get())) return true;
    }
    return false;
  }

  // Filters that the platform tried on the way and left unconnected, and, without sound, anything
  // that takes the clip's sound: the muted graph must hold no audio branch at all. Windows' MPEG-1
  // splitter offers its sound still coded, and its documentation says only that the graph "may"
  // back out of a path that leads to no renderer: a decoder tried for the sound could stay,
  // connected to the splitter and to nothing else.
  HRESULT RemoveStrayFilters(bool withSound) {
    for (const ComPtr<IBaseFilter>& filter : FiltersOf(builder_.Get())) {
      bool connected = false;
      bool takesAudio = false;
      for (const ComPtr<IPin>& pin : PinsOf(filter.Get())) {
        if (!PeerOf(pin.Get())) continue;
        connected = true;
        const bool input = DirectionOf(pin.Get()) == PINDIR_INPUT;
        takesAudio = takesAudio || (input && CarriesAudio(pin.Get()));
      }
      if (connected && (withSound || !takesAudio)) continue;
      if (const HRESULT result = builder_->RemoveFilter(filter.Get()); FAILED(result)) return result;
    }
    return S_OK;
  }

  // The renderer's picture becomes a child window over the whole control, passing its mouse and key
  // messages on to the control; the graph's events are posted to the control.
  HRESULT AttachToControl(PixelSize size) {
    HRESULT result = QueryFor(builder_.Get(), IID_IVideoWindow, window_);
    const auto control = reinterpret_cast<OAHWND>(control_);
    if (SUCCEEDED(result)) result = window_->put_Owner(control);
    if (SUCCEEDED(result)) result = window_->put_WindowStyle(WS_CHILD | WS_CLIPSIBLINGS);
    if (SUCCEEDED(result)) result = window_->put_MessageDrain(control);
    if (SUCCEEDED(result)) Fit(size);
    if (SUCCEEDED(result)) result = events_->SetNotifyWindow(control, kGraphEventMessage, 0);
    return result;
  }

  // Wine, a clock that goes leaves its thread: the graph keeps time by a system clock of its own,
  // with sound as without, and the sound renderer follows it. Given again after the sound came
  // back, so that the new renderer has it too. A graph that cannot take it picks its own when it
  // runs, so this is not checked.
  void KeepOwnTime() {
    ComPtr<IMediaFilter> graph;
    if (!clock_) CreateFor(CLSID_SystemClock, IID_IReferenceClock, clock_);
    if (clock_ && SUCCEEDED(QueryFor(builder_.Get(), IID_IMediaFilter, graph))) {
      graph->SetSyncSource(clock_.Get());
    }
  }

  // The filter at the end of the sound's branch, with the pin that feeds it.
  ComPtr<IBaseFilter> SoundRenderer(ComPtr<IPin>& feed) {
    for (const ComPtr<IBaseFilter>& filter : FiltersOf(builder_.Get())) {
      ComPtr<IPin> audioFeed;
      bool hasOutput = false;
      for (const ComPtr<IPin>& pin : PinsOf(filter.Get())) {
        hasOutput = hasOutput || DirectionOf(pin.Get()) == PINDIR_OUTPUT;
        const bool input = DirectionOf(pin.Get()) == PINDIR_INPUT;
        if (input && CarriesAudio(pin.Get())) audioFeed = PeerOf(pin.Get());
      }
      if (audioFeed && !hasOutput) {
        feed = audioFeed;
        return filter;
      }
    }
    return nullptr;
  }

  HWND control_;
  ComPtr<IGraphBuilder> builder_;
  ComPtr<IMediaControl> mediaControl_;
  ComPtr<IMediaSeeking> seeking_;
  ComPtr<IMediaEventEx> events_;
  ComPtr<IVideoWindow> window_;
  ComPtr<IBaseFilter> renderer_;
  ComPtr<IReferenceClock> clock_;
  // While the sound renderer is gone: the pin that fed it, and its kind.
  ComPtr<IPin> soundFeed_;
  CLSID soundRendererType_{};
};

GraphVideoPlayer::GraphVideoPlayer(Program& program, HWND parent, VideoControlEvents& events)
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
  graph_ = std::make_unique<Graph>(hwnd());
  VideoSurface& surface = *this;
  player_ = std::make_unique<GraphPlayer>(*graph_, surface, ScreenDpi(LOGPIXELSX),
                                          ScreenDpi(LOGPIXELSY));
}

GraphVideoPlayer::~GraphVideoPlayer() {
  // The player releases the graph, and both go before the window they draw into.
  player_.reset();
  graph_.reset();
  if (font_) DeleteObject(font_);
}

void GraphVideoPlayer::SetSound(bool on) { player_->SetSound(on); }
void GraphVideoPlayer::SetClip(const std::wstring& path) { player_->SetClip(path); }
void GraphVideoPlayer::Play() { player_->Play(); }
void GraphVideoPlayer::Stop() { player_->Stop(); }
void GraphVideoPlayer::Rest() { player_->Rest(); }
void GraphVideoPlayer::Close() { player_->Close(); }

void GraphVideoPlayer::SetVisible(bool visible) {
  if (visible) {
    // Above the parent's other children, such as a picture that the video is meant to cover.
    SetWindowPos(hwnd(), HWND_TOP, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  } else {
    ShowWindow(hwnd(), SW_HIDE);
  }
}

void GraphVideoPlayer::Move(float left, float top, float width, float height) {
  player_->Move(left, top, width, height);
}

void GraphVideoPlayer::ForwardOwnerMessage(HWND owner, UINT message, WPARAM wParam, LPARAM lParam) {
  graph_->NotifyOwnerMessage(owner, message, wParam, lParam);
}

LRESULT GraphVideoPlayer::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  // Nothing to hand on while the control is being made or taken apart.
  if (!player_) return DefaultHandling(message, wParam, lParam);
  switch (message) {
    case kGraphEventMessage: OnGraphEvent(); return 0;
    case WM_TIMER:
      if (wParam == static_cast<UINT_PTR>(VideoTimer::Restart)) OnRestartTimer();
      return 0;
    // The picture's window passes these on (its message drain), so they arrive as if the mouse were
    // over this window; it lies at this window's origin, so the positions hold as well.
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

void GraphVideoPlayer::MoveTo(const PixelRect& area) {
  SetWindowPos(hwnd(), nullptr, area.left, area.top, area.width, area.height,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void GraphVideoPlayer::ShowMessage(const std::wstring& text) {
  // Also as the window's text, where other programs (and tests) can read it.
  SetWindowTextW(hwnd(), text.c_str());
  message_ = text;
  InvalidateRect(hwnd(), nullptr, TRUE);
}

void GraphVideoPlayer::StartRestartTimer(std::chrono::milliseconds delay) {
  SetTimer(hwnd(), static_cast<UINT_PTR>(VideoTimer::Restart), static_cast<UINT>(delay.count()),
           nullptr);
}

void GraphVideoPlayer::StopRestartTimer() {
  KillTimer(hwnd(), static_cast<UINT_PTR>(VideoTimer::Restart));
}

// Handed on from the message loop, never from inside a call into the graph: the player may release
// the graph here, with nothing of it on the stack.
void GraphVideoPlayer::OnGraphEvent() { player_->OnGraphEvents(Now()); }

void GraphVideoPlayer::OnRestartTimer() {
  StopRestartTimer();  // one-shot
  player_->OnRestartTimer(Now());
}

// A click is a press and a release of the left button, both over the control.
void GraphVideoPlayer::OnMouseDown() {
  pressed_ = true;
  SetCapture(hwnd());
}

void GraphVideoPlayer::OnMouseUp(POINT where) {
  const bool wasPressed = pressed_;
  pressed_ = false;
  if (GetCapture() == hwnd()) ReleaseCapture();
  RECT client;
  GetClientRect(hwnd(), &client);
  if (wasPressed && PtInRect(&client, where)) events_.OnVideoClick();
}

void GraphVideoPlayer::OnMouseMove(POINT where) {
  ClientToScreen(hwnd(), &where);
  events_.OnVideoMouseMove({where.x, where.y});
}

void GraphVideoPlayer::OnPaint() {
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

}  // namespace torva
