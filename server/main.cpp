// Marvono: starts the program.
#include "app/ui/modulemain.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (!marvono::startProgram())
        return 0;
    return app.exec();
}
