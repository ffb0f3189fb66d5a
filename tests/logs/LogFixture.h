#pragma once

#include "CatalogueFixture.h"
#include "Browser.h"
#include "FakeBrowserWindow.h"
#include "FakePrompter.h"
#include "FakeStatusStrip.h"
#include "LogBook.h"
#include "Session.h"

#include <QTemporaryDir>
#include <QtTest>

// A fresh library browsed by the administrator: files 1 plan (.txt), 2 sheet (.XLS), 3 odd
// (type "-Odd", no extension) in folder Plans, and log rows of clerk1 and boss:
//   clerk1: plan Backup 01-01, plan Restore 01-03, sheet Backup 01-02, odd Delete 01-04
//   boss:   plan View 01-05
// The log operations are installed; their window hooks record what they are asked.
struct Log_Fixture {
    Catalogue_Fixture f;
    QTemporaryDir templates;
    Fake_Status_Strip status;
    Fake_Prompter prompter;
    Fake_Browser_Window window;
    Browser browser{f.c, status, prompter, window};
    std::shared_ptr<logs::Log_Book> ops;
    QStringList shown;                 // "caption|file number" per file log window opened
    std::optional<QString> top_answer; // what the top-N dialog gives back
    QStringList sent;

    Log_Fixture() {
        f.add("Grou0001|Office; Dpmt0001|Sales|Grou0001; Fold0001|Plans|Dpmt0001; "
              "1|Fold0001|plan|.txt-Text|0|2026-01-01 10:00:00; "
              "2|Fold0001|sheet|.XLS-Sheet|0|2026-01-01 10:00:00; "
              "3|Fold0001|odd|-Odd|0|2026-01-01 10:00:00");
        f.user(QStringLiteral("Scrollkin"), QStringLiteral("Admin"),
               QStringLiteral("Administrator"));
        f.user(QStringLiteral("clerk1"), QStringLiteral("Clerk"), QStringLiteral("User"));
        f.user(QStringLiteral("boss"), QStringLiteral("Boss"), QStringLiteral("User"));
        log("1", "clerk1", "2026-01-01 09:00:00", "Backup");
        log("1", "clerk1", "2026-01-03 09:00:00", "Restore");
        log("2", "clerk1", "2026-01-02 09:00:00", "Backup");
        log("3", "clerk1", "2026-01-04 09:00:00", "Delete");
        log("1", "boss", "2026-01-05 09:00:00", "View");
        session::Templates_Dir = templates.path() + QStringLiteral("/work/");
        session::Cur_User = QStringLiteral("Scrollkin");
        session::Cur_Role = QStringLiteral("Administrator");
        session::Cur_Dept_Right.clear();
        session::Cur_Folder_Deny.clear();
        logs::Log_Windows hooks;
        hooks.Show_File_Log = [this](const QString& caption, const QString& file_no) {
            shown << caption + QLatin1Char('|') + file_no;
        };
        hooks.Ask_Top_Count = [this] { return top_answer; };
        ops = logs::Install_Log_Operations(browser, f.c, prompter, status, window, hooks);
        browser.Open();
    }
    void log(const char* file_no, const char* user, const char* date, const char* operation) {
        f.run(QStringLiteral("insert into tbl_file_log (file_no,User_Name,Date_Accessed,Operation) "
                             "values ('%1','%2','%3','%4')")
                  .arg(QLatin1String(file_no), QLatin1String(user), QLatin1String(date),
                       QLatin1String(operation)));
    }
    void record() {
        f.c.Set_Recorder([this](const QString& sql) { sent << sql; });
    }
    // The list's rows as "text|cell 1|date (yyyy-MM-dd)|icon key", joined by ";".
    QString rows() const {
        QStringList out;
        for (int i = 0; i < browser.List.Row_Count(); ++i) {
            const List_Row& r = browser.List.Row(i);
            out << r.text + QLatin1Char('|') + r.cells.at(0).toString() + QLatin1Char('|') +
                       r.cells.at(1).toDateTime().toString(QStringLiteral("MM-dd")) +
                       QLatin1Char('|') + r.icon_key;
        }
        return out.join(u';');
    }
};
