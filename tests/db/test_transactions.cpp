#include "Connection.h"
#include "Error.h"
#include "TestEnv.h"
#include "Transaction.h"
#include "TsqlRewriter.h"

#include <QtTest>

#include <optional>
#include <thread>

// Transactions nest: the outermost commits, an inner one is a savepoint that can be undone
// alone. Runs on both backends.
class Test_Transactions : public QObject {
    Q_OBJECT

    int groups(db::Connection& c) { return c.Open_Query(QStringLiteral("select count(*) from ref_Group")).field(0).toInt(); }
    void add(db::Connection& c, const char* no) {
        c.Run_Statement(QStringLiteral("insert into ref_Group(Group_No,Group_Name) values('%1','g')").arg(QLatin1String(no)));
    }

private Q_SLOTS:
    void statements_for_the_embedded_engine_data() {
        QTest::addColumn<QString>("tsql");
        QTest::addColumn<QString>("sqlite");
        QTest::newRow("begin") << "BEGIN TRANSACTION" << "BEGIN IMMEDIATE TRANSACTION";
        QTest::newRow("begin tran") << "begin tran" << "BEGIN IMMEDIATE TRANSACTION";
        QTest::newRow("savepoint") << "SAVE TRANSACTION scrollkin_2" << "SAVEPOINT scrollkin_2";
        QTest::newRow("undo savepoint") << "ROLLBACK TRANSACTION scrollkin_2" << "ROLLBACK TO scrollkin_2";
        QTest::newRow("commit") << "COMMIT TRANSACTION" << "COMMIT TRANSACTION";
        QTest::newRow("rollback") << "ROLLBACK TRANSACTION" << "ROLLBACK TRANSACTION";
        QTest::newRow("a literal is not a statement") << "select 'BEGIN TRANSACTION'" << "select 'BEGIN TRANSACTION'";
    }
    void statements_for_the_embedded_engine() {
        QFETCH(QString, tsql);
        QFETCH(QString, sqlite);
        QCOMPARE(db::Tsql_Rewriter().rewrite(tsql), sqlite);
    }

    // Another program holding the write lock is waited for; past the wait the statement fails
    // with a message a user can act on instead of the engine's own words, and once the lock is
    // gone the same work succeeds.
    void a_held_lock_is_waited_for_then_told() {
        if (testenv::Use_Odbc())
            QSKIP("the ODBC driver keeps its own lock wait");
        testenv::Fresh_Library lib;
        db::Connection holder, waiter;
        holder.Open(lib.connection_string);
        waiter.Open(lib.connection_string);
        waiter.Set_Lock_Wait(300);
        auto held = std::make_unique<db::Transaction>(holder);
        add(holder, "Grou0001");
        QElapsedTimer waited;
        waited.start();
        for (const bool in_transaction : {false, true}) {
            try {
                std::optional<db::Transaction> tx;
                if (in_transaction)
                    tx.emplace(waiter);
                add(waiter, "Grou0002");
                QFAIL("written past a held lock");
            } catch (const db::Error& e) {
                QCOMPARE(e.number(), db::Err_Busy);
                QVERIFY2(e.description().startsWith(QLatin1String("The library is busy: another "
                                                                  "program kept it locked")),
                         qPrintable(e.description()));
            }
        }
        QVERIFY(waited.elapsed() >= 500);
        QCOMPARE(waiter.Transaction_Depth(), 0);
        // Readers are not kept waiting by a write that is not being committed.
        QCOMPARE(groups(waiter), 0);
        held->commit();
        held.reset();
        add(waiter, "Grou0002");

        // A lock given up within the wait is simply waited for.
        waiter.Set_Lock_Wait(10000);
        held = std::make_unique<db::Transaction>(holder);
        add(holder, "Grou0003");
        std::thread release([&] {
            QThread::msleep(200);
            held->commit();
        });
        add(waiter, "Grou0004");
        release.join();
        QCOMPARE(groups(waiter), 4);
    }

    void nesting() {
        testenv::Fresh_Library lib;
        db::Connection c;
        c.Open(lib.connection_string);
        {
            db::Transaction outer(c);
            add(c, "Grou0001");
            {
                db::Transaction inner(c);
                add(c, "Grou0002");
                // dropped: only the inner work is undone
            }
            {
                db::Transaction inner(c);
                add(c, "Grou0003");
                inner.commit();
            }
            QCOMPARE(c.Transaction_Depth(), 1);
            outer.commit();
        }
        QCOMPARE(c.Transaction_Depth(), 0);
        QCOMPARE(c.Open_Query(QStringLiteral("select Group_No from ref_Group order by Group_No")).row_count(), 2);
        {
            db::Transaction outer(c);
            add(c, "Grou0004");
            db::Transaction inner(c);
            add(c, "Grou0005");
            inner.commit();
            // outer dropped: everything goes
        }
        QCOMPARE(groups(c), 2);
        // A second connection is not blocked by a finished transaction.
        db::Connection other;
        other.Open(lib.connection_string);
        add(other, "Grou0006");
        QCOMPARE(groups(c), 3);
    }
};

SCROLLKIN_TEST_MAIN(Test_Transactions)
#include "test_transactions.moc"
