#pragma once
// The files made from the message pane: a saved history (one quoted item) and the print file.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

class QObject;

namespace marvono {

// The pane's text with CR LF line ends. A plain-text edit hands its text back with "\n" between
// paragraphs (it reads "\r\n" as one paragraph break), so every line end, "\n" or "\r\n", is
// written as CR LF: a text keeps its line ends through the pane and back into a file.
QString withCrLf(const QString& paneText);

// A saved history: a double quote, the text, a double quote, CR LF (quotes inside not escaped).
QByteArray savedHistoryBytes(const QString& paneText);
// Writes a saved history atomically: a failure leaves an existing file as it was.
bool saveHistoryFile(const QString& path, const QString& paneText, QString* error = nullptr);

// The print file: the text and CR LF, without quotes.
QByteArray printFileBytes(const QString& paneText);
// The application folder's print.txt.
QString printFilePath();

// Runs on the user-interface thread when a print could not be handed to the printer. `reason`
// holds the printing system's own message and, when the print file was written, the line
// naming the kept file, for the window to show below its error line.
using PrintFailed = std::function<void(const QString& reason)>;

// Replaces print.txt with the pane's text and hands it to the print command ("lp FILE"),
// without waiting for it. `onFailure` runs later, while `context` lives, when print.txt cannot be
// written, the command cannot be started or it exits with failure.
void printHistory(const QString& paneText, QObject* context = nullptr, PrintFailed onFailure = {});

// Hands a text file to the print command ("lp FILE") without waiting; `onFailure` as above.
void printTextFile(const QString& path, QObject* context = nullptr, PrintFailed onFailure = {});

// Starts a program and tells whether it ran successfully; tests replace the real print command
// (started in the background, its outcome reported through `onFailure`) to see what is printed.
using ProgramLauncher = std::function<bool(const QString& program, const QStringList& arguments)>;
// An empty function restores the real launcher.
void setPrintLauncher(ProgramLauncher launcher);

} // namespace marvono
