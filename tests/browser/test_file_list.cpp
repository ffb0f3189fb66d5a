#include "CatalogueFixture.h"
#include "CatalogueTree.h"
#include "FakeStatusStrip.h"
#include "FileList.h"
#include "ImageList.h"
#include "ListModel.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QtTest>

class Test_File_List : public QObject {
    Q_OBJECT

    std::unique_ptr<Catalogue_Fixture> f_;
    std::unique_ptr<Catalogue_Tree> tree_;
    std::unique_ptr<List_Model> list_;
    std::unique_ptr<Fake_Status_Strip> status_;
    std::unique_ptr<Image_List> images_;
    std::unique_ptr<File_List> files_;
    std::unique_ptr<QAbstractItemModelTester> tester_;
    std::unique_ptr<QTemporaryDir> icons_;
    QStringList icon_requests_;

    QStringList texts() const {
        QStringList out;
        for (int i = 0; i < list_->Row_Count(); ++i)
            out << list_->Row(i).text;
        return out;
    }
    void show(const QString& key) {
        tree_->select(key);
        files_->Get_Lvdata(QStringLiteral("where Folder_No='") + key + QStringLiteral("'"), true);
    }

private Q_SLOTS:
    void init() {
        f_ = std::make_unique<Catalogue_Fixture>();
        f_->group(QStringLiteral("Grou0001"), QStringLiteral("G"));
        f_->department(QStringLiteral("Dpmt0001"), QStringLiteral("D"), QStringLiteral("Grou0001"));
        f_->folder(QStringLiteral("Fold0001"), QStringLiteral("Plans"), QStringLiteral("Dpmt0001"));
        f_->folder(QStringLiteral("Fold00010001"), QStringLiteral("Sub A"),
                   QStringLiteral("Dpmt0001"));
        f_->folder(QStringLiteral("Fold00010002"), QStringLiteral("Sub B"),
                   QStringLiteral("Dpmt0001"));
        tree_ = std::make_unique<Catalogue_Tree>();
        tree_->Build_Tree(f_->c, QStringLiteral("User"), QStringLiteral("clerk1"));
        list_ = std::make_unique<List_Model>();
        tester_ = std::make_unique<QAbstractItemModelTester>(
            list_.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        status_ = std::make_unique<Fake_Status_Strip>();
        images_ = std::make_unique<Image_List>();
        icon_requests_.clear();
        images_->Set_File_Icon_Provider([this](const QString& path) {
            icon_requests_ << QFileInfo(path).fileName();
            return QIcon();
        });
        icons_ = std::make_unique<QTemporaryDir>();
        files_ = std::make_unique<File_List>(f_->c, *tree_, *list_, *status_, *images_);
        files_->Set_Icon_Folder(icons_->path() + QLatin1Char('/'));
        files_->Set_File_Columns();
    }

    void folder_rows_then_files_in_access_and_date_order() {
        f_->file(QStringLiteral("1"), QStringLiteral("Fold0001"), QStringLiteral("old"),
                 QStringLiteral(".txt-Text"), 2, QStringLiteral("2026-01-01 10:00:00"));
        f_->file(QStringLiteral("2"), QStringLiteral("Fold0001"), QStringLiteral("new"),
                 QStringLiteral(".txt-Text"), 2, QStringLiteral("2026-03-01 10:00:00"));
        f_->file(QStringLiteral("3"), QStringLiteral("Fold0001"), QStringLiteral("most read"),
                 QStringLiteral(".doc-Word"), 9, QStringLiteral("2025-01-01 10:00:00"));
        f_->file(QStringLiteral("4"), QStringLiteral("Fold0001"), QStringLiteral("gone"),
                 QStringLiteral(".txt-Text"), 99, QStringLiteral("2026-01-01 10:00:00"),
                 QStringLiteral("1"));
        f_->file(QStringLiteral("5"), QStringLiteral("Fold0002"), QStringLiteral("elsewhere"),
                 QStringLiteral(".txt-Text"), 1, QStringLiteral("2026-01-01 10:00:00"));
        show(QStringLiteral("Fold0001"));
        QCOMPARE(texts(), (QStringList{QStringLiteral("Sub A"), QStringLiteral("Sub B"),
                                       QStringLiteral("most read"), QStringLiteral("new"),
                                       QStringLiteral("old")}));
        QCOMPARE(list_->Row(0).key, QStringLiteral("v'''Fold00010001"));
        QCOMPARE(list_->Row(0).icon_key, QStringLiteral("1"));
        QCOMPARE(list_->Row(2).key, QStringLiteral("file3"));
        QCOMPARE(list_->Row(2).tag, QStringLiteral("3"));
        QCOMPARE(list_->Row(2).icon_key, QStringLiteral(".doc"));
        QCOMPARE(list_->data(list_->index(2, 2), Qt::DisplayRole).toString(),
                 QStringLiteral(".doc-Word"));
        QCOMPARE(list_->data(list_->index(2, 4), Qt::DisplayRole).toString(), QStringLiteral("9"));
        QCOMPARE(status_->caption, QStringLiteral("Total: 5 files."));
        QCOMPARE(status_->captions.first(), QStringLiteral("  Loading data......0 of 3"));
        QCOMPARE(status_->progress_maximum, 4);
        QVERIFY(!status_->progress_visible);
        QCOMPARE(list_->columnCount(), 9);
        QCOMPARE(list_->headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(),
                 QStringLiteral("Size(KB)"));
    }

    void empty_folder_reports_its_folder_rows() {
        show(QStringLiteral("Fold0001"));
        QCOMPARE(status_->caption, QStringLiteral("Total: 2 files."));
        QCOMPARE(status_->captions.size(), 1);
        show(QStringLiteral("Grou0001"));
        QCOMPARE(texts(), QStringList{QStringLiteral("D")});
        QCOMPARE(list_->Row(0).icon_key, QStringLiteral("bdepa"));
        tree_->selection()->clear();
        files_->Get_Lvdata(QStringLiteral("where 1=1 "), false);
        QCOMPARE(texts(), QStringList{QStringLiteral("D")}); // nothing selected: nothing done
    }

    void icon_placeholders_once_per_extension() {
        f_->file(QStringLiteral("1"), QStringLiteral("Fold0001"), QStringLiteral("a"),
                 QStringLiteral(".DOC-Word"), 1, QStringLiteral("2026-01-01 10:00:00"));
        f_->file(QStringLiteral("2"), QStringLiteral("Fold0001"), QStringLiteral("b"),
                 QStringLiteral(".doc-Word"), 1, QStringLiteral("2026-01-01 10:00:00"));
        f_->file(QStringLiteral("3"), QStringLiteral("Fold0001"), QStringLiteral("c"), QString(), 1,
                 QStringLiteral("2026-01-01 10:00:00"));
        f_->file(QStringLiteral("4"), QStringLiteral("Fold0001"), QStringLiteral("d"),
                 QStringLiteral(" -Unknown"), 1, QStringLiteral("2026-01-01 10:00:00"));
        show(QStringLiteral("Fold0001"));
        show(QStringLiteral("Fold0001"));
        QCOMPARE(icon_requests_,
                 (QStringList{QStringLiteral("Icon.doc"), QStringLiteral("Icon ")}));
        QCOMPARE(QDir(icons_->path()).entryList(QDir::Files),
                 (QStringList{QStringLiteral("Icon "), QStringLiteral("Icon.doc")}));
        QCOMPARE(QFileInfo(icons_->path() + QStringLiteral("/Icon.doc")).size(), 4);
        QCOMPARE(File_List::Extension_Key(QStringLiteral(".tar-gz-Archive")),
                 QStringLiteral(".tar"));
        QCOMPARE(File_List::Extension_Key(QStringLiteral("noDash")), QStringLiteral("nodash"));
    }

    void sorting_typed_and_alternating() {
        f_->file(QStringLiteral("1"), QStringLiteral("Fold0002"), QStringLiteral("b"),
                 QStringLiteral(".t-T"), 1, QStringLiteral("2026-01-02 10:00:00"),
                 QStringLiteral("0"), QStringLiteral("10.00"));
        f_->file(QStringLiteral("2"), QStringLiteral("Fold0002"), QStringLiteral("a"),
                 QStringLiteral(".t-T"), 1, QStringLiteral("2026-01-10 10:00:00"),
                 QStringLiteral("0"), QStringLiteral("9.50"));
        f_->file(QStringLiteral("3"), QStringLiteral("Fold0002"), QStringLiteral("c"),
                 QStringLiteral(".t-T"), 1, QStringLiteral("2025-12-31 10:00:00"),
                 QStringLiteral("0"), QStringLiteral("100.00"));
        f_->folder(QStringLiteral("Fold0002"), QStringLiteral("F2"), QStringLiteral("Dpmt0001"));
        tree_->Build_Tree(f_->c, QStringLiteral("User"), QStringLiteral("clerk1"));
        show(QStringLiteral("Fold0002"));
        files_->Column_Click(1); // size, ascending, as numbers: 9.5 before 10
        QCOMPARE(texts(),
                 (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
        files_->Column_Click(1); // same column again: descending
        QCOMPARE(texts(),
                 (QStringList{QStringLiteral("c"), QStringLiteral("b"), QStringLiteral("a")}));
        files_->Column_Click(
            8); // another column after a descending sort: ascending; dates as dates
        QCOMPARE(texts(),
                 (QStringList{QStringLiteral("c"), QStringLiteral("b"), QStringLiteral("a")}));
        files_->Column_Click(0); // and the next click descends, whatever the column
        QCOMPARE(texts(),
                 (QStringList{QStringLiteral("c"), QStringLiteral("b"), QStringLiteral("a")}));
        files_->Column_Click(0);
        QCOMPARE(texts(),
                 (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
    }

    void texts_shown() {
        QCOMPARE(File_List::Selection_Count_Text(3), QStringLiteral("Total: 3files selected."));
        QCOMPARE(List_Model::Display_Text(QVariant()), QString());
        const QDateTime midnight(QDate(2026, 2, 3), QTime(0, 0));
        QCOMPARE(List_Model::Display_Text(midnight),
                 QLocale().toString(midnight.date(), QLocale::ShortFormat));
        const QDateTime later(QDate(2026, 2, 3), QTime(14, 5, 6));
        QVERIFY(List_Model::Display_Text(later).startsWith(
            QLocale().toString(later.date(), QLocale::ShortFormat) + QLatin1Char(' ')));
    }
};

SCROLLKIN_GUI_TEST_MAIN(Test_File_List)
#include "test_file_list.moc"
