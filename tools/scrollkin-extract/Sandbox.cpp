#include "Sandbox.h"

#include <QByteArray>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <linux/landlock.h>
#include <sched.h>
#include <seccomp.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace extract {
namespace {

struct Call {
    int number;
    const char* name;
};

#define SCROLLKIN_CALL(name)                                                                       \
    Call {                                                                                         \
        SCMP_SYS(name), #name                                                                      \
    }

// Ends the child: nothing a reader does needs them.
const Call Refused[] = {SCROLLKIN_CALL(socket),
                        SCROLLKIN_CALL(socketpair),
                        SCROLLKIN_CALL(connect),
                        SCROLLKIN_CALL(bind),
                        SCROLLKIN_CALL(listen),
                        SCROLLKIN_CALL(accept),
                        SCROLLKIN_CALL(accept4),
                        SCROLLKIN_CALL(execve),
                        SCROLLKIN_CALL(execveat),
                        SCROLLKIN_CALL(fork),
                        SCROLLKIN_CALL(vfork),
                        SCROLLKIN_CALL(ptrace),
                        SCROLLKIN_CALL(process_vm_writev),
                        SCROLLKIN_CALL(process_vm_readv),
                        SCROLLKIN_CALL(io_uring_setup),
                        SCROLLKIN_CALL(unshare),
                        SCROLLKIN_CALL(setns),
                        SCROLLKIN_CALL(mount),
                        SCROLLKIN_CALL(umount2),
                        SCROLLKIN_CALL(chroot),
                        SCROLLKIN_CALL(pivot_root),
                        SCROLLKIN_CALL(bpf),
                        SCROLLKIN_CALL(perf_event_open),
                        SCROLLKIN_CALL(keyctl),
                        SCROLLKIN_CALL(add_key),
                        SCROLLKIN_CALL(request_key),
                        SCROLLKIN_CALL(kexec_load),
                        SCROLLKIN_CALL(init_module),
                        SCROLLKIN_CALL(finit_module),
                        SCROLLKIN_CALL(delete_module),
                        SCROLLKIN_CALL(reboot),
                        SCROLLKIN_CALL(swapon),
                        SCROLLKIN_CALL(swapoff),
                        SCROLLKIN_CALL(clone)};

// Fail with EACCES: they change files, which a library may try on its own (a cache).
const int Denied[] = {
    SCMP_SYS(creat),       SCMP_SYS(rename),    SCMP_SYS(renameat),    SCMP_SYS(renameat2),
    SCMP_SYS(unlink),      SCMP_SYS(unlinkat),  SCMP_SYS(rmdir),       SCMP_SYS(mkdir),
    SCMP_SYS(mkdirat),     SCMP_SYS(link),      SCMP_SYS(linkat),      SCMP_SYS(symlink),
    SCMP_SYS(symlinkat),   SCMP_SYS(mknod),     SCMP_SYS(mknodat),     SCMP_SYS(truncate),
    SCMP_SYS(chmod),       SCMP_SYS(fchmod),    SCMP_SYS(fchmodat),    SCMP_SYS(chown),
    SCMP_SYS(fchown),      SCMP_SYS(lchown),    SCMP_SYS(fchownat),    SCMP_SYS(utime),
    SCMP_SYS(utimes),      SCMP_SYS(utimensat), SCMP_SYS(futimesat),   SCMP_SYS(setxattr),
    SCMP_SYS(lsetxattr),   SCMP_SYS(fsetxattr), SCMP_SYS(removexattr), SCMP_SYS(lremovexattr),
    SCMP_SYS(fremovexattr)};

// The line written when a refused call ends the child, one per call: prepared before the
// filter is loaded, as the handler may only copy and write.
struct Prepared {
    int number;
    QByteArray line;
};
std::vector<Prepared> refused_lines;
const char Unknown_Line[] = "The extractor tried something it may not do.\n";

void On_Refused(int, siginfo_t* info, void*) {
    const char* line = Unknown_Line;
    size_t length = sizeof Unknown_Line - 1;
    for (const Prepared& p : refused_lines)
        if (p.number == info->si_syscall) {
            line = p.line.constData();
            length = size_t(p.line.size());
        }
    ssize_t ignored = ::write(2, line, length);
    (void)ignored;
    ::_exit(2);
}

// Where the kernel has Landlock, no path may be written, made, removed or run, whatever the call
// (the filter below names calls; this covers ones it may miss). Without it the filter stands alone.
void Landlock() {
    const long abi =
        ::syscall(SYS_landlock_create_ruleset, nullptr, 0, LANDLOCK_CREATE_RULESET_VERSION);
    if (abi < 1)
        return;
    landlock_ruleset_attr attr{};
    attr.handled_access_fs =
        LANDLOCK_ACCESS_FS_EXECUTE | LANDLOCK_ACCESS_FS_WRITE_FILE | LANDLOCK_ACCESS_FS_REMOVE_DIR |
        LANDLOCK_ACCESS_FS_REMOVE_FILE | LANDLOCK_ACCESS_FS_MAKE_CHAR |
        LANDLOCK_ACCESS_FS_MAKE_DIR | LANDLOCK_ACCESS_FS_MAKE_REG | LANDLOCK_ACCESS_FS_MAKE_SOCK |
        LANDLOCK_ACCESS_FS_MAKE_FIFO | LANDLOCK_ACCESS_FS_MAKE_BLOCK | LANDLOCK_ACCESS_FS_MAKE_SYM;
    if (abi >= 2)
        attr.handled_access_fs |= LANDLOCK_ACCESS_FS_REFER;
    if (abi >= 3)
        attr.handled_access_fs |= 1ULL << 14; // LANDLOCK_ACCESS_FS_TRUNCATE
    const long ruleset = ::syscall(SYS_landlock_create_ruleset, &attr, sizeof attr, 0);
    if (ruleset < 0)
        return;
    // No rule: the handled rights hold nowhere.
    ::syscall(SYS_landlock_restrict_self, ruleset, 0);
    ::close(int(ruleset));
}

} // namespace

