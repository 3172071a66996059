#include "app/ui/commands.h"

namespace marvono {

void registerDataCommands(CommandTable& table)
{
    Q_UNUSED(table);
}

} // namespace marvono
