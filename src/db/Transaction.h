#pragma once

#include "db/Connection.h"
#include "db/Error.h"

namespace db {

// One transaction on a connection: committed by commit(), rolled back on every other way out.
// Inside another transaction it is a savepoint of it, so an operation that needs to be atomic
// can run on its own or as part of a larger one.
class Transaction {
public:
    explicit Transaction(Connection& c) : c_(c), depth_(c.Transaction_Depth() + 1) {
        c_.Run_Statement(depth_ == 1 ? QStringLiteral("BEGIN TRANSACTION")
                                     : QStringLiteral("SAVE TRANSACTION ") + savepoint());
        c_.Set_Transaction_Depth(depth_);
    }
    ~Transaction() {
        if (!open_)
            return;
        c_.Set_Transaction_Depth(depth_ - 1);
        try {
            c_.Run_Statement(depth_ == 1 ? QStringLiteral("ROLLBACK TRANSACTION")
                                         : QStringLiteral("ROLLBACK TRANSACTION ") + savepoint());
        } catch (const Error&) {
        }
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    // A savepoint's work becomes part of the enclosing transaction; the outermost commits.
    void commit() {
        if (depth_ == 1)
            c_.Run_Statement(QStringLiteral("COMMIT TRANSACTION"));
        c_.Set_Transaction_Depth(depth_ - 1);
        open_ = false;
    }

private:
    QString savepoint() const { return QStringLiteral("scrollkin_%1").arg(depth_); }

    Connection& c_;
    int depth_;
    bool open_ = true;
};

} // namespace db
