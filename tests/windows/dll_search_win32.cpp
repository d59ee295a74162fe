// Varnex.exe started from a folder that holds DLLs named like the system DLLs it and the
// system load for it (the DPI query's shcore, the working-set query's psapi, the themed
// controls' uxtheme), with a current directory that holds them too, loads none of them.
// One child start: about a minute on i686.

#include <windows.h>

#include <commctrl.h>

#include <gmock/gmock.h>

#include <string>
#include <string_view>
#include <vector>

#include "tests/support/win32/command_helpers.h"

namespace {

BOOL CALLBACK FindFilledList(HWND child, LPARAM found) {
  wchar_t name[32] = {};
  ::GetClassNameW(child, name, 32);
  *reinterpret_cast<bool*>(found) |=
      std::wstring(name) == WC_LISTVIEWW && ::SendMessageW(child, LVM_GETITEMCOUNT, 0, 0) > 0;
  return TRUE;
}

TEST(DllSearch, PlantedSystemDllsAreNotLoaded) {
  wchar_t self[MAX_PATH] = {}, temp[MAX_PATH] = {};
  ASSERT_NE(::GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
  ASSERT_NE(::GetTempPathW(MAX_PATH, temp), 0u);
  const std::wstring build(self, std::wstring_view(self).find_last_of(L'\\'));
  const std::wstring marker = build + L"\\varnex_planted.dll";
  const std::wstring root =
      temp + (L"varnex-dll-search-" + std::to_wstring(::GetCurrentProcessId()));
  const std::wstring app = root + L"\\app", cwd = root + L"\\cwd", exe = app + L"\\Varnex.exe";
  for (const std::wstring& folder : {root, app, cwd}) ::CreateDirectoryW(folder.c_str(), nullptr);
  ASSERT_TRUE(::CopyFileW((build + L"\\Varnex.exe").c_str(), exe.c_str(), FALSE));

  // The marker marks: loaded here by its full path, it leaves its file.
  ::FreeLibrary(::LoadLibraryW(marker.c_str()));
  ASSERT_TRUE(::DeleteFileW((marker + L".loaded").c_str())) << "marker DLL broken";

  // Wine's comctl32 loads uxtheme while the exe itself loads, before any code of Varnex runs
  // (Windows' comctl32 6 loads it on first use): not planted beside the exe there.
  const bool wine = ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version");
  std::vector<std::wstring> planted;
  for (const std::wstring& folder : {app, cwd}) {
    for (const wchar_t* dll : {L"shcore.dll", L"psapi.dll", L"uxtheme.dll"}) {
      if (wine && folder == app && dll == std::wstring(L"uxtheme.dll")) continue;
      planted.push_back(folder + L"\\" + dll);
      ASSERT_TRUE(::CopyFileW(marker.c_str(), planted.back().c_str(), FALSE));
    }
  }
  // Wine takes its builtin DLL over a file of the same name unless told to prefer native ones
  // for the program; it reads WINEDLLOVERRIDES from the Unix environment only, so the
  // program's own registry key tells it.
  const std::wstring appKey = L"Software\\Wine\\AppDefaults\\Varnex.exe";
  const std::wstring dllKey = appKey + L"\\DllOverrides";
  HKEY overrides = nullptr;
  ASSERT_TRUE(!wine ||
              ::RegCreateKeyExW(HKEY_CURRENT_USER, dllKey.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                nullptr, &overrides, nullptr) == ERROR_SUCCESS);
  for (const wchar_t* dll : {L"shcore", L"psapi", L"uxtheme"}) {
    if (overrides) {
      ::RegSetValueExW(overrides, dll, 0, REG_SZ, reinterpret_cast<const BYTE*>(L"native,builtin"),
                       sizeof L"native,builtin");
    }
  }
  if (overrides) ::RegCloseKey(overrides);
  {
    cmdtest::ChildProcess varnex(exe, cwd);
    ASSERT_NE(varnex.Pid(), 0u);
    // Shown (the DPI query, the themed controls), then a tick (the working-set query) has
    // filled the process list.
    HWND window = nullptr;
    EXPECT_TRUE(cmdtest::WaitUntil(
        [&] {
          DWORD owner = 0;
          while ((window = ::FindWindowExW(nullptr, window, L"VarnexMainWindow", nullptr)) &&
                 !(::GetWindowThreadProcessId(window, &owner) && owner == varnex.Pid() &&
                   ::IsWindowVisible(window))) {
          }
          bool filled = false;
          if (window) ::EnumChildWindows(window, FindFilledList, reinterpret_cast<LPARAM>(&filled));
          return filled;
        },
        240000, 100));
    if (window) ::PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(varnex.WaitEnded(60000));
  }
  std::vector<std::wstring> marked;
  for (const std::wstring& dll : planted) {
    if (::DeleteFileW((dll + L".loaded").c_str())) marked.push_back(dll);
    ::DeleteFileW(dll.c_str());
  }
  for (const std::wstring& key : {dllKey, appKey}) {
    if (wine) ::RegDeleteKeyW(HKEY_CURRENT_USER, key.c_str());
  }
  EXPECT_THAT(marked, ::testing::IsEmpty());
  ::DeleteFileW(exe.c_str());
  for (const std::wstring& folder : {app, cwd, root}) ::RemoveDirectoryW(folder.c_str());
}

}  // namespace
