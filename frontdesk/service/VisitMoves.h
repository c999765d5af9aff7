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
// "续单" (B100003): reopens the current checked-out visit (reopenAccount).
void continueVisit(TDMTable& dm);
// Reopens the current visit's account inside the caller's transaction: member card and
// credit account get back what the stored visit recorded, payment lines go, the table
// becomes "4".
void reopenAccount(TDMTable& dm);
// "清台" (B100006): frees the current checked-out table ("1", or "5" when booked) and
// archives its visit, lines and payments.
void clearVisit(TDMTable& dm);

} // namespace kx::frontdesk
