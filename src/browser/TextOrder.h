#pragma once

#include <QCollator>
#include <QString>

#include <functional>
#include <vector>

// The order of a list's texts as people of the user's locale expect it: accents and letter
// case weigh less than the letters, as the locale's collation has it; under the C or POSIX
// locale the neutral collation, not the order of character codes.
QCollator Text_Collator();

// Row numbers 0..n-1 in the collator's order (going down: its reverse); rows the collator holds
// equal keep their order. text(i) gives row i's text and is called a few times per row.
//
// Comparing whole texts through the collator costs a million rows about twenty million calls,
// so each row gets a key made once: one byte (or two) a character, the character's rank among
// all characters as the collator orders them one by one, letters that differ only by accent or
// case sharing a rank. Rows whose keys are equal are compared by the collator itself. Where a
// language joins or splits letters (Czech "ch", German "ß"), ranks of single characters can
// disagree with the collator: every neighbouring pair is checked with it at the end, and any
// disagreement sorts the rows again by the collator alone.
std::vector<quint32> Collated_Order(quint32 n, const std::function<QString(quint32)>& text,
                                    const QCollator& collator, bool ascending);
