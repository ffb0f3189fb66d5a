#include "Browser.h"
#include "CatalogueFixture.h"
#include "Error.h"
#include "FakeBrowserWindow.h"
#include "FakePrompter.h"
#include "FakeStatusStrip.h"
#include "SearchOperations.h"
#include "Session.h"

#include <QtTest>

Q_DECLARE_METATYPE(Search_Fields)

namespace {

const QDate Today(2026, 3, 31);

// Fields from "name=value" pairs apart by ";": name, type, owner, reader, from, to, time (the
// type's position), option (days, months, dates), days, months, since and until (yyyy-MM-dd).
Search_Fields fields(const char* pairs) {
    Search_Fields f;
    f.from = Today.addDays(-1);
    f.to = Today;
    for (const QString& pair :
         QString::fromUtf8(pairs).split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString name = pair.section(QLatin1Char('='), 0, 0).trimmed();
        const QString value = pair.section(QLatin1Char('='), 1);
        const auto is = [&](const char* n) { return name == QLatin1String(n); };
        if (is("name"))
            f.file_name = value;
        else if (is("type"))
            f.file_type = value;
        else if (is("owner"))
            f.created_by = value;
        else if (is("reader"))
            f.last_accessed_by = value;
        else if (is("from"))
            f.size_from = value;
        else if (is("to"))
            f.size_to = value;
        else if (is("time")) {
            f.time = true;
            f.time_type = value.toInt();
        } else if (is("option"))
            f.option = value == QLatin1String("days")     ? Time_Option::Days
                       : value == QLatin1String("months") ? Time_Option::Months
                                                          : Time_Option::From_To;
        else if (is("days"))
            f.before_days = value;
        else if (is("months"))
            f.before_months = value;
        else if (is("since"))
            f.from = QDate::fromString(value, Qt::ISODate);
        else if (is("until"))
            f.to = QDate::fromString(value, Qt::ISODate);
    }
    return f;
}

} // namespace

class Test_Search : public QObject {
    Q_OBJECT

    std::unique_ptr<Catalogue_Fixture> f_;
    std::unique_ptr<QTemporaryDir> templates_;
    Fake_Status_Strip status_;
    std::unique_ptr<Fake_Prompter> prompter_;
    Fake_Browser_Window window_;
    std::unique_ptr<Browser> b_;
    std::unique_ptr<Search_Operations> search_;
    QStringList sent_;

    QString texts() const {
        QStringList out;
        for (int i = 0; i < b_->List.Row_Count(); ++i)
            out << b_->List.Row(i).text;
        return out.join(u',');
    }
    // A date column's value a number of days before today, at ten in the morning.
    static QString days_ago(int n) {
        return QDateTime(QDate::currentDate().addDays(-n), QTime(10, 0))
            .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    }

private Q_SLOTS:
    void init() {
        f_ = std::make_unique<Catalogue_Fixture>();
        // Sizes in kilobytes as the store writes them: as texts, "9.50" sorts after "10.00".
        f_->add("Grou0001|Office; Dpmt0001|Sales|Grou0001; Fold0001|Plans|Dpmt0001; "
                "Fold0002|Drafts|Dpmt0001; "
                "1|Fold0001|plan a|.doc-Word|3|2026-01-01 10:00:00|0|9.50; "
                "2|Fold0002|plan b|.docx-Word|2|2026-01-01 10:00:00|0|10.00; "
                "3|Fold0001|O''Brien notes|.txt-Text|1|2026-01-01 10:00:00|0|120.25; "
                "4|Fold0001|plan gone|.doc-Word|9|2026-01-01 10:00:00|1|10.00");
        f_->run(QStringLiteral("update Tbl_File_Information set File_Owner='clerk2', "
                               "LastAccessed_by='O''Hara' where File_NO='2'"));
        f_->run(QStringLiteral("update Tbl_File_Information set File_DateCreated='%1', "
                               "File_DateLastAccessed='%2', File_DateLastModified='%3'")
                    .arg(days_ago(40), days_ago(1), days_ago(0)));
        f_->run(QStringLiteral("update Tbl_File_Information set File_DateCreated='%1', "
                               "File_DateLastAccessed='%2', File_DateLastModified='%3' where "
                               "File_NO='3'")
                    .arg(days_ago(2), days_ago(10), days_ago(3)));
        f_->user(QStringLiteral("Scrollkin"), QStringLiteral("Admin"),
                 QStringLiteral("Administrator"));
        f_->user(QStringLiteral("clerk1"), QStringLiteral("Clerk"), QStringLiteral("User"));
        templates_ = std::make_unique<QTemporaryDir>();
        session::Templates_Dir = templates_->path() + QStringLiteral("/work/");
        session::Cur_User = QStringLiteral("Scrollkin");
        session::Cur_Role = QStringLiteral("Administrator");
        prompter_ = std::make_unique<Fake_Prompter>();
        b_ = std::make_unique<Browser>(f_->c, status_, *prompter_, window_);
        b_->Open();
        search_ = std::make_unique<Search_Operations>(*b_, f_->c, *prompter_);
        sent_.clear();
        f_->c.Set_Recorder([this](const QString& sql) { sent_ << sql; });
    }
    void cleanup() {
        f_->c.Set_Recorder({});
        search_.reset();
        b_.reset();
        prompter_.reset();
    }

