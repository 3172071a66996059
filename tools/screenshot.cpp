// Shows the main window on a sample catalogue and saves a picture of the screen area it covers.
// Run under a real X server (tools/screenshot.sh uses Xvfb).
//   usage: marvono-screenshot APPFOLDER OUT.png
#include "app/appcontext.h"
#include "app/settings.h"
#include "app/ui/artwork.h"
#include "app/ui/mainwindow.h"
#include "shotscene.h"

#include <QApplication>
#include <QItemSelectionModel>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTimer>
#include <QTreeView>
#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: marvono-screenshot APPFOLDER OUT.png\n");
        return 2;
    }
    marvono::setAppFolder(args.at(1));
    marvono::runValues().currentUser = QStringLiteral("vetch");
    marvono::installProgramIcon();
    auto* window = new marvono::MainWindow;
    window->show();
    window->load(nullptr);
    int status = 1;
    QTimer::singleShot(800, window, [&]() { marvono::dressMainWindowForPicture(window); });
    QTimer::singleShot(1800, window, [&]() {
        const QRect area = window->frameGeometry();
        const QPixmap shot = window->screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
        status = shot.save(args.at(2), "PNG") ? 0 : 1;
        app.exit(status);
    });
    app.exec();
    return status;
}
