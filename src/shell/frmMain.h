#pragma once

#include <QMainWindow>

class QLabel;
class QMdiArea;
class QProgressBar;

// The frame of the program, around the browser window, with the status strip at the bottom.
class frmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit frmMain(QWidget* parent = nullptr);

    QMdiArea* Children() const { return mdi_; }

private:
    QMdiArea* mdi_;
    QWidget* Picture1;
    QLabel* lblmsg;
    QLabel* lblcaption;
    QProgressBar* pbar;
};
