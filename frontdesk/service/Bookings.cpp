#include "Bookings.h"

#include "Sql.h"
#include "TDMTable.h"

#include <QTime>

namespace kx::frontdesk {

using db::Dataset;

namespace {

// A LIKE pattern finding `text` anywhere, its own "%", "_" and "\" taken as typed.
QString containing(const QString& text) {
    QString escaped = text;
    escaped.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    escaped.replace(QLatin1Char('%'), QStringLiteral("\\%"));
    escaped.replace(QLatin1Char('_'), QStringLiteral("\\_"));
    return QLatin1Char('%') + escaped + QLatin1Char('%');
}

void reopen(Dataset& bookings, const QString& sql, const QVariantList& params) {
    bookings.setFiltered(false);
    bookings.setSql(sql, params);
    bookings.open();
}

} // namespace

void showTableBookings(TDMTable& dm, const QString& code) {
    reopen(*dm.adoqry_bookin, QStringLiteral("select * from bookin where tabl_code=?"), {code});
}

void showAllBookings(TDMTable& dm) { reopen(*dm.adoqry_bookin, QStringLiteral("select * from bookin"), {}); }

void searchBookings(TDMTable& dm, const BookingSearch& search) {
    QStringList terms;
    QVariantList values;
    if (search.day) {
        terms << QStringLiteral("book_time>=? and book_time<=?");
        values << QDateTime(*search.day, QTime(0, 0, 0)) << QDateTime(*search.day, QTime(23, 59, 59));
    }
    const std::pair<const char*, const QString*> texts[] = {{"book_name", &search.guest},
                                                            {"book_tele", &search.telephone},
                                                            {"oper_code", &search.oper},
                                                            {"tabl_code", &search.table}};
    for (const auto& [column, text] : texts) {
        if (text->trimmed().isEmpty()) continue;
        terms << QStringLiteral("%1 like ? escape '\\'").arg(QLatin1String(column));
        values << containing(*text);
    }
    QString sql = QStringLiteral("select * from bookin");
    if (!terms.isEmpty()) sql += QStringLiteral(" where ") + terms.join(QStringLiteral(" and "));
    reopen(*dm.adoqry_bookin, sql, values);
}

void adoqry_bookinAfterInsert(TDMTable& dm) {
    Dataset& b = *dm.adoqry_bookin;
    Dataset& board = *dm.adoqry_table;
    if (board.active() && !board.isEmpty())
        b.field(QStringLiteral("tabl_code")).setValue(board.field(QStringLiteral("tabl_code")).value());
    b.field(QStringLiteral("oper_code")).setValue(dm.setup.text(QStringLiteral("oper_code")));
}

QString settleBookedState(TDMTable& dm, const QString& code) {
    QSqlDatabase db = dm.database();
    db::exec(db,
             QStringLiteral("UPDATE TableList SET tabl_stat_code = CASE WHEN EXISTS (SELECT 1 FROM bookin WHERE "
                            "bookin.tabl_code = TableList.tabl_code) THEN '5' ELSE '1' END "
                            "WHERE tabl_code = ? AND tabl_stat_code IN ('1', '5')"),
             {code});
    if (dm.adoqry_table->active()) dm.adoqry_table->refreshRows(QStringLiteral("tabl_code"), {code});
    return db::scalarText(db, QStringLiteral("SELECT tabl_stat_code FROM TableList WHERE tabl_code = ?"), {code});
}

bool takeBooking(TDMTable& dm) {
    Dataset& bookings = *dm.adoqry_bookin;
    Dataset& visit = *dm.adoqry_TableGues;
    if (visit.state() != Dataset::Insert || !bookings.active() || bookings.isEmpty()) return false;
    // What is typed into the opening screen reaches the visit first, so the booking's values
    // replace it instead of being typed over when the opening is stored.
    visit.updateRecord();
    visit.field(QStringLiteral("tabl_gues_coun")).setValue(bookings.field(QStringLiteral("book_coun")).value());
    visit.field(QStringLiteral("tabl_gues_name")).setValue(bookings.field(QStringLiteral("book_name")).value());
    visit.field(QStringLiteral("book_oper_code")).setValue(bookings.field(QStringLiteral("oper_code")).value());
    visit.field(QStringLiteral("book_flag")).setValue(true);
    dm.takenBooking = bookings.field(QStringLiteral("book_code")).asInt();
    bookings.applyFilter(QStringLiteral("book_code<>%1").arg(dm.takenBooking));
    return true;
}

void releaseTakenBooking(TDMTable& dm) {
    dm.takenBooking = 0;
    if (dm.adoqry_bookin->filtered()) dm.adoqry_bookin->setFiltered(false);
}

void deleteTakenBooking(TDMTable& dm) {
    if (dm.takenBooking <= 0) return;
    db::exec(dm.database(), QStringLiteral("DELETE FROM bookin WHERE book_code = ?"), {dm.takenBooking});
}

void forgetTakenBooking(TDMTable& dm) {
    const qint64 taken = dm.takenBooking;
    releaseTakenBooking(dm);
    if (taken > 0 && dm.adoqry_bookin->active()) dm.adoqry_bookin->refreshRows(QStringLiteral("book_code"), {taken});
}

} // namespace kx::frontdesk
