#pragma once

#include <QSet>
#include <QString>
#include <QStringView>

namespace extract {

// Typeset text breaks long words at line ends with a hyphen ("deter-" / "mined"), and the index
// would only see the two halves. There is no dictionary to ask whether the joined word is one,
// so the document is its own: a break is joined when the next line goes on in lower case,
// unless the document writes the same hyphenated form mid-line ("well-known"), where the
// hyphen is the word's own and only the line end goes.
class Hyphen_Joiner {
public:
    // Notes the hyphenated words written mid-line; all of a document's text before Join.
    void Learn(QStringView text);
    QString Join(QStringView text) const;

private:
    QSet<QString> compounds_; // "well-known", in lower case
};

} // namespace extract
