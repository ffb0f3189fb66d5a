#pragma once

#include "FakePrompter.h"
#include "TestEnv.h"

#include <QString>
#include <QStringList>

namespace db {
class Connection;
}

// What a scenario saw (statements sent, prompts with title, icon and buttons, captions, status
// lines), one line each, compared at the end with an approved file under tests/. One line holds
// a text exactly where a QCOMPARE each would; a changed text shows as a changed line.
// SCROLLKIN_APPROVE=1 rewrites the approved files instead of comparing: review the diff as code.
class Transcript {
public:
    // approved: path below the tests/ source folder, e.g. "browser/transcripts/tree.txt".
    explicit Transcript(const QString& approved);
    ~Transcript();
    Transcript(const Transcript&) = delete;
    Transcript& operator=(const Transcript&) = delete;

    // A line as it stands; a heading ("== what") marks the step that follows.
    Transcript& operator<<(const QString& line);
    Transcript& Step(const QString& what);
    // "label: value", for captions, status lines, cells and controls' states.
    Transcript& Field(const QString& label, const QString& value);
    // Every prompt the fake recorded since the last call, one line each, then forgets them.
    Transcript& Prompts(Fake_Prompter& prompter);
    // From now on every statement the connection sends is a line ("sql: ..."); Detach stops it.
    void Attach(db::Connection& c);
    void Detach();

    // Compares with the approved file (or rewrites it); fails the running test on a difference,
    // naming the first line that differs. Call it last, through QVERIFY(t.Matches()).
    bool Matches();

    static QString Prompt_Line(const Fake_Prompter::Record& r);

    // The step any transcript reached last (its "== ", "[section]", "in: " or "$ " line), and
    // how many lines all transcripts have written: what a stuck modal dialog's failure names,
    // and how the guard sees that a test still moves.
    static QString Last_Step();
    static quint64 Lines_Written();

private:
    QString path_;
    QStringList lines_;
    db::Connection* attached_ = nullptr;
};
