#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <utility>

// A store of named text values bound to one settings file (document type "Config", root "main",
// one `config` element per name with `name`, `type` and `value`). Names keep the order in which
// they were first set; loading adds to what is held, a later value of a name replacing the
// earlier one. Saving replaces the whole file.
// Thread: none of its own and no lock; its owner serializes every use.
class Kgenparse {
  public:
    Kgenparse() = default;
    explicit Kgenparse(QString path) : path_(std::move(path)) {}

    QString path() const { return path_; }

    // Reads the bound file; a missing file adds nothing, a fault ends the reading with what came
    // before it, and a file that is no regular file is never opened. Returns the console line for
    // a file that is there but could not be read whole (empty otherwise).
    QString load();
    void load_text(const QByteArray& xml);

    // The value of `name`, or `fallback` when it was never set (an empty value is a value).
    QString value(const QString& name, const QString& fallback = QString()) const;
    bool contains(const QString& name) const { return names_.contains(name); }
    void set(const QString& name, const QString& value);

    // Writes the file whole. Returns 0, or -1 when it cannot be written (the store is unchanged).
    int save() const;
    QByteArray document() const;

    const QStringList& names() const { return names_; }

  private:
    QString path_;
    QStringList names_;
    QStringList values_;
};
