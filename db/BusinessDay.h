#pragma once
// The statements of the business day's end and start, shared by the front desk's day end and
// day start and by the back office's day roll at login. Each runs inside the caller's
// transaction; the settings row (pay_star, time_end, time_work, time_star) is written by the
// caller through its own settings dataset.
#include <QDateTime>
#include <QSqlDatabase>
#include <functional>

namespace kx::db {

// Removes every finished visit (no longer in use) with its order lines, and archives the other
// income of the day under `business`. `step` is called after each statement (a progress bar).
void closeBusinessDay(QSqlDatabase db, const QDateTime& business, const std::function<void()>& step = {});

// Zeroes the other income amounts for the new day.
void openBusinessDay(QSqlDatabase db);

// Whether a login's automatic day roll is due, as the settings row holds it now: the roll is on
// (work_auto) and the day last ended (time_end) is not today.
bool dayRollDue(QSqlDatabase db, const QDate& today);

} // namespace kx::db
