#pragma once

#include <QCollator>
#include <QString>

#include <functional>
#include <vector>

namespace browser {

// The order of a list's texts as people of the user's locale expect it: accents and letter
// case weigh less than the letters, as the locale's collation has it; under the C or POSIX
// locale the neutral collation, not the order of character codes.
QCollator Text_Collator();

// Row i's text: a view of the caller's own storage, or of `scratch` filled for it. The view
// is read before the next call.
using Row_Text = std::function<QStringView(quint32 i, QString& scratch)>;

// Row numbers 0..n-1 in the collator's order (going down: its reverse); rows the collator holds
// equal keep their order. `read_order`, when given, is the order in which rows are best read
// (the order they lie in memory); the result does not depend on it.
//
// Comparing whole texts through the collator costs a million rows about twenty million calls,
// so each row gets a key made once: a byte (or two) a character, the character's rank among all
// characters by the collation's first level, where letters that differ only by accent or case
// share a rank. Rows whose keys are equal are compared by the collator itself. A key can only
// be wrong where the collation weighs a character as several letters (German "ß" as "ss") or
// joins letters (Czech "ch"), or where combining marks join a letter: such rows are marked, and
// each marked row is compared by the collator with its neighbours at the end. A disagreement
// sorts the rows again by the collator alone.
std::vector<quint32> Collated_Order(quint32 n, const Row_Text& text, const QCollator& collator,
                                    bool ascending, std::vector<quint32> read_order = {});

} // namespace browser
