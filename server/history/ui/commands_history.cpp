#include "app/ui/commands.h"

namespace marvono {

void registerHistoryCommands(CommandTable& table)
{
    Q_UNUSED(table);
}

} // namespace marvono
