#include "FakePrompter.h"

#include <QtTest>

namespace {

const char* kind_name(Fake_Prompter::Kind kind) {
    switch (kind) {
    case Fake_Prompter::Kind::Message:
        return "message box";
    case Fake_Prompter::Kind::Open_File:
        return "open-file chooser";
    case Fake_Prompter::Kind::Open_Files:
        return "multi-file chooser";
    case Fake_Prompter::Kind::Save_File:
        return "save-file chooser";
    case Fake_Prompter::Kind::Folder:
        return "folder chooser";
    case Fake_Prompter::Kind::Password:
        return "password prompt";
    case Fake_Prompter::Kind::Row_Count:
        return "row-count prompt";
    }
    return "prompt";
}

bool offers(Prompt_Buttons buttons, Prompt_Answer answer) {
    switch (buttons) {
    case Prompt_Buttons::Ok:
        return answer == Prompt_Answer::Ok;
    case Prompt_Buttons::Ok_Cancel:
        return answer == Prompt_Answer::Ok || answer == Prompt_Answer::Cancel;
    case Prompt_Buttons::Yes_No:
        return answer == Prompt_Answer::Yes || answer == Prompt_Answer::No;
    case Prompt_Buttons::Yes_No_Cancel:
        return answer != Prompt_Answer::Ok;
    }
    return false;
}

// Marks the running test as failed without leaving the code under test.
void fail(const QString& message) {
    if (QTest::currentTestFunction())
        QTest::qFail(qPrintable(message), __FILE__, __LINE__);
    else
        qCritical("Fake_Prompter: %s", qPrintable(message));
}

QString describe(const Fake_Prompter::Record& r) {
    return QStringLiteral("%1 \"%2\" (title \"%3\")")
        .arg(QLatin1String(kind_name(r.kind)), r.text, r.title);
}

Fake_Prompter::Record record(Fake_Prompter::Kind kind, const QString& text, const QString& title) {
    Fake_Prompter::Record r;
    r.kind = kind;
    r.text = text;
    r.title = title;
    return r;
}

} // namespace

const char* Prompt_Answer_Name(Prompt_Answer answer) {
    switch (answer) {
    case Prompt_Answer::Ok:
        return "Ok";
    case Prompt_Answer::Cancel:
        return "Cancel";
    case Prompt_Answer::Yes:
        return "Yes";
    case Prompt_Answer::No:
        return "No";
    }
    return "?";
}

Fake_Prompter::~Fake_Prompter() {
    if (!script_.empty())
        fail(QStringLiteral("%1 scripted answer(s) were never asked for").arg(script_.size()));
}

Fake_Prompter& Fake_Prompter::Answer(Prompt_Answer answer, const QString& expected_text) {
    Scripted s;
    s.kind = Answer_Kind::Button;
    s.button = answer;
    s.expected_text = expected_text;
    script_.push_back(s);
    return *this;
}

Fake_Prompter& Fake_Prompter::Answer_Path(const QString& path) {
    Scripted s;
    s.kind = Answer_Kind::Path;
    if (!path.isEmpty())
        s.paths = QStringList{path};
    script_.push_back(s);
    return *this;
}

Fake_Prompter& Fake_Prompter::Answer_Paths(const QStringList& paths) {
    Scripted s;
    s.kind = Answer_Kind::Paths;
    s.paths = paths;
    script_.push_back(s);
    return *this;
}

Fake_Prompter& Fake_Prompter::Answer_Password(std::optional<QString> password) {
    Scripted s;
    s.kind = Answer_Kind::Password;
    s.password = std::move(password);
    script_.push_back(s);
    return *this;
}

Fake_Prompter& Fake_Prompter::Answer_Count(std::optional<int> count) {
    Scripted s;
    s.kind = Answer_Kind::Count;
    s.count = count;
    script_.push_back(s);
    return *this;
}

