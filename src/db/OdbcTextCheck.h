#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace db {

// Which characters outside ASCII a connection's driver carries intact, learnt by sending them
// and reading them back. A statement holding one that the driver damages is refused before it
// is sent, so a name is never stored (or searched for) damaged.
class Odbc_Text_Check {
public:
    // Sends the given characters in one round trip and answers, for each, whether it came
    // back unchanged.
    using Probe = std::function<std::vector<bool>(const QStringList& characters)>;

    // A driver found to carry every character: nothing is ever checked.
    Odbc_Text_Check() = default;
    explicit Odbc_Text_Check(Probe probe) : probe_(std::move(probe)) {}

    // Throws db::Error naming the first character of text that the driver does not carry;
    // sends a probe only for characters not met before.
    void check(QStringView text);

private:
    Probe probe_;
    QHash<char32_t, bool> carried_;
};

} // namespace db
