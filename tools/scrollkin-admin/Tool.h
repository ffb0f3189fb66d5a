#pragma once

#include <QCommandLineParser>
#include <QStringList>
#include <QTextStream>

#include <functional>
#include <optional>
#include <stdexcept>

namespace db {
class Connection;
class Error;
} // namespace db

namespace admin_tool {

enum Exit_Code { Exit_Ok = 0, Exit_Failed = 1, Exit_Usage = 2 };

// Where a command writes: its results to out, what went wrong to err.
struct Console {
    QTextStream& out;
    QTextStream& err;
};

// A refusal of the tool itself (not of the engine), shown as "scrollkin-admin CMD: text".
class Refusal : public std::runtime_error {
public:
    explicit Refusal(const QString& text) : std::runtime_error(text.toStdString()), text_(text) {}
    const QString& text() const { return text_; }

private:
    QString text_;
};

// Runs the tool on its arguments (without the program name); returns the exit code.
int Run_Tool(const QStringList& args, Console io);

// Parses one command's arguments. Returns an exit code when the command ends here (help was
// asked for, or the arguments are wrong), otherwise nothing and the parser holds the values.
std::optional<int> Parse_Command(QCommandLineParser& parser, const QString& command,
                                 const QStringList& args, const QStringList& positional,
                                 const QString& help, Console io);

// The arguments of a command whose last argument is a query's words, which may start with "-"
// ("-word"): once `leading` other positional arguments are given, the first argument that is
// not one of `options` (or its value) and every one after it are words, joined by blanks into
// one positional argument that no option parsing sees. Options therefore come before the words.
QStringList Words_Last(const QStringList& args, qsizetype leading,
                       const QList<QCommandLineOption>& options);

// A whole number option within [low, high]; a bad value is reported and gives nothing.
std::optional<qint64> Number_Option(const QCommandLineParser& parser, const QString& command,
                                    const QString& name, qint64 fallback, qint64 low, qint64 high,
                                    Console io);

// Reports an argument error and returns Exit_Usage.
int Usage_Error(const QString& command, const QString& text, Console io);

// Opens a library that must already exist: an embedded file that is missing is refused (with
// the number of every failure to connect) instead of being created empty by a typing slip.
void Open_Existing(db::Connection& c, const QString& connection_string);

// Shows an engine failure as "number,description", as the program's own messages do.
void Print_Error(const db::Error& e, Console io);

// Runs a command's work and gives its exit code; a refusal ("scrollkin-admin CMD: text.") or an
// engine failure (Print_Error) is shown after what the work wrote, and gives Exit_Failed.
int Run_Guarded(const QString& command, Console io, const std::function<int()>& work);

} // namespace admin_tool
