#pragma once
// The mark of the planted DLL (tests/support/win32/planted_dll/): a copy of it, loaded into
// any process of the machine, sets the event that this names for its own path.

#include <string>
#include <string_view>

namespace wintest {

// "VarnexPlantedDll:" and the last folder and file of `path`, in ASCII lower case (the
// loader may report a name in the case the program asked for it): "app/shcore.dll".
inline std::wstring PlantedDllEventName(std::wstring_view path) {
  size_t cut = path.find_last_of(L'\\');
  if (cut != path.npos && cut > 0) cut = path.find_last_of(L'\\', cut - 1);
  std::wstring name(path.substr(cut == path.npos ? 0 : cut + 1));
  for (wchar_t& c : name) c = c == L'\\' ? L'/' : (c >= L'A' && c <= L'Z' ? c - L'A' + L'a' : c);
  return L"VarnexPlantedDll:" + name;
}

}  // namespace wintest
