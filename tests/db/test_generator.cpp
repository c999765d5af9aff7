// The venue history generator and `kestrix-db generate`: deterministic by seed, and the file
// it writes holds together the way the programs' own writes do.
#include "Check.h"
#include "TestServer.h"
#include "DbTool.h"
#include "Errors.h"
#include "Generator.h"
#include "Password.h"
#include "Schema.h"
#include "Sql.h"
#include "TestDb.h"

#include <QCryptographicHash>
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

// One generated venue, read by every test of a suite; `Suite::options()` says what to generate.
template <class Suite> class SharedVenueTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (!::kx::test::onServer()) venue = generated(Suite::options()).release();
    }
    static void TearDownTestSuite() {
        delete venue;
        venue = nullptr;
    }
    static QSqlDatabase db() { return venue->db(); }
    static qint64 count(const char* sql) { return scalarInt(db(), QString::fromUtf8(sql)); }
    static inline kx::test::TempDatabase* venue = nullptr;
};

class GeneratedVenueTest : public SharedVenueTest<GeneratedVenueTest> {
  public:
    static auto options() { return small(7); }
};

TEST(GeneratorTest, SameSeedSameHistoryOtherSeedOtherHistory) {
    KX_FILE_ENGINE_ONLY();
    const auto a = generated(small(42));
    const auto b = generated(small(42));
    const auto c = generated(small(43));
    const QStringList fa = fingerprint(a->db());
    EXPECT_EQ(fa, fingerprint(b->db()));
    EXPECT_NE(fa, fingerprint(c->db()));
    EXPECT_GT(scalarInt(a->db(), QStringLiteral("SELECT count(*) FROM AllGues")), 365);
}

TEST_F(GeneratedVenueTest, PassesTheCheckAndEndsOnAnOpenBusinessDayWithTablesInUse) {
    KX_FILE_ENGINE_ONLY();
    EXPECT_EQ(checkDatabase(db()), QStringList());
    EXPECT_EQ(scalarText(db(), QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));
    EXPECT_EQ(scalarText(db(), QStringLiteral("SELECT time_work FROM SetupPay")),
              QStringLiteral("2026-03-14 00:00:00"));
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
    KX_FILE_ENGINE_ONLY();
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
    EXPECT_EQ(
        count("SELECT count(*) FROM AllGues g WHERE abs(g.tabl_gues_fact - (SELECT sum(pay_type_mone) FROM "
              "AllGuesPay p WHERE p.tabl_gues_auto_recn = g.tabl_gues_auto_recn AND p.pay_type_code <> 'R')) "
              "> 0.005 OR abs(g.none_mone - (SELECT sum(pay_type_mone) FROM AllGuesPay p WHERE "
              "p.tabl_gues_auto_recn = g.tabl_gues_auto_recn AND p.pay_type_code = 'R')) > 0.005"),
        0);
    EXPECT_EQ(
        count("SELECT count(*) FROM AllGues WHERE abs(tabl_gues_shou - tabl_gues_fact - none_mone) > 0.005"),
        0);
    // Every pay type, line mode and a set menu with its components occurs.
    EXPECT_EQ(count("SELECT count(DISTINCT pay_type_code) FROM AllGuesPay WHERE pay_type_mone > 0"),
              count("SELECT count(*) FROM PayTypeList"));
    EXPECT_EQ(count("SELECT count(DISTINCT menu_type_code) FROM AllCons"), 4);
    EXPECT_GT(
        count("SELECT count(*) FROM AllCons WHERE grou_code IS NOT NULL AND cons_grou_narr LIKE '套餐-%'"),
        0);
    // Lines carry the names clearing fills in, their totals and their quantity per mode.
    EXPECT_EQ(count("SELECT count(*) FROM AllCons WHERE item_name IS NULL OR menu_type_name IS NULL OR "
                    "clas_name IS NULL OR tabl_name IS NULL OR kind_name IS NULL OR dept_name IS NULL OR "
                    "orde_name IS NULL OR tabl_cons_time_work IS NULL"),
              0);
    EXPECT_EQ(
        count("SELECT count(*) FROM AllCons WHERE abs(tabl_cons_tota - tabl_cons_coun * item_unit_pric * "
              "item_type_flag) > 0.005 OR tabl_d_bill + tabl_t_bill + tabl_z_bill + tabl_tz_bill <> "
              "tabl_cons_coun"),
        0);
    EXPECT_EQ(
        count(
            "SELECT count(*) FROM AllGues WHERE dept_name IS NULL OR orde_name IS NULL OR oper_name IS NULL "
            "OR cons_mode_name IS NULL OR tabl_gues_time_work IS NULL OR tabl_gues_stat <> '1' "
            "OR tabl_gues_use <> 0"),
        0);
}

