#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace shell {

enum class Prompt_Icon { None, Information, Question, Warning, Critical };
enum class Prompt_Buttons { Ok, Ok_Cancel, Yes_No, Yes_No_Cancel };
enum class Prompt_Answer { Ok, Cancel, Yes, No };

// Every question or message the logic shows goes through here, so the logic runs without
// windows: the program answers with message boxes and platform dialogs, tests with a script.
// The public calls fill in what the platform would (a message without a title carries the
// program's title) and hand the complete question to the implementation.
class Prompter {
public:
    virtual ~Prompter() = default;

    // A message box; the answer is the button pressed (closing it counts as Cancel, or No
    // where there is no Cancel, or Ok for a box with only Ok).
    Prompt_Answer Message(const QString& text, const QString& title, Prompt_Icon icon,
                          Prompt_Buttons buttons);
    void Tell(const QString& text, const QString& title = {},
              Prompt_Icon icon = Prompt_Icon::Information);
    bool Ask_Yes_No(const QString& text, const QString& title = {},
                    Prompt_Icon icon = Prompt_Icon::Question);
    Prompt_Answer Ask_Yes_No_Cancel(const QString& text, const QString& title = {},
                                    Prompt_Icon icon = Prompt_Icon::Question);

    // File and folder choosers: the chosen path, empty when cancelled. filter uses the
    // "Name (*.a *.b);;Other (*)" form.
    QString Ask_Open_File(const QString& title, const QString& start, const QString& filter);
    // confirm_overwrite: ask before an existing file is chosen (off where an existing file is a
    // normal answer, such as a library file to open).
    QString Ask_Save_File(const QString& title, const QString& start, const QString& filter,
                          bool confirm_overwrite = true);
    QString Ask_Folder(const QString& title, const QString& start);

protected:
    virtual Prompt_Answer show_message(const QString& text, const QString& title, Prompt_Icon icon,
                                       Prompt_Buttons buttons) = 0;
    virtual QStringList choose_open_files(const QString& title, const QString& start,
                                          const QString& filter, bool multiple) = 0;
    virtual QString choose_save_file(const QString& title, const QString& start,
                                     const QString& filter, bool confirm_overwrite) = 0;
    virtual QString choose_folder(const QString& title, const QString& start) = 0;
    virtual std::optional<QString> ask_password(const QString& text, const QString& title) = 0;
    virtual std::optional<int> ask_number(const QString& text, const QString& title, int value,
                                          int minimum, int maximum) = 0;
};

// A Prompter with nobody to choose files, folders, passwords or numbers: every chooser counts as
// cancelled; only messages are answered (by the subclass).
class Message_Only_Prompter : public Prompter {
protected:
    QStringList choose_open_files(const QString&, const QString&, const QString&, bool) override {
        return {};
    }
    QString choose_save_file(const QString&, const QString&, const QString&, bool) override {
        return {};
    }
    QString choose_folder(const QString&, const QString&) override { return {}; }
    std::optional<QString> ask_password(const QString&, const QString&) override { return {}; }
    std::optional<int> ask_number(const QString&, const QString&, int, int, int) override {
        return {};
    }
};

// The title a prompt shows: its own, or the program's when it has none.
QString Prompt_Title(const QString& title);

} // namespace shell
