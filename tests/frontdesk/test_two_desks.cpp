// Two front desks on one database file, each with its own connection and data module, doing the
// same operations on the same tables. Both read what they act on first; then one acts and the
// other acts on what it read. The second must either do the right thing or be refused with a
// message, storing nothing; afterwards the file's invariants hold, every checked-out visit's
// payment lines sum to its amount received, and nothing is charged, credited, archived or sold
// twice.
#include "Check.h"
#include "Checkout.h"
#include "Clock.h"
#include "Connection.h"
#include "DayOperations.h"
#include "Errors.h"
#include "Opening.h"
#include "Ordering.h"
#include "Schema.h"
#include "ScriptedPrompter.h"
#include "Sql.h"
#include "TDMTable.h"
#include "VisitMoves.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

using kx::db::scalarInt;
using kx::db::scalarNumber;
using kx::db::scalarText;
using kx::frontdesk::SettleOutcome;
using kx::frontdesk::TDMTable;

namespace {

const QString kStale = QStringLiteral("数据已被其它站点修改，请刷新后重新操作！");

// One front desk: its connection, its data module, its bill and its order pad.
struct Desk {
    explicit Desk(const QString& path) {
        connection.open(path);
        dm = std::make_unique<TDMTable>(connection.db());
        dm->openWorkingData(); // as a login does
        kx::frontdesk::installOpeningHooks(*dm);
        checkout = std::make_unique<kx::frontdesk::Checkout>(*dm, [](const QString&) { return true; });
        ordering = std::make_unique<kx::frontdesk::Ordering>(nullptr, dm.get());
    }
    QSqlDatabase db() const { return connection.db(); }

    // The board and the visits read again, the table and its visit current: what this desk's
    // cashier sees after a double click on the table.
    void look(const QString& table) {
        dm->adoqry_table->setFiltered(false);
        dm->adoqry_table->refresh();
        ASSERT_TRUE(dm->adoqry_table->locate(QStringLiteral("tabl_code"), table)) << table.toStdString();
        dm->adoqry_TableGues->refresh();
        const qint64 key = dm->adoqry_table->field(QStringLiteral("tabl_gues_auto_recn")).asInt();
        if (key > 0) {
            ASSERT_TRUE(dm->adoqry_TableGues->locate(QStringLiteral("tabl_gues_auto_recn"), key));
        }
    }

    qint64 open(const QString& table, int guests = 2) {
        look(table);
        dm->adoqry_TableGues->append();
        dm->adoqry_TableGues->field(QStringLiteral("tabl_gues_coun")).setValue(guests);
        return kx::frontdesk::openTable(*dm);
    }

    // This desk's order pad for the visit, filled with `count` of item 1001 (38.00) and committed.
    void order(qint64 key, const QString& table, double count) {
        ordering->openPad(key, table);
        fillPad(key, table, count);
        ordering->commitPad();
    }
    void fillPad(qint64 key, const QString& table, double count) {
        kx::db::exec(db(),
                     QStringLiteral("INSERT INTO TableConsListTemp (tabl_gues_auto_recn, tabl_code, clas_code, item_code, "
                                    "item_unit_pric, tabl_cons_coun, menu_type_code, item_type_code, item_coun_flag, "
                                    "item_type_flag, disc_clas_perc, serv_perc, desk_id) "
                                    "VALUES (?, ?, 'C01', '1001', 38, ?, '1', '1', 1, 1, 100, 100, ?)"),
                     {key, table, count, dm->deskId});
    }

    // Enters the bill of the current visit and types the payments; the amount received is the bill.
    void enterBill(const std::vector<std::pair<QString, double>>& payments = {}) {
        ASSERT_TRUE(checkout->enter());
        for (const auto& [type, amount] : payments) {
            ASSERT_TRUE(dm->adoqry_PayType->locate(QStringLiteral("pay_type_code"), type));
            dm->adoqry_PayType->edit();
            dm->adoqry_PayType->field(QStringLiteral("pay_type_mone")).setValue(amount);
            dm->adoqry_PayType->post();
        }
    }
    SettleOutcome settle() {
        const QString received =
            QString::number(dm->adoqry_TableGues->field(QStringLiteral("tabl_gues_shou")).asFloat(), 'f', 2);
        return checkout->settle(received);
    }

