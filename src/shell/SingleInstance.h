#pragma once

#include <QLockFile>
#include <QString>

namespace shell {

// Tells whether another copy of the program is running: the first copy holds a lock file in the
// user's runtime folder for its whole run. A copy that died leaves a stale lock, which the next
// start recognises by the dead process and takes over.
class Single_Instance {
public:
    explicit Single_Instance(const QString& lock_path = Default_Lock_Path());

    // True when another copy holds the lock. The first call that finds it free takes it for
    // this copy; later calls (the login dialog opened again) then answer false.
    bool Another_Copy_Running();

    static QString Default_Lock_Path();

private:
    QLockFile lock_;
    bool held_ = false;
};

} // namespace shell
