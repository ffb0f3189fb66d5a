#include "FakePrompter.h"

#include "TestEnv.h"

#include <QtTest>

namespace {

const char* kind_name(Fake_Prompter::Kind kind) {
    static const char* const names[] = {
        "message box",    "open-file chooser", "multi-file chooser", "save-file chooser",
        "folder chooser", "password prompt",   "row-count prompt"};
    return names[int(kind)];
}

bool offers(shell::Prompt_Buttons buttons, shell::Prompt_Answer answer) {
    switch (buttons) {
    case shell::Prompt_Buttons::Ok:
        return answer == shell::Prompt_Answer::Ok;
    case shell::Prompt_Buttons::Ok_Cancel:
        return answer == shell::Prompt_Answer::Ok || answer == shell::Prompt_Answer::Cancel;
    case shell::Prompt_Buttons::Yes_No:
        return answer == shell::Prompt_Answer::Yes || answer == shell::Prompt_Answer::No;
    case shell::Prompt_Buttons::Yes_No_Cancel:
        return answer != shell::Prompt_Answer::Ok;
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
    return u"%1 \"%2\" (title \"%3\")"_s.arg(QLatin1StringView(kind_name(r.kind)), r.text, r.title);
}

} // namespace

const char* Prompt_Answer_Name(shell::Prompt_Answer answer) {
    static const char* const names[] = {"Ok", "Cancel", "Yes", "No"};
    return names[int(answer)];
}

Fake_Prompter::~Fake_Prompter() {
    Verify_Done();
}

Fake_Prompter& Fake_Prompter::Answer(shell::Prompt_Answer answer, const QString& expected_text) {
    script_.push_back({Answer_Kind::Button, answer, expected_text, {}, {}, {}});
    return *this;
}

Fake_Prompter& Fake_Prompter::Answer_Path(const QString& path) {
    script_.push_back(
        {Answer_Kind::Path, {}, {}, path.isEmpty() ? QStringList() : QStringList{path}, {}, {}});
    return *this;
}

Fake_Prompter& Fake_Prompter::Answer_Password(std::optional<QString> password) {
    script_.push_back({Answer_Kind::Password, {}, {}, {}, std::move(password), {}});
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
    if (records_.empty())
        fail(u"no prompt was shown"_s);
    return records_.empty() ? Record() : records_.back();
}

void Fake_Prompter::Verify_Done() {
    if (!script_.empty())
        fail(u"%1 scripted answer(s) were never asked for"_s.arg(script_.size()));
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
        fail(u"unexpected %1"_s.arg(describe(shown)));
        return std::nullopt;
    }
    Scripted next = script_.front();
    script_.pop_front();
    if (next.kind != wanted) {
        fail(u"the scripted answer does not fit the %1"_s.arg(describe(shown)));
        return std::nullopt;
    }
    if (!next.expected_text.isNull() && next.expected_text != shown.text)
        fail(u"expected the text \"%1\", the %2 was shown"_s.arg(next.expected_text,
                                                                 describe(shown)));
    return next;
}

shell::Prompt_Answer Fake_Prompter::show_message(const QString& text, const QString& title,
                                                 shell::Prompt_Icon icon,
                                                 shell::Prompt_Buttons buttons) {
    const shell::Prompt_Answer closed =
        buttons == shell::Prompt_Buttons::Ok
            ? shell::Prompt_Answer::Ok
            : (buttons == shell::Prompt_Buttons::Yes_No ? shell::Prompt_Answer::No
                                                        : shell::Prompt_Answer::Cancel);
    const Record shown{Kind::Message, text, title, icon, buttons, {}, {}, 0, 0, 0};
    const auto next = take(Answer_Kind::Button, shown);
    if (next && !offers(buttons, next->button))
        fail(u"the answer %1 is not a button of the %2"_s.arg(
            QLatin1StringView(Prompt_Answer_Name(next->button)), describe(shown)));
    return next && offers(buttons, next->button) ? next->button : closed;
}

QStringList Fake_Prompter::choose_open_files(const QString& title, const QString& start,
                                             const QString& filter, bool multiple) {
    const Record shown{
        multiple ? Kind::Open_Files : Kind::Open_File, {}, title, {}, {}, start, filter, 0, 0, 0};
    const auto next = take(multiple ? Answer_Kind::Paths : Answer_Kind::Path, shown);
    return next ? next->paths : QStringList();
}

QString Fake_Prompter::choose_save_file(const QString& title, const QString& start,
                                        const QString& filter, bool) {
    const auto next =
        take(Answer_Kind::Path, {Kind::Save_File, {}, title, {}, {}, start, filter, 0, 0, 0});
    return next ? next->paths.value(0) : QString();
}

QString Fake_Prompter::choose_folder(const QString& title, const QString& start) {
    const auto next =
        take(Answer_Kind::Path, {Kind::Folder, {}, title, {}, {}, start, {}, 0, 0, 0});
    return next ? next->paths.value(0) : QString();
}

std::optional<QString> Fake_Prompter::ask_password(const QString& text, const QString& title) {
    const auto next =
        take(Answer_Kind::Password, {Kind::Password, text, title, {}, {}, {}, {}, 0, 0, 0});
    return next ? next->password : std::nullopt;
}

std::optional<int> Fake_Prompter::ask_number(const QString& text, const QString& title, int value,
                                             int minimum, int maximum) {
    const auto next = take(Answer_Kind::Count,
                           {Kind::Row_Count, text, title, {}, {}, {}, {}, value, minimum, maximum});
    return next ? next->count : std::nullopt;
}
