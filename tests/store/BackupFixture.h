#pragma once

#include "Backup.h"
#include "Browser.h"
#include "ContentTransfer.h"
#include "FakePrompter.h"
#include "FakeStatusStrip.h"
#include "Session.h"
#include "StoreFixture.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

// A browser on a fresh library showing the folder Fold0001 (Office / Sales / Plans) to clerk1,
// who holds right A there, with backup installed and a folder of source files at hand.
struct Backup_Fixture {
    struct Window : Browser_Window {
        QStringList calls;
        void Pop_Up_Menu(const QString& menu, const Menu_State&) override {
            calls << QStringLiteral("popup ") + menu;
        }
        void Collapse_Node(const QModelIndex&) override {}
        void Set_Group_Text(const QString&) override {}
        void Autosize_List() override { calls << QStringLiteral("autosize"); }
        void Pump_Events() override { calls << QStringLiteral("pump"); }
    };

    Catalogue_Fixture f;
    QTemporaryDir templates, sources;
    Fake_Status_Strip status;
    Fake_Prompter prompter;
    Window window;
    Browser browser{f.c, status, prompter, window};
    std::shared_ptr<store::Backup> backup;

    Backup_Fixture() {
        Seed_Sales_Office(f);
        f.folder(QStringLiteral("Fold0002"), QStringLiteral("Secret"), QStringLiteral("Dpmt0001"));
        Sign_In_Clerk(templates.path());
        backup = store::Install_Backup_Operations(browser, f.c, prompter, status, window);
        browser.Open();
        browser.Node_Click(QStringLiteral("Fold0001"));
    }

    QString source(const QString& name, const QByteArray& bytes = QByteArray("content")) const {
        return testenv::Write_File(sources.filePath(name), bytes);
    }

    QStringList rows(const QString& sql) { return Query_Rows(f.c, sql); }
    QString one(const QString& sql) { return rows(sql).value(0); }

    QByteArray content(const QString& file_no) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        store::Blob_To_File(f.c, buffer, file_no);
        return buffer.data();
    }

    // The list's rows as "text|size|type|key|tag".
    QStringList listed() const {
        QStringList out;
        for (int i = 0; i < browser.List.Row_Count(); ++i) {
            const List_Row& r = browser.List.Row(i);
            out << QStringList{r.text, r.cells.size() > 0 ? r.cells[0].toString() : QString(),
                               r.cells.size() > 1 ? r.cells[1].toString() : QString(), r.key, r.tag}
                       .join(u'|');
        }
        return out;
    }

    // What must hold after any backup, failed or not: every live file has its content.
    int files_without_content() {
        return one(QStringLiteral("select count(*) from Tbl_File_Information i where "
                                  "deleted='0' and not exists(select * from Tbl_File_Data d "
                                  "where d.file_no=i.File_NO)"))
            .toInt();
    }
};
