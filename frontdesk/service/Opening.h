#pragma once
#include <functional>
// Opening a table: the new visit's defaults, starting an opening on the board's current table,
// storing it ("开台 +", one transaction) and cancelling it ("回退"). The screens call these;
// tests and the benchmark call them without clicking.
//
// The visit key is drawn inside the opening's transaction from the stored counter
// (SetupPay.auto_recn, read from the database, not from the loaded settings copy) and the
// counter is raised in the same transaction, so two front desks on one database never draw the
// same key and a cancelled opening draws none.
#include <QSqlDatabase>
#include <QString>

namespace kx::frontdesk {

class TDMTable;
class TFormWMain;

// The failure code of the opening's transaction.
inline constexpr const char* kOpeningFailureCode = "B100002";

// After-insert defaults of a new visit row (adoqry_TableGues): the key the settings record
// names, the board's current table with its type and department, now, in use, no discount,
// open, the current shift, and the consumption mode of the table type with its type.
void adoqry_TableGuesAfterInsert(TDMTable& dm);
// Installs that hook on adoqry_TableGues (the work form does at start-up).
void installOpeningHooks(TDMTable& dm);

// Starts opening the board's current table: the permission "BI" (false after its refusal),
// the table's bookings into adoqry_bookin (none taken over yet), and a new visit row appended
// with its defaults.
bool beginOpening(TFormWMain& main, TDMTable& dm);

// Draws the next visit key from the stored counter and raises the counter. Runs inside the
// caller's transaction.
qint64 drawVisitKey(QSqlDatabase db);

// "开台 +": stores the appended visit with a freshly drawn key, applies its consumption mode
// (ChangeConsType with the visit's guest count) and puts the board's table in use, all in one
// transaction; then reloads the visits on the new one and empties adoqry_TableCons. Advances
// `step` (the status-bar progress bar) after each stage. A failure rolls everything back and
// raises TransactionFailed with kOpeningFailureCode (the error guard shows it and closes the
// program). The table must still be free or booked in the database: one that another front
// desk has opened meanwhile is refused with StaleData, storing nothing, instead of losing
// that desk's visit. A booking taken over into the visit (takeBooking) is deleted in the same
// transaction. Returns the new visit's key.
qint64 openTable(TDMTable& dm, const std::function<void()>& step = {});

// "回退": cancels the unsaved visit and any edit of the board row; a booking taken over stays
// stored; a table without bookings is set free ("1"), a table with bookings keeps its state.
void cancelOpening(TDMTable& dm);

} // namespace kx::frontdesk
