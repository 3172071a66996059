#include "app/ui/commands.h"

namespace marvono {

void registerSalesCommands(CommandTable& table)
{
    Q_UNUSED(table);
}

} // namespace marvono
