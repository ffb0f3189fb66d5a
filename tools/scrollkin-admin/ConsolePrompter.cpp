#include "ConsolePrompter.h"

namespace admin_tool {

shell::Prompt_Answer Console_Prompter::show_message(const QString& text, const QString& title,
                                                    shell::Prompt_Icon,
                                                    shell::Prompt_Buttons buttons) {
    io_.err << title << ": " << text;
    shell::Prompt_Answer answer = shell::Prompt_Answer::Ok;
    if (buttons == shell::Prompt_Buttons::Yes_No ||
        buttons == shell::Prompt_Buttons::Yes_No_Cancel) {
        answer = yes_ ? shell::Prompt_Answer::Yes : shell::Prompt_Answer::No;
        io_.err << (yes_ ? " yes" : " no");
    } else if (buttons == shell::Prompt_Buttons::Ok_Cancel) {
        answer = shell::Prompt_Answer::Cancel;
        io_.err << " cancel";
    }
    io_.err << '\n';
    io_.err.flush();
    return answer;
}

void Console_Password_Dialog::Run(store::File_Password_Form& form) {
    if (password_ && form.Ok(QString(), *password_) == store::File_Password_Form::Ok_Outcome::Close)
        return;
    form.Cancel();
}

} // namespace admin_tool
