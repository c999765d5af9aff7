#pragma once
// The rows a new database starts with: the fixed rows every program relies on, the settings
// records, an administrator who can log in, and (on request) a small sample venue.
#include <QDate>
#include <QSqlDatabase>
#include <QString>

#include <array>

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

// One item of the bill's header lines as a new database has it: the slot "lk" (line l of 1…7,
// position k of 1, 2), its caption (set_prn_lk_titl) and the visit column it prints
// (set_prn_lk_fiel). The fourteen captions are the only ones the bill layout screen offers.
struct BillHeaderSlot {
    const char* slot;
    const char* caption;
    const char* column;
};
const std::array<BillHeaderSlot, 14>& billHeaderSlots();
// The visit column a header caption prints; empty for a text that is none of the fourteen.
QString billHeaderColumn(const QString& caption);

// A time of day as the time-band columns store it: on the date the old engine used for
// times alone, "1899-12-30 HH:mm:ss".
QString dbTimeOfDay(int hour, int minute, int second = 0);

} // namespace kx::db
