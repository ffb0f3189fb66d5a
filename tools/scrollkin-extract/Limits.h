#pragma once

#include <QString>

// The child's own limits, set before it reads a byte of the document: address space, CPU time
// and wall clock (the parent kills it at the same wall-clock limit; these hold when it is run
// by hand), and no core dumps of untrusted content.
namespace extract {

struct Limits {
    int seconds = 60;
    int memory_mib = 1024;
};

void Apply_Limits(const Limits& l);

// Whether a reader that can stop part way (OCR page by page) should stop now to keep its text:
// three quarters of the wall-clock limit are used up.
bool Time_Is_Short();

// The reason given when the wall-clock or CPU limit is hit.
QString Time_Reason(int seconds);
QString Memory_Reason(int mib);

// Test hook: SCROLLKIN_EXTRACT_FAULT=crash|hang|memory makes the child crash, hang (deaf to its
// own timers, so only the parent's kill ends it) or allocate without end, after its limits are
// set. Nothing happens when the variable is not set.
void Test_Fault();

} // namespace extract
