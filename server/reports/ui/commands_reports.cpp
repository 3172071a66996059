#include "app/ui/commands.h"

namespace marvono {

void registerReportsCommands(CommandTable& table)
{
    Q_UNUSED(table);
}

} // namespace marvono
