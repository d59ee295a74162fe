#include "app/main_menu.h"

#include <cstring>

#include "app/commands.h"

namespace {

struct MenuRow {
  const char* name;
  const char* parent;  // nullptr for the menu bar
  const wchar_t* caption;
  int commandId;  // 0 for a submenu
  int tag;
  bool checked;
};

// Parents before their items, each in the order shown.
// clang-format off
const MenuRow kMenuRows[] = {
//   name  parent   caption                   command tag   checked
    {"F1", nullptr, L"文件(&F)",                0,      0,    false},
    {"N1", "F1",    L"新任务(运行...)(&N)",     kCmdN1, 0,    false},
    {"X1", "F1",    L"退出任务管理器(&X)",      kCmdX1, 0,    false},
    {"N2", nullptr, L"选项(&Q)",                0,      0,    false},
    {"A1", "N2",    L"总在最前面(&A)",          kCmdA1, 0,    false},
    {"V1", nullptr, L"查看(&V)",                0,      0,    false},
    {"N4", "V1",    L"更新速度(&U)",            0,      0,    false},
    {"H2", "N4",    L"高(&H)",                  kCmdH2, 500,  false},
    {"N5", "N4",    L"标准(&N)",                kCmdN5, 1000, true},
    {"N6", "N4",    L"低(&L)",                  kCmdN6, 2000, false},
    {"N8", "N4",    L"暂停(&P)",                kCmdN8, 0,    false},
    {"H1", nullptr, L"帮助(&H)",                kCmdH1, 0,    false},
};
// clang-format on

constexpr std::size_t kMenuRowCount = sizeof kMenuRows / sizeof kMenuRows[0];

}  // namespace

void BuildMainMenu(plat::MainWindowHandle window) {
  const plat::MenuHandle bar = plat::CreateMenuBar(window);
  plat::MenuHandle submenus[kMenuRowCount];
  for (std::size_t i = 0; i < kMenuRowCount; ++i) {
    const MenuRow& row = kMenuRows[i];
    plat::MenuHandle parent = bar;
    for (std::size_t j = 0; j < i; ++j) {
      if (row.parent != nullptr && std::strcmp(kMenuRows[j].name, row.parent) == 0) {
        parent = submenus[j];
      }
    }
    if (row.commandId == 0) {
      submenus[i] = plat::AddSubMenu(parent, row.caption);
    } else {
      plat::AddMenuItem(parent, row.caption, row.commandId);
    }
  }
  for (const MenuRow& row : kMenuRows) {
    if (row.checked) plat::SetMenuChecked(window, row.commandId, true);
  }
}

int MenuTag(int commandId) {
  for (const MenuRow& row : kMenuRows) {
    if (row.commandId != 0 && row.commandId == commandId) return row.tag;
  }
  return 0;
}
