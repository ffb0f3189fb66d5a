#include "ModalGuard.h"

#include "Transcript.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <QtTest>

namespace wintest {

QString Modal_Place(const QWidget* dialog) {
    const QString step = Transcript::Last_Step();
    QString place = u"the dialog %1 (\"%2\") in %3"_s.arg(
        dialog->objectName().isEmpty() ? QLatin1StringView(dialog->metaObject()->className())
                                       : dialog->objectName(),
        dialog->windowTitle(), QLatin1StringView(QTest::currentTestFunction()));
    if (const char* tag = QTest::currentDataTag())
        place += u"(%1)"_s.arg(QLatin1StringView(tag));
    return place + (step.isEmpty() ? QString() : u" at step \"%1\""_s.arg(step));
}

void Close_Modal(QWidget* dialog) {
    if (auto* d = qobject_cast<QDialog*>(dialog))
        d->reject();
    else
        dialog->close();
}

int Modal_Limit_Ms() {
    bool ok = false;
    const int ms = qEnvironmentVariableIntValue("SCROLLKIN_MODAL_LIMIT_MS", &ok);
    return ok ? ms : 30000;
}

void Guard_Modal_Dialogs() {
    struct Watch {
        QPointer<QWidget> dialog;
        quint64 lines = 0;
        QElapsedTimer still;
    };
    auto* timer = new QTimer(qApp); // lives as long as the application
    QObject::connect(timer, &QTimer::timeout, qApp, [watch = std::make_shared<Watch>()] {
        QWidget* up = QApplication::activeModalWidget();
        if (up != watch->dialog || Transcript::Lines_Written() != watch->lines) {
            watch->dialog = up;
            watch->lines = Transcript::Lines_Written();
            watch->still.start();
        }
        if (!up || !up->isVisible())
            return;
        if (QTest::currentTestFailed()) {
            qWarning("%s: closed, left up by the failure", qPrintable(Modal_Place(up)));
        } else if (watch->still.elapsed() >= Modal_Limit_Ms()) {
            QTest::qFail(qPrintable(u"%1 waited %2 ms without an answer"_s.arg(Modal_Place(up))
                                        .arg(watch->still.elapsed())),
                         __FILE__, __LINE__);
        } else {
            return;
        }
        Close_Modal(up);
    });
    timer->start(100);
}

} // namespace wintest
