// One C++ object per window: the window procedure finds the object and hands it each message.
#pragma once

#include <windows.h>

#include "startup/program_win32.h"

namespace torva {

// Derived classes implement `LRESULT HandleMessage(UINT, WPARAM, LPARAM)`, unpack the messages
// they answer into typed handlers and pass the rest to `DefaultHandling`. The object owns its
// window: destroying the object destroys the window first, so the window never outlives it, and
// no message another program sends (a posted WM_NCDESTROY among them) can part the two.
template <class Derived>
class BaseWindow {
 public:
  HWND hwnd() const { return hwnd_; }

 protected:
  explicit BaseWindow(Program& program) : program_(program) {}

  ~BaseWindow() {
    // A window that its parent took with it (the preview's, when the host's pane goes) is gone
    // already; its handle may since name another window.
    if (!hwnd_ || GetWindowLongPtrW(hwnd_, GWLP_USERDATA) != reinterpret_cast<LONG_PTR>(this)) return;
    // Its last messages find no object: nothing of ours runs under the teardown.
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }

  BaseWindow(const BaseWindow&) = delete;
  BaseWindow& operator=(const BaseWindow&) = delete;

  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    BaseWindow* self = nullptr;
    if (message == WM_NCCREATE) {
      self = static_cast<BaseWindow*>(
          static_cast<Derived*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
      self->hwnd_ = hwnd;
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
      self = reinterpret_cast<BaseWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    LRESULT result = 0;
    // While a report is up or the program ends, the system's default answers every message.
    if (self && self->program_.Run(hwnd, [&] {
          result = static_cast<Derived*>(self)->HandleMessage(message, wParam, lParam);
        })) {
      return result;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }

  LRESULT DefaultHandling(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(hwnd_, message, wParam, lParam);
  }

  // Registers the class once per process; a second registration of the same name is harmless.
  static void RegisterClass(const wchar_t* className, WNDCLASSEXW windowClass) {
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &WindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = className;
    RegisterClassExW(&windowClass);
  }

  HWND Create(const wchar_t* className, const wchar_t* caption, DWORD style, DWORD exStyle, int x,
              int y, int width, int height, HWND parent, HMENU menuOrId = nullptr) {
    return CreateWindowExW(exStyle, className, caption, style, x, y, width, height, parent,
                           menuOrId, GetModuleHandleW(nullptr), static_cast<Derived*>(this));
  }

  Program& program() { return program_; }

 private:
  Program& program_;
  HWND hwnd_ = nullptr;
};

}  // namespace torva