QString Refused_Reason(const char* call) {
    return QStringLiteral("The extractor tried something it may not do (%1).")
        .arg(QLatin1String(call));
}

QString Enter_Sandbox() {
    refused_lines.clear();
    for (const Call& c : Refused)
        refused_lines.push_back({c.number, Refused_Reason(c.name).toUtf8() + '\n'});
    struct sigaction sa {};
    sa.sa_sigaction = On_Refused;
    sa.sa_flags = SA_SIGINFO;
    sigemptyset(&sa.sa_mask);
    if (sigaction(SIGSYS, &sa, nullptr) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    Landlock();

    scmp_filter_ctx ctx = seccomp_init(SCMP_ACT_ALLOW);
    if (!ctx)
        return QStringLiteral("seccomp_init failed");
    int rc = 0;
    auto add = [&](uint32_t action, int call, unsigned count, const scmp_arg_cmp* args) {
        if (rc == 0)
            rc = seccomp_rule_add_array(ctx, action, call, count, args);
    };
    for (const Call& c : Refused) {
        if (c.number == SCMP_SYS(clone)) {
            // Threads only: a clone without CLONE_THREAD is a new process.
            const scmp_arg_cmp no_thread = SCMP_A0(SCMP_CMP_MASKED_EQ, CLONE_THREAD, 0);
            add(SCMP_ACT_TRAP, c.number, 1, &no_thread);
        } else {
            add(SCMP_ACT_TRAP, c.number, 0, nullptr);
        }
    }
    // Its flags are out of the filter's reach; the C library then creates threads with clone.
    add(SCMP_ACT_ERRNO(ENOSYS), SCMP_SYS(clone3), 0, nullptr);
    add(SCMP_ACT_ERRNO(ENOSYS), SCMP_SYS(openat2), 0, nullptr);
    for (const int call : Denied)
        add(SCMP_ACT_ERRNO(EACCES), call, 0, nullptr);
    // Opening to write, create or truncate (O_TMPFILE needs a write mode too).
    for (const int flag : {O_WRONLY, O_RDWR, O_CREAT, O_TRUNC}) {
        const scmp_arg_cmp open_flags = SCMP_A1(SCMP_CMP_MASKED_EQ, unsigned(flag), unsigned(flag));
        const scmp_arg_cmp openat_flags =
            SCMP_A2(SCMP_CMP_MASKED_EQ, unsigned(flag), unsigned(flag));
        add(SCMP_ACT_ERRNO(EACCES), SCMP_SYS(open), 1, &open_flags);
        add(SCMP_ACT_ERRNO(EACCES), SCMP_SYS(openat), 1, &openat_flags);
    }
    if (rc == 0)
        rc = seccomp_load(ctx);
    seccomp_release(ctx);
    return rc == 0 ? QString()
                   : QStringLiteral("seccomp: %1").arg(QString::fromLocal8Bit(std::strerror(-rc)));
}

} // namespace extract
