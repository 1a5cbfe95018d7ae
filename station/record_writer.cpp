#include "station/record_writer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>
#include <cstring>

RecordWriter::RecordWriter(Printer print, QString current_values_path, int max_held_lines)
    : print_(std::move(print)),
      current_values_path_(std::move(current_values_path)),
      max_held_lines_(max_held_lines) {}

QString RecordWriter::default_current_values_path() {
#ifdef Q_OS_WIN
    return QStringLiteral("c:/temp/veld_current.txt");
#else
    return QStringLiteral("/tmp/veld_current.txt");
#endif
}

bool RecordWriter::write_to(const QString& path, const QByteArray& text, QString& error) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        error = file.errorString();
        return false;
    }
    const qint64 size_before = file.size();
    if (file.write(text) != text.size() || !file.flush()) {
        error = file.errorString();
        // A partial write would leave a broken line; cut the file back to where it was.
        file.resize(size_before);
        return false;
    }
    return true;
}

bool RecordWriter::write_held(QString& error) {
    while (!held_.empty()) {
        if (!write_to(held_.front().first, held_.front().second, error)) return false;
        const int lines = held_.front().second.count('\n');
        held_line_count_ -= lines;
        written_after_hold_ += lines;
        held_.erase(held_.begin());
    }
    return true;
}

void RecordWriter::say_failure(const QString& path, const QString& error) {
    if (failing_) return;
    failing_ = true;
    print_(QStringLiteral("File Error %1: %2 (said once, until the log file takes lines again)")
               .arg(path, error));
}

void RecordWriter::say_recovery() {
    if (!failing_) return;
    failing_ = false;
    QString text = QStringLiteral("Log file writable again");
    if (written_after_hold_ > 0) text += QStringLiteral(": %1 held lines written").arg(written_after_hold_);
    if (dropped_line_count_ > 0)
        text += QStringLiteral("%1 %2 lines were lost while it was not")
                    .arg(written_after_hold_ > 0 ? QStringLiteral(",") : QStringLiteral(":"))
                    .arg(dropped_line_count_);
    print_(text);
    written_after_hold_ = 0;
    dropped_line_count_ = 0;
}

bool RecordWriter::append(const QString& path, const QByteArray& text, OnFailure on_failure) {
    std::lock_guard<std::mutex> lock(mutex_);
    QString error;
    if (write_held(error) && write_to(path, text, error)) {
        say_recovery();
        return true;
    }
    say_failure(path, error);
    if (on_failure == OnFailure::kRefuse) return false;
    if (held_line_count_ < max_held_lines_) {
        held_.emplace_back(path, text);
        held_line_count_ += text.count('\n');
    } else {
        if (dropped_line_count_ == 0)
            print_(QStringLiteral("%1 lines held back for the log file: further lines are lost until it "
                                  "can be written")
                       .arg(held_line_count_));
        dropped_line_count_ += text.count('\n');
    }
    return false;
}

int RecordWriter::flush_held() {
    std::lock_guard<std::mutex> lock(mutex_);
    QString error;
    if (held_.empty()) return 0;
    if (write_held(error)) say_recovery();
    return held_line_count_;
}

int RecordWriter::dropped_lines() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return dropped_line_count_;
}

int RecordWriter::held_lines() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return held_line_count_;
}

bool RecordWriter::replace_current_values(const QByteArray& line) {
    const QFileInfo target(current_values_path_);
    if (!target.dir().exists()) return false;
    QString error;
    if (!replace_file(line, error)) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!current_values_failed_)
            print_(QStringLiteral("Cannot replace %1: %2 (said once)").arg(current_values_path_, error));
        current_values_failed_ = true;
        return false;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    current_values_failed_ = false;
    return true;
}

bool RecordWriter::replace_file(const QByteArray& line, QString& error) {
    const QFileInfo target(current_values_path_);
    QTemporaryFile temp(target.dir().filePath(QStringLiteral(".veld_current.XXXXXX")));
    if (!temp.open() || temp.write(line) != line.size() || !temp.flush()) {
        error = temp.errorString();
        return false;
    }
    temp.close();
#ifdef Q_OS_WIN
    QFile::remove(current_values_path_);
    if (!QFile::rename(temp.fileName(), current_values_path_)) {
        error = QStringLiteral("rename failed");
        return false;
    }
#else
    // rename() replaces the name itself: a symlink planted there is replaced, never followed.
    if (std::rename(QFile::encodeName(temp.fileName()).constData(),
                    QFile::encodeName(current_values_path_).constData()) != 0) {
        error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
#endif
    temp.setAutoRemove(false);
    QFile::setPermissions(current_values_path_,
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    return true;
}
