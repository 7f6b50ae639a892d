// Windows-side test support.
#include "tests/windows/saver_process.h"

#include <gtest/gtest.h>
#include <knownfolders.h>
#include <shlobj.h>

namespace torva::testing {
namespace {

std::optional<std::string> ReadBytes(const std::wstring& path) {
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string content;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) content.append(buffer, read);
  CloseHandle(file);
  return content;
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  ASSERT_EQ(written, bytes.size());
}

void DeleteFilesIn(const std::wstring& directory) {
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileW((directory + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    const std::wstring file = directory + L"\\" + found.cFileName;
    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(file.c_str());
  } while (FindNextFileW(search, &found));
  FindClose(search);
}

// The user's application data folder as the saver finds it: the system's, not one a test could
// hand it.
std::wstring RoamingAppData() {
  PWSTR path = nullptr;
  std::wstring folder;
  if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_DEFAULT, nullptr, &path))) folder = path;
  CoTaskMemFree(path);
  return folder;
}

void RemoveUserFolder(const std::wstring& userData) {
  const std::wstring userFolder = userData + L"\\Torva";
  DeleteFilesIn(userFolder);
  RemoveDirectoryW(userFolder.c_str());
}

std::wstring ModuleDirectory() {
  wchar_t path[MAX_PATH * 4] = {};
  GetModuleFileNameW(nullptr, path, static_cast<DWORD>(std::size(path)));
  std::wstring directory = path;
  return directory.substr(0, directory.find_last_of(L'\\'));
}

}  // namespace

std::wstring BuildDirectory() { return ModuleDirectory(); }

ProgramDirectory::ProgramDirectory() {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  for (unsigned attempt = GetTickCount() ^ GetCurrentProcessId();; ++attempt) {
    path_ = std::wstring(temp) + L"torva-test-" + std::to_wstring(attempt);
    if (CreateDirectoryW(path_.c_str(), nullptr)) break;
  }
  // No test may see a settings file of the user's own that another test, or a run of the real
  // program, left there; the tests run one at a time.
  userData_ = RoamingAppData();
  RemoveUserFolder(userData_);
  const std::wstring saver = BuildDirectory() + L"\\torva.scr";
  if (!CopyFileW(saver.c_str(), File(L"torva.scr").c_str(), FALSE)) {
    ADD_FAILURE() << "cannot copy torva.scr from the build directory";
  }
}

ProgramDirectory::~ProgramDirectory() {
  RemoveUserFolder(userData_);
  DeleteFilesIn(path_);
  RemoveDirectoryW(path_.c_str());
}

void ProgramDirectory::Write(const std::wstring& name, const std::string& bytes) const {
  WriteBytes(File(name), bytes);
}

std::optional<std::string> ProgramDirectory::Read(const std::wstring& name) const {
  return ReadBytes(File(name));
}

void ProgramDirectory::WriteUserFile(const std::wstring& name, const std::string& bytes) const {
  CreateDirectoryW((userData_ + L"\\Torva").c_str(), nullptr);
  WriteBytes(UserFile(name), bytes);
}

std::optional<std::string> ProgramDirectory::ReadUserFile(const std::wstring& name) const {
  return ReadBytes(UserFile(name));
}

void ProgramDirectory::CopyFromBuild(const std::wstring& name) const {
  const std::wstring source = BuildDirectory() + L"\\" + name;
  ASSERT_TRUE(CopyFileW(source.c_str(), File(name).c_str(), FALSE));
}

std::vector<std::wstring> ProgramDirectory::FileNames() const {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileW((path_ + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return names;
}

SaverProcess::SaverProcess(const ProgramDirectory& directory, const std::wstring& arguments) {
  std::wstring commandLine = L"\"" + directory.File(L"torva.scr") + L"\" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      directory.path().c_str(), &startup, &info_)) {
    ADD_FAILURE() << "cannot start torva.scr, error " << GetLastError();
  }
}

SaverProcess::~SaverProcess() {
  if (!info_.hProcess) return;
  if (IsRunning()) {
    TerminateProcess(info_.hProcess, 99);
    WaitForSingleObject(info_.hProcess, 5000);
  }
  CloseHandle(info_.hThread);
  CloseHandle(info_.hProcess);
}

std::optional<DWORD> SaverProcess::WaitForExit(DWORD milliseconds) {
  if (!info_.hProcess) return DWORD{0xDEAD};
  const DWORD deadline = GetTickCount() + milliseconds;
  for (;;) {
    const DWORD now = GetTickCount();
    const DWORD left = static_cast<LONG>(deadline - now) > 0 ? deadline - now : 0;
    // Keep our own windows (a test's host pane) answering while we wait.
    const DWORD woken = MsgWaitForMultipleObjects(1, &info_.hProcess, FALSE, left, QS_ALLINPUT);
    if (woken == WAIT_OBJECT_0) break;
    if (woken != WAIT_OBJECT_0 + 1) return std::nullopt;
    PumpFor(0);
  }
  DWORD code = 0;
  GetExitCodeProcess(info_.hProcess, &code);
  return code;
}

namespace {

struct WindowSearch {
  DWORD process;
  std::vector<HWND> found;
};

// A named CALLBACK, not a lambda: 32-bit callbacks must use the stdcall convention.
BOOL CALLBACK CollectVisibleWindow(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<WindowSearch*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == search->process && IsWindowVisible(window)) search->found.push_back(window);
  return TRUE;
}

}  // namespace

std::vector<HWND> SaverProcess::VisibleWindows() const {
  WindowSearch search{info_.dwProcessId, {}};
  EnumWindows(CollectVisibleWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND SaverProcess::WaitForWindow(const std::function<bool(HWND)>& match, DWORD milliseconds) const {
  const DWORD start = GetTickCount();
  do {
    for (HWND window : VisibleWindows()) {
      if (match(window)) return window;
    }
    PumpFor(20);
  } while (GetTickCount() - start < milliseconds);
  return nullptr;
}

std::wstring ClassNameOf(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

std::wstring TextOf(HWND window) {
  wchar_t text[1024] = {};
  GetWindowTextW(window, text, 1024);
  return text;
}

bool IsMessageBox(HWND window) { return ClassNameOf(window) == L"#32770" && GetDlgItem(window, 0xFFFF); }

std::wstring MessageBoxText(HWND box) { return TextOf(GetDlgItem(box, 0xFFFF)); }

void PumpFor(DWORD milliseconds) {
  const DWORD start = GetTickCount();
  do {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    if (milliseconds) MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  } while (GetTickCount() - start < milliseconds);
}

}  // namespace torva::testing