    void condition_texts_data() {
        QTest::addColumn<Search_Fields>("fields");
        QTest::addColumn<QString>("sqlite");
        QTest::addColumn<QString>("sql_server"); // empty: as for SQLite
        const auto row = [](const char* tag, const char* pairs, const char* sqlite,
                            const char* sql_server = "") {
            QTest::newRow(tag) << fields(pairs) << QString::fromUtf8(sqlite)
                               << QString::fromUtf8(sql_server);
        };
        // clang-format off
        row("nothing filled", "", "where 1=1 ");
        row("blanks only", "name=  ;type= ;owner= ;reader= ;from= ;to=  ", "where 1=1 ");
        row("name abc", "name=abc", "where 1=1  and File_Name like '%abc%' ");
        row("name and owner", "name=plan;owner=clerk1",
            "where 1=1  and File_Name like '%plan%'  and File_Owner ='clerk1' ");
        row("name kept untrimmed", "name= plan ", "where 1=1  and File_Name like '% plan %' ");
        row("type", "type=doc", "where 1=1  and File_Type like '%doc%' ");
        row("owner", "owner=clerk1", "where 1=1  and File_Owner ='clerk1' ");
        row("last reader", "reader=clerk1", "where 1=1  and LastAccessed_by ='clerk1' ");
        row("size from", "from=10", "where 1=1  and cast(file_size as float) >=10 ");
        row("size to, blanks round it", "to= 2.5 ", "where 1=1  and cast(file_size as float) <=2.5 ");
        row("quotes doubled", "name=O'Brien;type=a'b;owner=d'Arcy;reader=O'Hara",
            "where 1=1  and File_Name like '%O''Brien%'  and File_Type like '%a''b%'  and "
            "File_Owner ='d''Arcy'  and LastAccessed_by ='O''Hara' ");
        row("time ticked, no option", "name=a;time=0;days=3", "where 1=1  and File_Name like '%a%' ");
        row("option without time", "option=days;days=3", "where 1=1 ");
        row("days, created", "time=0;option=days;days=3",
            "where 1=1  and File_DateCreated>='2026-03-28 00:00:00' ",
            "where 1=1  and File_DateCreated>='20260328 00:00:00' ");
        row("days, last accessed", "time=1;option=days;days=31",
            "where 1=1  and File_DateLastAccessed>='2026-02-28 00:00:00' ");
        row("days, last modified", "time=2;option=days;days=0",
            "where 1=1  and File_DateLastModified>='2026-03-31 00:00:00' ");
        row("days, leading number", "time=0;option=days;days=15abc",
            "where 1=1  and File_DateCreated>='2026-03-16 00:00:00' ");
        row("days, not a number is today", "time=0;option=days;days=abc",
            "where 1=1  and File_DateCreated>='2026-03-31 00:00:00' ");
        row("days, blank box", "time=0;option=days;days=  ", "where 1=1 ");
        row("days, past every date", "time=0;option=days;days=99999999999999999999999",
            "where 1=1  and File_DateCreated>='1753-01-01 00:00:00' ");
        row("months, to the month's last day", "time=2;option=months;months=1",
            "where 1=1  and File_DateLastModified>='2026-02-28 00:00:00' ",
            "where 1=1  and File_DateLastModified>='20260228 00:00:00' ");
        row("months, over a year", "time=0;option=months;months=14",
            "where 1=1  and File_DateCreated>='2025-01-31 00:00:00' ");
        row("months, blank box, days ignored", "time=0;option=months;days=3", "where 1=1 ");
        row("from yesterday to today", "time=0;option=dates",
            "where 1=1  and File_DateCreated>='2026-03-30 00:00:00' and "
            "File_DateCreated<'2026-04-01 00:00:00' ",
            "where 1=1  and File_DateCreated>='20260330 00:00:00' and "
            "File_DateCreated<'20260401 00:00:00' ");
        row("from-to, chosen dates", "time=1;option=dates;since=2025-12-24;until=2025-12-31",
            "where 1=1  and File_DateLastAccessed>='2025-12-24 00:00:00' and "
            "File_DateLastAccessed<'2026-01-01 00:00:00' ");
        row("all seven in order",
            "name=plan;type=doc;owner=clerk1;reader=clerk2;from=1;to=99.5;time=2;option=days;days=7",
            "where 1=1  and File_Name like '%plan%'  and File_Type like '%doc%'  and "
            "File_Owner ='clerk1'  and LastAccessed_by ='clerk2'  and cast(file_size as float) >=1 "
            " and cast(file_size as float) <=99.5  and File_DateLastModified>='2026-03-24 00:00:00' ");
        // clang-format on
    }
    void condition_texts() {
        QFETCH(Search_Fields, fields);
        QFETCH(QString, sqlite);
        QFETCH(QString, sql_server);
        const Search_Condition c = Build_Search_Condition(fields, Today, db::Engine::Sqlite);
        QVERIFY(!c.refused());
        QCOMPARE(c.where, sqlite);
        if (!sql_server.isEmpty())
            QCOMPARE(Build_Search_Condition(fields, Today, db::Engine::Sql_Server).where,
                     sql_server);
    }

