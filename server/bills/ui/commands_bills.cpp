#include "app/ui/commands.h"

namespace marvono {

void registerBillsCommands(CommandTable& table)
{
    Q_UNUSED(table);
}

} // namespace marvono
