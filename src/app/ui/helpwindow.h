#pragma once
// The help window frmHelp: the user guide shown by the program itself, so that help never
// depends on a web browser being installed.
#include <QWidget>

class QLabel;
class QLineEdit;
class QTextBrowser;
class QUrl;

namespace marvono {

class HelpWindow : public QWidget {
    Q_OBJECT
  public:
    explicit HelpWindow(QWidget* parent = nullptr);

    // Shows `page` (HTML or Markdown) unless it is already on show; Back returns from it.
    void open(const QUrl& page);
    // Selects the next place, or with `backward` the previous one, that holds `text`, going on
    // from the other end of the page; false (the selection kept) when the page has none.
    bool find(const QString& text, bool backward = false);

  private:
    void findTyped();

    QTextBrowser* m_browser;
    QLineEdit* m_find;
    QLabel* m_notFound;
};

// Help, F1 and the about box's guide lines: tutorial.chm in the desktop's viewer where the
// application folder has it, otherwise the user guide in the help window; nothing without either.
void openHelp();
// Brings the one help window forward, showing `page`.
HelpWindow* showHelpPage(const QUrl& page);

} // namespace marvono
