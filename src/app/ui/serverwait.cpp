#include "app/ui/serverwait.h"

#include "data/serverwait.h"

#include <QCursor>
#include <QGuiApplication>
#include <QThread>

namespace marvono {

namespace {

class WindowServerWait final : public ServerWaitHooks {
  public:
    bool keepsWindowsPainted() const override
    {
        const auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
        return gui && QThread::currentThread() == gui->thread();
    }
    void slowWaitStarted() override { QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
    void slowWaitEnded() override { QGuiApplication::restoreOverrideCursor(); }
    void pumpEvents() override { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); }
};

} // namespace

void installWindowServerWait()
{
    // Never destroyed: a connection closed while the process ends may still wait for the server.
    static auto* const hooks = new WindowServerWait;
    setServerWaitHooks(hooks);
}

} // namespace marvono
