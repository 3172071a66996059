#include "history/historyfiles.h"

#include "app/appcontext.h"
#include "app/quoteditems.h"

#include <QProcess>

namespace marvono {
namespace {

ProgramLauncher& printLauncher()
{
    static ProgramLauncher launcher;
    return launcher;
}

} // namespace

QString withCrLf(const QString& paneText)
{
    QString text = paneText;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text;
}

QByteArray savedHistoryBytes(const QString& paneText)
{
    return '"' + withCrLf(paneText).toUtf8() + "\"\r\n";
}

bool saveHistoryFile(const QString& path, const QString& paneText, QString* error)
{
    return writeFileAtomically(path, savedHistoryBytes(paneText), error);
}

QByteArray printFileBytes(const QString& paneText)
{
    return withCrLf(paneText).toUtf8() + "\r\n";
}

QString printFilePath()
{
    return appPath(QStringLiteral("print.txt"));
}

void printHistory(const QString& paneText)
{
    const QString path = printFilePath();
    if (!writeFileAtomically(path, printFileBytes(paneText)))
        return;
    printTextFile(path);
}

void printTextFile(const QString& path)
{
    const QStringList arguments{path};
    if (printLauncher())
        printLauncher()(QStringLiteral("lp"), arguments);
    else
        QProcess::startDetached(QStringLiteral("lp"), arguments);
}

void setPrintLauncher(ProgramLauncher launcher)
{
    printLauncher() = std::move(launcher);
}

} // namespace marvono
