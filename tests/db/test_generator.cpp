// The venue history generator and `kestrix-db generate`: deterministic by seed, and the file
// it writes holds together the way the programs' own writes do.
#include "Check.h"
#include "DbTool.h"
#include "Generator.h"
#include "Schema.h"
#include "Sql.h"
#include "TestDb.h"

#include <QDate>
#include <QFileInfo>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

using namespace kx::db;

namespace {

const QDate kToday(2026, 3, 14);

GenerateOptions small(quint64 seed) {
    GenerateOptions o;
    o.years = 1;
    o.visitsPerDay = 4;
    o.seed = seed;
    o.today = kToday;
    return o;
}

// A database with the sample venue as it stood on the first day, and its history.
std::unique_ptr<kx::test::TempDatabase> generated(const GenerateOptions& o) {
    auto t = std::make_unique<kx::test::TempDatabase>();
    prepareDatabase(t->db(), true, o.today.addYears(-o.years));
    generateHistory(t->db(), o);
    return t;
}

// Sums over what a report would read: equal sums, equal history.
QStringList fingerprint(QSqlDatabase db) {
    QStringList out;
    for (const char* sql : {
             "SELECT count(*), sum(tabl_gues_fact), sum(tabl_gues_shou), sum(tabl_gues_coun) FROM AllGues",
             "SELECT count(*), sum(tabl_cons_tota), sum(tabl_cons_coun), sum(length(item_code)) FROM AllCons",
             "SELECT count(*), sum(pay_type_mone) FROM AllGuesPay",
             "SELECT count(*), sum(pay_type_mone), sum(pay_type_coun) FROM Allpaytotal",
             "SELECT count(*), sum(othe_inco_mone) FROM AllOtherInCome",
             "SELECT count(*), group_concat(log_oper) FROM systemlog",
             "SELECT group_concat(item_code || '=' || item_coun) FROM itemlist",
             "SELECT count(*), sum(tabl_gues_shou) FROM TableGuestlist",
             "SELECT group_concat(memb_card_code || '=' || memb_surp) FROM MemberList",
         }) {
        QSqlQuery q = run(db, QString::fromLatin1(sql));
        q.next();
        QStringList row;
        for (int i = 0; i < q.record().count(); ++i)
            row << q.value(i).toString();
        out << row.join(QLatin1Char('|'));
    }
    return out;
}

class GeneratedVenueTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { venue = generated(small(7)).release(); }
    static void TearDownTestSuite() {
        delete venue;
        venue = nullptr;
    }
    static QSqlDatabase db() { return venue->db(); }
    static qint64 count(const char* sql) { return scalarInt(db(), QString::fromUtf8(sql)); }
    static kx::test::TempDatabase* venue;
};
kx::test::TempDatabase* GeneratedVenueTest::venue = nullptr;

TEST(GeneratorTest, SameSeedSameHistoryOtherSeedOtherHistory) {
    const auto a = generated(small(42));
    const auto b = generated(small(42));
    const auto c = generated(small(43));
    const QStringList fa = fingerprint(a->db());
    EXPECT_EQ(fa, fingerprint(b->db()));
    EXPECT_NE(fa, fingerprint(c->db()));
    EXPECT_GT(scalarInt(a->db(), QStringLiteral("SELECT count(*) FROM AllGues")), 365);
}

TEST_F(GeneratedVenueTest, PassesTheCheckAndEndsOnAnOpenBusinessDayWithTablesInUse) {
    EXPECT_EQ(checkDatabase(db()), QStringList());
    EXPECT_EQ(scalarText(db(), QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));
    EXPECT_EQ(scalarText(db(), QStringLiteral("SELECT time_work FROM SetupPay")), QStringLiteral("2026-03-14 00:00:00"));
    EXPECT_TRUE(scalarBool(db(), QStringLiteral("SELECT pay_star FROM SetupPay")));
    EXPECT_EQ(count("SELECT count(*) FROM TableList WHERE tabl_stat_code IN ('2', '3', '4')"), 4);
    EXPECT_EQ(count("SELECT count(*) FROM TableList WHERE tabl_stat_code = '3'"), 1);
    // The next opening takes the key after the last one written.
    EXPECT_EQ(count("SELECT auto_recn FROM SetupPay"),
              1 + count("SELECT max(tabl_gues_auto_recn) FROM (SELECT tabl_gues_auto_recn FROM AllGues "
                        "UNION ALL SELECT tabl_gues_auto_recn FROM TableGuestlist)"));
    // Open visits have committed lines but no checkout yet; the checked-out one has its payments.
    EXPECT_EQ(count("SELECT count(*) FROM TableGuestlist WHERE tabl_gues_use <> 0 AND tabl_gues_stat = '2' "
                    "AND (tabl_gues_time_end IS NOT NULL OR tabl_gues_fact <> 0)"),
              0);
    EXPECT_EQ(count("SELECT count(*) FROM TableGuestlist g WHERE tabl_gues_use <> 0 AND NOT EXISTS "
                    "(SELECT 1 FROM TableConsList c WHERE c.tabl_gues_auto_recn = g.tabl_gues_auto_recn)"),
              0);
    EXPECT_EQ(count("SELECT count(DISTINCT p.tabl_gues_auto_recn) FROM tableguespay p JOIN TableGuestlist g "
                    "ON g.tabl_gues_auto_recn = p.tabl_gues_auto_recn WHERE g.tabl_gues_use <> 0"),
              1);
}

