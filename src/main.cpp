// Marvono: starts the program.
#include "app/commandline.h"
#include "app/ui/modulemain.h"

#include <QApplication>
#include <cstdio>

int main(int argc, char** argv)
{
    // Answered before any window system is needed, so they work on a console without a display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (const auto answer = marvono::commandLineAnswer(arguments)) {
        std::fputs(answer->toLocal8Bit().constData(), stdout);
        return 0;
    }
    QApplication app(argc, argv);
    if (!marvono::startProgram())
        return 0;
    return app.exec();
}