    // Each search against a library: a wrong column, join or comparison finds other files.
    void search_finds_data() {
        QTest::addColumn<Search_Fields>("fields");
        QTest::addColumn<QString>("found");
        // clang-format off
        QTest::newRow("everything live") << fields("") << "plan a,plan b,O'Brien notes";
        QTest::newRow("name") << fields("name=plan") << "plan a,plan b";
        QTest::newRow("name with a quote") << fields("name=O'B") << "O'Brien notes";
        QTest::newRow("type matches .docx too") << fields("type=doc") << "plan a,plan b";
        QTest::newRow("owner") << fields("owner=clerk2") << "plan b";
        QTest::newRow("last reader with a quote") << fields("reader=O'Hara") << "plan b";
        QTest::newRow("size from 10: 9.50 is below") << fields("from=10") << "plan b,O'Brien notes";
        QTest::newRow("size to 10: 120.25 is above") << fields("to=10") << "plan a,plan b";
        QTest::newRow("size range") << fields("from=9.5;to=9.5") << "plan a";
        QTest::newRow("created within 5 days") << fields("time=0;option=days;days=5") << "O'Brien notes";
        QTest::newRow("accessed within 5 days") << fields("time=1;option=days;days=5") << "plan a,plan b";
        QTest::newRow("created within 2 months") << fields("time=0;option=months;months=2") << "plan a,plan b,O'Brien notes";
        QTest::newRow("modified yesterday to today") << fields("time=2;option=dates") << "plan a,plan b";
        QTest::newRow("name and time") << fields("name=notes;time=2;option=days;days=3") << "O'Brien notes";
        QTest::newRow("nothing matches") << fields("name=plan;owner=nobody") << "";
        // clang-format on
    }
    void search_finds() {
        QFETCH(Search_Fields, fields);
        QFETCH(QString, found);
        // The dates seeded are relative to the real today.
        fields.from = QDate::currentDate().addDays(-1);
        fields.to = QDate::currentDate();
        QCOMPARE(search_->Query(fields, QDate::currentDate()), Search_Operations::Outcome::Listed);
        QCOMPARE(texts(), found);
        QCOMPARE(b_->List.Columns(), File_List::File_Columns());
        QCOMPARE(
            status_.caption,
            QStringLiteral("Total: %1 files.").arg(found.isEmpty() ? 0 : found.count(u',') + 1));
        QVERIFY(!b_->Files.List_Shows_Node);
        QCOMPARE(prompter_->Records().size(), size_t(0));
    }

    // The search replaces whatever the list showed, under the file columns; it does not take
    // the place of the node for a refresh.
    void search_replaces_another_list() {
        b_->Node_Click(QStringLiteral("Fold0001"));
        QVERIFY(b_->Files.List_Shows_Node);
        b_->List.Set_Columns({QStringLiteral("Login Name")});
        QCOMPARE(search_->Query(fields("owner=clerk2"), Today), Search_Operations::Outcome::Listed);
        QCOMPARE(texts(), QStringLiteral("plan b"));
        QCOMPARE(b_->List.Columns(), File_List::File_Columns());
        QCOMPARE(b_->List.Row(0).key, QStringLiteral("file2"));
        QVERIFY(b_->Files.List_Shows_Node);
    }

    void others_get_no_result_data() {
        QTest::addColumn<QString>("role");
        QTest::newRow("manager") << "Manager";
        QTest::newRow("user") << "User";
        QTest::newRow("no role") << "";
    }
    void others_get_no_result() {
        QFETCH(QString, role);
        session::Cur_Role = role;
        const QString before = texts();
        QCOMPARE(search_->Query(fields("name=plan"), Today),
                 Search_Operations::Outcome::Not_Administrator);
        QCOMPARE(texts(), before);
        QVERIFY(sent_.isEmpty());
        QCOMPARE(prompter_->Records().size(), size_t(0));
    }

