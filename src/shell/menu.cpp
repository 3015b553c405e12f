#include "shell/menu.h"

namespace zelk {

const std::vector<MenuTitle>& mainMenu() {
    static const std::vector<MenuTitle> menu{
        {"mnuBestand",
         "Bestand",
         true,
         MenuCommand::None,
         {
             {"mnuOpenDatabase", "Open Andere Database", true, MenuCommand::OpenDatabase},
             {"mnuDummy0", "-", false, MenuCommand::None},
             {"mnuExporteer", "Exporteer", false, MenuCommand::Exporteer},
             {"mnuDummy1", "-", true, MenuCommand::None},
             {"mnuEinde", "Einde", true, MenuCommand::Einde},
         }},
        {"mnuParameters", "Parameters", false, MenuCommand::None, {{"mnuWijzig", "Wijzig", true, MenuCommand::Wijzig}}},
        {"mnuOpties", "Opties", true, MenuCommand::Opties, {}},
        {"mnuOpdrachten",
         "Opdrachten",
         true,
         MenuCommand::None,
         {
             {"mnuSheet1", "Assets Fields  (Roerend)", true, MenuCommand::Sheet1},
             {"mnuSheet1b", "Assets Fields (Onroerend)", true, MenuCommand::Sheet1b},
             {"mnuSheet2", "Mapping major minor categories", true, MenuCommand::Sheet2},
         }},
    };
    return menu;
}

}  // namespace zelk
