#pragma once

#include <QMimeData>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <optional>

// Dragging file rows out of the list onto the desktop or a file manager: the drop target gets
// scratch copies of the selected files, written only when it asks for them.
namespace store {

class Restore;

class Drag_Out {
public:
    explicit Drag_Out(Restore& restore);

    // The start of a drag from the list: whether it may go on, as a copy. A list without a
    // current file row starts nothing; a missing right is told.
    bool Start();
    // The drop target asks for the files: the same checks, then the selected files restored to
    // the scratch folder, each asking for its password. Returns the paths written (a file that
    // could not be written is told and left out, so the target never gets an old or missing
    // copy; one whose password was not entered is left out and named at the end).
    QStringList Supply();

private:
    bool may_start() const;

    Restore& restore_;
};

// The drag's data: "text/uri-list" of files that are written by `supply` the first time a
// target asks for them, and never when the drag ends without one.
class Scratch_Copies_Mime : public QMimeData {
public:
    explicit Scratch_Copies_Mime(std::function<QStringList()> supply);

    QStringList formats() const override;
    bool hasFormat(const QString& mime_type) const override;

protected:
    QVariant retrieveData(const QString& mime_type, QMetaType type) const override;

private:
    const QList<QUrl>& files() const;

    std::function<QStringList()> supply_;
    mutable std::optional<QList<QUrl>> files_;
    mutable bool supplying_ = false;
};

} // namespace store
