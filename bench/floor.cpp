// The floor for Varnex's own cost: once a second, the system queries that one refresh tick
// and one sampler pass make (the process table with every process opened for its working set
// and every name converted, the top-level windows with style, class, title, class icon,
// owner and icon messages, the memory status and the processor counters), and nothing else:
// no window, nothing drawn. scripts/own-cost.sh runs it and Varnex.exe alternately.
//   floor.exe          the loop, until killed
//   floor.exe idle     sleeps until killed (fills the process table)
//   floor.exe count    prints the number of processes in the table and ends

#include <windows.h>
#include <winternl.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

using GetMemoryInfo = BOOL(WINAPI*)(HANDLE, void*, DWORD);

std::vector<unsigned char> table(300000);

ULONG QueryProcessTable() {
  for (;;) {
    ULONG returned = 0;
    const NTSTATUS status = NtQuerySystemInformation(SystemProcessInformation, table.data(),
                                                     static_cast<ULONG>(table.size()), &returned);
    if (status >= 0) return returned;
    if (table.size() >= (64u << 20)) return 0;
    table.resize(table.size() * 2);
  }
}

void ProcessPass(GetMemoryInfo getMemoryInfo) {
  if (QueryProcessTable() == 0) return;
  std::size_t offset = 0;
  for (;;) {
    const auto* record = reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(&table[offset]);
    char name[260] = {};
    if (record->ImageName.Buffer) {
      WideCharToMultiByte(CP_ACP, 0, record->ImageName.Buffer, -1, name, sizeof name, nullptr,
                          nullptr);
    }
    const auto pid = static_cast<DWORD>(reinterpret_cast<std::uintptr_t>(record->UniqueProcessId));
    if (HANDLE process = OpenProcess(0x1F0FFF, FALSE, pid)) {
      unsigned char counters[128] = {};
      const DWORD cb = 72;  // PROCESS_MEMORY_COUNTERS of a 64-bit process
      std::memcpy(counters, &cb, sizeof cb);
      if (getMemoryInfo) getMemoryInfo(process, counters, cb);
      CloseHandle(process);
    }
    if (record->NextEntryOffset == 0) break;
    offset += record->NextEntryOffset;
  }
}

BOOL CALLBACK WindowPass(HWND window, LPARAM) {
  if ((GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE) == 0) return TRUE;
  char className[100] = {};
  char title[100] = {};
  GetClassNameA(window, className, 100);
  GetWindowTextA(window, title, 100);
  const char* p = title;
  while (*p != '\0' && static_cast<unsigned char>(*p) <= 32) ++p;
  if (*p == '\0') return TRUE;
  GetClassLongPtrA(window, GCLP_HICON);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  DWORD_PTR icon = 0;
  if (!SendMessageTimeoutW(window, WM_GETICON, ICON_SMALL, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, 100,
                           &icon) ||
      icon == 0) {
    SendMessageTimeoutW(window, WM_GETICON, ICON_BIG, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, 100, &icon);
  }
  return TRUE;
}

void SamplerPass() {
  unsigned char buffer[1024];
  for (int infoClass : {0, 3, 2}) {
    NtQuerySystemInformation(static_cast<SYSTEM_INFORMATION_CLASS>(infoClass), buffer,
                             sizeof buffer, nullptr);
  }
  MEMORYSTATUS status{};
  status.dwLength = sizeof status;
  GlobalMemoryStatus(&status);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "idle") == 0) {
    Sleep(INFINITE);
    return 0;
  }
  if (argc > 1 && std::strcmp(argv[1], "count") == 0) {
    int count = 0;
    if (QueryProcessTable() != 0) {
      for (std::size_t offset = 0;; ++count) {
        const auto* record = reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(&table[offset]);
        if (record->NextEntryOffset == 0) break;
        offset += record->NextEntryOffset;
      }
      ++count;
    }
    std::printf("%d\n", count);
    return 0;
  }
  HMODULE psapi = LoadLibraryA("psapi.dll");
  auto getMemoryInfo = psapi ? reinterpret_cast<GetMemoryInfo>(reinterpret_cast<void (*)()>(
                                   GetProcAddress(psapi, "GetProcessMemoryInfo")))
                             : nullptr;
  // Once a second on a fixed schedule, as a periodic timer fires: the time a pass takes does
  // not stretch the period (sleeping a whole second after each pass would make about 2%
  // fewer passes than Varnex makes ticks).
  ULONGLONG next = GetTickCount64();
  for (;;) {
    ProcessPass(getMemoryInfo);
    EnumWindows(WindowPass, 0);
    SamplerPass();
    next += 1000;
    const ULONGLONG now = GetTickCount64();
    if (next > now) {
      Sleep(static_cast<DWORD>(next - now));
    } else {
      next = now;
    }
  }
}
