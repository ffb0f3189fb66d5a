#pragma once

#include <QString>

// The child's own limits, set before it reads a byte of the document: address space, CPU time
// and wall clock (the parent kills it at the same wall-clock limit; these hold when it is run
// by hand), and no core dumps of untrusted content. A child that reads many files in turn sets
// the process-wide ones once and starts the clocks anew for every file.
namespace extract {

struct Limits {
    int seconds = 60;
    int memory_mib = 1024;
};

// Exit code of a child stopped by its wall-clock or CPU limit, its reason on standard error.
constexpr int Exit_Time = 3;

// The process-wide limits. `many_files`: the CPU limit becomes a budget for several files (the
// kernel counts the process's CPU time, not a file's); without it the file's clocks start too.
void Apply_Limits(const Limits& l, bool many_files = false);
// Starts one file's clocks: an alarm at the wall-clock limit, and the CPU limit at what is used
// so far plus the file's allowance.
void Start_File(const Limits& l);
// Stops the file's alarm, before its answer is written.
void End_File();
// Whether one more file can have its whole allowance of CPU time and half the address space.
bool Room_For_Another(const Limits& l);

// Whether a reader that can stop part way (OCR page by page) should stop now to keep its text:
// three quarters of the wall-clock limit are used up.
bool Time_Is_Short();

// The reason given when the wall-clock or CPU limit is hit.
QString Time_Reason(int seconds);
QString Memory_Reason(int mib);

// Test hook, after the limits and the sandbox are set: SCROLLKIN_EXTRACT_FAULT=KIND, or
// KIND:NAME for the document of that name only, makes the child crash, hang (deaf to its own
// timers, so only the parent's kill ends it), allocate without end, or try what the sandbox
// forbids: socket (the network), write (a file beside the document), exec, fork. Nothing happens
// when the variable is not set.
void Test_Fault(const QString& document_name, const QString& path);

} // namespace extract
