// One visit at a busy venue (many tables, items and member cards, the day's cleared visits still
// live, other tables in use) ends exactly as the same visit at a quiet venue: the same stored
// rows, amounts and stock, and the same values on the screens. After every step, what the front
// desk holds in memory (the board, the visits, the items, the card, the lines) is what a fresh
// read of the database gives: the actions read again only the rows they changed, and that must
// never leave a row behind.
#include "BillScreen.h"
#include "BoardFixture.h"
#include "Check.h"
#include "Connection.h"
#include "Copy.h"
#include "Generator.h"
#include "OrderScreen.h"
#include "Schema.h"
#include "WorkScreen.h"

#include <QFile>
#include <QLabel>
#include <QSqlRecord>
#include <QTabWidget>
#include <QTableView>

namespace {

using kx::db::Dataset;

// What a visit came to: what the cashier was shown along the way, and what was stored.
struct Outcome {
    QStringList shown;
    QStringList stored;
};

// The sample venue on its open day, every table free, the card 8800001 holding 500 and every
// item of the sample 100 in stock; with `busy`, grown to venue scale first.
void prepareVenue(const QString& path, bool busy) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    kx::db::Connection c;
    c.open(path);
    // The generator writes a file; a venue on a server gets the generated file's copy.
    kx::db::Connection generated;
    QTemporaryDir scratch; // a folder of its own: no database.ini there names the server
    const QString file = scratch.filePath(QStringLiteral("generated.MDB"));
    if (c.isServer()) generated.open(file);
    QSqlDatabase target = c.isServer() ? generated.db() : c.db();
    kx::db::prepareDatabase(target, true, QDate(2026, 12, 9));
    if (busy) {
        kx::db::GenerateOptions o;
        o.years = 0;
        o.today = QDate(2026, 12, 9);
        o.tables = 120;
        o.items = 1500;
        o.members = 2500;
        o.liveCleared = 150;
        o.liveOpen = 12;
        kx::db::generateHistory(target, o);
    }
    if (c.isServer()) kx::db::copyDatabase(generated.db(), c.db());
    kx::db::exec(c.db(), QStringLiteral("UPDATE SetupPay SET oper_code = '01', mana_code = '01', orde_code = '1', "
                                        "pay_star = 1, time_work = '2026-12-09 00:00:00'"));
    kx::db::exec(c.db(),
                 QStringLiteral("UPDATE MemberList SET memb_surp = 500, memb_use = 0 WHERE memb_card_code = '8800001'"));
    // Every item of the sample, the components of its set menus too (the generated visits moved them).
    kx::db::exec(c.db(), QStringLiteral("UPDATE itemlist SET item_coun = 100 WHERE length(item_code) = 4"));
}

class VenueScaleTest : public kx::test::BoardTest {
protected:
    void SetUp() override {} // each run starts the desk on a venue of its own

    // The desk started on a copy of `source` and logged in, as a cashier starts the day.
    void startOn(const QString& source) {
        const QString target = dir.path() + QStringLiteral("/data/VenueData.MDB");
        QDir().mkpath(dir.path() + QStringLiteral("/data"));
        QFile::remove(target);
        if (kx::test::onServer()) {
            // The venue's copy on the server: a schema of its own, named beside the target.
            QFile::remove(dir.path() + QStringLiteral("/data/database.ini"));
            kx::db::Connection from, to;
            from.open(source);
            to.open(target);
            kx::db::copyDatabase(from.db(), to.db());
        } else {
            ASSERT_TRUE(QFile::copy(source, target));
        }
        BoardTest::SetUp();
    }
    void stop() { TearDown(); }

    // Every row the dataset shows, field by field, as a fresh read of its SELECT gives them.
    static QStringList held(const Dataset& ds, const Dataset& fields) {
        QStringList out;
        const QStringList names = fields.fieldNames();
        for (int r = 0; r < ds.recordCount(); ++r)
            for (const QString& name : names) {
                out << QStringLiteral("%1.%2=%3").arg(r).arg(name, ds.valueAt(r, ds.fieldIndex(name)).toString());
            }
        return out;
    }
    void expectHeldAsStored(const char* step) {
        SCOPED_TRACE(step);
        for (Dataset* ds : {dm->adoqry_table, dm->adoqry_TableGues, dm->adoqry_ConsItem, dm->adoqry_Member,
                            dm->adoqry_TableCons}) {
            if (!ds->active() || ds->state() != Dataset::Browse) continue;
            Dataset fresh(db(), QStringLiteral("fresh"), ds->sql());
            fresh.setSql(ds->sql(), ds->params());
            fresh.open();
            if (ds->filtered()) fresh.applyFilter(ds->filter());
            EXPECT_EQ(held(*ds, fresh), held(fresh, fresh)) << ds->name().toStdString();
        }
    }

