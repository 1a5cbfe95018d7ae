#include "app/user_guide_window.h"

#include <QFile>
#include <QKeySequence>
#include <QShortcut>
#include <QTextBrowser>
#include <QVBoxLayout>

// Q_INIT_RESOURCE must stand outside any namespace; the guide lives in a static library, whose
// resources the linker would otherwise leave out.
static void init_guide_resource() {
    Q_INIT_RESOURCE(user_guide);
}

namespace {
const char kGuideResource[] = ":/docs/user-guide.md";
}  // namespace

UserGuideWindow::UserGuideWindow(QWidget* parent)
    : QWidget(parent, Qt::Window), browser_(new QTextBrowser(this)) {
    init_guide_resource();
    setObjectName(QStringLiteral("UserGuideWindow"));
    setWindowTitle(QStringLiteral("User Guide"));
    browser_->setObjectName(QStringLiteral("guideBrowser"));
    browser_->setOpenExternalLinks(true);
    browser_->setMarkdown(guide_markdown());
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);
    // Closed from the keyboard as a help window is, also where no window manager offers Alt+F4.
    for (const QKeySequence& keys : {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL + Qt::Key_W)})
        connect(new QShortcut(keys, this), &QShortcut::activated, this, &QWidget::close);
    resize(820, 640);
}

QString UserGuideWindow::guide_markdown() {
    init_guide_resource();
    QFile file(QString::fromLatin1(kGuideResource));
    if (!file.open(QIODevice::ReadOnly)) return QString();
    return QString::fromUtf8(file.readAll());
}

void UserGuideWindow::show_guide() {
    browser_->moveCursor(QTextCursor::Start);
    browser_->ensureCursorVisible();
    show();
    raise();
    activateWindow();
    browser_->setFocus();
}
