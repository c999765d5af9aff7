#include "Opening.h"

#include "BillCalc.h"
#include "Bookings.h"
#include "Clock.h"
#include "ProgressBar.h"
#include "Sql.h"
#include "TDMTable.h"
#include "TFormWMain.h"
#include "Transaction.h"

#include <QProgressBar>

namespace kx::frontdesk {

using db::Dataset;

void adoqry_TableGuesAfterInsert(TDMTable& dm) {
    Dataset& v = *dm.adoqry_TableGues;
    Dataset& board = *dm.adoqry_table;
    v.field(QStringLiteral("tabl_gues_auto_recn")).setValue(dm.setup.integer(QStringLiteral("auto_recn")));
    const QString type = board.field(QStringLiteral("tabl_type_code")).asString();
    v.field(QStringLiteral("tabl_code")).setValue(board.field(QStringLiteral("tabl_code")).value());
    v.field(QStringLiteral("tabl_type_code")).setValue(board.field(QStringLiteral("tabl_type_code")).value());
    v.field(QStringLiteral("dept_code")).setValue(board.field(QStringLiteral("dept_code")).value());
    v.field(QStringLiteral("tabl_gues_time")).setValue(Clock::now());
    v.field(QStringLiteral("tabl_gues_use")).setValue(true);
    v.field(QStringLiteral("disc_code")).setValue(QStringLiteral("N"));
    v.field(QStringLiteral("disc_perc")).setValue(0);
    v.field(QStringLiteral("tabl_gues_stat")).setValue(QStringLiteral("2"));
    v.field(QStringLiteral("orde_code")).setValue(dm.setup.text(QStringLiteral("orde_code")));

    // The mode of the table's type, and the mode's consumption type. A type or mode that has
    // no row leaves the visit's column empty rather than taking whatever row is current.
    Dataset& types = *dm.adoqry_TableType;
    types.setFiltered(false);
    if (!types.locate(QStringLiteral("tabl_type_code"), type)) return;
    const QString mode = types.field(QStringLiteral("cons_mode_code")).asString();
    v.field(QStringLiteral("cons_mode_code")).setValue(mode);
    Dataset& modes = *dm.adoqry_ConsMode;
    modes.setFiltered(false);
    if (!modes.locate(QStringLiteral("cons_mode_code"), mode)) return;
    v.field(QStringLiteral("cons_type_code")).setValue(modes.field(QStringLiteral("cons_type_code")).value());
}

void installOpeningHooks(TDMTable& dm) {
    dm.adoqry_TableGues->afterInsert = [&dm](Dataset&) { adoqry_TableGuesAfterInsert(dm); };
}

bool beginOpening(TFormWMain& main, TDMTable& dm) {
    if (!main.Limite(QStringLiteral("BI"))) return false;
    const QString code = dm.adoqry_table->field(QStringLiteral("tabl_code")).asString();
    // The opening screen lists every booking of the table, whatever search was left on, and
    // none is taken yet.
    releaseTakenBooking(dm);
    showTableBookings(dm, code);
    dm.adoqry_TableGues->append();
    return true;
}

qint64 drawVisitKey(QSqlDatabase db) {
    const qint64 key = db::scalarInt(db, QStringLiteral("SELECT auto_recn FROM SetupPay"));
    db::exec(db, QStringLiteral("UPDATE SetupPay SET auto_recn = auto_recn + 1"));
    return key;
}

qint64 openTable(TDMTable& dm, const std::function<void()>& step) {
    Dataset& v = *dm.adoqry_TableGues;
    Dataset& board = *dm.adoqry_table;
    if (v.state() != Dataset::Insert) throw SilentAbort(); // nothing being opened
    const QString code = v.field(QStringLiteral("tabl_code")).asString();
    QSqlDatabase db = dm.database();

    auto progress = [&step] {
        if (step) step();
    };
    progress();
    qint64 key = 0;
    db::inTransaction(db, QString::fromLatin1(kOpeningFailureCode), [&] {
        const QString stored =
            db::scalarText(db, QStringLiteral("SELECT tabl_stat_code FROM TableList WHERE tabl_code = ?"), {code});
        // Another front desk may have opened the table since this board read it.
        if (stored != QLatin1String("1") && stored != QLatin1String("5")) throw StaleData();
        key = drawVisitKey(db);
        // A booking taken over is used up with the opening, not before.
        deleteTakenBooking(dm);
        v.field(QStringLiteral("tabl_gues_auto_recn")).setValue(key);
        v.post();

        v.refreshRows(QStringLiteral("tabl_gues_auto_recn"), {key});
        progress();
        if (!v.locate(QStringLiteral("tabl_gues_auto_recn"), key))
            throw DbError(QStringLiteral("visit %1 not found after posting").arg(key));
        v.edit();
        progress();
        ChangeConsType(dm, int(v.field(QStringLiteral("tabl_gues_coun")).asInt()));
        progress();
        v.post();

        if (board.field(QStringLiteral("tabl_code")).asString() != code &&
            !board.locate(QStringLiteral("tabl_code"), code))
            throw DbError(QStringLiteral("table %1 not on the board").arg(code));
        board.edit();
        board.field(QStringLiteral("tabl_gues_auto_recn")).setValue(key);
        board.field(QStringLiteral("tabl_stat_code")).setValue(QStringLiteral("2"));
        board.post();
        progress();
    });

    v.refreshRows(QStringLiteral("tabl_gues_auto_recn"), {key});
    v.locate(QStringLiteral("tabl_gues_auto_recn"), key);
    forgetTakenBooking(dm);
    dm.adoqry_SetupPay->refreshCurrent(); // the counter moved on
    progress();
    dm.adoqry_TableCons->setSql(QStringLiteral("Select * from TableConsList where 1=2"));
    dm.adoqry_TableCons->open();
    progress();
    return key;
}

void cancelOpening(TDMTable& dm) {
    Dataset& v = *dm.adoqry_TableGues;
    Dataset& board = *dm.adoqry_table;
    if (v.state() == Dataset::Insert) v.cancel();
    board.cancel();
    // A booking taken over stays stored and is listed again.
    releaseTakenBooking(dm);
    if (board.isEmpty()) return;
    if (!dm.adoqry_bookin->active() || dm.adoqry_bookin->isEmpty()) {
        board.edit();
        board.field(QStringLiteral("tabl_stat_code")).setValue(QStringLiteral("1"));
        board.post();
    }
}

} // namespace kx::frontdesk