    void size_that_is_not_a_number_is_refused_data() {
        QTest::addColumn<Search_Fields>("fields");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("control");
        QTest::newRow("letters") << fields("from=ten") << "ten"
                                 << "txtSizeFrom";
        QTest::newRow("unit typed") << fields("to=12K") << "12K"
                                    << "txtSizeTo";
        QTest::newRow("a quote") << fields("from=1'0") << "1'0"
                                 << "txtSizeFrom";
        QTest::newRow("negative") << fields("to=-5") << "-5"
                                  << "txtSizeTo";
        QTest::newRow("two points") << fields("from=1.5.2") << "1.5.2"
                                    << "txtSizeFrom";
        QTest::newRow("exponent") << fields("from=1e3") << "1e3"
                                  << "txtSizeFrom";
        QTest::newRow("decimal comma") << fields("to=2,5") << "2,5"
                                       << "txtSizeTo";
        QTest::newRow("from good, to bad") << fields("name=plan;from=1;to=x") << "x"
                                           << "txtSizeTo";
    }
    void size_that_is_not_a_number_is_refused() {
        QFETCH(Search_Fields, fields);
        QFETCH(QString, typed);
        QFETCH(QString, control);
        const QString before = texts();
        const QString message = QStringLiteral("The size \"") + typed +
                                QStringLiteral("\" is not a number. Type the size in kilobytes, "
                                               "such as 120 or 2.5.");
        prompter_->Answer(Prompt_Answer::Ok, message);
        QCOMPARE(search_->Query(fields, Today), Search_Operations::Outcome::Refused);
        QCOMPARE(search_->Refused_Field(), control);
        QCOMPARE(prompter_->Last().icon, Prompt_Icon::Information);
        QCOMPARE(prompter_->Last().title, Prompt_Title(QString()));
        QVERIFY(sent_.isEmpty());
        QCOMPARE(texts(), before);
        prompter_->Verify_Done();
    }

    // The engine's refusal is told as number and description; the list stays, columns and all.
    void rejected_condition_leaves_the_list() {
        b_->List.Set_Columns({QStringLiteral("Login Name"), QStringLiteral("Name")});
        const QString before = texts();
        QVERIFY(!before.isEmpty());
        f_->c.Fail_At_Statement(1);
        prompter_->Answer();
        QCOMPARE(search_->Query(fields("name=plan"), Today), Search_Operations::Outcome::Failed);
        QVERIFY(prompter_->Last().text.startsWith(QString::number(db::Err_Engine) + u','));
        QVERIFY_THROWS_EXCEPTION(
            db::Error,
            b_->Files.Get_File_Lvdata(QStringLiteral("where no_such_column='1' "), false));
        QCOMPARE(texts(), before);
        QCOMPARE(b_->List.Columns().size(), 2);
        prompter_->Verify_Done();
    }

    void user_names_in_server_order() {
        QCOMPARE(search_->User_Names().value_or(QStringList()).join(u','),
                 QStringLiteral("clerk1,Scrollkin"));
        QCOMPARE(sent_, QStringList{QStringLiteral("select uid from tbl_user")});
        f_->c.Fail_At_Statement(1);
        prompter_->Answer();
        QVERIFY(!search_->User_Names());
        prompter_->Verify_Done();
    }

    void search_box_button_lets_only_administrators_in_data() {
        QTest::addColumn<QString>("role");
        QTest::addColumn<bool>("shown");
        QTest::newRow("administrator") << "Administrator" << true;
        QTest::newRow("manager") << "Manager" << false;
        QTest::newRow("user") << "User" << false;
    }
    void search_box_button_lets_only_administrators_in() {
        QFETCH(QString, role);
        QFETCH(bool, shown);
        int shows = 0;
        const auto ops =
            Install_Search_Operations(*b_, f_->c, *prompter_, [&](Search_Operations&) { ++shows; });
        session::Cur_Role = role;
        if (!shown)
            prompter_->Answer(Prompt_Answer::Ok,
                              QStringLiteral("Only Administrator can use this function!"));
        b_->Operations.Show_Search_Box();
        QCOMPARE(shows, shown ? 1 : 0);
        if (!shown) {
            QCOMPARE(prompter_->Last().icon, Prompt_Icon::Information);
            QCOMPARE(prompter_->Last().buttons, Prompt_Buttons::Ok);
            QCOMPARE(prompter_->Last().title, Prompt_Title(QString()));
        }
        prompter_->Verify_Done();
    }
};

SCROLLKIN_GUI_TEST_MAIN(Test_Search)
#include "test_search.moc"
