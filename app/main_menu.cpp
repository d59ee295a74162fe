#include "app/main_menu.h"

#include <cstddef>

#include "app/commands.h"

namespace {

struct MenuRow {
  int parent;  // the index of the submenu's row, -1 for the menu bar
  const wchar_t* caption;
  int commandId;  // 0 for a submenu
  int tag;
  bool checked;
};

// Parents before their items, each in the order shown.
// clang-format off
const MenuRow kMenuRows[] = {
//   row item    parent caption                   command tag   checked
    /*  0 F1 */ {-1,    L"文件(&F)",                0,      0,    false},
    /*  1 N1 */ {0,     L"新任务(运行...)(&N)",     kCmdN1, 0,    false},
    /*  2 X1 */ {0,     L"退出任务管理器(&X)",      kCmdX1, 0,    false},
    /*  3 N2 */ {-1,    L"选项(&Q)",                0,      0,    false},
    /*  4 A1 */ {3,     L"总在最前面(&A)",          kCmdA1, 0,    false},
    /*  5 V1 */ {-1,    L"查看(&V)",                0,      0,    false},
    /*  6 N4 */ {5,     L"更新速度(&U)",            0,      0,    false},
    /*  7 H2 */ {6,     L"高(&H)",                  kCmdH2, 500,  false},
    /*  8 N5 */ {6,     L"标准(&N)",                kCmdN5, 1000, true},
    /*  9 N6 */ {6,     L"低(&L)",                  kCmdN6, 2000, false},
    /* 10 N8 */ {6,     L"暂停(&P)",                kCmdN8, 0,    false},
    /* 11 H1 */ {-1,    L"帮助(&H)",                kCmdH1, 0,    false},
};
// clang-format on

constexpr std::size_t kMenuRowCount = sizeof kMenuRows / sizeof kMenuRows[0];

}  // namespace

void BuildMainMenu(plat::MainWindowHandle window) {
  const plat::MenuHandle bar = plat::CreateMenuBar(window);
  plat::MenuHandle submenus[kMenuRowCount];
  for (std::size_t i = 0; i < kMenuRowCount; ++i) {
    const MenuRow& row = kMenuRows[i];
    const plat::MenuHandle parent = row.parent < 0 ? bar : submenus[row.parent];
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
