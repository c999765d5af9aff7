// A front desk without screens, for tests that run desks as separate processes: it opens,
// orders for, checks out, continues, clears and reverses the bills of the tables A01–A06 of a
// prepared file in a random order, as fast as it can, and answers every question Yes. Refusals
// of lost races are counted, never fatal. Usage: kx-desk-worker <file> <rounds> <seed>
#include "Checkout.h"
#include "Clock.h"
#include "Connection.h"
#include "Errors.h"
#include "Opening.h"
#include "Ordering.h"
#include "Prompter.h"
#include "Sql.h"
#include "TDMTable.h"
#include "VisitMoves.h"

#include <QCoreApplication>
#include <QRandomGenerator>
#include <cstdio>

namespace {

class YesPrompter : public kx::Prompter {
public:
    void information(const QString&) override {}
    bool question(const QString&) override { return true; }
    void error(const QString&) override {}
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: kx-desk-worker <file> <rounds> <seed>\n");
        return 2;
    }
    kx::Clock::settleTimeZone();
    YesPrompter yes;
    kx::installPrompter(&yes);
    kx::db::Connection connection;
    connection.open(QString::fromLocal8Bit(argv[1]));
    const int rounds = QByteArray(argv[2]).toInt();
    QRandomGenerator random(QByteArray(argv[3]).toUInt());

    kx::frontdesk::TDMTable dm(connection.db());
    kx::frontdesk::installOpeningHooks(dm);
    kx::frontdesk::Checkout checkout(dm, [](const QString&) { return true; });
    kx::frontdesk::Ordering ordering(nullptr, &dm);
    QSqlDatabase db = connection.db();
    int refused = 0;
    for (int round = 0; round < rounds; ++round) {
        const QString table = QStringLiteral("A0%1").arg(1 + random.bounded(6));
        try {
            dm.adoqry_table->setFiltered(false);
            dm.adoqry_table->refresh();
            if (!dm.adoqry_table->locate(QStringLiteral("tabl_code"), table)) continue;
            dm.adoqry_TableGues->refresh();
            const QString state = dm.adoqry_table->field(QStringLiteral("tabl_stat_code")).asString();
            const qint64 key = dm.adoqry_table->field(QStringLiteral("tabl_gues_auto_recn")).asInt();
            if (key > 0 && !dm.adoqry_TableGues->locate(QStringLiteral("tabl_gues_auto_recn"), key)) continue;
            // A free table's last cleared bill is now and then reversed instead of opening it.
            const qint64 bill =
                state == QLatin1String("1") && random.bounded(4) == 0
                    ? kx::db::scalarInt(db, QStringLiteral("SELECT COALESCE(max(tabl_gues_auto_recn), 0) FROM AllGues "
                                                           "WHERE tabl_code = ?"),
                                        {table})
                    : 0;
            if (bill > 0) {
                kx::frontdesk::reverseCheckout(dm, bill);
            } else if (state == QLatin1String("1")) {
                dm.adoqry_TableGues->append();
                dm.adoqry_TableGues->field(QStringLiteral("tabl_gues_coun")).setValue(1 + random.bounded(6));
                kx::frontdesk::openTable(dm);
            } else if (state == QLatin1String("2") || state == QLatin1String("4")) {
                if (random.bounded(3) != 0) {
                    ordering.openPad(key, table);
                    kx::db::exec(db,
                                 QStringLiteral("INSERT INTO TableConsListTemp (tabl_gues_auto_recn, tabl_code, clas_code, "
                                                "item_code, item_unit_pric, tabl_cons_coun, menu_type_code, item_type_code, "
                                                "item_coun_flag, item_type_flag, disc_clas_perc, serv_perc, desk_id) "
                                                "VALUES (?, ?, 'C01', '1001', 38, ?, '1', '1', 1, 1, 100, 100, ?)"),
                                 {key, table, 1 + random.bounded(3), dm.deskId});
                    ordering.commitPad();
                } else if (checkout.enter()) {
                    const QString received =
                        QString::number(dm.adoqry_TableGues->field(QStringLiteral("tabl_gues_shou")).asFloat(), 'f', 2);
                    try {
                        checkout.settle(received);
                    } catch (...) {
                        checkout.abandon();
                        throw;
                    }
                    if (checkout.active()) checkout.abandon();
                }
            } else if (state == QLatin1String("3")) {
                if (random.bounded(4) == 0) kx::frontdesk::continueVisit(dm);
                else kx::frontdesk::clearVisit(dm);
            }
        } catch (const kx::StaleData&) {
            ++refused;
            dm.adoqry_table->cancel();
            dm.adoqry_TableGues->cancel();
        } catch (const kx::SilentAbort&) {
            dm.adoqry_table->cancel();
            dm.adoqry_TableGues->cancel();
        }
    }
    std::printf("refused %d\n", refused);
    return 0;
}
