// Running a saver process out of memory from outside: its C runtime imports patched in place.
#include "tests/windows/out_of_memory.h"

#include <psapi.h>

#include <cstdint>
#include <string>

namespace torva::testing {
namespace {

// xor eax, eax; ret: returns null on x86 and x86-64 alike, the arguments left to the caller.
constexpr unsigned char kReturnNull[] = {0x31, 0xC0, 0xC3};

template <class T>
bool ReadFrom(HANDLE process, std::uintptr_t address, T& value) {
  SIZE_T read = 0;
  return ReadProcessMemory(process, reinterpret_cast<const void*>(address), &value, sizeof value, &read) &&
         read == sizeof value;
}

std::string ReadName(HANDLE process, std::uintptr_t address) {
  std::string name;
  for (char c = 0; name.size() < 64 && ReadFrom(process, address + name.size(), c) && c;) name += c;
  return name;
}

bool SameIgnoringCase(const std::string& a, const char* b) { return lstrcmpiA(a.c_str(), b) == 0; }

}  // namespace

bool RunOutOfMemory(HANDLE process) {
  HMODULE program = nullptr;
  DWORD needed = 0;
  // The first module is the program itself.
  if (!EnumProcessModules(process, &program, sizeof program, &needed) || !program) return false;
  const auto base = reinterpret_cast<std::uintptr_t>(program);
  IMAGE_DOS_HEADER dos{};
  IMAGE_NT_HEADERS headers{};
  if (!ReadFrom(process, base, dos) || !ReadFrom(process, base + static_cast<std::uintptr_t>(dos.e_lfanew), headers)) {
    return false;
  }
  const IMAGE_DATA_DIRECTORY& imports = headers.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];

  void* returnNull = VirtualAllocEx(process, nullptr, sizeof kReturnNull, MEM_COMMIT | MEM_RESERVE,
                                    PAGE_EXECUTE_READWRITE);
  SIZE_T written = 0;
  if (!returnNull || !WriteProcessMemory(process, returnNull, kReturnNull, sizeof kReturnNull, &written)) {
    return false;
  }
  int patched = 0;
  for (std::uintptr_t entry = base + imports.VirtualAddress;; entry += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
    IMAGE_IMPORT_DESCRIPTOR library{};
    if (!ReadFrom(process, entry, library) || library.Name == 0) break;
    if (!SameIgnoringCase(ReadName(process, base + library.Name), "msvcrt.dll")) continue;
    for (std::uintptr_t index = 0;; ++index) {
      IMAGE_THUNK_DATA byName{};
      const std::uintptr_t slot = base + library.FirstThunk + index * sizeof(IMAGE_THUNK_DATA);
      if (!ReadFrom(process, base + library.OriginalFirstThunk + index * sizeof(IMAGE_THUNK_DATA), byName) ||
          byName.u1.AddressOfData == 0) {
        break;
      }
      if (IMAGE_SNAP_BY_ORDINAL(byName.u1.Ordinal)) continue;
      // IMAGE_IMPORT_BY_NAME: a two-byte hint, then the name.
      const std::string name = ReadName(process, base + static_cast<std::uintptr_t>(byName.u1.AddressOfData) + 2);
      if (name != "malloc" && name != "calloc" && name != "realloc") continue;
      DWORD oldProtection = 0;
      const auto target = reinterpret_cast<void*>(slot);
      const auto function = reinterpret_cast<std::uintptr_t>(returnNull);
      if (!VirtualProtectEx(process, target, sizeof function, PAGE_READWRITE, &oldProtection) ||
          !WriteProcessMemory(process, target, &function, sizeof function, &written)) {
        return false;
      }
      VirtualProtectEx(process, target, sizeof function, oldProtection, &oldProtection);
      ++patched;
    }
  }
  return patched == 3;
}

}  // namespace torva::testing
