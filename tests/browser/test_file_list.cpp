#include "CatalogueFixture.h"
#include "CatalogueTree.h"
#include "FakeStatusStrip.h"
#include "FileList.h"
#include "ImageList.h"
#include "ListModel.h"

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

    QString texts() const {
        QStringList out;
        for (int i = 0; i < list_->Row_Count(); ++i)
            out << list_->Row(i).text;
        return out.join(u',');
    }
    void show(const QString& key) {
        tree_->select(key);
        files_->Get_Lvdata(QStringLiteral("where Folder_No='") + key + QStringLiteral("'"), true);
    }

private Q_SLOTS:
    void init() {
        f_ = std::make_unique<Catalogue_Fixture>();
        f_->add("Grou0001|G; Dpmt0001|D|Grou0001; Fold0001|Plans|Dpmt0001; "
                "Fold00010001|Sub A|Dpmt0001; Fold00010002|Sub B|Dpmt0001");
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
        f_->add("1|Fold0001|old|.txt-Text|2|2026-01-01 00:00:00; "
                "2|Fold0001|new|.txt-Text|2|2026-03-01 10:00:00; "
                "3|Fold0001|most read|.doc-Word|9|2025-01-01 10:00:00; "
                "4|Fold0001|gone|.txt-Text|99|2026-01-01 10:00:00|1; "
                "5|Fold0002|elsewhere|.txt-Text|1|2026-01-01 10:00:00");
        show(QStringLiteral("Fold0001"));
        QCOMPARE(texts(), QStringLiteral("Sub A,Sub B,most read,new,old"));
        QCOMPARE(list_->Row(0).key, QStringLiteral("v'''Fold00010001"));
        QCOMPARE(list_->Row(0).icon_key, QStringLiteral("1"));
        QCOMPARE(list_->Row(2).key, QStringLiteral("file3"));
        QCOMPARE(list_->Row(2).tag, QStringLiteral("3"));
        QCOMPARE(list_->Row(2).icon_key, QStringLiteral(".doc"));
        QCOMPARE(list_->data(list_->index(2, 2), Qt::DisplayRole).toString(),
                 QStringLiteral(".doc-Word"));
        QCOMPARE(list_->data(list_->index(2, 4), Qt::DisplayRole).toString(), QStringLiteral("9"));
        QCOMPARE(status_->caption, QStringLiteral("Total: 5 files."));
        QCOMPARE(File_List::Selection_Count_Text(3), QStringLiteral("Total: 3files selected."));
        QCOMPARE(status_->captions.first(), QStringLiteral("  Loading data......0 of 3"));
        QCOMPARE(status_->progress_maximum, 4);
        QVERIFY(!status_->progress_visible);
        QCOMPARE(list_->columnCount(), 9);
        QCOMPARE(list_->headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(),
                 QStringLiteral("Size(KB)"));
        // Dates in the user's locale with seconds but no time zone (the library's dates carry
        // none; locales put it in brackets, after a comma, ...); midnight as the date alone.
        const std::pair<const char*, const char*> dates[] = {
            {"en_US", "3/1/26 10:00:00 AM,1/1/26"},
            {"eu_ES", "26/3/1 10:00:00,26/1/1"},
            {"sq_AL", "1.3.26 10:00:00 E PARADITES,1.1.26"},
            {"yue_HK", "2026/3/1 上午10:00:00,2026/1/1"}};
        for (const auto& [locale, shown] : dates) {
            QLocale::setDefault(QLocale(QLatin1String(locale)));
            QCOMPARE(list_->data(list_->index(3, 8), Qt::DisplayRole).toString() + u',' +
                         list_->data(list_->index(4, 8), Qt::DisplayRole).toString(),
                     QString::fromUtf8(shown));
        }
    }

    void empty_folder_reports_its_folder_rows() {
        show(QStringLiteral("Fold0001"));
        QCOMPARE(status_->caption, QStringLiteral("Total: 2 files."));
        QCOMPARE(status_->captions.size(), 1);
        show(QStringLiteral("Grou0001"));
        QCOMPARE(texts(), QStringLiteral("D"));
        QCOMPARE(list_->Row(0).icon_key, QStringLiteral("bdepa"));
        tree_->selection()->clear();
        files_->Get_Lvdata(QStringLiteral("where 1=1 "), false);
        QCOMPARE(texts(), QStringLiteral("D")); // nothing selected: nothing done
    }

    void icon_placeholders_once_per_extension() {
        f_->add(
            "1|Fold0001|a|.DOC-Word|1|2026-01-01 10:00:00; "
            "2|Fold0001|b|.doc-Word|1|2026-01-01 10:00:00; "
            "3|Fold0001|c||1|2026-01-01 10:00:00; 4|Fold0001|d| -Unknown|1|2026-01-01 10:00:00");
        show(QStringLiteral("Fold0001"));
        show(QStringLiteral("Fold0001"));
        QCOMPARE(icon_requests_, testenv::List("Icon.doc,Icon "));
        QCOMPARE(QDir(icons_->path()).entryList(QDir::Files), testenv::List("Icon ,Icon.doc"));
        QCOMPARE(QFileInfo(icons_->path() + QStringLiteral("/Icon.doc")).size(), 4);
        QCOMPARE(File_List::Extension_Key(QStringLiteral(".tar-gz-Archive")),
                 QStringLiteral(".tar"));
        QCOMPARE(File_List::Extension_Key(QStringLiteral("noDash")), QStringLiteral("nodash"));
    }

    void sorting_typed_and_alternating() {
        f_->add("Fold0002|F2|Dpmt0001; 1|Fold0002|b|.t-T|1|2026-01-02 10:00:00|0|10.00; "
                "2|Fold0002|a|.t-T|1|2026-01-10 10:00:00|0|9.50; "
                "3|Fold0002|c|.t-T|1|2025-12-31 10:00:00|0|100.00");
        tree_->Build_Tree(f_->c, QStringLiteral("User"), QStringLiteral("clerk1"));
        show(QStringLiteral("Fold0002"));
        // Size as numbers: 9.5 before 10; the same column again descends; another column after
        // a descending sort ascends (dates as dates), and the next click descends again.
        const std::pair<int, const char*> clicks[] = {
            {1, "a,b,c"}, {1, "c,b,a"}, {8, "c,b,a"}, {0, "c,b,a"}, {0, "a,b,c"}};
        for (auto [column, order] : clicks) {
            files_->Column_Click(column);
            QCOMPARE(texts(), QLatin1String(order));
        }
    }
};

SCROLLKIN_GUI_TEST_MAIN(Test_File_List)
#include "test_file_list.moc"
