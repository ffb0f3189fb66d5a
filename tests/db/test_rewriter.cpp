#include "SqlForms.h"
#include "TestEnv.h"
#include "TsqlRewriter.h"

#include <QtTest>

class Test_Rewriter : public QObject {
    Q_OBJECT

    static QString defaults(const QString&, const QString& column) {
        const QString c = column.toLower();
        if (c == QLatin1String("date_accessed") || c == QLatin1String("file_datelastaccessed"))
            return Now_Sqlite();
        if (c == QLatin1String("deleted"))
            return QStringLiteral("'0'");
        return {};
    }

private Q_SLOTS:
    void every_program_form_data() {
        QTest::addColumn<QString>("tsql");
        QTest::addColumn<QString>("sqlite");
        for (const Sql_Form& f : All_Sql_Forms())
            QTest::newRow(f.name) << f.tsql << (f.sqlite.isNull() ? f.tsql : f.sqlite);
    }
    void every_program_form() {
        QFETCH(QString, tsql);
        QFETCH(QString, sqlite);
        QCOMPARE(db::Tsql_Rewriter(defaults).rewrite(tsql), sqlite);
    }

    void edge_forms_data() {
        QTest::addColumn<QString>("tsql");
        QTest::addColumn<QString>("sqlite");
        QTest::newRow("literals untouched")
            << QStringLiteral(
                   "select 'select top 1 x', 'GETDATE()', 'default', 'delete T where' from t")
            << QStringLiteral(
                   "select 'select top 1 x', 'GETDATE()', 'default', 'delete T where' from t");
        QTest::newRow("doubled quote stays inside literal")
            << QStringLiteral("select top 2 a from t where b='it''s top 3'")
            << QStringLiteral("select a from t where b='it''s top 3' LIMIT 2");
        QTest::newRow("top in a sub query")
            << QStringLiteral(
                   "select a from t where b in (select top 5 b from u order by b) and c=1")
            << QStringLiteral(
                   "select a from t where b in (select b from u order by b LIMIT 5) and c=1");
        QTest::newRow("upper-case delete") << QStringLiteral("DELETE Tbl_X WHERE a='1'")
                                           << QStringLiteral("DELETE from Tbl_X WHERE a='1'");
        QTest::newRow("delete from unchanged") << QStringLiteral("delete from t where a='1'")
                                               << QStringLiteral("delete from t where a='1'");
        QTest::newRow("default without a known default is null")
            << QStringLiteral("insert into t(a,[b]) values('x',default)")
            << QStringLiteral("insert into t(a,[b]) values('x',NULL)");
        QTest::newRow("default in update, bracketed column")
            << QStringLiteral("update t set [Date_Accessed] = default where a='1'")
            << QStringLiteral("update t set [Date_Accessed] = ") + Now_Sqlite() +
                   QStringLiteral(" where a='1'");
        QTest::newRow("column named like a keyword stays")
            << QStringLiteral("select [default],topic from t")
            << QStringLiteral("select [default],topic from t");
        QTest::newRow("getdate in a condition")
            << QStringLiteral("select a from t where d < GetDate ( )")
            << QStringLiteral("select a from t where d < ") + Now_Sqlite();
        QTest::newRow("unclosed literal passes whole")
            << QStringLiteral("select 'abc") << QStringLiteral("select 'abc");
        QTest::newRow("datalength")
            << QStringLiteral("select DATALENGTH(file_data) from Tbl_File_Data")
            << QStringLiteral("select length(file_data) from Tbl_File_Data");
    }
    void edge_forms() {
        QFETCH(QString, tsql);
        QFETCH(QString, sqlite);
        QCOMPARE(db::Tsql_Rewriter(defaults).rewrite(tsql), sqlite);
    }

    void tokens_join_back_to_the_text() {
        const QString text = QStringLiteral("select [a b],'x''y' ,c<>d, e>=1.5 from t -- z");
        QString joined;
        for (const auto& t : db::Tokenize_Sql(text))
            joined += t.text;
        QCOMPARE(joined, text);
    }
};

SCROLLKIN_TEST_MAIN(Test_Rewriter)
#include "test_rewriter.moc"
