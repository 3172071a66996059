// Every test program's windows wait for the shop server as the program's own do after start-up.
#include "app/ui/serverwait.h"

#include <QCoreApplication>

namespace {
void installWindowServerWait()
{
    marvono::installWindowServerWait();
}
} // namespace

Q_COREAPP_STARTUP_FUNCTION(installWindowServerWait)
