#pragma once

#include <QString>

#include <stdexcept>

namespace db {

// The number every failure to open a connection carries: the sign-in answers it by offering
// the connection-string dialog.
inline constexpr long Err_Connect_Failed = -2147467259;
// Content larger than the engine can hold in one value, refused before anything is written.
inline constexpr long Err_Content_Too_Large = -2147024882;
// A file number or key that has no row to hold content.
inline constexpr long Err_No_Content_Row = -2147217900;
// A statement that gave up waiting for another program holding the library's lock.
inline constexpr long Err_Busy = -2147217871;
// Any other failure reported by the engine or the driver.
inline constexpr long Err_Engine = -2147217887;

// A failure of the database layer: the engine's (or our) number and a description for people.
class Error : public std::runtime_error {
public:
    Error(long number, const QString& description)
        : std::runtime_error(description.toStdString()), number_(number),
          description_(description) {}
    long number() const { return number_; }
    const QString& description() const { return description_; }

private:
    long number_;
    QString description_;
};

// What the user is told of a failure: "number,description".
inline QString Error_Text(const Error& e) {
    return QString::number(e.number()) + QLatin1Char(',') + e.description();
}

} // namespace db