TEST_F(GeneratedVenueTest, ArchivesHoldTogether) {
    // Every archived line and payment belongs to an archived visit, every visit has one
    // payment line per pay type, and what was paid (the waived amount aside) is the amount
    // received.
    EXPECT_EQ(count("SELECT count(*) FROM AllCons c WHERE NOT EXISTS "
                    "(SELECT 1 FROM AllGues g WHERE g.tabl_gues_auto_recn = c.tabl_gues_auto_recn)"),
              0);
    EXPECT_EQ(count("SELECT count(*) FROM AllGuesPay p WHERE NOT EXISTS "
                    "(SELECT 1 FROM AllGues g WHERE g.tabl_gues_auto_recn = p.tabl_gues_auto_recn)"),
              0);
    EXPECT_EQ(count("SELECT count(*) FROM AllGues g WHERE (SELECT count(*) FROM AllGuesPay p WHERE "
                    "p.tabl_gues_auto_recn = g.tabl_gues_auto_recn) <> (SELECT count(*) FROM PayTypeList)"),
              0);
    EXPECT_EQ(count("SELECT count(*) FROM AllGues g WHERE abs(g.tabl_gues_fact - (SELECT sum(pay_type_mone) FROM "
                    "AllGuesPay p WHERE p.tabl_gues_auto_recn = g.tabl_gues_auto_recn AND p.pay_type_code <> 'R')) "
                    "> 0.005 OR abs(g.none_mone - (SELECT sum(pay_type_mone) FROM AllGuesPay p WHERE "
                    "p.tabl_gues_auto_recn = g.tabl_gues_auto_recn AND p.pay_type_code = 'R')) > 0.005"),
              0);
    EXPECT_EQ(count("SELECT count(*) FROM AllGues WHERE abs(tabl_gues_shou - tabl_gues_fact - none_mone) > 0.005"),
              0);
    // Every pay type, line mode and a set menu with its components occurs.
    EXPECT_EQ(count("SELECT count(DISTINCT pay_type_code) FROM AllGuesPay WHERE pay_type_mone > 0"),
              count("SELECT count(*) FROM PayTypeList"));
    EXPECT_EQ(count("SELECT count(DISTINCT menu_type_code) FROM AllCons"), 4);
    EXPECT_GT(count("SELECT count(*) FROM AllCons WHERE grou_code IS NOT NULL AND cons_grou_narr LIKE '套餐-%'"), 0);
    // Lines carry the names clearing fills in, their totals and their quantity per mode.
    EXPECT_EQ(count("SELECT count(*) FROM AllCons WHERE item_name IS NULL OR menu_type_name IS NULL OR "
                    "clas_name IS NULL OR tabl_name IS NULL OR kind_name IS NULL OR dept_name IS NULL OR "
                    "orde_name IS NULL OR tabl_cons_time_work IS NULL"),
              0);
    EXPECT_EQ(count("SELECT count(*) FROM AllCons WHERE abs(tabl_cons_tota - tabl_cons_coun * item_unit_pric * "
                    "item_type_flag) > 0.005 OR tabl_d_bill + tabl_t_bill + tabl_z_bill + tabl_tz_bill <> tabl_cons_coun"),
              0);
    EXPECT_EQ(count("SELECT count(*) FROM AllGues WHERE dept_name IS NULL OR orde_name IS NULL OR oper_name IS NULL "
                    "OR cons_mode_name IS NULL OR tabl_gues_time_work IS NULL OR tabl_gues_stat <> '1' "
                    "OR tabl_gues_use <> 0"),
              0);
}

