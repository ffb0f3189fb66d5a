#pragma once

#include <QString>

class QWidget;

// A test that fails while a modal dialog is up would wait inside the dialog's event loop for
// ctest's timeout; these end the wait at once and say where it was.
namespace wintest {

// "the dialog NAME ("TITLE") in FUNCTION(TAG) at step "STEP"", for a failure's message.
QString Modal_Place(const QWidget* dialog);

// Rejects the dialog, so the code that opened it carries on.
void Close_Modal(QWidget* dialog);

// How long a modal dialog may stay up while no transcript line is written: 30 s, or
// SCROLLKIN_MODAL_LIMIT_MS.
int Modal_Limit_Ms();

// From now on, a modal dialog still up after the running test function failed is closed at
// once, and one left without an answer (and no step written) for Modal_Limit_Ms fails the test
// function, naming it, and is closed. The UI test programs' main calls this.
void Guard_Modal_Dialogs();

} // namespace wintest
