#pragma once

#include <QByteArray>
#include <QString>

#include <cstdio>

// The frames of --serve, one request and one answer a file (lengths in decimal, bytes raw):
//
//   request  "F <path length> <name length>\n" path name    (name may be empty)
//   answer   "T <length> <cut> <last>\n" text               (indexed; cut: 1 when the text
//            "N <length> 0 <last>\n" reason                  stops at the limit; last: 1 when
//                                                            the child ends after this answer)
namespace extract {

struct Request {
    QString path, name;
};

enum class Read { Ok, End, Bad };

// End: standard input closed between requests (the parent is done).
Read Read_Request(std::FILE* in, Request& r);

struct Answer {
    bool indexed = false;
    bool cut = false;
    bool last = false;
    QByteArray body; // the text, or the reason
};

bool Write_Answer(std::FILE* out, const Answer& a);

} // namespace extract
