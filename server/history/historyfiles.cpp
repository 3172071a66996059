#include "history/historyfiles.h"

#include "app/appcontext.h"
#include "app/quoteditems.h"

#include <QPointer>
#include <QProcess>

namespace marvono {
namespace {

ProgramLauncher& printLauncher()
{
    static ProgramLauncher launcher;
    return launcher;
}

// Failures reach the window after the command has returned, the same way whichever step failed.
void reportLater(QObject* context, PrintFailed onFailure)
{
    if (context && onFailure)
        QMetaObject::invokeMethod(context, std::move(onFailure), Qt::QueuedConnection);
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

void printHistory(const QString& paneText, QObject* context, PrintFailed onFailure)
{
    const QString path = printFilePath();
    if (!writeFileAtomically(path, printFileBytes(paneText))) {
        reportLater(context, std::move(onFailure));
        return;
    }
    printTextFile(path, context, std::move(onFailure));
}

void printTextFile(const QString& path, QObject* context, PrintFailed onFailure)
{
    const QString program = QStringLiteral("lp");
    const QStringList arguments{path};
    if (printLauncher()) {
        if (!printLauncher()(program, arguments))
            reportLater(context, std::move(onFailure));
        return;
    }

    // Not parented to the window: closing it must not kill a print that is still being queued.
    auto* process = new QProcess;
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice()); // "request id is ..."
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QPointer<QObject> guard(context);
    auto fail = [guard, onFailure]() {
        if (guard && onFailure)
            onFailure();
    };
    QObject::connect(process, &QProcess::errorOccurred, process, [process, fail](QProcess::ProcessError error) {
        // A crash is reported by finished(); only a program that never ran ends here.
        if (error != QProcess::FailedToStart)
            return;
        fail();
        process->deleteLater();
    });
    QObject::connect(process, &QProcess::finished, process, [process, fail](int exitCode, QProcess::ExitStatus status) {
        if (status != QProcess::NormalExit || exitCode != 0)
            fail();
        process->deleteLater();
    });
    process->start(program, arguments);
}

void setPrintLauncher(ProgramLauncher launcher)
{
    printLauncher() = std::move(launcher);
}

} // namespace marvono
