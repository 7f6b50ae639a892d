// DLLs planted in the program's folder never load into the saver. Copies of uxtheme.dll and
// quartz.dll, the two libraries off Windows' KnownDLLs list that an older build imported, sit
// beside torva.scr and leave a file when they load. Wine prefers its own copies of system DLLs, so
// these tests run with its loader told to look in the program's folder first, as Windows does for
// any DLL not on that list (WINEDLLOVERRIDES, set by CMakeLists.txt; Windows needs no such thing).
// A program with the older build's imports then loads both, and each mode of the saver must not.
#include <windows.h>

#include <gtest/gtest.h>
#include <psapi.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/windows/saver_process.h"

namespace torva::testing {
namespace {

// A program directory holding the saver, its files and the planted DLLs.
struct PlantedDirectory {
  PlantedDirectory() {
    directory.Write(L"torva.txt", kSoundOff);
    directory.CopyFromBuild(L"torva.mpg");
    for (const wchar_t* name : {L"uxtheme.dll", L"quartz.dll", L"torva_planted_probe.exe"}) {
      const std::wstring source = BuildDirectory() + L"\\planted\\" + name;
      EXPECT_TRUE(CopyFileW(source.c_str(), directory.File(name).c_str(), FALSE)) << "no planted\\" << name;
    }
  }
  // The files the planted DLLs left behind.
  std::vector<std::wstring> Markers() const {
    std::vector<std::wstring> markers;
    for (const std::wstring& name : directory.FileNames()) {
      if (name.size() > 7 && name.substr(name.size() - 7) == L".loaded") markers.push_back(name);
    }
    return markers;
  }

  ProgramDirectory directory;
};

bool StartsWithIgnoringCase(const std::wstring& text, const std::wstring& start) {
  return text.size() >= start.size() &&
         CompareStringOrdinal(text.c_str(), static_cast<int>(start.size()), start.c_str(),
                              static_cast<int>(start.size()), TRUE) == CSTR_EQUAL;
}

std::wstring FileNameOf(const std::wstring& path) { return path.substr(path.find_last_of(L'\\') + 1); }

std::vector<std::wstring> ModulePaths(HANDLE process) {
  std::vector<HMODULE> modules(1024);
  DWORD needed = 0;
  std::vector<std::wstring> paths;
  if (!EnumProcessModules(process, modules.data(), static_cast<DWORD>(modules.size() * sizeof(HMODULE)), &needed)) {
    ADD_FAILURE() << "cannot list the saver's modules, error " << GetLastError();
    return paths;
  }
  modules.resize(std::min<std::size_t>(modules.size(), needed / sizeof(HMODULE)));
  for (HMODULE module : modules) {
    wchar_t path[MAX_PATH * 2] = {};
    if (GetModuleFileNameExW(process, module, path, MAX_PATH * 2)) paths.push_back(path);
  }
  return paths;
}

// Nothing from the program's folder but the program itself is loaded, and `needed` (if any) is,
// from elsewhere.
void ExpectOnlySystemLibraries(const SaverProcess& saver, const ProgramDirectory& directory,
                               const wchar_t* needed) {
  bool neededLoaded = false;
  for (const std::wstring& path : ModulePaths(saver.handle())) {
    if (StartsWithIgnoringCase(path, directory.path() + L"\\")) {
      EXPECT_EQ(CompareStringOrdinal(FileNameOf(path).c_str(), -1, L"torva.scr", -1, TRUE), CSTR_EQUAL)
          << "loaded from the program's folder: " << ::testing::PrintToString(path);
    } else if (needed && CompareStringOrdinal(FileNameOf(path).c_str(), -1, needed, -1, TRUE) == CSTR_EQUAL) {
      neededLoaded = true;
    }
  }
  if (needed) {
    EXPECT_TRUE(neededLoaded) << "the system's own " << ::testing::PrintToString(std::wstring(needed));
  }
}

TEST(PlantedDlls, AProgramWithTheOlderBuildsImportsLoadsBoth) {
  PlantedDirectory planted;
  std::wstring commandLine = L"\"" + planted.directory.File(L"torva_planted_probe.exe") + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION probe{};
  ASSERT_TRUE(CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             planted.directory.path().c_str(), &startup, &probe));
  EXPECT_EQ(WaitForSingleObject(probe.hProcess, kPatience), WAIT_OBJECT_0);
  CloseHandle(probe.hThread);
  CloseHandle(probe.hProcess);
  EXPECT_EQ(planted.Markers().size(), 2u) << "the planted DLLs must load here, or the saver's tests prove nothing";
}

TEST(PlantedDlls, TheShowLoadsNeither) {
  PlantedDirectory planted;
  SaverProcess saver(planted.directory, L"/s");
  const HWND show = saver.WaitForWindow([](HWND window) { return ClassNameOf(window) == L"TorvaShow"; }, kPatience);
  ASSERT_TRUE(show) << "no show window";
  PumpFor(1000);  // the clip playing
  ExpectOnlySystemLibraries(saver, planted.directory, L"quartz.dll");
  PostMessageW(show, WM_CLOSE, 0, 0);
  EXPECT_EQ(saver.WaitForExit(kPatience), DWORD{0});
  EXPECT_EQ(planted.Markers(), std::vector<std::wstring>{});
}

TEST(PlantedDlls, TheSettingsDialogLoadsNeither) {
  PlantedDirectory planted;
  SaverProcess saver(planted.directory, L"/c");
  const HWND dialog = saver.WaitForWindow(
      [](HWND window) { return TextOf(window) == L"Torva Video Screensaver"; }, kPatience);
  ASSERT_TRUE(dialog) << "no settings dialog";
  ExpectOnlySystemLibraries(saver, planted.directory, L"uxtheme.dll");
  PostMessageW(dialog, WM_CLOSE, 0, 0);
  EXPECT_EQ(saver.WaitForExit(kPatience), DWORD{0});
  EXPECT_EQ(planted.Markers(), std::vector<std::wstring>{});
}

TEST(PlantedDlls, ThePreviewLoadsNeither) {
  PlantedDirectory planted;
  const HWND host = CreateWindowExW(0, L"STATIC", L"Display settings", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                    0, 0, 300, 250, nullptr, nullptr, nullptr, nullptr);
  const HWND pane = CreateWindowExW(0, L"STATIC", nullptr, WS_CHILD | WS_VISIBLE, 20, 20, 152, 112, host,
                                    nullptr, nullptr, nullptr);
  ASSERT_TRUE(pane);
  SaverProcess saver(planted.directory, L"/p " + std::to_wstring(reinterpret_cast<std::uintptr_t>(pane)));
  const DWORD start = GetTickCount();
  while (!FindWindowExW(pane, nullptr, nullptr, nullptr) && GetTickCount() - start < kPatience) PumpFor(20);
  ASSERT_TRUE(FindWindowExW(pane, nullptr, nullptr, nullptr)) << "no preview in the pane";
  ExpectOnlySystemLibraries(saver, planted.directory, nullptr);
  DestroyWindow(host);
  EXPECT_EQ(saver.WaitForExit(kPatience), DWORD{0});
  EXPECT_EQ(planted.Markers(), std::vector<std::wstring>{});
}

}  // namespace
}  // namespace torva::testing
