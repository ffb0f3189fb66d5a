#include "ConsolePrompter.h"

namespace admin_tool {

Prompt_Answer Console_Prompter::show_message(const QString& text, const QString& title, Prompt_Icon,
                                             Prompt_Buttons buttons) {
    io_.err << title << ": " << text;
    Prompt_Answer answer = Prompt_Answer::Ok;
    if (buttons == Prompt_Buttons::Yes_No || buttons == Prompt_Buttons::Yes_No_Cancel) {
        answer = yes_ ? Prompt_Answer::Yes : Prompt_Answer::No;
        io_.err << (yes_ ? " yes" : " no");
    } else if (buttons == Prompt_Buttons::Ok_Cancel) {
        answer = Prompt_Answer::Cancel;
        io_.err << " cancel";
    }
    io_.err << '\n';
    io_.err.flush();
    return answer;
}

void Console_Password_Dialog::Run(File_Password_Form& form) {
    if (password_ && form.Ok(QString(), *password_) == File_Password_Form::Ok_Outcome::Close)
        return;
    form.Cancel();
}

} // namespace admin_tool
