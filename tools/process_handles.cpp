// The benchmark's handle counter: how many handles each process of one program holds.
//
//   process_handles.exe <image name>      prints "<process id> <handles>" a line, e.g. for torva.scr
//
// Read from the system's handle table (NtQuerySystemInformation with
// SystemExtendedHandleInformation), which Wine keeps as well; Wine answers GetProcessHandleCount
// with 0. Exits 1 when no process has that name.
#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cwchar>
#include <map>
#include <vector>

namespace {

constexpr ULONG kSystemExtendedHandleInformation = 64;
constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);

// The layout the system fills in; not in MinGW's headers.
struct HandleEntry {
  PVOID object;
  ULONG_PTR processId;
  ULONG_PTR handle;
  ULONG grantedAccess;
  USHORT creatorBackTraceIndex;
  USHORT objectTypeIndex;
  ULONG attributes;
  ULONG reserved;
};

struct HandleTable {
  ULONG_PTR count;
  ULONG_PTR reserved;
  HandleEntry entries[1];
};

using QuerySystemInformation = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);

std::map<DWORD, int> HandlesPerProcess() {
  std::map<DWORD, int> handles;
  const auto query = reinterpret_cast<QuerySystemInformation>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
  if (!query) return handles;
  std::vector<unsigned char> buffer(1 << 20);
  LONG status = 0;
  ULONG needed = 0;
  while ((status = query(kSystemExtendedHandleInformation, buffer.data(),
                         static_cast<ULONG>(buffer.size()), &needed)) == kInfoLengthMismatch) {
    buffer.resize(buffer.size() * 2);
  }
  if (status != 0) return handles;
  const auto* table = reinterpret_cast<const HandleTable*>(buffer.data());
  for (ULONG_PTR i = 0; i < table->count; ++i) ++handles[static_cast<DWORD>(table->entries[i].processId)];
  return handles;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::fwprintf(stderr, L"usage: process_handles.exe <image name>\n");
    return 2;
  }
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return 1;
  std::vector<DWORD> ids;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
    if (_wcsicmp(entry.szExeFile, argv[1]) == 0) ids.push_back(entry.th32ProcessID);
  }
  CloseHandle(snapshot);
  const std::map<DWORD, int> handles = HandlesPerProcess();
  for (const DWORD id : ids) {
    const auto found = handles.find(id);
    std::wprintf(L"%lu %d\n", static_cast<unsigned long>(id), found == handles.end() ? 0 : found->second);
  }
  return ids.empty() ? 1 : 0;
}
