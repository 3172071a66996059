#include "controls/ui/commands.h"

namespace marvono {

const char* ownerCommandText(Command command)
{
    switch (command) {
    case Command::AddProduct:
        return "add a product";
    case Command::DeleteProductButton:
    case Command::DeleteProductMenu:
        return "delete a product";
    case Command::ModifyProduct:
        return "modify a product";
    case Command::OpenStatistics:
        return "open the statistics and the monthly report";
    case Command::OpenPreferences:
        return "change the preferences";
    case Command::Backup:
        return "back up the database";
    case Command::Recovery:
        return "recover a backup";
    case Command::ReceiveStock:
        return "receive or correct stock";
    case Command::OpenOperators:
        return "keep the operators";
    default:
        return nullptr;
    }
}

} // namespace marvono
