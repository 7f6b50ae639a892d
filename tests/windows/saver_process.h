// Windows-side test support: a program directory of our own holding a copy of the built saver,
// and the saver started from it as a user's system would start it.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace torva::testing {

// How long a test waits for the saver to do what it must: far beyond what it needs, so that only a
// saver that never does it fails.
inline constexpr DWORD kPatience = 10000;

// Settings files as the program writes them, byte for byte.
inline constexpr char kSoundOn[] = "Sound Config file for torva screensaver\r\n1\r\n";
inline constexpr char kSoundOff[] = "Sound Config file for torva screensaver\r\n0\r\n";

// The directory holding the built torva.scr, torva.txt and torva.mpg (where the tests run from).
std::wstring BuildDirectory();

// A fresh temporary directory with a copy of torva.scr and none of its files, and no settings file
// of the user's own in their application data folder; removed afterwards.
class ProgramDirectory {
 public:
  ProgramDirectory();
  ~ProgramDirectory();
  ProgramDirectory(const ProgramDirectory&) = delete;
  ProgramDirectory& operator=(const ProgramDirectory&) = delete;

  const std::wstring& path() const { return path_; }
  std::wstring File(const std::wstring& name) const { return path_ + L"\\" + name; }
  void Write(const std::wstring& name, const std::string& bytes) const;
  std::optional<std::string> Read(const std::wstring& name) const;
  // Copies a file that the build staged beside torva.scr (the settings file or the clip).
  void CopyFromBuild(const std::wstring& name) const;
  std::vector<std::wstring> FileNames() const;

  // The user's application data folder, and a file of theirs in it.
  const std::wstring& UserData() const { return userData_; }
  std::wstring UserFile(const std::wstring& name) const { return userData_ + L"\\Torva\\" + name; }
  void WriteUserFile(const std::wstring& name, const std::string& bytes) const;
  std::optional<std::string> ReadUserFile(const std::wstring& name) const;

 private:
  std::wstring path_;
  std::wstring userData_;
};

// The saver process, ended by the destructor if a test leaves it running.
class SaverProcess {
 public:
  SaverProcess(const ProgramDirectory& directory, const std::wstring& arguments);
  ~SaverProcess();
  SaverProcess(const SaverProcess&) = delete;
  SaverProcess& operator=(const SaverProcess&) = delete;

  DWORD id() const { return info_.dwProcessId; }
  HANDLE handle() const { return info_.hProcess; }
  // The exit code, or nothing if the process is still running after `milliseconds`.
  std::optional<DWORD> WaitForExit(DWORD milliseconds);
  bool IsRunning() { return !WaitForExit(0); }
  // The process's visible top-level windows.
  std::vector<HWND> VisibleWindows() const;
  // Waits until one of the process's visible top-level windows satisfies `match`.
  HWND WaitForWindow(const std::function<bool(HWND)>& match, DWORD milliseconds) const;

 private:
  PROCESS_INFORMATION info_{};
};

std::wstring ClassNameOf(HWND window);
std::wstring TextOf(HWND window);
bool IsMessageBox(HWND window);
// The message text of a message box (its static control holding the text).
std::wstring MessageBoxText(HWND box);

// Pumps this thread's messages while waiting, so that windows of the test itself stay responsive.
void PumpFor(DWORD milliseconds);

}  // namespace torva::testing
