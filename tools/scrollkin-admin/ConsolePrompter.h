#pragma once

#include "Tool.h"
#include "shell/Prompter.h"
#include "store/FilePassword.h"

#include <optional>

namespace admin_tool {

// Answers the program's questions from the command line instead of a user: every message is
// printed to err as "title: text", a yes/no question gets the answer given by an option (no
// when there is none), and a chooser or an input box gets nothing, as if cancelled.
class Console_Prompter : public shell::Message_Only_Prompter {
public:
    Console_Prompter(Console io, bool yes) : io_(io), yes_(yes) {}

protected:
    shell::Prompt_Answer show_message(const QString& text, const QString& title,
                                      shell::Prompt_Icon icon,
                                      shell::Prompt_Buttons buttons) override;

private:
    Console io_;
    bool yes_;
};

// The file password dialog answered with the password given as an option: entered once; a
// wrong one (told by the form) or none cancels, as a user giving up would.
class Console_Password_Dialog : public store::File_Password_Dialog {
public:
    explicit Console_Password_Dialog(std::optional<QString> password)
        : password_(std::move(password)) {}
    void Run(store::File_Password_Form& form) override;

private:
    std::optional<QString> password_;
};

} // namespace admin_tool
