#pragma once

#include <QString>

namespace shell {

// The main window's status strip as the logic writes it: the rights line (lblmsg), the progress
// and total texts (lblcaption) and the progress bar (pbar). The main window implements it; tests
// record it.
class Status_Strip {
public:
    virtual ~Status_Strip() = default;
    virtual void Set_Message(const QString& text) = 0; // lblmsg
    virtual QString Message() const = 0;
    virtual void Set_Caption(const QString& text) = 0; // lblcaption
    virtual QString Caption() const = 0;
    virtual void Set_Progress_Maximum(int maximum) = 0; // pbar
    virtual void Set_Progress_Value(int value) = 0;
    virtual void Show_Progress(bool visible) = 0;
    // What the background indexing reads now ("Indexing report.pdf (2 more)..."), empty when
    // it is idle.
    virtual void Set_Indexing(const QString& /*text*/) {}
};

} // namespace shell
