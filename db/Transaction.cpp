#include "Transaction.h"

#include "Engine.h"
#include "Sql.h"

#include <QHash>

namespace kx::db {

namespace {
// The server's advisory lock that write transactions take: "KX", and the venue's schema.
constexpr int kWriterLock = 0x4B58;
QHash<QString, int>& depths() {
    static QHash<QString, int> d;
    return d;
}
} // namespace

Transaction::Transaction(QSqlDatabase db) : db_(db) {
    int& depth = depths()[db.connectionName()];
    if (depth == 0) {
        // IMMEDIATE takes the write lock now, so two programs wait for each other at the start
        // instead of failing half-way. On a server, one venue-wide lock held to the end of the
        // transaction does the same: writers take turns, readers are never held up, and what a
        // write transaction reads stays as it read it until it commits.
        if (isServer(db_)) {
            exec(db_, QStringLiteral("BEGIN"));
            try {
                run(db_, QStringLiteral("SELECT pg_advisory_xact_lock(%1, hashtext(current_schema()))").arg(kWriterLock));
            } catch (...) {
                try {
                    exec(db_, QStringLiteral("ROLLBACK"));
                } catch (...) {
                }
                throw;
            }
        } else {
            exec(db_, QStringLiteral("BEGIN IMMEDIATE"));
        }
    } else {
        savepoint_ = QStringLiteral("kx_sp_%1").arg(depth);
        exec(db_, QStringLiteral("SAVEPOINT ") + savepoint_);
    }
    ++depth;
    active_ = true;
}

Transaction::~Transaction() {
    if (active_) {
        try {
            rollback();
        } catch (...) {
        }
    }
}

void Transaction::commit() {
    if (!active_) return;
    if (savepoint_.isEmpty())
        exec(db_, QStringLiteral("COMMIT"));
    else
        exec(db_, QStringLiteral("RELEASE ") + savepoint_);
    active_ = false;
    --depths()[db_.connectionName()];
}

void Transaction::rollback() {
    if (!active_) return;
    active_ = false;
    --depths()[db_.connectionName()];
    if (savepoint_.isEmpty()) {
        exec(db_, QStringLiteral("ROLLBACK"));
    } else {
        exec(db_, QStringLiteral("ROLLBACK TO ") + savepoint_);
        exec(db_, QStringLiteral("RELEASE ") + savepoint_);
    }
}

bool Transaction::inTransaction(const QSqlDatabase& db) { return depths().value(db.connectionName()) > 0; }

} // namespace kx::db