TEST_F(GeneratedVenueTest, ShiftsDaysBalancesAndStockAddUp) {
    KX_FILE_ENGINE_ONLY();
    // The handed-over payment lines are exactly what the shift summaries took.
    EXPECT_NEAR(
        scalarNumber(db(), QStringLiteral("SELECT sum(pay_type_mone) FROM Allpaytotal")),
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
    EXPECT_EQ(count("SELECT count(*) FROM AllOtherInCome"),
              days * count("SELECT count(*) FROM OtherIncomeList"));
    EXPECT_EQ(count("SELECT count(*) FROM systemlog WHERE log_oper LIKE '%系统交班%'"), days * 3);
    // Stored-value cards: balance plus spent is what was topped up.
    EXPECT_EQ(count("SELECT count(*) FROM MemberList m WHERE memb_card_type = '储值卡' AND abs(memb_surp + "
                    "memb_use - "
                    "(SELECT sum(memb_mana_save) FROM membManage g WHERE g.memb_card_code = "
                    "m.memb_card_code)) > 0.005"),
              0);
    EXPECT_GT(count("SELECT count(*) FROM MemberList WHERE memb_use > 0"), 0);
    EXPECT_EQ(
        count("SELECT count(*) FROM HangGues WHERE hang_gues_use > hang_gues_limi OR hang_gues_use < 0"), 0);
    // Counted stock never went below zero and was bought in again.
    EXPECT_EQ(count("SELECT count(*) FROM itemlist WHERE item_limi = '有限' AND item_coun < 0"), 0);
    EXPECT_GT(count("SELECT count(*) FROM AllStoreDetail"), 0);
    EXPECT_EQ(count("SELECT count(*) FROM AllStoreDetail d WHERE NOT EXISTS "
                    "(SELECT 1 FROM AllStoreBill b WHERE b.stor_bill_ID = d.stor_bill_ID)"),
              0);
}

TEST(GeneratorTest, AddsClearedVisitsOfTheOpenDay) {
    KX_FILE_ENGINE_ONLY();
    kx::test::TempDatabase t;
    prepareDatabase(t.db(), true, kToday);
    EXPECT_EQ(addClearedVisits(t.db(), 30, 5), 30);
    QSqlDatabase db = t.db();
    EXPECT_EQ(checkDatabase(db), QStringList());
    EXPECT_EQ(
        scalarInt(db, QStringLiteral("SELECT count(*) FROM TableGuestlist WHERE tabl_gues_use = 0 AND "
                                     "tabl_gues_stat = '1' AND tabl_gues_time_work = '2026-03-14 00:00:00'")),
        30);
    EXPECT_EQ(scalarInt(db, QStringLiteral("SELECT count(*) FROM AllGues")), 30);
    EXPECT_EQ(scalarInt(db, QStringLiteral("SELECT count(*) FROM TableConsList")),
              scalarInt(db, QStringLiteral("SELECT count(*) FROM AllCons")));
    // Live lines keep the archive-only columns empty.
    EXPECT_EQ(
        scalarInt(db, QStringLiteral("SELECT count(*) FROM TableConsList WHERE clas_name IS NOT NULL OR "
                                     "menu_type_name IS NOT NULL OR tabl_d_bill <> 0")),
        0);
    EXPECT_EQ(scalarInt(db, QStringLiteral("SELECT count(*) FROM AllGuesPay WHERE pay_flag <> 0")), 0);
    EXPECT_EQ(scalarInt(db, QStringLiteral("SELECT auto_recn FROM SetupPay")), 31);
}

// ---- venue scale ----------------------------------------------------------------------

// A year of a venue grown well past the sample: 60 tables, 400 items, 300 cards, a busy open day.
GenerateOptions scaled(quint64 seed) {
    GenerateOptions o = small(seed);
    o.tables = 60;
    o.items = 400;
    o.members = 300;
    o.liveCleared = 40;
    o.liveOpen = 9;
    return o;
}

// The catalogue the options grow, row by row; a digest per table keeps a failure readable.
QStringList catalogue(QSqlDatabase db) {
    QStringList out;
    for (const char* sql : {
             "SELECT group_concat(tabl_code || tabl_name || tabl_type_code || dept_code, ',') FROM "
             "(SELECT * FROM TableList ORDER BY tabl_code)",
             "SELECT group_concat(dept_code || dept_name, ',') FROM (SELECT * FROM DepartmentList ORDER BY "
             "dept_code)",
             "SELECT group_concat(clas_code || clas_name || clas_allo_spec, ',') FROM (SELECT * FROM "
             "classlist ORDER BY "
             "clas_code)",
             "SELECT group_concat(item_code || item_name || clas_code || item_unit_pric || item_shor, ',') "
             "FROM "
             "(SELECT * FROM itemlist ORDER BY item_code)",
             "SELECT group_concat(memb_card_code || memb_name || memb_surp, ',') FROM (SELECT * FROM "
             "MemberList "
             "ORDER BY memb_card_code)",
             "SELECT group_concat(tabl_code || tabl_stat_code || tabl_gues_auto_recn, ',') FROM (SELECT * "
             "FROM "
             "TableList WHERE tabl_stat_code <> '1' ORDER BY tabl_code)",
         })
        out << QString::fromLatin1(QCryptographicHash::hash(scalarText(db, QString::fromLatin1(sql)).toUtf8(),
                                                            QCryptographicHash::Md5)
                                       .toHex());
    return out;
}

class VenueScaleTest : public SharedVenueTest<VenueScaleTest> {
  public:
    static auto options() { return scaled(11); }
};

TEST_F(VenueScaleTest, HasWhatWasAskedForAndPassesTheCheck) {
    KX_FILE_ENGINE_ONLY();
    EXPECT_EQ(count("SELECT count(*) FROM TableList"), 60);
    EXPECT_EQ(count("SELECT count(*) FROM itemlist WHERE item_type_code <> '4'"), 400);
    EXPECT_EQ(count("SELECT count(*) FROM MemberList"), 300);
    EXPECT_EQ(count("SELECT count(*) FROM TableGuestlist WHERE tabl_gues_use = 0 AND tabl_gues_time_work = "
                    "'2026-03-14 00:00:00'"),
              40);
    // Nine tables in use, every fourth of them (the 3rd and the 7th) checked out.
    EXPECT_EQ(count("SELECT count(*) FROM TableGuestlist WHERE tabl_gues_use <> 0"), 9);
    EXPECT_EQ(count("SELECT count(*) FROM TableList WHERE tabl_stat_code IN ('2', '3', '4')"), 9);
    EXPECT_EQ(count("SELECT count(*) FROM TableList WHERE tabl_stat_code = '3'"), 2);
    EXPECT_EQ(checkDatabase(db()), QStringList());
    EXPECT_EQ(scalarText(db(), QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));
    // The sample venue is all still there.
    EXPECT_EQ(count("SELECT count(*) FROM TableList WHERE tabl_code IN ('A01', 'A10', 'B05', 'K06')"), 4);
    EXPECT_EQ(count("SELECT count(*) FROM itemlist WHERE item_code IN ('1005', '6001', '6002', '9003')"), 4);
    EXPECT_EQ(count("SELECT count(*) FROM MemberList WHERE memb_card_code IN ('8800001', '8800002')"), 2);
}

TEST_F(VenueScaleTest, CodesAndReferencesAreThoseTheProgramsAccept) {
    KX_FILE_ENGINE_ONLY();
    // Table codes: a capital letter and two digits, unique also when upper-cased as the board does.
    EXPECT_EQ(count("SELECT count(*) FROM TableList WHERE tabl_code NOT GLOB '[A-Z][0-9][0-9]'"), 0);
    EXPECT_EQ(count("SELECT count(DISTINCT upper(tabl_code)) FROM TableList"), 60);
    // One letter per department, departments of at most 99 tables, none empty.
    EXPECT_EQ(count("SELECT count(*) FROM (SELECT substr(tabl_code, 1, 1) FROM TableList GROUP BY 1 "
                    "HAVING count(DISTINCT dept_code) > 1)"),
              0);
    EXPECT_EQ(count("SELECT count(*) FROM DepartmentList d WHERE NOT EXISTS "
                    "(SELECT 1 FROM TableList t WHERE t.dept_code = d.dept_code)"),
              0);
    EXPECT_EQ(count("SELECT count(*) FROM TableList t WHERE NOT EXISTS (SELECT 1 FROM TableTypeList y JOIN "
                    "ConsModeList m ON m.cons_mode_code = y.cons_mode_code WHERE y.tabl_type_code = "
                    "t.tabl_type_code) "
                    "OR NOT EXISTS (SELECT 1 FROM DepartmentList d WHERE d.dept_code = t.dept_code)"),
              0);
    // Items: codes and texts within their columns, every class known, classes of at most 100.
    EXPECT_EQ(
        count("SELECT count(*) FROM itemlist i WHERE length(item_code) > 6 OR length(item_name) > 20 OR "
              "length(item_shor) > 10 OR item_name = '' OR item_unit_pric <= 0 OR item_cost_pric > "
              "item_unit_pric "
              "OR NOT EXISTS (SELECT 1 FROM classlist c JOIN kindlist k ON k.kind_code = c.kind_code "
              "WHERE c.clas_code = i.clas_code)"),
        0);
    EXPECT_EQ(count("SELECT count(*) FROM classlist WHERE length(clas_code) <> 3 OR length(clas_name) > 20"),
              0);
    EXPECT_LE(count("SELECT max(n) FROM (SELECT count(*) n FROM itemlist GROUP BY clas_code)"), 100);
    // Dishes and drinks both: the bar's new items are a fair share.
    EXPECT_GT(count("SELECT count(*) FROM itemlist i JOIN classlist c ON c.clas_code = i.clas_code "
                    "WHERE c.manu_code = '1' AND length(i.item_code) = 6"),
              50);
    // The history was written on the grown venue: its tables, items and cards were used.
    EXPECT_GT(count("SELECT count(DISTINCT tabl_code) FROM AllGues"), 40);
    EXPECT_GT(count("SELECT count(*) FROM AllCons WHERE length(item_code) = 6"), 0);
    EXPECT_GT(count("SELECT count(DISTINCT memb_card_code) FROM AllGues WHERE memb_card_code LIKE '881%'"),
              5);
}

TEST_F(VenueScaleTest, CardsShareOneHashOfTheirPasswordAndTheirBalancesAddUp) {
    KX_FILE_ENGINE_ONLY();
    EXPECT_EQ(count("SELECT count(DISTINCT memb_pass) FROM MemberList WHERE memb_card_code LIKE '881%'"), 1);
    const QString stored =
        scalarText(db(), QStringLiteral("SELECT memb_pass FROM MemberList WHERE memb_card_code = "
                                        "'8810298'"));
    EXPECT_TRUE(kx::verifyPassword(QStringLiteral("123456"), stored));
    EXPECT_FALSE(kx::verifyPassword(QStringLiteral("12345"), stored));
    EXPECT_EQ(count("SELECT count(*) FROM MemberList m WHERE memb_card_type = '储值卡' AND abs(memb_surp + "
                    "memb_use - "
                    "(SELECT sum(memb_mana_save) FROM membManage g WHERE g.memb_card_code = "
                    "m.memb_card_code)) > 0.005"),
              0);
}

TEST(GeneratorScaleTest, SameSeedSameVenueOtherSeedOtherVenue) {
    KX_FILE_ENGINE_ONLY();
    GenerateOptions o = scaled(21);
    o.years = 0;
    const auto a = generated(o);
    const auto b = generated(o);
    o.seed = 22;
    const auto c = generated(o);
    EXPECT_EQ(catalogue(a->db()), catalogue(b->db()));
    EXPECT_EQ(fingerprint(a->db()), fingerprint(b->db()));
    EXPECT_NE(catalogue(a->db()), catalogue(c->db()));
    EXPECT_NE(fingerprint(a->db()), fingerprint(c->db()));
}

// Asking for what the sample venue already has is the same as not asking: the options add
// nothing and draw nothing.
TEST(GeneratorScaleTest, OptionsAtTheSampleSizesChangeNothing) {
    KX_FILE_ENGINE_ONLY();
    GenerateOptions asked = small(5);
    asked.tables = 20;
    asked.items = 17;
    asked.members = 42; // the sample's two and the 40 opened on the first day
    asked.liveCleared = 1;
    const auto plain = generated(small(5));
    const auto same = generated(asked);
    EXPECT_EQ(catalogue(plain->db()), catalogue(same->db()));
    EXPECT_EQ(fingerprint(plain->db()), fingerprint(same->db()));
}

TEST(GeneratorScaleTest, RefusesWhatTheVenueCannotBeBeforeWritingAnything) {
    KX_FILE_ENGINE_ONLY();
    struct Case {
        const char* what;
        std::function<void(GenerateOptions&)> set;
    };
    const Case cases[] = {
        {"fewer tables than the sample", [](GenerateOptions& o) { o.tables = 19; }},
        {"more tables than codes", [](GenerateOptions& o) { o.tables = 5000; }},
        {"fewer items than the sample", [](GenerateOptions& o) { o.items = 3; }},
        {"fewer cards than the sample", [](GenerateOptions& o) { o.members = 1; }},
        {"every table in use, no room for the cleared", [](GenerateOptions& o) { o.liveOpen = 20; }},
        {"more tables in use than tables",
         [](GenerateOptions& o) {
             o.tables = 30;
             o.liveOpen = 31;
             o.liveCleared = 0;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        kx::test::TempDatabase t;
        GenerateOptions o = small(1);
        o.years = 0;
        c.set(o);
        prepareDatabase(t.db(), true, kToday);
        EXPECT_THROW(generateHistory(t.db(), o), kx::DbError);
        EXPECT_EQ(scalarInt(t.db(), QStringLiteral("SELECT count(*) FROM TableList")), 20);
        EXPECT_EQ(scalarInt(t.db(), QStringLiteral("SELECT count(*) FROM itemlist")), 20);
        EXPECT_EQ(scalarInt(t.db(), QStringLiteral("SELECT count(*) FROM TableGuestlist")), 0);
    }
    // All tables in use is allowed when no cleared visit needs one.
    kx::test::TempDatabase t;
    GenerateOptions o = small(1);
    o.years = 0;
    o.liveOpen = 20;
    o.liveCleared = 0;
    prepareDatabase(t.db(), true, kToday);
    generateHistory(t.db(), o);
    EXPECT_EQ(scalarInt(t.db(), QStringLiteral("SELECT count(*) FROM TableList WHERE tabl_stat_code = '1'")),
              0);
    EXPECT_EQ(checkDatabase(t.db()), QStringList());
}

TEST(GeneratorToolTest, GeneratesAFileThatPassesTheCheckAndRefusesToOverwrite) {
    KX_FILE_ENGINE_ONLY();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("venue.MDB"));
    QString outText, errText;
    QTextStream out(&outText), err(&errText);
    const QStringList args = {QStringLiteral("generate"), QStringLiteral("--years"),
                              QStringLiteral("0"),        QStringLiteral("--visits-per-day"),
                              QStringLiteral("12"),       QStringLiteral("--seed"),
                              QStringLiteral("3"),        path};
    EXPECT_EQ(runDbTool(args, out, err, kToday), 0) << errText.toStdString();
    EXPECT_TRUE(QFileInfo::exists(path));
    EXPECT_EQ(runDbTool({QStringLiteral("check"), path}, out, err, kToday), 0) << outText.toStdString();
    EXPECT_EQ(runDbTool(args, out, err, kToday), 1);
    EXPECT_TRUE(errText.contains(QStringLiteral("already exists")));
    for (const QStringList& bad :
         {QStringList{QStringLiteral("generate")},
          QStringList{QStringLiteral("generate"), QStringLiteral("--years"), path},
          QStringList{QStringLiteral("generate"), QStringLiteral("--seed"), QStringLiteral("-1"), path}})
        EXPECT_EQ(runDbTool(bad, out, err, kToday), 2) << bad.join(QLatin1Char(' ')).toStdString();
}

TEST(GeneratorToolTest, VenueScaleOptions) {
    KX_FILE_ENGINE_ONLY();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("venue.MDB"));
    const auto tool = [&](const QStringList& args, QString* printed = nullptr) {
        QString outText, errText;
        QTextStream out(&outText), err(&errText);
        const int code = runDbTool(args, out, err, kToday);
        out.flush();
        if (printed) *printed = outText + errText;
        return code;
    };
    const QStringList base = {QStringLiteral("generate"), QStringLiteral("--years"), QStringLiteral("0"),
                              QStringLiteral("--visits-per-day"), QStringLiteral("10")};
    const auto with = [&](const QStringList& extra, const QString& file) {
        return base + extra + QStringList{file};
    };
    QString printed;
    ASSERT_EQ(tool(with({"--tables", "30", "--items", "50", "--members", "20", "--live-cleared", "5",
                         "--live-open", "3"},
                        path),
                   &printed),
              0)
        << printed.toStdString();
    EXPECT_TRUE(printed.contains(QStringLiteral("venue: 30 tables, 50 orderable items, 20 member cards; open "
                                                "day: 5 cleared visits, 3 tables in use")))
        << printed.toStdString();
    EXPECT_EQ(tool({QStringLiteral("check"), path}), 0);

    // A size the venue cannot take is refused after reading the venue, and leaves no file.
    const QString small = dir.filePath(QStringLiteral("small.MDB"));
    EXPECT_EQ(tool(with({"--tables", "5"}, small), &printed), 1);
    EXPECT_TRUE(printed.contains(QStringLiteral("already has 20 tables"))) << printed.toStdString();
    EXPECT_FALSE(QFileInfo::exists(small));
    // Malformed or out-of-range numbers are a wrong command line.
    for (const QStringList& bad :
         {QStringList{"--tables", "0"}, QStringList{"--tables", "x"}, QStringList{"--items", "200000"},
          QStringList{"--live-open", "-1"}, QStringList{"--members"}})
        EXPECT_EQ(tool(with(bad, dir.filePath(QStringLiteral("bad.MDB")))), 2)
            << bad.join(QLatin1Char(' ')).toStdString();
}

} // namespace
