// Embedding the preview in the host's pane: the exact calls in their order, and no window at all
// when there is no pane to embed it in.
#include "preview/preview_embedding.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace torva {
namespace {

constexpr WindowHandle kPane = 0x2A0456;
constexpr WindowHandle kPreview = 0x10072;
constexpr WindowHandle kDesktop = 0x10010;
constexpr std::uint32_t kBorderlessPopupStyle = 0x80000000 | 0x04000000;  // WS_POPUP | WS_CLIPSIBLINGS

class RecordingPlatform final : public PreviewPlatform {
 public:
  std::vector<std::string> calls;
  bool paneExists = true;
  bool paneVisible = true;
  bool paneGoneBeforeSetParent = false;
  ClientRect pane{0, 0, 152, 112};

  bool IsWindow(WindowHandle window) override {
    Record("IsWindow", window);
    return paneExists && (window == kPane || window == kDesktop);
  }
  bool IsWindowVisible(WindowHandle window) override {
    Record("IsWindowVisible", window);
    return window == kDesktop || (window == kPane && paneVisible);
  }
  WindowHandle DesktopWindow() override {
    calls.push_back("DesktopWindow");
    return kDesktop;
  }
  ClientRect GetClientRect(WindowHandle window) override {
    Record("GetClientRect", window);
    return pane;
  }
  WindowHandle LoadPreviewWindow() override {
    calls.push_back("LoadPreviewWindow");
    return kPreview;
  }
  std::uint32_t GetWindowStyle(WindowHandle window) override {
    Record("GetWindowStyle", window);
    return kBorderlessPopupStyle;
  }
  void SetWindowStyle(WindowHandle window, std::uint32_t style) override {
    Record("SetWindowStyle", window, style);
  }
  bool SetParent(WindowHandle child, WindowHandle parent) override {
    Record("SetParent", child, parent);
    return !paneGoneBeforeSetParent;
  }
  void SetOwner(WindowHandle window, WindowHandle owner) override { Record("SetOwner", window, owner); }
  void SetWindowPos(WindowHandle window, WindowHandle insertAfter, int x, int y, int width, int height,
                    std::uint32_t flags) override {
    Record("SetWindowPos", window, insertAfter, x, y, width, height, flags);
  }
  void EndProgram() override { calls.push_back("EndProgram"); }

 private:
  template <class... Values>
  void Record(const char* name, Values... values) {
    std::string call = name;
    ((call.append(1, ' ').append(std::to_string(values))), ...);
    calls.push_back(call);
  }
};

using Calls = std::vector<std::string>;

std::string Of(auto value) { return std::to_string(value); }

// The window becomes a pure child (a child that is also a pop-up is activated when it is put into
// the pane), keeping its other style bits.
TEST(EmbedPreview, MakesThePreviewAChildFillingThePaneAndShowsItWithoutActivating) {
  RecordingPlatform platform;
  EmbedPreview(platform, kPane);
  const std::string pane = Of(kPane), preview = Of(kPreview);
  EXPECT_EQ(platform.calls, (Calls{
      "IsWindow " + pane,
      "DesktopWindow",
      "IsWindowVisible " + pane,
      "GetClientRect " + pane,
      "LoadPreviewWindow",
      "GetWindowStyle " + preview,
      "SetWindowStyle " + preview + " " + Of(0x04000000u | 0x40000000u),
      "SetParent " + preview + " " + pane,
      "SetOwner " + preview + " " + pane,
      "SetWindowPos " + preview + " 0 0 0 152 112 " + Of(0x54u),
  }));
}

// No window, the desktop (which never goes away, so its preview would cover the screen for good)
// and a window nobody sees (its preview would linger unseen) are no panes.
TEST(EmbedPreview, NoPaneEndsTheProgramWithoutCreatingAWindow) {
  struct NoPane {
    const char* name;
    WindowHandle host;
    bool paneExists, paneVisible;
  };
  for (const NoPane& c : {NoPane{"0", 0, true, true}, NoPane{"-1", -1, true, true},
                          NoPane{"gone", kPane, false, true}, NoPane{"desktop", kDesktop, true, true},
                          NoPane{"hidden", kPane, true, false}}) {
    RecordingPlatform platform;
    platform.paneExists = c.paneExists;
    platform.paneVisible = c.paneVisible;
    EmbedPreview(platform, c.host);
    ASSERT_FALSE(platform.calls.empty()) << c.name;
    EXPECT_EQ(platform.calls.back(), "EndProgram") << c.name;
    for (const auto& call : platform.calls) {
      EXPECT_EQ(call.find("GetClientRect"), std::string::npos) << c.name << ": " << call;
      EXPECT_NE(call, "LoadPreviewWindow") << c.name;
    }
  }
}

TEST(EmbedPreview, PaneGoneBeforeTheWindowIsInsideItEndsTheProgramWithoutShowingIt) {
  RecordingPlatform platform;
  platform.paneGoneBeforeSetParent = true;
  EmbedPreview(platform, kPane);
  ASSERT_GE(platform.calls.size(), 2u);
  EXPECT_EQ(platform.calls.back(), "EndProgram");
  for (const auto& call : platform.calls) EXPECT_EQ(call.find("SetWindowPos"), std::string::npos);
}

}  // namespace
}  // namespace torva
