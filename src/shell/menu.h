#pragma once
// The main window's menu: names, captions and which entries are switched
// off. Captions are shown exactly as they stand here (no mnemonics).

#include <string_view>
#include <vector>

namespace zelk {

enum class MenuCommand {
    None,
    OpenDatabase,
    Exporteer,
    Einde,
    Wijzig,
    Opties,
    Sheet1,
    Sheet1b,
    Sheet2,
};

struct MenuItem {
    std::string_view name;
    std::string_view caption;  // "-" is a separator
    bool enabled = true;
    MenuCommand command = MenuCommand::None;
};

struct MenuTitle {
    std::string_view name;
    std::string_view caption;
    bool enabled = true;
    // A title without items is a command of the menu bar itself.
    MenuCommand command = MenuCommand::None;
    std::vector<MenuItem> items;
};

const std::vector<MenuTitle>& mainMenu();

}  // namespace zelk
