// The record of every statement form a process sends, which the T-SQL check reads.
#include "Connection.h"
#include "SqlRecord.h"
#include "TestEnv.h"

#include <QtTest>

namespace {

QStringList recorded(const QString& folder) {
    QFile f(QStringLiteral("%1/sql-%2.jsonl").arg(folder).arg(QCoreApplication::applicationPid()));
    if (!f.open(QIODevice::ReadOnly))
        return {QStringLiteral("no record file")};
    QStringList out;
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (line.isEmpty())
            continue;
        const QJsonObject o = QJsonDocument::fromJson(line).object();
        if (o.value(QLatin1String("p")).toString() != QLatin1String("test_sql_record"))
            return {QStringLiteral("wrong program: ") + QString::fromUtf8(line)};
        out << o.value(QLatin1String("sql")).toString();
    }
    return out;
}

} // namespace

class Test_Sql_Record : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void form_keys_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("key");
        QTest::newRow("literals emptied")
            << "select uid from tbl_user where uid='O''Brien' and pwd='x y'"
            << "select uid from tbl_user where uid='' and pwd=''";
        QTest::newRow("numbers zeroed, names kept")
            << "select top 20 Folder_NO from Tbl_Folder where Folder_NO like 'Fold0001____'"
            << "select top 0 Folder_NO from Tbl_Folder where Folder_NO like ''";
        QTest::newRow("a name with digits") << "SAVE TRANSACTION scrollkin_2"
                                            << "SAVE TRANSACTION scrollkin_2";
        QTest::newRow("an unbalanced quote is a form of its own")
            << "select a from t where b='it's'"
            << "select a from t where b=''s'";
    }
    void form_keys() {
        QFETCH(QString, sql);
        QFETCH(QString, key);
        QCOMPARE(db::Sql_Form_Key(sql), key);
    }

    // Every connection of the process records into one file, each form once, content
    // statements as the ODBC backend sends them to the server.
    void every_connection_records_each_form_once() {
        QTemporaryDir folder;
        db::Record_Sql_To(folder.path());
        testenv::Fresh_Library lib;
        db::Connection a, b;
        a.Open(lib.connection_string);
        b.Open(lib.connection_string);
        a.Run_Statement(QStringLiteral("insert into Tbl_File_Data (file_no) values ('7')"));
        b.Run_Statement(QStringLiteral("insert into Tbl_File_Data (file_no) values ('8')"));
        b.Open_Query(QStringLiteral("select top 1 file_no from Tbl_File_Data"));
        auto w = a.Begin_Blob_Write(QStringLiteral("Tbl_File_Data"), QStringLiteral("file_data"),
                                    QStringLiteral("file_no"), QStringLiteral("7"), 3);
        w->append("abc", 3);
        w->commit();
        a.Open_Blob_Read(QStringLiteral("Tbl_File_Data"), QStringLiteral("file_data"),
                         QStringLiteral("file_no"), QStringLiteral("7"));
        {
            const db::Sql_Record_Pause engine_only;
            a.Open_Query(QStringLiteral("PRAGMA page_size"));
        }
        db::Record_Sql_From_Environment(); // back to the suite's record
        a.Run_Statement(QStringLiteral("delete Tbl_File_Data where file_no='8'"));
        QCOMPARE(
            recorded(folder.path()),
            (QStringList{
                QStringLiteral("insert into Tbl_File_Data (file_no) values ('7')"),
                QStringLiteral("select top 1 file_no from Tbl_File_Data"),
                QStringLiteral("select count(*) from Tbl_File_Data where file_no='7'"),
                QStringLiteral("update Tbl_File_Data set file_data=? where file_no='7'"),
                QStringLiteral("select DATALENGTH(file_data),file_data from Tbl_File_Data where "
                               "file_no='7'")}));
    }
};

SCROLLKIN_TEST_MAIN(Test_Sql_Record)
#include "test_sql_record.moc"
