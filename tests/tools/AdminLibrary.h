#pragma once

// A library made by the real scrollkin-admin for tests that run several programs on it: the
// catalogue Office / Sales with the folders Fold0001 to Fold0003, and clerk1 holding right A in
// Sales.

#include "AdminRun.h"
#include "Connection.h"
#include "ConnectionString.h"
#include "ContentTransfer.h"

#include <QCryptographicHash>
#include <QIODevice>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdlib>

struct Admin_Library {
    QTemporaryDir dir;
    QString cs = db::Connection_String::embedded(dir.filePath(QStringLiteral("library.db")));

    Admin_Library() {
        const Run made = Admin({QStringLiteral("init"), cs});
        if (made.code != 0)
            qFatal("init failed: %s", qPrintable(Show(made)));
        db::Connection c;
        c.Open(cs);
        for (const char* sql :
             {"INSERT INTO REF_Group(Group_No,Group_Name) VALUES ('Grou0001','Office')",
              "INSERT INTO TBL_DEPARTMENT(DEPARTMENT_No,DEPARTMENT_Name,Group_NO) VALUES "
              "('Dpmt0001','Sales','Grou0001')",
              "INSERT INTO TBL_Folder(Folder_No,Folder_Name,DEPARTMENT_No) VALUES "
              "('Fold0001','Plans','Dpmt0001')",
              "INSERT INTO TBL_Folder(Folder_No,Folder_Name,DEPARTMENT_No) VALUES "
              "('Fold0002','Archive','Dpmt0001')",
              "INSERT INTO TBL_Folder(Folder_No,Folder_Name,DEPARTMENT_No) VALUES "
              "('Fold0003','Legacy','Dpmt0001')",
              "insert into tbl_user(UID,Name,Sys_Role,PWD) values ('clerk1','Clerk','User','p')",
              "insert into Tbl_User_Department_Right(uid,DEPARTMENT_NO,User_Right) VALUES "
              "('clerk1','Dpmt0001','A')"})
            c.Run_Statement(QString::fromLatin1(sql));
    }

    // scrollkin-admin backup as clerk1 into a folder, replacing files of the same name.
    QStringList backup_args(const QString& folder, const QStringList& paths) const {
        return QStringList{QStringLiteral("backup"),      cs,
                           QStringLiteral("--user"),      QStringLiteral("clerk1"),
                           QStringLiteral("--folder"),    folder,
                           QStringLiteral("--overwrite"), QStringLiteral("yes")} +
               paths;
    }
};

// Digests what is written to it: a restore into it reads the stored content the way every
// restore does, without a disk file.
class Digest_Device : public QIODevice {
public:
    Digest_Device() : hash_(QCryptographicHash::Sha1) { open(QIODevice::WriteOnly); }
    QByteArray result() const { return hash_.result().toHex(); }
    qint64 bytes() const { return bytes_; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 n) override {
        hash_.addData(QByteArrayView(data, n));
        bytes_ += n;
        return n;
    }

private:
    QCryptographicHash hash_;
    qint64 bytes_ = 0;
};

inline QByteArray Digest(const QByteArray& bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex();
}

// The digest of a stored file's content, read as a restore reads it.
inline QByteArray Stored_Digest(db::Connection& c, const QString& file_no) {
    Digest_Device d;
    store::Blob_To_File(c, d, file_no);
    return d.result();
}

// A whole number from the environment, or the fallback when it is not set.
inline qint64 Env_Number(const char* name, qint64 fallback) {
    bool ok = false;
    const qint64 v = qEnvironmentVariable(name).toLongLong(&ok);
    return ok ? v : fallback;
}
