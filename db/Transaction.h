#pragma once
// One multi-step write that stands or falls as a whole.
#include <QSqlDatabase>
#include <QString>

namespace kx::db {

// Begins in the constructor, rolls back in the destructor unless committed. Nested guards
// on the same connection become savepoints of the outer transaction.
class Transaction {
public:
    explicit Transaction(QSqlDatabase db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit();
    void rollback();
    bool active() const { return active_; }
    // Whether a transaction is open on this connection.
    static bool inTransaction(const QSqlDatabase& db);

private:
    QSqlDatabase db_;
    QString savepoint_;
    bool active_ = false;
};

// Runs `work` in one transaction. A silent abort rolls back and passes on silently; any other
// failure rolls back and becomes TransactionFailed with the operation's `code`.
template <class F>
void inTransaction(QSqlDatabase db, const QString& code, F&& work);

} // namespace kx::db

#include "Errors.h"

template <class F>
void kx::db::inTransaction(QSqlDatabase db, const QString& code, F&& work) {
    Transaction tx(db);
    try {
        work();
        tx.commit();
    } catch (const SilentAbort&) {
        throw;
    } catch (const TransactionFailed&) {
        throw;
    } catch (const std::exception& e) {
        tx.rollback();
        throw TransactionFailed(code, QString::fromStdString(e.what()));
    } catch (...) {
        tx.rollback();
        throw TransactionFailed(code, QStringLiteral("unknown failure"));
    }
}
