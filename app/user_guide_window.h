#pragma once

#include <QString>
#include <QWidget>

class QTextBrowser;

// The user guide, shown offline: the Markdown built into the program (docs/user-guide.md) in a
// browser window titled "User Guide". Made once by the main window and shown again on each
// "Help > User Guide"; web links open in the desktop's browser.
// Thread: the user-interface thread.
class UserGuideWindow : public QWidget {
    Q_OBJECT
  public:
    explicit UserGuideWindow(QWidget* parent = nullptr);

    // The guide's Markdown as built into the program; empty only if the resource is missing.
    static QString guide_markdown();
    // Shows the window at the guide's start and brings it to the front.
    void show_guide();

  private:
    QTextBrowser* browser_;
};
