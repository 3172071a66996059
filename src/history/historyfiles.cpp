#include "history/historyfiles.h"

#include "app/appcontext.h"
#include "app/quoteditems.h"

#include <QDir>
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
void reportLater(QObject* context, PrintFailed onFailure, const QString& reason)
{
    if (context && onFailure)
        QMetaObject::invokeMethod(
            context, [onFailure = std::move(onFailure), reason]() { onFailure(reason); }, Qt::QueuedConnection);
}

// The operator can print the kept file by other means once the printer is sorted out.
QString withKeptFile(const QString& message, const QString& path)
{
    return message + QStringLiteral("\nThe print file is kept at ") + QDir::toNativeSeparators(path);
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
    QString error;
    if (!writeFileAtomically(path, printFileBytes(paneText), &error)) {
        reportLater(context, std::move(onFailure),
                    QStringLiteral("Cannot write %1: %2").arg(QDir::toNativeSeparators(path), error));
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
            reportLater(context, std::move(onFailure), withKeptFile(QStringLiteral("lp failed"), path));
        return;
    }

    // Not parented to the window: closing it must not kill a print that is still being queued.
    auto* process = new QProcess;
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice()); // "request id is ..."
    QPointer<QObject> guard(context);
    // What lp said on its error channel ("no default destination") is the reason shown.
    auto fail = [guard, onFailure, process, path](const QString& otherwise) {
        QString message = QString::fromLocal8Bit(process->readAllStandardError()).trimmed();
        if (message.isEmpty())
            message = otherwise;
        if (guard && onFailure)
            onFailure(withKeptFile(message, path));
    };
    QObject::connect(process, &QProcess::errorOccurred, process, [process, fail](QProcess::ProcessError error) {
        // A crash is reported by finished(); only a program that never ran ends here.
        if (error != QProcess::FailedToStart)
            return;
        fail(QStringLiteral("lp: ") + process->errorString());
        process->deleteLater();
    });
    QObject::connect(process, &QProcess::finished, process, [process, fail](int exitCode, QProcess::ExitStatus status) {
        if (status != QProcess::NormalExit)
            fail(QStringLiteral("lp: ") + process->errorString());
        else if (exitCode != 0)
            fail(QStringLiteral("lp ended with exit code %1").arg(exitCode));
        process->deleteLater();
    });
    process->start(program, arguments);
}

void setPrintLauncher(ProgramLauncher launcher)
{
    printLauncher() = std::move(launcher);
}

} // namespace marvono
