#pragma once
// The stock figures of set menus (type "2") and composites (type "3"), derived from their
// components: the limit mode ("不限", "有限", "禁用") and the count of complete units the
// components' stock allows (viewReTotal).
#include <QSqlDatabase>

namespace kx::db {

// The counts of every set menu and composite from viewReTotal, worked out once for all.
void updateDerivedCounts(QSqlDatabase db);

// Limit modes and counts of every set menu and composite worked out again: unlimited with no
// count, limited when a component is limited, disabled (count 0) when a component is disabled,
// then the counts. One transaction (a part of the caller's when it has one), so nobody reads
// half-derived figures.
void storeChange(QSqlDatabase db);

} // namespace kx::db
