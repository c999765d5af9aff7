#pragma once
// The permission check of both programs and the system log.
#include "Dataset.h"
#include "ErrorGuard.h"

namespace kx {

// True when the role `manaCode` holds the permission `code` (a granted Limitedlist row).
// A missing role, code or row counts as refused.
bool hasPermission(QSqlDatabase db, const QString& manaCode, const QString& code);

// Asks the permission on the program's scratch query (left open on its answer) and shows the
// refusal: in the front desk the code followed by the message, in the back office the message
// alone. Callers stop their action when it returns false.
bool Limite(db::Dataset& scratch, const QString& manaCode, const QString& code, ProgramKind kind);

extern const QString NoPermissionText;

// Appends one line to the system log: the operator's name, the time from the clock and the text.
void LogSet(QSqlDatabase db, const QString& operatorName, const QString& text);

} // namespace kx