    QString label(QWidget* screen, const char* name) const {
        auto* l = screen->findChild<QLabel*>(QString::fromLatin1(name));
        return l ? l->text() : QStringLiteral("?");
    }
    void type(QLineEdit* edit, const QString& text) {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
        QApplication::processEvents();
    }
    // Moves the bill's pay type list to `payType` with F11/F12 and types its amount.
    void typeAmount(const QString& payType, const QString& amount) {
        Dataset& pay = *dm->adoqry_PayType;
        const int code = pay.fieldIndex(QStringLiteral("pay_type_code"));
        int target = 0;
        while (target < pay.recordCount() && pay.valueAt(target, code).toString() != payType) ++target;
        while (pay.recNo() - 1 < target && pay.recNo() < pay.recordCount()) key(Qt::Key_F12);
        while (pay.recNo() - 1 > target) key(Qt::Key_F11);
        ASSERT_EQ(pay.field(QStringLiteral("pay_type_code")).asString(), payType);
        type(work->bill->DBEdit14, amount);
    }

    // The stored result of the visit on `table`: the archived visit without its keys, its
    // archived lines and payments, the card and the stock of what was ordered.
    QStringList stored(const QString& table) {
        QStringList out;
        const qint64 key = kx::db::scalarInt(
            db(), QStringLiteral("SELECT max(tabl_gues_auto_recn) FROM AllGues WHERE tabl_code = ?"), {table});
        const auto rows = [&](const QString& sql, const QStringList& skip) {
            QSqlQuery q = kx::db::run(db(), sql, {key});
            while (q.next()) {
                QStringList row;
                const QSqlRecord r = q.record();
                for (int i = 0; i < r.count(); ++i)
                    if (!skip.contains(r.fieldName(i), Qt::CaseInsensitive))
                        row << r.fieldName(i) + QLatin1Char('=') + q.value(i).toString();
                out << row.join(QLatin1Char(' '));
            }
        };
        const QStringList keys = {QStringLiteral("tabl_gues_auto_recn"), QStringLiteral("rec_ID"),
                                  QStringLiteral("tabl_cons_ID")};
        rows(QStringLiteral("SELECT * FROM AllGues WHERE tabl_gues_auto_recn = ?"), keys);
        rows(QStringLiteral("SELECT * FROM AllCons WHERE tabl_gues_auto_recn = ? ORDER BY rec_ID"), keys);
        rows(QStringLiteral("SELECT * FROM AllGuesPay WHERE tabl_gues_auto_recn = ? ORDER BY pay_type_code"), keys);
        out << kx::test::joinedRows(db(), QStringLiteral("SELECT memb_surp, memb_use FROM MemberList "
                                                         "WHERE memb_card_code = '8800001'"));
        out << kx::test::joinedRows(db(),
                                    QStringLiteral("SELECT item_code, item_coun FROM itemlist WHERE item_code IN "
                                                   "('2001', '2002', '3001', '4001', '6001') ORDER BY item_code"),
                                    QStringLiteral("="), QStringLiteral(" "));
        return out;
    }

