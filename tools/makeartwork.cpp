// Draws the delivered pictures: the placeholder qexclient/pic/zw.jpg (a JPEG) and the program
// icon (PNG).   usage: marvono-makeartwork PLACEHOLDER.jpg ICON.png
#include "artwork.h"

#include <QGuiApplication>
#include <cstdio>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: marvono-makeartwork PLACEHOLDER.jpg ICON.png\n");
        return 2;
    }
    if (!marvono::tools::placeholderPicture().save(args.at(1), "JPEG", 90)
        || !marvono::tools::programIcon(64).save(args.at(2), "PNG")) {
        std::fprintf(stderr, "marvono-makeartwork: cannot write the pictures\n");
        return 1;
    }
    return 0;
}
