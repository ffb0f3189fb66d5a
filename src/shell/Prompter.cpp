#include "shell/Prompter.h"

#include "db/Settings.h"

namespace shell {

QString Prompt_Title(const QString& title) {
    return title.isEmpty() ? db::Program_Title() : title;
}

Prompt_Answer Prompter::Message(const QString& text, const QString& title, Prompt_Icon icon,
                                Prompt_Buttons buttons) {
    return show_message(text, Prompt_Title(title), icon, buttons);
}

void Prompter::Tell(const QString& text, const QString& title, Prompt_Icon icon) {
    Message(text, title, icon, Prompt_Buttons::Ok);
}

bool Prompter::Ask_Yes_No(const QString& text, const QString& title, Prompt_Icon icon) {
    return Message(text, title, icon, Prompt_Buttons::Yes_No) == Prompt_Answer::Yes;
}

Prompt_Answer Prompter::Ask_Yes_No_Cancel(const QString& text, const QString& title,
                                          Prompt_Icon icon) {
    return Message(text, title, icon, Prompt_Buttons::Yes_No_Cancel);
}

QString Prompter::Ask_Open_File(const QString& title, const QString& start, const QString& filter) {
    const QStringList chosen = choose_open_files(Prompt_Title(title), start, filter, false);
    return chosen.isEmpty() ? QString() : chosen.first();
}

QString Prompter::Ask_Save_File(const QString& title, const QString& start, const QString& filter,
                                bool confirm_overwrite) {
    return choose_save_file(Prompt_Title(title), start, filter, confirm_overwrite);
}

QString Prompter::Ask_Folder(const QString& title, const QString& start) {
    return choose_folder(Prompt_Title(title), start);
}

} // namespace shell