TEST_F(GeneratedVenueTest, ShiftsDaysBalancesAndStockAddUp) {
    // The handed-over payment lines are exactly what the shift summaries took.
    EXPECT_NEAR(scalarNumber(db(), QStringLiteral("SELECT sum(pay_type_mone) FROM Allpaytotal")),
                scalarNumber(db(), QStringLiteral("SELECT sum(pay_type_mone) FROM AllGuesPay WHERE pay_flag <> 0")),
                0.01);
    EXPECT_EQ(count("SELECT sum(pay_type_coun) FROM Allpaytotal"),
              count("SELECT count(*) FROM AllGuesPay WHERE pay_flag <> 0 AND pay_type_mone > 0"));
    // The open day's cleared visits are not handed over yet and still in the live tables.
    EXPECT_EQ(count("SELECT count(*) FROM AllGuesPay WHERE pay_flag = 0"),
              count("SELECT count(*) FROM tableguespay p JOIN TableGuestlist g ON g.tabl_gues_auto_recn = "
                    "p.tabl_gues_auto_recn WHERE g.tabl_gues_use = 0"));
    EXPECT_EQ(count("SELECT count(*) FROM TableGuestlist g WHERE tabl_gues_use = 0 AND NOT EXISTS "
                    "(SELECT 1 FROM AllGues a WHERE a.tabl_gues_auto_recn = g.tabl_gues_auto_recn)"),
              0);
    // One other-income row per item and closed day, three shift handovers a day.
    const qint64 days = count("SELECT count(DISTINCT othe_inco_time) FROM AllOtherInCome");
    EXPECT_EQ(days, QDate(2025, 3, 14).daysTo(kToday));
    EXPECT_EQ(count("SELECT count(*) FROM AllOtherInCome"), days * count("SELECT count(*) FROM OtherIncomeList"));
    EXPECT_EQ(count("SELECT count(*) FROM systemlog WHERE log_oper LIKE '%系统交班%'"), days * 3);
    // Stored-value cards: balance plus spent is what was topped up.
    EXPECT_EQ(count("SELECT count(*) FROM MemberList m WHERE memb_card_type = '储值卡' AND abs(memb_surp + memb_use - "
                    "(SELECT sum(memb_mana_save) FROM membManage g WHERE g.memb_card_code = m.memb_card_code)) > 0.005"),
              0);
    EXPECT_GT(count("SELECT count(*) FROM MemberList WHERE memb_use > 0"), 0);
    EXPECT_EQ(count("SELECT count(*) FROM HangGues WHERE hang_gues_use > hang_gues_limi OR hang_gues_use < 0"), 0);
    // Counted stock never went below zero and was bought in again.
    EXPECT_EQ(count("SELECT count(*) FROM itemlist WHERE item_limi = '有限' AND item_coun < 0"), 0);
    EXPECT_GT(count("SELECT count(*) FROM AllStoreDetail"), 0);
    EXPECT_EQ(count("SELECT count(*) FROM AllStoreDetail d WHERE NOT EXISTS "
                    "(SELECT 1 FROM AllStoreBill b WHERE b.stor_bill_ID = d.stor_bill_ID)"),
              0);
}

TEST(GeneratorTest, AddsClearedVisitsOfTheOpenDay) {
    kx::test::TempDatabase t;
    prepareDatabase(t.db(), true, kToday);
    EXPECT_EQ(addClearedVisits(t.db(), 30, 5), 30);
    QSqlDatabase db = t.db();
    EXPECT_EQ(checkDatabase(db), QStringList());
    EXPECT_EQ(scalarInt(db, QStringLiteral("SELECT count(*) FROM TableGuestlist WHERE tabl_gues_use = 0 AND "
                                           "tabl_gues_stat = '1' AND tabl_gues_time_work = '2026-03-14 00:00:00'")),
              30);
    EXPECT_EQ(scalarInt(db, QStringLiteral("SELECT count(*) FROM AllGues")), 30);
    EXPECT_EQ(scalarInt(db, QStringLiteral("SELECT count(*) FROM TableConsList")),
              scalarInt(db, QStringLiteral("SELECT count(*) FROM AllCons")));
    // Live lines keep the archive-only columns empty.
    EXPECT_EQ(scalarInt(db, QStringLiteral("SELECT count(*) FROM TableConsList WHERE clas_name IS NOT NULL OR "
                                           "menu_type_name IS NOT NULL OR tabl_d_bill <> 0")),
              0);
    EXPECT_EQ(scalarInt(db, QStringLiteral("SELECT count(*) FROM AllGuesPay WHERE pay_flag <> 0")), 0);
    EXPECT_EQ(scalarInt(db, QStringLiteral("SELECT auto_recn FROM SetupPay")), 31);
}

TEST(GeneratorToolTest, GeneratesAFileThatPassesTheCheckAndRefusesToOverwrite) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("venue.MDB"));
    QString outText, errText;
    QTextStream out(&outText), err(&errText);
    const QStringList args = {QStringLiteral("generate"), QStringLiteral("--years"), QStringLiteral("0"),
                              QStringLiteral("--visits-per-day"), QStringLiteral("12"), QStringLiteral("--seed"),
                              QStringLiteral("3"), path};
    EXPECT_EQ(runDbTool(args, out, err, kToday), 0) << errText.toStdString();
    EXPECT_TRUE(QFileInfo::exists(path));
    EXPECT_EQ(runDbTool({QStringLiteral("check"), path}, out, err, kToday), 0) << outText.toStdString();
    EXPECT_EQ(runDbTool(args, out, err, kToday), 1);
    EXPECT_TRUE(errText.contains(QStringLiteral("already exists")));
    for (const QStringList& bad : {QStringList{QStringLiteral("generate")},
                                   QStringList{QStringLiteral("generate"), QStringLiteral("--years"), path},
                                   QStringList{QStringLiteral("generate"), QStringLiteral("--seed"),
                                               QStringLiteral("-1"), path}})
        EXPECT_EQ(runDbTool(bad, out, err, kToday), 2) << bad.join(QLatin1Char(' ')).toStdString();
}

} // namespace