    kx::db::Connection connection;
    std::unique_ptr<TDMTable> dm;
    std::unique_ptr<kx::frontdesk::Checkout> checkout;
    std::unique_ptr<kx::frontdesk::Ordering> ordering;
};

// The invariants every pair of actions must leave behind.
void expectConsistentFile(QSqlDatabase db) {
    EXPECT_EQ(kx::db::checkDatabase(db).join(QLatin1Char('\n')).toStdString(), "");
    // Each checked-out visit's payment lines make up its amount received.
    EXPECT_EQ(scalarInt(db, QStringLiteral("SELECT count(*) FROM TableGuestlist g WHERE g.tabl_gues_stat = '3' AND "
                                             "abs(g.tabl_gues_fact - (SELECT coalesce(sum(p.pay_type_mone), 0) FROM tableguespay p "
                                             "WHERE p.tabl_gues_auto_recn = g.tabl_gues_auto_recn)) > 0.005")),
              0);
    // Payments only of visits that exist.
    EXPECT_EQ(scalarInt(db, QStringLiteral("SELECT count(*) FROM tableguespay p WHERE NOT EXISTS (SELECT 1 FROM "
                                             "TableGuestlist g WHERE g.tabl_gues_auto_recn = p.tabl_gues_auto_recn)")),
              0);
    // Lines only of visits that exist.
    EXPECT_EQ(scalarInt(db, QStringLiteral("SELECT count(*) FROM TableConsList l WHERE NOT EXISTS (SELECT 1 FROM "
                                             "TableGuestlist g WHERE g.tabl_gues_auto_recn = l.tabl_gues_auto_recn)")),
              0);
    // The receivable of every open visit is what its lines come to.
    EXPECT_EQ(scalarInt(db, QStringLiteral("SELECT count(*) FROM TableGuestlist g WHERE g.tabl_gues_use <> 0 AND "
                                             "abs(g.tabl_gues_dish - (SELECT coalesce(sum(l.tabl_cons_tota), 0) FROM TableConsList l "
                                             "WHERE l.tabl_gues_auto_recn = g.tabl_gues_auto_recn)) > 0.005")),
              0);
}

// The sample venue in `dir`: a cashier of the first shift logged in on a started day, no tax,
// a member card with 500 on it. Returns the file's path.
QString preparedVenue(const QTemporaryDir& dir) {
    const QString path = dir.path() + QStringLiteral("/data/VenueData.MDB");
    kx::db::Connection c;
    c.open(path);
    kx::db::prepareDatabase(c.db(), true, QDate(2026, 12, 9));
    kx::db::exec(c.db(), QStringLiteral("UPDATE SetupPay SET oper_code = '01', mana_code = '01', orde_code = '1', "
                                        "pay_star = 1, time_work = '2026-12-09 00:00:00', "
                                        "pay_set_tax_perc = 0, pay_set_tax_mone = 0"));
    kx::db::exec(c.db(), QStringLiteral("UPDATE MemberList SET memb_surp = 500, memb_use = 0 WHERE memb_card_code = '8800001'"));
    return path;
}

class TwoDesksTest : public ::testing::Test {
protected:
    void SetUp() override {
        kx::Clock::freeze(QDateTime(QDate(2026, 12, 9), QTime(12, 0)));
        path = preparedVenue(dir);
        a = std::make_unique<Desk>(path);
        b = std::make_unique<Desk>(path);
        prompter.answerYesBeyondScript(true);
    }
    void TearDown() override { kx::Clock::unfreeze(); }

    QSqlDatabase db() const { return a->db(); }

    // What a desk's action ends in: stored, or refused with the message the cashier sees.
    static QString outcome(const std::function<void()>& action) {
        try {
            action();
        } catch (const kx::StaleData& e) {
            if (e.refresh) e.refresh();
            return e.message;
        } catch (const kx::SilentAbort&) {
            return QStringLiteral("silent");
        }
        return QStringLiteral("stored");
    }

    void expectConsistent() { expectConsistentFile(db()); }

