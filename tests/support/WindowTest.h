#pragma once

#include <QtTest>
#include <QtWidgets>

#include <functional>

// Driving windows offscreen by the objectNames of their controls.
namespace wintest {

template <typename T = QWidget> T* child(const QObject* parent, const char* name) {
    return parent->findChild<T*>(QLatin1String(name));
}

inline void click(const QObject* parent, const char* name) {
    QTest::mouseClick(child<QPushButton>(parent, name), Qt::LeftButton);
}

inline void type_into(const QObject* parent, const char* name, const QString& text) {
    auto* edit = child<QLineEdit>(parent, name);
    edit->clear();
    QTest::keyClicks(edit, text);
}

// Runs action on the modal dialog named name once it is up; it runs inside that dialog's own
// event loop, so the code that opened the dialog carries on when the action closes it.
inline void on_modal(const QString& name, std::function<void(QWidget*)> action, int tries = 500) {
    QTimer::singleShot(10, qApp, [=] {
        QWidget* w = QApplication::activeModalWidget();
        if (w && w->objectName() == name && w->isVisible())
            action(w);
        else if (tries > 0)
            on_modal(name, action, tries - 1);
        else
            QTest::qFail(qPrintable(QStringLiteral("the dialog %1 never came up").arg(name)),
                         __FILE__, __LINE__);
    });
}

} // namespace wintest