    // A visit from the board to the cleared table, by the cashier's keys and clicks.
    Outcome visit(const QString& table) {
        Outcome o;
        work->EditDict_TableState->setFocus();
        QTest::keyClicks(work->EditDict_TableState, table);
        doubleClickCell(table);
        EXPECT_EQ(panel(), "pnl_Register");
        type(opening()->DBEdit2, QStringLiteral("4"));
        keypad(opening()->DBEdit2, Qt::Key_Plus);
        EXPECT_EQ(panel(), "pnl_Work");
        expectHeldAsStored("opened");

        keypad(nullptr, Qt::Key_Plus);
        EXPECT_EQ(panel(), "pnl_ConsItem");
        kx::frontdesk::OrderScreen* order = work->orderScreen;
        // Codes no item of the grown catalogue begins with (its six-digit codes start at 100001), so
        // that Enter picks the one item found.
        for (const char* item : {"2001", "2002", "3001", "4001", "6001"}) {
            order->EditDict_Number->setFocus();
            order->EditDict_Number->clear();
            QTest::keyClicks(order->EditDict_Number, QString::fromLatin1(item));
            QTest::keyClick(order->EditDict_Number, Qt::Key_Return);
            QApplication::processEvents();
            type(order->dbe_number, QStringLiteral("2"));
        }
        prompter.answer(true);
        keypad(nullptr, Qt::Key_Asterisk);
        expectHeldAsStored("committed");

        key(Qt::Key_Escape);
        if (panel() == QLatin1String("pnl_Work")) key(Qt::Key_Escape);
        EXPECT_EQ(panel(), "pnl_TableState");
        expectHeldAsStored("back on the board");

        doubleClickCell(table);
        EXPECT_EQ(panel(), "pnl_Work");
        for (const char* name : {"lbl_tabl_gues_dish", "lbl_tabl_gues_low", "lbl_tabl_gues_serv", "lbl_tabl_gues_shou"})
            o.shown << label(work->workScreen->pnl_Work, name);
        expectHeldAsStored("work screen");

        keypad(nullptr, Qt::Key_Asterisk);
        EXPECT_EQ(panel(), "pnl_Bill");
        kx::frontdesk::BillScreen* bill = work->bill;
        bill->PageControl2->setCurrentIndex(1);
        type(bill->Edit1, QStringLiteral("8800001"));
        type(bill->Edit2, QStringLiteral("123456"));
        QTest::mouseClick(bill->SpeedButton1, Qt::LeftButton);
        QApplication::processEvents();
        for (QLabel* l : {bill->lbl_BillDish, bill->lbl_BillLow, bill->lbl_BillServ, bill->lbl_BillShou,
                          bill->lbl_MembSurp, bill->lbl_Total1})
            o.shown << l->text();
        expectHeldAsStored("bill with the card");

        typeAmount(QStringLiteral("M"), QStringLiteral("120"));
        typeAmount(QStringLiteral("Z"), QStringLiteral("1000"));
        prompter.answer(true);
        keypad(nullptr, Qt::Key_Asterisk);
        EXPECT_EQ(panel(), "pnl_TableState");
        EXPECT_EQ(storedState(table), "3");
        expectHeldAsStored("checked out");

        keypad(nullptr, Qt::Key_Plus);
        EXPECT_EQ(panel(), "pnl_Work");
        prompter.answer(true);
        keypad(nullptr, Qt::Key_Minus);
        EXPECT_EQ(storedState(table), "1");
        expectHeldAsStored("cleared");
        o.shown << prompter.texts();
        o.stored = stored(table);
        return o;
    }
};

TEST_F(VenueScaleTest, AVisitAtABusyVenueEndsAsAtAQuietOneAndTheDeskHoldsWhatIsStored) {
    QTemporaryDir sources;
    const QString quiet = sources.path() + QStringLiteral("/quiet/VenueData.MDB");
    const QString busy = sources.path() + QStringLiteral("/busy/VenueData.MDB");
    prepareVenue(quiet, false);
    prepareVenue(busy, true);
    QString table;
    {
        kx::db::Connection c;
        c.open(busy);
        // A table of the sample venue left free among the tables in use.
        table = kx::db::scalarText(c.db(), QStringLiteral("SELECT min(tabl_code) FROM tablelist WHERE tabl_code LIKE 'A%' "
                                                          "AND tabl_stat_code = '1' AND tabl_code > 'A01'"));
        EXPECT_GE(kx::db::scalarInt(c.db(), QStringLiteral("SELECT count(*) FROM TableGuestlist")), 150);
    }
    ASSERT_FALSE(table.isEmpty());

    startOn(quiet);
    const Outcome atQuiet = visit(table);
    stop();
    startOn(busy);
    ASSERT_GE(kx::db::scalarInt(db(), QStringLiteral("SELECT count(*) FROM tablelist")), 120);
    const Outcome atBusy = visit(table);

    EXPECT_EQ(atBusy.shown, atQuiet.shown);
    EXPECT_EQ(atBusy.stored, atQuiet.stored);
    // The visit was a real one: lines, both payments, the card charged.
    EXPECT_GE(atQuiet.stored.size(), 10);
    EXPECT_EQ(atQuiet.stored.at(atQuiet.stored.size() - 2), "380/120");
    EXPECT_EQ(kx::db::checkDatabase(db()), QStringList());
}

} // namespace
