#pragma once
// Money is compared in whole cents. Amounts are doubles, so a balance of 88.80 less 0.01 is
// 88.789999…; compared as doubles it would not cover a charge of 88.79. Two amounts that print
// alike compare equal.
#include "Values.h"

#include <QtGlobal>
#include <cmath>

namespace kx {

inline qint64 toCents(double amount) { return std::llround(roundHalfEven(amount, 2) * 100.0); }

// The SQL that reads a money column as whole cents, for guarded statements comparing it with a
// bound number of cents (ROUND of a value a hair from a cent is that cent either way).
inline QString centsOf(const QString& column) {
    return QStringLiteral("CAST(ROUND(COALESCE(%1, 0) * 100) AS INTEGER)").arg(column);
}

} // namespace kx
