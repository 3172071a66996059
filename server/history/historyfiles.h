#pragma once
// The files made from the message pane: a saved history (one quoted item) and the print file.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

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

// Replaces print.txt with the pane's text and hands it to the print command ("lp FILE"),
// without waiting for it. Failures are not reported: printing is best effort.
void printHistory(const QString& paneText);

// Hands a text file to the print command ("lp FILE") without waiting; the outcome is not examined.
void printTextFile(const QString& path);

// Starts a program without waiting for it; tests replace it to see what would be printed.
using ProgramLauncher = std::function<bool(const QString& program, const QStringList& arguments)>;
// An empty function restores the real launcher.
void setPrintLauncher(ProgramLauncher launcher);

} // namespace marvono
