#pragma once

#include <QLineEdit>

// A line edit that carries a tag, so that one slot serves the edits of a whole table. What the
// user types is re-emitted as ext_ValueChanged(tag, text). Only the user's edits (textEdited) are
// re-emitted: a window filling its edits with setText does not hear its own writes back.
// Thread: the user-interface thread.
class KEdit : public QLineEdit {
    Q_OBJECT
  public:
    explicit KEdit(int tag, QWidget* parent = nullptr);

    int tag() const { return tag_; }

  signals:
    void ext_ValueChanged(int tag, const QString& text);

  public slots:
    void re_emit(const QString& text);

  private:
    int tag_;
};
