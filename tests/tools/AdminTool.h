#pragma once

// The real scrollkin-admin executable run by tests, and libraries it made.

#include "TestEnv.h"
#include "db/Connection.h"
#include "db/ConnectionString.h"
#include "store/ContentTransfer.h"

#include <QtTest>

#include <csignal>
#include <sys/resource.h>

struct Run {
    int code = -1;
    QString out, err;
};

// file_size_limit: the largest file the tool may write, as on a small disk (0: no limit);
// environment: NAME=VALUE settings added for this run.
inline Run Admin(const QStringList& args, rlim_t file_size_limit = 0,
                 const QStringList& environment = {}) {
    QProcess p;
    if (!environment.isEmpty()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const QString& setting : environment)
            env.insert(setting.section(u'=', 0, 0), setting.section(u'=', 1));
        p.setProcessEnvironment(env);
    }
    if (file_size_limit)
        p.setChildProcessModifier([file_size_limit] {
            const rlimit limit{file_size_limit, file_size_limit};
            setrlimit(RLIMIT_FSIZE, &limit);
            signal(SIGXFSZ, SIG_IGN); // a write past it fails instead of killing the tool
        });
    p.start(QString::fromUtf8(SCROLLKIN_ADMIN_EXE), args);
    if (!p.waitForFinished(60000))
        qWarning("scrollkin-admin did not finish");
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

// The whole answer, for a failed check's message.
inline QString Show(const Run& r) {
    return u"exit %1\nstdout:\n%2\nstderr:\n%3"_s.arg(r.code).arg(r.out, r.err);
}

// A library made by scrollkin-admin init in a folder of its own: the catalogue Office / Sales
// with the folders Fold0001 to Fold0003; clerk1 and o'hara hold right A in Sales, reader C.
// Without the catalogue: only the folder, and where the library would be.
struct Admin_Library {
    QTemporaryDir dir;
    QString cs = db::Connection_String::embedded(dir.filePath(u"library.db"_s));

    explicit Admin_Library(bool catalogue = true) {
        if (!catalogue)
            return;
        if (const Run made = Admin({u"init"_s, cs}); made.code != 0)
            qFatal("init failed: %s", qPrintable(Show(made)));
        db::Connection c;
        c.Open(cs);
        for (const char* sql :
             {"INSERT INTO REF_Group(Group_No,Group_Name) VALUES ('Grou0001','Office')",
              "INSERT INTO TBL_DEPARTMENT(DEPARTMENT_No,DEPARTMENT_Name,Group_NO) VALUES "
              "('Dpmt0001','Sales','Grou0001')",
              "INSERT INTO TBL_Folder(Folder_No,Folder_Name,DEPARTMENT_No) VALUES "
              "('Fold0001','Plans','Dpmt0001'),('Fold0002','Archive','Dpmt0001'),"
              "('Fold0003','Legacy','Dpmt0001')",
              "insert into tbl_user(UID,Name,Sys_Role,PWD) values ('clerk1','Clerk','User','p'),"
              "('o''hara','O','User','p'),('reader','R','User','p')",
              "insert into Tbl_User_Department_Right(uid,DEPARTMENT_NO,User_Right) VALUES "
              "('clerk1','Dpmt0001','A'),('o''hara','Dpmt0001','A'),('reader','Dpmt0001','C')"})
            c.Run_Statement(QString::fromLatin1(sql));
    }

    // scrollkin-admin backup as clerk1 into a folder, replacing files of the same name.
    QStringList backup_args(const QString& folder, const QStringList& paths) const {
        return u"backup|%1|--user|clerk1|--folder|%2|--overwrite|yes"_s.arg(cs, folder)
                   .split(u'|') +
               paths;
    }
};

inline QByteArray Digest(const QByteArray& bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex();
}

// The digest of a stored file's content, read as a restore reads it.
inline QByteArray Stored_Digest(db::Connection& c, const QString& file_no) {
    QBuffer content;
    content.open(QIODevice::WriteOnly);
    store::Blob_To_File(c, content, file_no);
    return Digest(content.data());
}

// A long run outlasts QtTest's limit of five minutes per test function.
struct Long_Runs {
    Long_Runs() {
        if (qEnvironmentVariableIsEmpty("QTEST_FUNCTION_TIMEOUT"))
            qputenv("QTEST_FUNCTION_TIMEOUT", "86400000");
    }
};

// A whole number from the environment, or the fallback when it is not set.
inline qint64 Env_Number(const char* name, qint64 fallback) {
    bool ok = false;
    const qint64 v = qEnvironmentVariable(name).toLongLong(&ok);
    return ok ? v : fallback;
}
