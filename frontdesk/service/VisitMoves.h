#pragma once
// What the moves of a visit do in the database, without any screen: moving it to another
// table, joining it into another table's visit, reopening a checked-out account and clearing a
// checked-out table into the archives. Each works on the current rows of the data module (the
// board's table in adoqry_table, its visit in adoqry_TableGues) in one transaction, and first
// checks again, inside that transaction, what the cashier decided on: another front desk may
// have moved, joined, checked out, reopened or cleared the visit, or taken the target table,
// in the meantime. Such a lost race stores nothing and ends in StaleData (the error guard shows
// it and the board is read again); the program goes on.
#include "Dataset.h"

#include <QSqlDatabase>
#include <QString>

namespace kx::frontdesk {

class TDMTable;

// Whether the visit is stored, in use and not checked out.
bool visitOpen(QSqlDatabase db, qint64 key);
// Refuses (StaleData) unless it is.
void requireVisitOpen(QSqlDatabase db, qint64 key);
// Refuses (StaleData) unless the table is stored and free ("1").
void requireTableFree(QSqlDatabase db, const QString& tableCode);

// "转台" (B100004): the current visit to the free table `target`; the board's current row is
// then `target`.
void transferVisit(TDMTable& dm, const QString& target);
// "并台" (B100005): the current visit's lines into the visit of the table `target` (in use),
// the joined visit removed, the merged visit recomputed; current: `target` and its visit.
void joinVisit(TDMTable& dm, const QString& target);
// "续单" (B100003): reopens the current checked-out visit (reopenAccount). A visit no longer
// checked out in the database is refused with kContinueRefused.
void continueVisit(TDMTable& dm);

// Where an account is reopened from: a checked-out visit in use on its table ("3"), or a
// cleared visit just put back in use on its free table ("1", the reverse checkout).
enum class ReopenFrom { CheckedOut, Cleared };
// What a reopening gave back, to show once it is committed.
struct Refund {
    QString creditAccount;
    double credit = 0;
    QString card;
    double cardAmount = 0;
};
// Reopens the account of visit `key` on table `tableCode` inside the caller's transaction
// ("Goon"). What is given back is what the stored visit recorded, read inside the transaction,
// and it is zeroed by the same guarded update that ends the visit's checked-out or cleared
// state ("2"); the card and the account move by relative updates; the payment lines go, the
// order lines are no longer ended, the table becomes "4" (only while it is still in the state
// `from` expects, carrying the visit) and the visit is recomputed (ReTotal). Anything else
// found — the visit reopened, cleared or gone, the table taken — is refused with StaleData:
// kContinueRefused from CheckedOut, kReverseTaken from Cleared. The board's row and the visit
// are read again; the card and the account are shown by showRefund after the commit.
Refund reopenAccount(TDMTable& dm, qint64 key, const QString& tableCode, ReopenFrom from);
// The member and credit-account datasets read again for what a committed reopening gave back.
void showRefund(TDMTable& dm, const Refund& refund);

inline const QString kContinueRefused = QStringLiteral("现在台桌不在[结帐]状态，所以不能进行[续单]！");
inline const QString kReverseTaken = QStringLiteral("此帐单已被其他收银台处理，不能进行[反结帐]操作！");
inline const QString kReverseDayEnded = QStringLiteral("此帐单已经日结，不能进行[反结帐]操作！");

// "反结" (B1000012): the cleared visit `key` of the board's current table, which must still be
// free, reopened there for re-settlement in one transaction: the visit in use again (only while
// it is still cleared), the table carrying it (only while it is still "1"), its account reopened
// (reopenAccount from Cleared), its rows of AllCons, AllGues (exactly one) and AllGuesPay
// deleted. A visit the day end has removed is refused with kReverseDayEnded, any other lost
// race with kReverseTaken (StaleData: nothing stored).
void reverseCheckout(TDMTable& dm, qint64 key);
// "清台" (B100006): frees the current checked-out table ("1", or "5" when booked) and
// archives its visit, lines and payments.
void clearVisit(TDMTable& dm);

} // namespace kx::frontdesk
