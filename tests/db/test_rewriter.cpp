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
        return c == QLatin1String("deleted") ? QStringLiteral("'0'") : QString();
    }

private Q_SLOTS:
    void rewrite_data() {
        QTest::addColumn<QString>("tsql");
        QTest::addColumn<QString>("sqlite");
        for (const Sql_Form& f : All_Sql_Forms())
            QTest::newRow(f.name) << f.tsql << f.sqlite;
        // Edge cases; no second text: unchanged; @N: the engine's local time.
        const auto row = [](const char* tag, const char* tsql, const char* sqlite = nullptr) {
            QTest::newRow(tag) << QString::fromUtf8(tsql)
                               << QString::fromUtf8(sqlite ? sqlite : tsql)
                                      .replace(QLatin1String("@N"), Now_Sqlite());
        };
        // clang-format off
        row("literals untouched", "select 'select top 1 x', 'GETDATE()', 'default', 'delete T where' from t");
        row("delete from unchanged", "delete from t where a='1'");
        row("column named like a keyword stays", "select [default],topic from t");
        row("unclosed literal passes whole", "select 'abc");
        row("doubled quote stays inside literal", "select top 2 a from t where b='it''s top 3'",
            "select a from t where b='it''s top 3' LIMIT 2");
        row("top in a sub query", "select a from t where b in (select top 5 b from u order by b) and c=1",
            "select a from t where b in (select b from u order by b LIMIT 5) and c=1");
        row("upper-case delete", "DELETE Tbl_X WHERE a='1'", "DELETE from Tbl_X WHERE a='1'");
        row("default without a known default is null", "insert into t(a,[b]) values('x',default)",
            "insert into t(a,[b]) values('x',NULL)");
        row("default in update, bracketed column", "update t set [Date_Accessed] = default where a='1'",
            "update t set [Date_Accessed] = @N where a='1'");
        row("a literal touching a default stays apart", "update t set deleted=default'x'",
            "update t set deleted='0' 'x'");
        row("getdate in a condition", "select a from t where d < GetDate ( )", "select a from t where d < @N");
        row("datalength", "select DATALENGTH(file_data) from Tbl_File_Data", "select length(file_data) from Tbl_File_Data");
        // clang-format on
    }
    void rewrite() {
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
