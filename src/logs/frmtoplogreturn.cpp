#include "logs/frmtoplogreturn.h"

#include "shell/KeyFilter.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace logs {

frmtoplogreturn::frmtoplogreturn(QWidget* owner) : QDialog(owner) {
    setObjectName(QStringLiteral("frmtoplogreturn"));
    setWindowTitle(QStringLiteral("Number of log rows"));
    setModal(true);
    Label1 = new QLabel(QStringLiteral("Maximum number of rows to fetch"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Text1 = new QLineEdit(QStringLiteral("100"), this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setMaxLength(6);
    Text1->installEventFilter(this);
    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
    auto* layout = new QGridLayout(this);
    layout->addWidget(Label1, 0, 0);
    layout->addWidget(Text1, 0, 1);
    layout->addWidget(OKButton, 1, 1, Qt::AlignRight);
}

QString frmtoplogreturn::Text() const {
    return Text1->text();
}

void frmtoplogreturn::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Typing replaces the default count.
    Text1->setFocus();
    Text1->selectAll();
}

bool frmtoplogreturn::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Text1 && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        // Keys that type nothing (moving, Enter for OK, Esc) keep their usual meaning.
        if (text.isEmpty() || key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter ||
            key->key() == Qt::Key_Escape)
            return QDialog::eventFilter(watched, event);
        const ushort code = key->key() == Qt::Key_Backspace ? ushort(8) : text.at(0).unicode();
        if (shell::Filter_Key(code, QStringLiteral("0123456789"), true) == 0)
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

std::optional<QString> frmtoplogreturn::Ask(QWidget* owner) {
    frmtoplogreturn dialog(owner);
    // Closing the dialog without OK is a cancel: nothing is listed.
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.Text();
}

} // namespace logs
