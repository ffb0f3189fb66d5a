#pragma once

#include "shell/Prompter.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <optional>
#include <vector>

// A scripted Prompter for tests: each prompt takes the next scripted answer, in order, and is
// recorded with its text, title, icon and buttons. A prompt with no answer scripted for it, an
// answer of the wrong kind, or an answer left unused when the fake goes away fails the test.
class Fake_Prompter : public shell::Prompter {
public:
    enum class Kind { Message, Open_File, Open_Files, Save_File, Folder, Password, Row_Count };

    struct Record {
        Kind kind = Kind::Message;
        QString text; // message or input text; empty for file and folder choosers
        QString title;
        shell::Prompt_Icon icon = shell::Prompt_Icon::None;
        shell::Prompt_Buttons buttons = shell::Prompt_Buttons::Ok;
        QString start;                           // chooser's starting path
        QString filter;                          // file chooser's filter
        int value = 0, minimum = 0, maximum = 0; // row count bounds
    };

    Fake_Prompter() = default;
    ~Fake_Prompter() override;
    Fake_Prompter(const Fake_Prompter&) = delete;
    Fake_Prompter& operator=(const Fake_Prompter&) = delete;

    // The next message box is answered with this button (which it must offer); with
    // expected_text, the box must show exactly that text.
    Fake_Prompter& Answer(shell::Prompt_Answer answer = shell::Prompt_Answer::Ok,
                          const QString& expected_text = {});
    // The next file chooser (open, save) or folder chooser gives this path; empty = cancelled.
    Fake_Prompter& Answer_Path(const QString& path);
    Fake_Prompter& Answer_Password(std::optional<QString> password);

    const std::vector<Record>& Records() const { return records_; }
    // Texts of the message boxes shown, in order.
    QStringList Texts() const;
    // The last prompt shown; fails the test when there was none.
    Record Last() const;
    // Fails the test when scripted answers are left; forgets them and the records.
    void Verify_Done();
    void Clear();
    // Forgets what was shown, keeping the answers still scripted.
    void Forget_Records() { records_.clear(); }

protected:
    shell::Prompt_Answer show_message(const QString& text, const QString& title,
                                      shell::Prompt_Icon icon,
                                      shell::Prompt_Buttons buttons) override;
    QStringList choose_open_files(const QString& title, const QString& start, const QString& filter,
                                  bool multiple) override;
    QString choose_save_file(const QString& title, const QString& start, const QString& filter,
                             bool confirm_overwrite) override;
    QString choose_folder(const QString& title, const QString& start) override;
    std::optional<QString> ask_password(const QString& text, const QString& title) override;
    std::optional<int> ask_number(const QString& text, const QString& title, int value, int minimum,
                                  int maximum) override;

private:
    enum class Answer_Kind { Button, Path, Paths, Password, Count };
    struct Scripted {
        Answer_Kind kind = Answer_Kind::Button;
        shell::Prompt_Answer button = shell::Prompt_Answer::Ok;
        QString expected_text;
        QStringList paths;
        std::optional<QString> password;
        std::optional<int> count;
    };

    // The next scripted answer when it is of the wanted kind; otherwise fails the test.
    std::optional<Scripted> take(Answer_Kind wanted, const Record& shown);

    std::deque<Scripted> script_;
    std::vector<Record> records_;
};

const char* Prompt_Answer_Name(shell::Prompt_Answer answer);
