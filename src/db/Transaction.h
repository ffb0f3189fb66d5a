#pragma once

#include "Connection.h"

namespace db {

// One transaction on a connection: committed by commit(), rolled back on every other way out.
class Transaction {
public:
    explicit Transaction(Connection& c) : c_(c) { c_.Run_Statement(QStringLiteral("BEGIN TRANSACTION")); }
    ~Transaction() {
        if (open_) {
            try {
                c_.Run_Statement(QStringLiteral("ROLLBACK TRANSACTION"));
            } catch (const Error&) {
            }
        }
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit() {
        c_.Run_Statement(QStringLiteral("COMMIT TRANSACTION"));
        open_ = false;
    }

private:
    Connection& c_;
    bool open_ = true;
};

} // namespace db
