#pragma once

#include <QAction>

// A menu action that carries two integer tags (for example a row and a position in that row's
// menu), so that one slot serves a whole family of entries. Every trigger is re-emitted both as
// triggered(tag) and as triggered(tag, tag2); an owner connects the one it needs.
// Thread: the user-interface thread.
class KAction : public QAction {
    Q_OBJECT
  public:
    KAction(const QString& text, int tag, int tag2 = 0, QObject* parent = nullptr);

    int tag() const { return tag_; }
    int tag2() const { return tag2_; }

  signals:
    void triggered(int tag);
    void triggered(int tag, int tag2);

  public slots:
    void onTriggered();
    void onTriggered2();

  private:
    int tag_;
    int tag2_;
};
