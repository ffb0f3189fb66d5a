#pragma once

#include "shell/Prompter.h"

class QWidget;
namespace shell {

// Prompts as the user sees them: message boxes and the platform's file, folder and input
// dialogs, owned by the window that is active when they are asked.
class Message_Prompter : public Prompter {
protected:
    Prompt_Answer show_message(const QString& text, const QString& title, Prompt_Icon icon,
                               Prompt_Buttons buttons) override;
    QStringList choose_open_files(const QString& title, const QString& start, const QString& filter,
                                  bool multiple) override;
    QString choose_save_file(const QString& title, const QString& start, const QString& filter,
                             bool confirm_overwrite) override;
    QString choose_folder(const QString& title, const QString& start) override;
    std::optional<QString> ask_password(const QString& text, const QString& title) override;
    std::optional<int> ask_number(const QString& text, const QString& title, int value, int minimum,
                                  int maximum) override;

private:
    static QWidget* owner();
};

} // namespace shell
