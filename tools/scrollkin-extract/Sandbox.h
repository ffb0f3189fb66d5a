#pragma once

#include <QString>

// What the child gives up before it reads a byte of a document: it reads untrusted files with
// large libraries, and a document that takes one of them over must find nothing to do with it.
// No network, no new processes (threads stay: the OCR engine may want them) and no changes to
// files; reading files (the document, modules, language data) and writing to the descriptors
// already open stay allowed.
//
// The network and new processes are never a reader's business: trying one ends the child at once
// with Refused_Reason (SIGSYS, answered on standard error, exit code 2). Changing a file fails
// with EACCES instead, as libraries try to keep caches (fonts) and carry on without them. Where
// the kernel has Landlock, it also denies every path's writing, whatever the call.
namespace extract {

// Empty when the sandbox is in place, else why not.
QString Enter_Sandbox();

QString Refused_Reason(const char* call);

} // namespace extract
