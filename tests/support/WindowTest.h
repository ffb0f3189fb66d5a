#pragma once

#include "ModalGuard.h"
#include "TestEnv.h"

#include <QtTest>
#include <QtWidgets>

#include <functional>

// Driving windows offscreen by the objectNames of their controls.
namespace wintest {

template <typename T = QWidget> T* child(const QObject* parent, const char* name) {
    return parent->findChild<T*>(QLatin1StringView(name));
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
// event loop, so the code that opened the dialog carries on when the action closes it. A check
// that fails in the action closes the dialog at once; a dialog that never comes up fails the
// test, and whatever other modal dialog is up in its place is named and closed.
inline void on_modal(const QString& name, std::function<void(QWidget*)> action, int tries = 500) {
    QTimer::singleShot(10, qApp, [=] {
        QWidget* w = QApplication::activeModalWidget();
        if (w && w->objectName() == name && w->isVisible()) {
            const QPointer<QWidget> up(w); // a dialog may delete itself on closing
            action(w);
            if (QTest::currentTestFailed() && up && up->isVisible()) {
                qWarning("%s: closed, left up by the failure", qPrintable(Modal_Place(up)));
                Close_Modal(up);
            }
        } else if (tries > 0) {
            on_modal(name, action, tries - 1);
        } else {
            QString failure = u"the dialog %1 never came up"_s.arg(name);
            if (w)
                failure += u"; instead, "_s + Modal_Place(w);
            QTest::qFail(qPrintable(failure), __FILE__, __LINE__);
            if (w)
                Close_Modal(w);
        }
    });
}

// The labels of a window whose text does not show whole, in its font: narrower than their
// text, or with another control over a word of it (a control may sit in a run of blanks).
inline QStringList Cut_Labels(const QWidget* window) {
    QStringList cut;
    const auto others = window->findChildren<QWidget*>();
    for (const QLabel* l : window->findChildren<QLabel*>()) {
        const QString text = l->text();
        if (!l->isVisibleTo(window) || text.isEmpty() || l->wordWrap() ||
            Qt::mightBeRichText(text) || text.contains(u'\n'))
            continue;
        const QFontMetrics fm = l->fontMetrics();
        const QRect all =
            QStyle::alignedRect(l->layoutDirection(), l->alignment(),
                                fm.size(Qt::TextShowMnemonic, text), l->contentsRect());
        bool whole = l->contentsRect().contains(all);
        const QPoint at = l->mapTo(window, all.topLeft());
        for (qsizetype i = 0, j = 0; whole && i < text.size(); i = j) {
            for (j = i; j < text.size() && text[j].isSpace() == text[i].isSpace();)
                ++j;
            if (text[i].isSpace())
                continue;
            const QRect word(at.x() + fm.horizontalAdvance(text.left(i)), at.y(),
                             fm.horizontalAdvance(text.mid(i, j - i)), all.height());
            for (const QWidget* w : others)
                if (w != l && !w->isAncestorOf(l) && w->isVisibleTo(window) &&
                    QRect(w->mapTo(window, QPoint()), w->size()).intersects(word))
                    whole = false;
        }
        if (!whole)
            cut << window->objectName() + u": "_s + text;
    }
    return cut;
}

} // namespace wintest
