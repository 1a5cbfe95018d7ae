#include "app/user_guide_window.h"

#include <QFile>
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
