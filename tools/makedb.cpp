// Builds the delivered database: system32.dll with the five tables and the login account.
#include "data/schema.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: marvono-makedb PATH/system32.dll\n");
        return 2;
    }
    QString error;
    if (!marvono::createDeliveredDatabase(args.at(1), &error)) {
        std::fprintf(stderr, "marvono-makedb: %s\n", qPrintable(error));
        return 1;
    }
    return 0;
}
