#include "shell/MessagePrompter.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>

namespace shell {

namespace {

QMessageBox::Icon box_icon(Prompt_Icon icon) {
    switch (icon) {
    case Prompt_Icon::Information:
        return QMessageBox::Information;
    case Prompt_Icon::Question:
        return QMessageBox::Question;
    case Prompt_Icon::Warning:
        return QMessageBox::Warning;
    case Prompt_Icon::Critical:
        return QMessageBox::Critical;
    case Prompt_Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons box_buttons(Prompt_Buttons buttons) {
    switch (buttons) {
    case Prompt_Buttons::Ok_Cancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case Prompt_Buttons::Yes_No:
        return QMessageBox::Yes | QMessageBox::No;
    case Prompt_Buttons::Yes_No_Cancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case Prompt_Buttons::Ok:
        break;
    }
    return QMessageBox::Ok;
}

} // namespace

QWidget* Message_Prompter::owner() {
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    return QApplication::activeWindow();
}

Prompt_Answer Message_Prompter::show_message(const QString& text, const QString& title,
                                             Prompt_Icon icon, Prompt_Buttons buttons) {
    QMessageBox box(box_icon(icon), title, text, box_buttons(buttons), owner());
    // The close box gives the mildest answer the box offers.
    if (buttons == Prompt_Buttons::Yes_No)
        box.setEscapeButton(QMessageBox::No);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return Prompt_Answer::Yes;
    case QMessageBox::No:
        return Prompt_Answer::No;
    case QMessageBox::Cancel:
        return Prompt_Answer::Cancel;
    default:
        return buttons == Prompt_Buttons::Ok ? Prompt_Answer::Ok : Prompt_Answer::Cancel;
    }
}

QStringList Message_Prompter::choose_open_files(const QString& title, const QString& start,
                                                const QString& filter, bool multiple) {
    if (multiple)
        return QFileDialog::getOpenFileNames(owner(), title, start, filter);
    const QString one = QFileDialog::getOpenFileName(owner(), title, start, filter);
    return one.isEmpty() ? QStringList() : QStringList{one};
}

QString Message_Prompter::choose_save_file(const QString& title, const QString& start,
                                           const QString& filter, bool confirm_overwrite) {
    return QFileDialog::getSaveFileName(owner(), title, start, filter, nullptr,
                                        confirm_overwrite ? QFileDialog::Options()
                                                          : QFileDialog::DontConfirmOverwrite);
}

QString Message_Prompter::choose_folder(const QString& title, const QString& start) {
    return QFileDialog::getExistingDirectory(owner(), title, start);
}

std::optional<QString> Message_Prompter::ask_password(const QString& text, const QString& title) {
    bool ok = false;
    const QString typed =
        QInputDialog::getText(owner(), title, text, QLineEdit::Password, QString(), &ok);
    if (!ok)
        return std::nullopt;
    return typed;
}

std::optional<int> Message_Prompter::ask_number(const QString& text, const QString& title,
                                                int value, int minimum, int maximum) {
    bool ok = false;
    const int n = QInputDialog::getInt(owner(), title, text, value, minimum, maximum, 1, &ok);
    if (!ok)
        return std::nullopt;
    return n;
}

} // namespace shell
