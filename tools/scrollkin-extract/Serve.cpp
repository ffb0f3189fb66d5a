#include "Serve.h"

#include <QFile>

#include <climits>

namespace extract {
namespace {

// A path is at most PATH_MAX bytes; a name is a file's name.
constexpr long long Max_Field = PATH_MAX;

bool Read_Bytes(std::FILE* in, long long n, QByteArray& out) {
    out.resize(qsizetype(n));
    return n == 0 || std::fread(out.data(), 1, size_t(n), in) == size_t(n);
}

} // namespace

Read Read_Request(std::FILE* in, Request& r) {
    char line[64];
    if (!std::fgets(line, sizeof line, in))
        return Read::End;
    long long path_length = -1, name_length = -1;
    char end = 0;
    if (std::sscanf(line, "F %lld %lld%c", &path_length, &name_length, &end) != 3 || end != '\n' ||
        path_length <= 0 || path_length > Max_Field || name_length < 0 || name_length > Max_Field)
        return Read::Bad;
    QByteArray path, name;
    if (!Read_Bytes(in, path_length, path) || !Read_Bytes(in, name_length, name))
        return Read::Bad;
    r.path = QFile::decodeName(path);
    r.name = QString::fromUtf8(name);
    return Read::Ok;
}

bool Write_Answer(std::FILE* out, const Answer& a) {
    const int header =
        std::fprintf(out, "%c %lld %d %d\n", a.indexed ? 'T' : 'N',
                     static_cast<long long>(a.body.size()), a.cut ? 1 : 0, a.last ? 1 : 0);
    return header > 0 &&
           std::fwrite(a.body.constData(), 1, size_t(a.body.size()), out) ==
               size_t(a.body.size()) &&
           std::fflush(out) == 0;
}

} // namespace extract
