#pragma once
// The system's menu commands run from 32771 to 57637, but the toolkit accepts menu item ids below
// 0x7fff only. A command therefore travels through menus and menu events as its id less an offset.
namespace keltrov {

inline constexpr int kMenuIdOffset = 30000;

constexpr int MenuItemId(int command) {
    return command - kMenuIdOffset;
}

constexpr int CommandOfMenuItem(int menuItemId) {
    return menuItemId + kMenuIdOffset;
}

}  // namespace keltrov
