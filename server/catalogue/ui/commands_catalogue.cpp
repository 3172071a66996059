#include "app/ui/commands.h"

namespace marvono {

void registerCatalogueCommands(CommandTable& table)
{
    Q_UNUSED(table);
}

} // namespace marvono