QStringList Fake_Prompter::Texts() const {
    QStringList texts;
    for (const Record& r : records_)
        if (r.kind == Kind::Message)
            texts << r.text;
    return texts;
}

Fake_Prompter::Record Fake_Prompter::Last() const {
    if (records_.empty()) {
        fail(QStringLiteral("no prompt was shown"));
        return {};
    }
    return records_.back();
}

void Fake_Prompter::Verify_Done() {
    if (!script_.empty())
        fail(QStringLiteral("%1 scripted answer(s) were never asked for").arg(script_.size()));
    Clear();
}

void Fake_Prompter::Clear() {
    script_.clear();
    records_.clear();
}

std::optional<Fake_Prompter::Scripted> Fake_Prompter::take(Answer_Kind wanted,
                                                           const Record& shown) {
    records_.push_back(shown);
    if (script_.empty()) {
        fail(QStringLiteral("unexpected %1").arg(describe(shown)));
        return std::nullopt;
    }
    Scripted next = script_.front();
    script_.pop_front();
    if (next.kind != wanted) {
        fail(QStringLiteral("the scripted answer does not fit the %1").arg(describe(shown)));
        return std::nullopt;
    }
    if (!next.expected_text.isNull() && next.expected_text != shown.text) {
        fail(QStringLiteral("expected the text \"%1\", the %2 was shown")
                 .arg(next.expected_text, describe(shown)));
    }
    return next;
}

Prompt_Answer Fake_Prompter::show_message(const QString& text, const QString& title,
                                          Prompt_Icon icon, Prompt_Buttons buttons) {
    Record shown = record(Kind::Message, text, title);
    shown.icon = icon;
    shown.buttons = buttons;
    const Prompt_Answer closed =
        buttons == Prompt_Buttons::Ok
            ? Prompt_Answer::Ok
            : (buttons == Prompt_Buttons::Yes_No ? Prompt_Answer::No : Prompt_Answer::Cancel);
    const auto next = take(Answer_Kind::Button, shown);
    if (!next)
        return closed;
    if (!offers(buttons, next->button)) {
        fail(QStringLiteral("the answer %1 is not a button of the %2")
                 .arg(QLatin1String(Prompt_Answer_Name(next->button)), describe(shown)));
        return closed;
    }
    return next->button;
}

QStringList Fake_Prompter::choose_open_files(const QString& title, const QString& start,
                                             const QString& filter, bool multiple) {
    Record shown = record(multiple ? Kind::Open_Files : Kind::Open_File, {}, title);
    shown.start = start;
    shown.filter = filter;
    const auto next = take(multiple ? Answer_Kind::Paths : Answer_Kind::Path, shown);
    return next ? next->paths : QStringList();
}

QString Fake_Prompter::choose_save_file(const QString& title, const QString& start,
                                        const QString& filter, bool) {
    Record shown = record(Kind::Save_File, {}, title);
    shown.start = start;
    shown.filter = filter;
    const auto next = take(Answer_Kind::Path, shown);
    return next && !next->paths.isEmpty() ? next->paths.first() : QString();
}

QString Fake_Prompter::choose_folder(const QString& title, const QString& start) {
    Record shown = record(Kind::Folder, {}, title);
    shown.start = start;
    const auto next = take(Answer_Kind::Path, shown);
    return next && !next->paths.isEmpty() ? next->paths.first() : QString();
}

std::optional<QString> Fake_Prompter::ask_password(const QString& text, const QString& title) {
    const auto next = take(Answer_Kind::Password, record(Kind::Password, text, title));
    return next ? next->password : std::nullopt;
}

std::optional<int> Fake_Prompter::ask_number(const QString& text, const QString& title, int value,
                                             int minimum, int maximum) {
    Record shown = record(Kind::Row_Count, text, title);
    shown.value = value;
    shown.minimum = minimum;
    shown.maximum = maximum;
    const auto next = take(Answer_Kind::Count, shown);
    return next ? next->count : std::nullopt;
}
