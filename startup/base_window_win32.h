// One C++ object per window: the window procedure finds the object and hands it each message.
#pragma once

#include <windows.h>

#include "startup/error_report_win32.h"

namespace torva {

// Derived classes implement `LRESULT HandleMessage(UINT, WPARAM, LPARAM)`, unpack the messages
// they answer into typed handlers and pass the rest to `DefaultHandling`. The object is owned by
// whoever created the window and must outlive it.
template <class Derived>
class BaseWindow {
 public:
  HWND hwnd() const { return hwnd_; }

 protected:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Derived* self = nullptr;
    if (message == WM_NCCREATE) {
      self = static_cast<Derived*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
      self->hwnd_ = hwnd;
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
      self = reinterpret_cast<Derived*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    const LRESULT result =
        RunGuarded(hwnd, [&] { return self->HandleMessage(message, wParam, lParam); });
    if (message == WM_NCDESTROY) {
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      self->hwnd_ = nullptr;
    }
    return result;
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

 private:
  HWND hwnd_ = nullptr;
};

}  // namespace torva
