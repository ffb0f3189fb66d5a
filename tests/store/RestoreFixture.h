#pragma once

#include "Browser.h"
#include "FakePrompter.h"
#include "FakeStatusStrip.h"
#include "RestoreOperations.h"
#include "Session.h"
#include "SqlRecord.h"
#include "StoreFixture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

// A browser on a fresh library showing the folder Fold0001 (Office / Sales / Plans, with the
// sub folder Drafts) to clerk1, who holds right A there. The folder holds four stored files:
//   file 1 "plan"   .doc-Word document    accessed 5 times
//   file 2 "photo"  .TIF-TIFF image       accessed 4 times
//   file 3 "notes"  .txt-Text             accessed 3 times
//   file 4 "README"  -File (no extension) accessed 2 times
// The list shows the folder row first, then the files in that order (rows 1 to 4).
// Restore is installed with fake viewer, associated program and "Open with".
struct Restore_Fixture {
    Catalogue_Fixture f;
    QTemporaryDir templates, desktop, out;
    Fake_Status_Strip status;
    Fake_Prompter prompter;
    Counting_Window window;
    Browser browser{f.c, status, prompter, window};
    std::shared_ptr<store::Restore_Operations> ops;
    // What the hooks were given, as "picture <path>", "open <path>", "open with <path>".
    QStringList opened;
    bool associated_program = true;

    static QByteArray content(const QString& file_no) {
        return QByteArray("content of file ") + file_no.toLatin1();
    }

    Restore_Fixture() {
        Seed_Sales_Office(f);
        f.folder(QStringLiteral("Fold00010001"), QStringLiteral("Drafts"),
                 QStringLiteral("Dpmt0001"));
        const char* files[][2] = {{"plan", ".doc-Word document"},
                                  {"photo", ".TIF-TIFF image"},
                                  {"notes", ".txt-Text"},
                                  {"README", " -File"}};
        for (int i = 0; i < 4; ++i) {
            const QString no = QString::number(i + 1);
            f.file(no, QStringLiteral("Fold0001"), QLatin1String(files[i][0]),
                   QLatin1String(files[i][1]), 5 - i, QStringLiteral("2026-01-01 10:00:00"));
            store_content(no, content(no));
        }
        Sign_In_Clerk(templates.path());
        session::Desktop_Dir = desktop.path();

        store::View_Hooks hooks;
        hooks.Is_Picture_Type = [](const QString& extension) {
            return QStringList{QStringLiteral(".BMP"), QStringLiteral(".JPG"),
                               QStringLiteral(".TIF")}
                .contains(extension.toUpper());
        };
        hooks.Show_Picture = [this](const QString& path) {
            opened << QStringLiteral("picture ") + path;
        };
        hooks.Open_Associated = [this](const QString& path) {
            opened << QStringLiteral("open ") + path;
            return associated_program;
        };
        hooks.Open_With = [this](const QString& path) {
            opened << QStringLiteral("open with ") + path;
        };
        ops = store::Install_Restore_Operations(browser, f.c, prompter, status, window,
                                                std::move(hooks));
        browser.Open();
        browser.Node_Click(QStringLiteral("Fold0001"));
    }

    store::Restore& restore() { return ops->restore(); }

    void store_content(const QString& file_no, const QByteArray& bytes) {
        f.run(QStringLiteral("delete from Tbl_File_Data where file_no='%1'").arg(file_no));
        const db::Sql_Record_Pause sqlite_only; // X'..' is SQLite's binary literal
        f.run(QStringLiteral("insert into Tbl_File_Data (file_no,file_data) values ('%1',X'%2')")
                  .arg(file_no, QString::fromLatin1(bytes.toHex())));
    }

    int row_of(const QString& text) const {
        for (int i = 0; i < browser.List.Row_Count(); ++i)
            if (browser.List.Row(i).text == text)
                return i;
        return -1;
    }
    // Selects these rows (by text) and makes the first one current.
    void select(const QStringList& texts) {
        QList<int> rows;
        for (const QString& t : texts)
            rows << row_of(t);
        Select_Rows(browser, rows);
    }

    QStringList rows(const QString& sql) { return Query_Rows(f.c, sql); }
    QString one(const QString& sql) { return rows(sql).value(0); }
    QStringList log() {
        return rows(QStringLiteral("select file_no,User_Name,Operation from Tbl_File_Log"));
    }
    // The library's count and last reader of a file: "3|clerk1".
    QString counted(const QString& file_no) {
        return one(QStringLiteral("select File_QTYAccessed,LastAccessed_by from "
                                  "Tbl_File_Information where File_NO='%1'")
                       .arg(file_no));
    }
    // The list's Accessed QTY and LastAccessed By of a row: "3|clerk1".
    QString listed_count(int row) const {
        const List_Row& r = browser.List.Row(row);
        return r.cells.at(3).toString() + u'|' + r.cells.at(5).toString();
    }

    static QByteArray read(const QString& path) { return testenv::Read_File(path); }
    static void write(const QString& path, const QByteArray& bytes) {
        testenv::Write_File(path, bytes);
    }
    QString out_path(const QString& name) const { return out.filePath(name); }
};
