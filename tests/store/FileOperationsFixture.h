#pragma once

#include "Browser.h"
#include "FakePrompter.h"
#include "FakeStatusStrip.h"
#include "FileOperations.h"
#include "FilePassword.h"
#include "Session.h"
#include "SqlRecord.h"
#include "StoreFixture.h"

#include <QTemporaryDir>
#include <QtTest>

#include <deque>
#include <optional>

// The password dialog as a script: each showing takes the next answer, a password typed and
// confirmed with OK, or nothing for Cancel. Records each caption shown.
struct Scripted_Password_Dialog : File_Password_Dialog {
    std::deque<std::optional<QString>> answers;
    QStringList captions;
    void Run(File_Password_Form& form) override {
        captions << form.Caption();
        if (answers.empty()) {
            QTest::qFail("the password dialog was not expected", __FILE__, __LINE__);
            form.Cancel();
            return;
        }
        const std::optional<QString> typed = answers.front();
        answers.pop_front();
        if (!typed || form.Ok(QString(), *typed) != File_Password_Form::Ok_Outcome::Close)
            form.Cancel();
    }
};

// A browser on a fresh library showing Fold0001 (Office / Sales / Plans) to clerk1, who holds
// right A there: the sub folder Drafts as row 0, then the stored files f1 ... fn (file numbers
// 1 ... n, content "content i") as rows 1 ... n. Folders Fold0002 and Fold0003 are empty.
// Password checks and the file operations are installed.
struct File_Operations_Fixture {
    Catalogue_Fixture f;
    QTemporaryDir templates;
    Fake_Status_Strip status;
    Fake_Prompter prompter;
    Counting_Window window;
    Scripted_Password_Dialog dialog;
    Browser browser{f.c, status, prompter, window};
    std::shared_ptr<store::File_Operations> ops;
    QStringList sent;

    explicit File_Operations_Fixture(int files = 5) {
        Seed_Sales_Office(f);
        f.folder(QStringLiteral("Fold00010001"), QStringLiteral("Drafts"),
                 QStringLiteral("Dpmt0001"));
        f.folder(QStringLiteral("Fold0002"), QStringLiteral("Archive"), QStringLiteral("Dpmt0001"));
        f.folder(QStringLiteral("Fold0003"), QStringLiteral("Spare"), QStringLiteral("Dpmt0001"));
        for (int i = 1; i <= files; ++i) {
            const QString no = QString::number(i);
            // Listed most accessed first: f1 first.
            f.file(no, QStringLiteral("Fold0001"), QStringLiteral("f") + no,
                   QStringLiteral(".txt-Text"), 1000 - i, QStringLiteral("2026-01-01 10:00:00"),
                   QStringLiteral("0"), QString::number(i) + QStringLiteral(".00"));
            const db::Sql_Record_Pause sqlite_only; // X'..' is SQLite's binary literal
            f.run(
                QStringLiteral("insert into Tbl_File_Data (file_no,file_data) values ('%1',X'%2')")
                    .arg(no, QString::fromLatin1(content(i).toHex())));
        }
        f.run(QStringLiteral("insert into tbl_file_no(Last_File_No) values(%1)").arg(files));
        Sign_In_Clerk(templates.path());
        Install_Password_Operations(browser, f.c, prompter, status, dialog);
        ops = store::Install_File_Operations(browser, f.c, prompter, status, window);
        browser.Open();
        browser.Node_Click(QStringLiteral("Fold0001"));
    }

    // Signs in as o'hara, who also holds right A in Sales.
    void sign_in_as_ohara() {
        f.user(QStringLiteral("o''hara"), QStringLiteral("O''Hara"), QStringLiteral("User"));
        f.right(QStringLiteral("o''hara"), QStringLiteral("Dpmt0001"), QStringLiteral("A"));
        session::Cur_User = QStringLiteral("o'hara");
    }

    static QByteArray content(int i) { return QByteArray("content ") + QByteArray::number(i); }

    void protect(int no, const QString& password, bool protect) {
        f.run(QStringLiteral("update Tbl_File_Information set file_password=%1, File_Protect='%2' "
                             "where File_NO='%3'")
                  .arg(password.isEmpty() ? QStringLiteral("NULL")
                                          : QLatin1Char('\'') + password + QLatin1Char('\''))
                  .arg(protect ? 1 : 0)
                  .arg(no));
    }
    void select(const QList<int>& rows) {
        browser.List_Selection.clearSelection();
        for (int r : rows)
            browser.List_Selection.select(browser.List.index(r, 0),
                                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
        if (!rows.isEmpty())
            browser.List_Selection.setCurrentIndex(browser.List.index(rows.first(), 0),
                                                   QItemSelectionModel::NoUpdate);
    }
    void record() {
        sent.clear();
        f.c.Set_Recorder([this](const QString& sql) { sent << sql; });
    }

    QStringList rows(const QString& sql) { return Query_Rows(f.c, sql); }
    QString one(const QString& sql) { return rows(sql).value(0); }
    QStringList texts() const {
        QStringList out;
        for (int i = 0; i < browser.List.Row_Count(); ++i)
            out << browser.List.Row(i).text;
        return out;
    }
    // Live catalogue rows without content: must stay 0 whatever fails.
    int half_files() {
        return one(QStringLiteral("select count(*) from Tbl_File_Information i where "
                                  "deleted='0' and not exists(select * from Tbl_File_Data d "
                                  "where d.file_no=i.File_NO)"))
            .toInt();
    }
};
