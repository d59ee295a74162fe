// Varnex.exe started from a folder that holds DLLs named like the system DLLs it and the
// system load for it (the DPI query's shcore, the working-set query's psapi, the themed
// controls' uxtheme), with a current directory that holds them too, loads none of them.
// One child start: about a minute on i686.

#include <windows.h>

#include <commctrl.h>

#include <gmock/gmock.h>

#include <string>
#include <vector>

#include "tests/support/win32/command_helpers.h"
#include "tests/support/win32/planted_dll.h"

namespace {

std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\')); }

// The main window of process `pid`, once shown.
HWND ShownMainWindow(DWORD pid) {
  for (HWND w = nullptr; (w = ::FindWindowExW(nullptr, w, L"VarnexMainWindow", nullptr));) {
    DWORD owner = 0;
    if (::GetWindowThreadProcessId(w, &owner) && owner == pid && ::IsWindowVisible(w)) return w;
  }
  return nullptr;
}

BOOL CALLBACK FindFilledList(HWND child, LPARAM found) {
  wchar_t name[32] = {};
  ::GetClassNameW(child, name, 32);
  if (std::wstring(name) != WC_LISTVIEWW || ::SendMessageW(child, LVM_GETITEMCOUNT, 0, 0) <= 0) {
    return TRUE;
  }
  *reinterpret_cast<bool*>(found) = true;
  return FALSE;
}

TEST(DllSearch, PlantedSystemDllsAreNotLoaded) {
  wchar_t self[MAX_PATH] = {};
  ASSERT_NE(::GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
  const std::wstring build = FolderOf(self), marker = build + L"\\varnex_planted.dll";
  wchar_t temp[MAX_PATH] = {};
  ASSERT_NE(::GetTempPathW(MAX_PATH, temp), 0u);
  const std::wstring root =
      temp + (L"varnex-dll-search-" + std::to_wstring(::GetCurrentProcessId()));
  const std::wstring app = root + L"\\app", cwd = root + L"\\cwd", exe = app + L"\\Varnex.exe";
  for (const std::wstring& folder : {root, app, cwd}) ::CreateDirectoryW(folder.c_str(), nullptr);
  ASSERT_TRUE(::CopyFileW((build + L"\\Varnex.exe").c_str(), exe.c_str(), FALSE));

  // The marker marks: loaded here by its full path, it sets its event.
  HANDLE own = ::CreateEventW(nullptr, TRUE, FALSE, wintest::PlantedDllEventName(marker).c_str());
  HMODULE loaded = ::LoadLibraryW(marker.c_str());
  ASSERT_TRUE(loaded && ::WaitForSingleObject(own, 0) == WAIT_OBJECT_0) << "marker DLL broken";
  ::FreeLibrary(loaded);
  ::CloseHandle(own);

  // Wine's comctl32 loads uxtheme while the exe itself loads, before any code of Varnex runs
  // (Windows' comctl32 6 loads it on first use): not planted beside the exe there.
  const bool wine = ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version");
  std::vector<std::wstring> planted;
  std::vector<HANDLE> marks;
  for (const std::wstring& folder : {app, cwd}) {
    for (const wchar_t* dll : {L"shcore.dll", L"psapi.dll", L"uxtheme.dll"}) {
      if (wine && folder == app && dll == std::wstring(L"uxtheme.dll")) continue;
      planted.push_back(folder + L"\\" + dll);
      ASSERT_TRUE(::CopyFileW(marker.c_str(), planted.back().c_str(), FALSE));
      const std::wstring name = wintest::PlantedDllEventName(planted.back());
      marks.push_back(::CreateEventW(nullptr, TRUE, FALSE, name.c_str()));
    }
  }
  // Wine takes its builtin DLL over a file of the same name unless told to prefer native ones
  // for the program; it reads WINEDLLOVERRIDES from the Unix environment only, so the
  // program's own registry key tells it.
  const wchar_t* const kAppKey = L"Software\\Wine\\AppDefaults\\Varnex.exe";
  const std::wstring overridesKey = kAppKey + std::wstring(L"\\DllOverrides");
  HKEY overrides = nullptr;
  if (wine) {
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, overridesKey.c_str(), 0, nullptr, 0,
                                KEY_SET_VALUE, nullptr, &overrides, nullptr),
              ERROR_SUCCESS);
    for (const wchar_t* dll : {L"shcore", L"psapi", L"uxtheme"}) {
      ::RegSetValueExW(overrides, dll, 0, REG_SZ, reinterpret_cast<const BYTE*>(L"native,builtin"),
                       sizeof L"native,builtin");
    }
    ::RegCloseKey(overrides);
  }
  std::vector<std::wstring> marked;
  {
    cmdtest::ChildProcess varnex(exe, cwd);
    ASSERT_NE(varnex.Pid(), 0u);
    // Shown (the DPI query, the themed controls), then a tick (the working-set query) has
    // filled the process list.
    HWND window = nullptr;
    bool filled = false;
    EXPECT_TRUE(cmdtest::WaitUntil(
        [&] {
          window = ShownMainWindow(varnex.Pid());
          if (window) ::EnumChildWindows(window, FindFilledList, reinterpret_cast<LPARAM>(&filled));
          return filled;
        },
        240000, 100));
    if (window) ::PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(varnex.WaitEnded(60000));
  }
  for (size_t i = 0; i < planted.size(); ++i) {
    if (::WaitForSingleObject(marks[i], 0) == WAIT_OBJECT_0) marked.push_back(planted[i]);
    ::CloseHandle(marks[i]);
    ::DeleteFileW(planted[i].c_str());
  }
  if (wine) {
    ::RegDeleteKeyW(HKEY_CURRENT_USER, overridesKey.c_str());
    ::RegDeleteKeyW(HKEY_CURRENT_USER, kAppKey);
  }
  EXPECT_THAT(marked, ::testing::IsEmpty());
  ::DeleteFileW(exe.c_str());
  for (const std::wstring& folder : {app, cwd, root}) ::RemoveDirectoryW(folder.c_str());
}

}  // namespace
