// Draws the delivered pictures: the placeholder qexclient/pic/zw.jpg (a JPEG) and the program
// icon (PNG), and with a third argument the icon in each hicolor theme size under that folder
// (SIZExSIZE/apps/marvono.png).   usage: marvono-makeartwork PLACEHOLDER.jpg ICON.png [THEMEDIR]
#include "artwork.h"

#include <QDir>
#include <QGuiApplication>
#include <cstdio>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3 && args.size() != 4) {
        std::fprintf(stderr, "usage: marvono-makeartwork PLACEHOLDER.jpg ICON.png [THEMEDIR]\n");
        return 2;
    }
    if (!marvono::tools::placeholderPicture().save(args.at(1), "JPEG", 90) ||
        !marvono::tools::programIcon(64).save(args.at(2), "PNG")) {
        std::fprintf(stderr, "marvono-makeartwork: cannot write the pictures\n");
        return 1;
    }
    if (args.size() == 4) {
        // Drawn afresh at each size rather than scaled, so small icons stay sharp.
        for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
            const QString folder = QStringLiteral("%1/%2x%2/apps").arg(args.at(3)).arg(size);
            if (!QDir().mkpath(folder) ||
                !marvono::tools::programIcon(size).save(folder + QStringLiteral("/marvono.png"), "PNG")) {
                std::fprintf(stderr, "marvono-makeartwork: cannot write the %dx%d icon\n", size, size);
                return 1;
            }
        }
    }
    return 0;
}
