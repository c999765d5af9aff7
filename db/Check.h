#pragma once
// Consistency checks over the live tables, for the kestrix-db tool, tests and repairs.
#include <QSqlDatabase>
#include <QStringList>

namespace kx::db {

// The table invariants: a table in state "2", "3" or "4" has exactly one visit in use, and
// its visit key is that visit's; a table in state "1", "5" or "6" carries visit key 0 and has
// no visit in use; every state is one of the six; every visit in use stands on a known table;
// a visit is archived (AllGues) at most once, and not while it is in use;
// every role holds one permission row for each code of the permission catalogue, and no other;
// every card's balance plus spending equals its top-ups and its points equal its point changes
// plus its carried points; a trading unit holds a receivable or a payable, never negative,
// never both.
// Returns one line per failure, empty when all hold.
QStringList checkDatabase(QSqlDatabase db);

} // namespace kx::db
