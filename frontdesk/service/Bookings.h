#pragma once
// Bookings: which bookings adoqry_bookin holds (one table's, all, or a search), the defaults of
// a new booking, the booked state a free table takes from its stored bookings, and taking a
// booking over into the visit being opened. The booking screen and the opening screen call
// these; tests call them without clicking.
//
// A booking is used up only when its table really opens. Taking it over fills the visit being
// opened and hides it from the opening screen's list (TDMTable::takenBooking); the opening's own
// transaction deletes it (openTable). Cancelling the opening lists it again and leaves it stored,
// and taking another booking instead puts the first one back.
//
// A table's booked state is decided in the database, from the bookings stored at that moment,
// and only while the table is still free or booked there: a table another front desk opened
// since this board read it keeps its visit and its state.
#include <QDate>
#include <QString>
#include <optional>

namespace kx::frontdesk {

class TDMTable;

// adoqry_bookin on the bookings of table `code`, unfiltered.
void showTableBookings(TDMTable& dm, const QString& code);
// adoqry_bookin on every booking, unfiltered.
void showAllBookings(TDMTable& dm);

// What the search looks for; empty texts and no day leave their part out.
struct BookingSearch {
    std::optional<QDate> day; // booked for some time of that day (00:00:00 to 23:59:59)
    QString guest;            // inside the guest's name
    QString telephone;        // inside the telephone number
    QString oper;             // inside the code of the operator who took the booking
    QString table;            // inside the table code
};
// adoqry_bookin on the bookings matching every given part, by one query with the values bound:
// each text is matched anywhere inside its column, "%", "_" and quotes as typed.
void searchBookings(TDMTable& dm, const BookingSearch& search);

// After-insert defaults of a new booking (adoqry_bookin): the board's current table and the
// logged-in operator of the settings record.
void adoqry_bookinAfterInsert(TDMTable& dm);

// Sets table `code` to "5" when bookings of it are stored, else "1" — in one guarded statement,
// only while the table is "1" or "5" in the database (tables in use, checked out or disabled
// keep their state). The board reads that one row again. Returns the state stored now.
QString settleBookedState(TDMTable& dm, const QString& code);

// Takes the current booking of the opening screen's list over into the visit being opened:
// guest count and name, the booking's operator, the booking mark. The booking leaves the list
// (a booking taken before comes back) and is deleted when the opening is stored. False, with
// nothing changed, when no visit is being opened or no booking is listed.
bool takeBooking(TDMTable& dm);
// The opening ends without a visit (or starts afresh): no booking is taken, the list shows them all.
void releaseTakenBooking(TDMTable& dm);
// Inside the opening's transaction: deletes the taken booking. One another front desk deleted
// meanwhile deletes nothing.
void deleteTakenBooking(TDMTable& dm);
// After the opening was stored: the deleted booking leaves the list.
void forgetTakenBooking(TDMTable& dm);

} // namespace kx::frontdesk
