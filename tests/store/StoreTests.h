#pragma once

#include <QObject>

// The store program's tests; each file defines the slots of what it tests.
class Test_Store : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void names();
    void steps_data();
    void steps();
    void steps_without_root();
    void transfers();
    void password_dialog();
};
