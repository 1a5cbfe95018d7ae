#include "devices/ui/comms_console.h"

#include <QFile>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include "settings/regular_file.h"
#include "ui_comms_console.h"

namespace {
// A clock set back by more than this is noticed, and the due times are brought back near now.
constexpr std::int64_t kClockSetBackMs = 10000;
constexpr std::int64_t kAfterSetBackMs = 2000;
const QString kDroppedMark =
    QStringLiteral("[older console text dropped: console.txt could not be written]\r\n");
}  // namespace

comms_console::comms_console(const QString& file_path, QWidget* parent)
    : comms_console(file_path, nullptr, parent) {}

comms_console::comms_console(const QString& file_path, Clock& clock, QWidget* parent)
    : comms_console(file_path, &clock, parent) {}

comms_console::comms_console(const QString& file_path, Clock* clock, QWidget* parent)
    : QMainWindow(parent),
      own_clock_(clock ? nullptr : std::make_unique<SystemClock>()),
      clock_(clock ? clock : own_clock_.get()),
      ui_(std::make_unique<Ui::comms_console>()),
      file_path_(file_path) {
    ui_->setupUi(this);
    display_due_ms_ = save_due_ms_ = clock_->wall_ms();
}

comms_console::~comms_console() {
    // The last moments of a run belong in the record too.
    if (!file_buffer_.isEmpty()) save_buffered();
}

void comms_console::timerEvent(QTimerEvent*) {
    newline(QString());
}

bool comms_console::follows_end() const {
    // A view without a scroll range is at its end as well: it follows once the text outgrows it.
    const QScrollBar* bar = ui_->textEdit->verticalScrollBar();
    return bar->value() >= bar->maximum() - 1;
}

void comms_console::newline(QString text) {
    const bool following = follows_end();
    display_buffer_ += text;
    std::int64_t now = clock_->wall_ms();
    if (display_due_ms_ < now) {
        display_due_ms_ = now + kShowEveryMs;
        show_buffered(following);
    }
    if (now < display_due_ms_ - kClockSetBackMs) display_due_ms_ = now + kAfterSetBackMs;

    file_buffer_ += text;
    now = clock_->wall_ms();
    if (save_due_ms_ < now && !file_buffer_.isEmpty()) {
        save_due_ms_ = now + kSaveEveryMs;
        save_buffered();
    }
    if (now < save_due_ms_ - kClockSetBackMs) save_due_ms_ = now + kAfterSetBackMs;
}

void comms_console::show_buffered(bool following) {
    if (display_buffer_.isEmpty()) return;
    QTextDocument* document = ui_->textEdit->document();
    QTextCursor end(document);
    end.movePosition(QTextCursor::End);
    // A line ends in CR LF, an answer in CR CR LF: the LF alone ends the shown line.
    end.insertText(display_buffer_.remove(QLatin1Char('\r')));
    display_buffer_.clear();

    // Text that ends a line leaves an empty last block, which is no line.
    const int lines = document->blockCount() - (document->lastBlock().length() == 1 ? 1 : 0);
    if (lines > kMaxLines) {
        // Keep the last three quarters of the characters; the first kept line may be partial.
        const int length = document->characterCount() - 1;  // without the document's closing mark
        const int kept = length * 3 / 4;
        QTextCursor head(document);
        head.setPosition(length - kept, QTextCursor::KeepAnchor);
        head.removeSelectedText();
    }
    if (following) {
        QScrollBar* bar = ui_->textEdit->verticalScrollBar();
        bar->setValue(bar->maximum());
    }
}

void comms_console::save_buffered() {
    QFile file(file_path_);
    const QByteArray bytes = file_buffer_.toUtf8();
    // A FIFO planted in its place would hold open() until someone read it.
    const RegularFileOpen opened = open_regular_file(file, QIODevice::WriteOnly | QIODevice::Append);
    if (opened.opened && file.write(bytes) == bytes.size() && file.flush()) {
        file_buffer_.clear();
        if (file_trouble_said_) say(QStringLiteral("%1 can be written again").arg(file_path_));
        file_trouble_said_ = drop_said_ = false;
        return;
    }
    // Kept for the next attempt; the folder may come back (a removable disk, a network share).
    if (!file_trouble_said_) {
        say(QStringLiteral("Cannot write %1 (%2): the console text is kept until it can be")
                .arg(file_path_, opened.opened ? file.errorString() : opened.reason));
        file_trouble_said_ = true;
    }
    keep_unsaved_within_bounds();
}

void comms_console::keep_unsaved_within_bounds() {
    if (file_buffer_.size() <= kMaxUnsavedChars) return;
    QString tail = file_buffer_.right(kMaxUnsavedChars - kDroppedMark.size());
    const int line_end = tail.indexOf(QLatin1Char('\n'));
    if (line_end >= 0) tail.remove(0, line_end + 1);  // whole lines only
    file_buffer_ = kDroppedMark + tail;
    if (!drop_said_) {
        say(QStringLiteral("Older console text is dropped: no more than %1 characters are kept unsaved")
                .arg(kMaxUnsavedChars));
        drop_said_ = true;
    }
}

void comms_console::say(const QString& text) {
    display_buffer_ += text + QStringLiteral("\r\n");
}
