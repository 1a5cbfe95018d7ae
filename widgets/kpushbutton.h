#pragma once

#include <QPushButton>

// A push button that carries the table row it sits in, so that one slot serves the buttons of
// every row: a click is re-emitted as bn_clicked(row).
// Thread: the user-interface thread.
class KPushButton : public QPushButton {
    Q_OBJECT
  public:
    KPushButton(const QString& text, int row, QWidget* parent = nullptr);

    int row() const { return row_; }

  signals:
    void bn_clicked(int row);

  public slots:
    void re_emit();

  private:
    int row_;
};