    double cardUsed() const {
        return scalarNumber(db(), QStringLiteral("SELECT memb_use FROM MemberList WHERE memb_card_code = '8800001'"));
    }
    double cardLeft() const {
        return scalarNumber(db(), QStringLiteral("SELECT memb_surp FROM MemberList WHERE memb_card_code = '8800001'"));
    }

    kx::test::ScriptedPrompter prompter;
    QTemporaryDir dir;
    QString path;
    std::unique_ptr<Desk> a, b;
};

TEST_F(TwoDesksTest, BothCheckingOutOneVisitPayItOnce) {
    const qint64 key = a->open(QStringLiteral("A01"));
    a->order(key, QStringLiteral("A01"), 2);
    a->look(QStringLiteral("A01"));
    b->look(QStringLiteral("A01"));
    a->enterBill({{QStringLiteral("M"), 76}});
    ASSERT_TRUE(a->checkout->chooseMember(QStringLiteral("8800001"), QStringLiteral("123456")));
    // Entering the bill stores it as computed: the second desk's entry finds the visit changed,
    // reads it again and enters.
    EXPECT_EQ(outcome([&] { b->enterBill(); }), kStale);
    b->checkout->abandon();
    b->look(QStringLiteral("A01"));
    b->enterBill({{QStringLiteral("M"), 76}});
    ASSERT_TRUE(b->checkout->chooseMember(QStringLiteral("8800001"), QStringLiteral("123456")));

    EXPECT_EQ(outcome([&] { EXPECT_EQ(a->settle(), SettleOutcome::Stored); }), "stored");
    EXPECT_EQ(outcome([&] { b->settle(); }), kStale);
    EXPECT_EQ(scalarInt(db(), QStringLiteral("SELECT count(*) FROM tableguespay WHERE tabl_gues_auto_recn = ?"), {key}), 5);
    EXPECT_DOUBLE_EQ(cardUsed(), 76);
    EXPECT_DOUBLE_EQ(cardLeft(), 424);
    expectConsistent();
}

TEST_F(TwoDesksTest, AnOrderCommittedWhileTheBillIsOpenRefusesTheCheckout) {
    const qint64 key = a->open(QStringLiteral("A01"));
    a->order(key, QStringLiteral("A01"), 1);
    a->look(QStringLiteral("A01"));
    b->look(QStringLiteral("A01"));
    a->enterBill(); // the bill computed on 38.00
    b->order(key, QStringLiteral("A01"), 2);

    EXPECT_EQ(outcome([&] { a->settle(); }), kStale);
    EXPECT_EQ(scalarText(db(), QStringLiteral("SELECT tabl_gues_stat FROM TableGuestlist WHERE tabl_gues_auto_recn = ?"), {key}),
              "2");
    EXPECT_DOUBLE_EQ(scalarNumber(db(), QStringLiteral("SELECT tabl_gues_shou FROM TableGuestlist WHERE tabl_gues_auto_recn = ?"),
                                  {key}),
                     114);
    EXPECT_EQ(scalarInt(db(), QStringLiteral("SELECT count(*) FROM tableguespay")), 0);
    // Read again, the bill is computed on all three lines and checks out.
    a->checkout->abandon();
    a->look(QStringLiteral("A01"));
    a->enterBill();
    EXPECT_EQ(a->settle(), SettleOutcome::Stored);
    EXPECT_DOUBLE_EQ(scalarNumber(db(), QStringLiteral("SELECT coalesce(sum(pay_type_mone), 0) FROM tableguespay")), 114);
    expectConsistent();
}

TEST_F(TwoDesksTest, AnOrderOnAVisitCheckedOutOrJoinedAwayIsRefused) {
    struct Case {
        const char* what;
        const char* table;
        const char* other;
        bool join; // else check out
    } cases[] = {{"checked out", "A01", "A02", false}, {"joined away", "A03", "A04", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString table = QString::fromLatin1(c.table);
        const qint64 key = a->open(table);
        a->open(QString::fromLatin1(c.other));
        a->order(key, table, 1);
        // Desk b's order screen is open on the visit with a line on its pad.
        b->look(table);
        b->ordering->openPad(key, table);
        b->fillPad(key, table, 3);
        a->look(table);
        if (c.join) {
            kx::frontdesk::joinVisit(*a->dm, QString::fromLatin1(c.other));
        } else {
            a->enterBill();
            EXPECT_EQ(a->settle(), SettleOutcome::Stored);
        }
        EXPECT_EQ(outcome([&] { b->ordering->commitPad(); }), kStale);
        EXPECT_EQ(scalarInt(db(), QStringLiteral("SELECT coalesce(sum(tabl_cons_coun), 0) FROM TableConsList l JOIN TableGuestlist g "
                                                 "ON g.tabl_gues_auto_recn = l.tabl_gues_auto_recn WHERE g.tabl_code IN (?, ?)"),
                            {table, QString::fromLatin1(c.other)}),
                  1);
        expectConsistent();
    }
}

TEST_F(TwoDesksTest, ACheckoutOfAVisitJoinedAwayChargesNothing) {
    const qint64 key = a->open(QStringLiteral("A01"));
    const qint64 into = a->open(QStringLiteral("A02"));
    a->order(key, QStringLiteral("A01"), 1);
    b->look(QStringLiteral("A01"));
    b->enterBill({{QStringLiteral("M"), 38}});
    ASSERT_TRUE(b->checkout->chooseMember(QStringLiteral("8800001"), QStringLiteral("123456")));
    a->look(QStringLiteral("A01"));
    kx::frontdesk::joinVisit(*a->dm, QStringLiteral("A02"));

    EXPECT_EQ(outcome([&] { b->settle(); }), kStale);
    EXPECT_DOUBLE_EQ(cardUsed(), 0);
    EXPECT_EQ(scalarInt(db(), QStringLiteral("SELECT count(*) FROM tableguespay")), 0);
    EXPECT_EQ(scalarInt(db(), QStringLiteral("SELECT count(*) FROM TableConsList WHERE tabl_gues_auto_recn = ?"), {into}), 1);
    expectConsistent();
}

TEST_F(TwoDesksTest, BothOrderingOnOneVisitKeepEveryLine) {
    const qint64 key = a->open(QStringLiteral("A01"));
    a->look(QStringLiteral("A01"));
    b->look(QStringLiteral("A01"));
    a->ordering->openPad(key, QStringLiteral("A01"));
    b->ordering->openPad(key, QStringLiteral("A01"));
    a->fillPad(key, QStringLiteral("A01"), 1);
    b->fillPad(key, QStringLiteral("A01"), 2);
    EXPECT_EQ(outcome([&] { a->ordering->commitPad(); }), "stored");
    // Desk b's copy of the visit is older than a's commit: its commit recomputes the visit
    // from the stored lines of both.
    EXPECT_EQ(outcome([&] { b->ordering->commitPad(); }), "stored");
    EXPECT_EQ(scalarInt(db(), QStringLiteral("SELECT count(*) FROM TableConsList WHERE tabl_gues_auto_recn = ?"), {key}), 2);
    EXPECT_EQ(scalarInt(db(), QStringLiteral("SELECT count(*) FROM TableConsListTemp")), 0);
    expectConsistent();
}

TEST_F(TwoDesksTest, TwoTransfersIntoOneFreeTableLeaveOneVisitThere) {
    a->open(QStringLiteral("A01"));
    a->open(QStringLiteral("A02"));
    a->look(QStringLiteral("A01"));
    b->look(QStringLiteral("A02"));
    EXPECT_EQ(outcome([&] { kx::frontdesk::transferVisit(*a->dm, QStringLiteral("A09")); }), "stored");
    EXPECT_EQ(outcome([&] { kx::frontdesk::transferVisit(*b->dm, QStringLiteral("A09")); }), kStale);
    EXPECT_EQ(scalarText(db(), QStringLiteral("SELECT tabl_stat_code FROM TableList WHERE tabl_code = 'A02'")), "2");
    EXPECT_EQ(scalarInt(db(), QStringLiteral("SELECT count(*) FROM TableGuestlist WHERE tabl_code = 'A09'")), 1);
    expectConsistent();
}

TEST_F(TwoDesksTest, ATransferAndACheckoutOfOneVisitDoNotBothHappen) {
    struct Case {
        const char* table;
        const char* target;
        bool checkoutFirst;
    } cases[] = {{"A01", "A09", true}, {"A02", "A10", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.checkoutFirst ? "checkout first" : "transfer first");
        const QString table = QString::fromLatin1(c.table), target = QString::fromLatin1(c.target);
        const qint64 key = a->open(table);
        a->order(key, table, 1);
        a->look(table);
        b->look(table);
        a->enterBill();
        auto transfer = [&] { kx::frontdesk::transferVisit(*b->dm, target); };
        auto settle = [&] { EXPECT_EQ(a->settle(), SettleOutcome::Stored); };
        if (c.checkoutFirst) {
            EXPECT_EQ(outcome(settle), "stored");
            EXPECT_EQ(outcome(transfer), kStale);
        } else {
            EXPECT_EQ(outcome(transfer), "stored");
            EXPECT_EQ(outcome(settle), kStale);
        }
        EXPECT_EQ(scalarText(db(), QStringLiteral("SELECT tabl_stat_code FROM TableList WHERE tabl_code = ?"), {table}),
                  c.checkoutFirst ? "3" : "1");
        EXPECT_EQ(scalarText(db(), QStringLiteral("SELECT tabl_stat_code FROM TableList WHERE tabl_code = ?"), {target}),
                  c.checkoutFirst ? "1" : "2");
        expectConsistent();
    }
}

// A checked-out visit that both desks then clear, or both continue.
class CheckedOutVisitTest : public TwoDesksTest {
protected:
    qint64 checkedOut() {
        const qint64 key = a->open(QStringLiteral("A01"));
        a->order(key, QStringLiteral("A01"), 2);
        a->look(QStringLiteral("A01"));
        a->enterBill({{QStringLiteral("M"), 76}});
        EXPECT_TRUE(a->checkout->chooseMember(QStringLiteral("8800001"), QStringLiteral("123456")));
        EXPECT_EQ(a->settle(), SettleOutcome::Stored);
        a->look(QStringLiteral("A01"));
        b->look(QStringLiteral("A01"));
        return key;
    }
};

TEST_F(CheckedOutVisitTest, BothClearingArchiveItOnce) {
    const qint64 key = checkedOut();
    EXPECT_EQ(outcome([&] { kx::frontdesk::clearVisit(*a->dm); }), "stored");
    EXPECT_EQ(outcome([&] { kx::frontdesk::clearVisit(*b->dm); }), kStale);
    EXPECT_EQ(scalarInt(db(), QStringLiteral("SELECT count(*) FROM AllGues WHERE tabl_gues_auto_recn = ?"), {key}), 1);
    EXPECT_EQ(scalarInt(db(), QStringLiteral("SELECT count(*) FROM AllGuesPay WHERE tabl_gues_auto_recn = ?"), {key}), 5);
    EXPECT_EQ(scalarInt(db(), QStringLiteral("SELECT count(*) FROM AllCons WHERE tabl_gues_auto_recn = ?"), {key}), 1);
    expectConsistent();
}

TEST_F(CheckedOutVisitTest, BothContinuingCreditTheCardOnce) {
    checkedOut();
    EXPECT_DOUBLE_EQ(cardUsed(), 76);
    EXPECT_EQ(outcome([&] { kx::frontdesk::continueVisit(*a->dm); }), "stored");
    // Nothing is left to give back: the second is refused as a visit no longer checked out.
    EXPECT_EQ(outcome([&] { kx::frontdesk::continueVisit(*b->dm); }), kx::frontdesk::kContinueRefused);
    EXPECT_DOUBLE_EQ(cardUsed(), 0);
    EXPECT_DOUBLE_EQ(cardLeft(), 500);
    EXPECT_EQ(scalarText(db(), QStringLiteral("SELECT tabl_stat_code FROM TableList WHERE tabl_code = 'A01'")), "4");
    expectConsistent();
}

TEST_F(CheckedOutVisitTest, AClearAndAContinueDoNotBothHappen) {
    checkedOut();
    EXPECT_EQ(outcome([&] { kx::frontdesk::continueVisit(*a->dm); }), "stored");
    EXPECT_EQ(outcome([&] { kx::frontdesk::clearVisit(*b->dm); }), kStale);
    EXPECT_EQ(scalarInt(db(), QStringLiteral("SELECT count(*) FROM AllGues")), 0);
    expectConsistent();
}

// The bill cleared: both desks' boards show its table free, its bill in their lists.
class ClearedBillTest : public CheckedOutVisitTest {
protected:
    qint64 cleared() {
        const qint64 key = checkedOut();
        kx::frontdesk::clearVisit(*a->dm);
        a->look(QStringLiteral("A01"));
        b->look(QStringLiteral("A01"));
        return key;
    }
    void reverse(Desk& desk, qint64 key) { kx::frontdesk::reverseCheckout(*desk.dm, key); }
    qint64 archived(qint64 key) const {
        return scalarInt(db(), QStringLiteral("SELECT count(*) FROM AllGues WHERE tabl_gues_auto_recn = ?"), {key});
    }
    QString tableA01() const {
        return scalarText(db(), QStringLiteral("SELECT tabl_stat_code || '/' || tabl_gues_auto_recn FROM TableList "
                                               "WHERE tabl_code = 'A01'"));
    }
};

TEST_F(ClearedBillTest, BothReversingOneBillRefundItOnce) {
    const qint64 key = cleared();
    EXPECT_DOUBLE_EQ(cardUsed(), 76);
    EXPECT_EQ(outcome([&] { reverse(*a, key); }), "stored");
    EXPECT_EQ(outcome([&] { reverse(*b, key); }), kx::frontdesk::kReverseTaken);
    EXPECT_DOUBLE_EQ(cardUsed(), 0);
    EXPECT_DOUBLE_EQ(cardLeft(), 500);
    EXPECT_EQ(archived(key), 0);
    EXPECT_EQ(tableA01(), "4/" + QString::number(key));
    expectConsistent();
}

// Desk b's board still shows the table checked out when desk a clears and reverses the bill:
// b's "续单" finds nothing to give back.
TEST_F(ClearedBillTest, AContinueFromABoardStillShowingTheCheckoutIsRefusedAfterAReversal) {
    const qint64 key = checkedOut();
    kx::frontdesk::clearVisit(*a->dm);
    a->look(QStringLiteral("A01"));
    EXPECT_EQ(outcome([&] { reverse(*a, key); }), "stored");
    EXPECT_EQ(outcome([&] { kx::frontdesk::continueVisit(*b->dm); }), kx::frontdesk::kContinueRefused);
    EXPECT_DOUBLE_EQ(cardUsed(), 0);
    EXPECT_DOUBLE_EQ(cardLeft(), 500);
    EXPECT_EQ(tableA01(), "4/" + QString::number(key));
    EXPECT_EQ(scalarInt(db(), QStringLiteral("SELECT count(*) FROM tableguespay")), 0);
    expectConsistent();
}

// The table was opened or booked by another desk after this board was read: the bill stays
// cleared and archived, nothing is given back.
TEST_F(ClearedBillTest, AReversalOntoATableTakenMeanwhileIsRefused) {
    const struct {
        const char* what;
        std::function<void(Desk&)> take;
        const char* state;
    } cases[] = {
        {"opened", [](Desk& d) { d.open(QStringLiteral("A01")); }, "2"},
        {"booked",
         [](Desk& d) {
             kx::db::exec(d.db(), QStringLiteral("UPDATE TableList SET tabl_stat_code = '5' WHERE tabl_code = 'A01'"));
         },
         "5"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const qint64 key = cleared();
        c.take(*b);
        EXPECT_EQ(outcome([&] { reverse(*a, key); }), kx::frontdesk::kReverseTaken);
        EXPECT_EQ(archived(key), 1);
        EXPECT_EQ(scalarText(db(), QStringLiteral("SELECT tabl_gues_use || '/' || tabl_gues_stat FROM TableGuestlist "
                                                  "WHERE tabl_gues_auto_recn = ?"),
                             {key}),
                  "0/1");
        EXPECT_EQ(tableA01().left(1), c.state);
        EXPECT_DOUBLE_EQ(cardUsed(), 76);
        expectConsistent();
        // The next case starts from a free table and a card paid back.
        kx::db::exec(db(), QStringLiteral("DELETE FROM TableGuestlist"));
        kx::db::exec(db(), QStringLiteral("DELETE FROM TableConsList"));
        kx::db::exec(db(), QStringLiteral("DELETE FROM tableguespay"));
        kx::db::exec(db(), QStringLiteral("UPDATE TableList SET tabl_stat_code = '1', tabl_gues_auto_recn = 0, "
                                          "tabl_gues_name = NULL, tabl_gues_coun = NULL, tabl_gues_time = NULL"));
        kx::db::exec(db(), QStringLiteral("UPDATE MemberList SET memb_surp = 500, memb_use = 0 WHERE memb_card_code = '8800001'"));
    }
}

TEST_F(TwoDesksTest, TheLastOfALimitedItemIsSoldOnce) {
    // Two left; each desk's pad takes both, one of them through a set menu that holds the item.
    kx::db::exec(db(), QStringLiteral("UPDATE itemlist SET item_limi = '有限', item_coun = 2 WHERE item_code = '1001'"));
    const qint64 first = a->open(QStringLiteral("A01"));
    const qint64 second = a->open(QStringLiteral("A02"));
    a->look(QStringLiteral("A01"));
    b->look(QStringLiteral("A02"));
    a->ordering->openPad(first, QStringLiteral("A01"));
    b->ordering->openPad(second, QStringLiteral("A02"));
    a->fillPad(first, QStringLiteral("A01"), 2);
    b->fillPad(second, QStringLiteral("A02"), 1);
    b->fillPad(second, QStringLiteral("A02"), 1);
    EXPECT_EQ(outcome([&] { a->ordering->commitPad(); }), "stored");
    EXPECT_EQ(outcome([&] { b->ordering->commitPad(); }), "[宫保鸡丁/0]点单数已经超过库存数，请重新输入数量！");
    EXPECT_DOUBLE_EQ(scalarNumber(db(), QStringLiteral("SELECT item_coun FROM itemlist WHERE item_code = '1001'")), 0);
    EXPECT_EQ(scalarInt(db(), QStringLiteral("SELECT count(*) FROM TableConsList WHERE tabl_gues_auto_recn = ?"), {second}), 0);
    // The refused pad is still there to be changed.
    EXPECT_EQ(scalarInt(db(), QStringLiteral("SELECT count(*) FROM TableConsListTemp WHERE desk_id = ?"), {b->dm->deskId}), 2);
    expectConsistent();
}

TEST_F(TwoDesksTest, BothOpeningOneTableKeepTheFirstVisit) {
    a->look(QStringLiteral("A03"));
    b->look(QStringLiteral("A03"));
    const qint64 key = a->open(QStringLiteral("A03"));
    b->dm->adoqry_TableGues->append();
    EXPECT_EQ(outcome([&] { kx::frontdesk::openTable(*b->dm); }), kStale);
    EXPECT_EQ(scalarInt(db(), QStringLiteral("SELECT tabl_gues_auto_recn FROM TableList WHERE tabl_code = 'A03'")), key);
    EXPECT_EQ(scalarInt(db(), QStringLiteral("SELECT count(*) FROM TableGuestlist")), 1);
    expectConsistent();
}

// Desk b shows its handover summary; desk a then clears a paid bill; b hands over. The bill is
// counted in b's shift and marked, never marked without being counted.
TEST_F(CheckedOutVisitTest, AHandoverWhileAnotherDeskClearsCountsWhatItMarks) {
    const qint64 key = checkedOut();
    kx::frontdesk::summarizeShift(b->db()); // b's screen, before the clear
    EXPECT_DOUBLE_EQ(scalarNumber(db(), QStringLiteral("SELECT coalesce(sum(pay_type_mone), 0) FROM Paytotaltemp")), 0);
    kx::frontdesk::clearVisit(*a->dm);
    kx::frontdesk::handOverShift(*b->dm, QDateTime(QDate(2026, 12, 9), QTime(0, 0)), QString(), QStringLiteral("01"),
                                 QStringLiteral("管理员"));
    EXPECT_DOUBLE_EQ(scalarNumber(db(), QStringLiteral("SELECT coalesce(sum(pay_type_mone), 0) FROM Allpaytotal")), 76);
    EXPECT_EQ(scalarInt(db(), QStringLiteral("SELECT count(*) FROM AllGuesPay WHERE tabl_gues_auto_recn = ? AND "
                                             "pay_flag = 0"),
                        {key}),
              0);
    // The next shift starts from nothing.
    kx::frontdesk::summarizeShift(a->db());
    EXPECT_DOUBLE_EQ(scalarNumber(db(), QStringLiteral("SELECT coalesce(sum(pay_type_mone), 0) FROM Paytotaltemp")), 0);
}

TEST_F(TwoDesksTest, DayEndOnTwoDesksArchivesTheDayOnce) {
    kx::db::exec(db(), QStringLiteral("UPDATE otherincomelist SET othe_inco_mone = 10"));
    const qint64 incomes = scalarInt(db(), QStringLiteral("SELECT count(*) FROM otherincomelist"));
    ASSERT_GT(incomes, 0);
    const QDateTime day(QDate(2026, 12, 9), QTime(0, 0));
    b->dm->adoqry_SetupPay->refresh();
    EXPECT_EQ(outcome([&] { kx::frontdesk::endDay(*a->dm, day); }), "stored");
    EXPECT_EQ(outcome([&] { kx::frontdesk::endDay(*b->dm, day); }), kStale);
    EXPECT_EQ(scalarInt(db(), QStringLiteral("SELECT count(*) FROM AllOtherInCome")), incomes);
    // And the next day is started once.
    kx::Clock::freeze(QDateTime(QDate(2026, 12, 10), QTime(9, 0)));
    b->dm->adoqry_SetupPay->refresh();
    EXPECT_EQ(outcome([&] { kx::frontdesk::startDay(*a->dm); }), "stored");
    EXPECT_EQ(outcome([&] { kx::frontdesk::startDay(*b->dm); }), kStale);
    EXPECT_EQ(scalarText(db(), QStringLiteral("SELECT time_work FROM SetupPay")), "2026-12-10 00:00:00");
}

// Desks as processes of their own on one prepared file.
class DeskProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        path = preparedVenue(dir);
    }
    void startWorker(QProcess& p, int rounds, int seed) {
        p.start(QStringLiteral(KX_DESK_WORKER), {path, QString::number(rounds), QString::number(seed)});
        ASSERT_TRUE(p.waitForStarted(10000));
    }
    void expectConsistent() {
        kx::db::Connection c;
        c.open(path);
        expectConsistentFile(c.db());
    }
    QTemporaryDir dir;
    QString path;
};

TEST_F(DeskProcessTest, TwoDesksRacingOverSixTablesKeepTheFileConsistent) {
    QProcess first, second;
    startWorker(first, 150, 1);
    startWorker(second, 150, 2);
    for (QProcess* p : {&first, &second}) {
        ASSERT_TRUE(p->waitForFinished(180000));
        EXPECT_EQ(p->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p->exitCode(), 0) << p->readAllStandardError().toStdString();
    }
    expectConsistent();
    kx::db::Connection c;
    c.open(path);
    EXPECT_GT(scalarInt(c.db(), QStringLiteral("SELECT count(*) FROM AllGues")) +
                  scalarInt(c.db(), QStringLiteral("SELECT count(*) FROM TableGuestlist")),
              0)
        << "the desks did some work";
}

// A desk killed at any moment of opening, ordering, checking out or clearing leaves nothing
// half-written: each transaction stands or falls as a whole.
TEST_F(DeskProcessTest, ADeskKilledAtAnyMomentLeavesAConsistentFile) {
    QRandomGenerator random(7);
    for (int round = 0; round < 12; ++round) {
        SCOPED_TRACE(round);
        QProcess desk;
        startWorker(desk, 1000000, round);
        QThread::msleep(150 + random.bounded(400));
        desk.kill(); // SIGKILL
        ASSERT_TRUE(desk.waitForFinished(10000));
        expectConsistent();
    }
}

} // namespace
