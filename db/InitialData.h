#pragma once
// The rows a new database starts with: the fixed rows every program relies on, the settings
// records, an administrator who can log in, and (on request) a small sample venue.
#include <QDate>
#include <QSqlDatabase>
#include <QString>

namespace kx::db {

// The administrator of a new database: operator code and password for the first login. The
// same password is the first system management password.
inline constexpr const char* kAdminOperatorCode = "01";
inline constexpr const char* kAdminPassword = "admin";
// The role that holds every permission.
inline constexpr const char* kAdminRoleCode = "01";

// Inserts the initial rows into a database whose schema was just created. The business day
// is started on `today`. Everything is bound; call it inside the creating transaction.
void createInitialData(QSqlDatabase db, const QDate& today, bool withSample);

// A time of day as the time-band columns store it: on the date the old engine used for
// times alone, "1899-12-30 HH:mm:ss".
QString dbTimeOfDay(int hour, int minute, int second = 0);

} // namespace kx::db
