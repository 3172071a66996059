#include "app/ui/commands.h"

namespace marvono {

void registerSettingsCommands(CommandTable& table)
{
    Q_UNUSED(table);
}

} // namespace marvono
