// The table invariants check and the kestrix-db command line.
#include "Check.h"
#include "TestServer.h"
#include "DbTool.h"
#include "Schema.h"
#include "Sql.h"
#include "Transaction.h"
#include "TestDb.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kx::db;

namespace {

const QDate kToday(2026, 3, 14);

// A table with a visit: the sample's table A01 in `state`, carrying `key`, and the visits
// given as (key, in use) on it.
struct BrokenCase {
    const char* name;
    const char* state;
    int key;
    std::vector<std::pair<int, bool>> visits;
    const char* visitTable; // where the visits stand
    const char* expected;   // a piece of the one failure, or "" when all holds
};

void PrintTo(const BrokenCase& c, std::ostream* os) {
    *os << c.name;
}

const BrokenCase kCases[] = {
    {"OpenTableWithItsVisit", "2", 7, {{7, true}}, "A01", ""},
    {"CheckedOutTableWithItsVisitAndAClearedOne", "3", 7, {{7, true}, {6, false}}, "A01", ""},
    {"FreeTableWithAClearedVisit", "1", 0, {{7, false}}, "A01", ""},
    {"InUseWithoutVisit", "2", 7, {}, "A01", "table A01 (state \"2\"): 0 visits in use, expected exactly 1"},
    {"CheckedOutWithTwoVisits",
     "3",
     7,
     {{7, true}, {8, true}},
     "A01",
     "table A01 (state \"3\"): 2 visits in use"},
    {"ReopenedWithWrongKey",
     "4",
     9,
     {{7, true}},
     "A01",
     "table A01 (state \"4\"): carries visit key 9, but its visit in use is 7"},
    {"FreeWithKey", "1", 5, {}, "A01", "table A01 (state \"1\"): carries visit key 5, expected 0"},
    {"DisabledWithKey", "6", 5, {}, "A01", "table A01 (state \"6\"): carries visit key 5, expected 0"},
    {"BookedWithVisitInUse", "5", 0, {{7, true}}, "A01", "table A01 (state \"5\"): 1 visits still in use"},
    {"UnknownState", "9", 0, {}, "A01", "table A01 (state \"9\"): unknown state"},
    {"VisitOnUnknownTable",
     "1",
     0,
     {{7, true}},
     "Z99",
     "visit 7: in use on table \"Z99\", which does not exist"},
};

class KestrixDbCheckTest : public ::testing::TestWithParam<BrokenCase> {
  protected:
    void SetUp() override {
        prepareDatabase(tdb.db(), true, kToday);
        // A venue that has given out its first visit keys: the cases below use keys under 100.
        exec(db(), QStringLiteral("UPDATE SetupPay SET auto_recn = 100"));
    }
    QSqlDatabase db() { return tdb.db(); }
    kx::test::TempDatabase tdb;
};

TEST_P(KestrixDbCheckTest, ReportsEachBrokenInvariant) {
    const BrokenCase& c = GetParam();
    ASSERT_EQ(checkDatabase(db()), QStringList());
    exec(db(),
         QStringLiteral(
             "UPDATE TableList SET tabl_stat_code = ?, tabl_gues_auto_recn = ? WHERE tabl_code = 'A01'"),
         {QString::fromLatin1(c.state), c.key});
    for (const auto& [key, inUse] : c.visits)
        exec(db(),
             QStringLiteral("INSERT INTO TableGuestlist (tabl_gues_auto_recn, tabl_code, tabl_gues_use) "
                            "VALUES (?, ?, ?)"),
             {key, QString::fromLatin1(c.visitTable), inUse});
    const QStringList failures = checkDatabase(db());
    if (QByteArray(c.expected).isEmpty()) {
        EXPECT_EQ(failures, QStringList());
    } else {
        ASSERT_EQ(failures.size(), 1) << failures.join(QLatin1Char('\n')).toStdString();
        EXPECT_TRUE(failures[0].contains(QString::fromUtf8(c.expected))) << failures[0].toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(KestrixDb, KestrixDbCheckTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// One settings row, and a visit counter that never hands out a key already used.
TEST_F(KestrixDbCheckTest, ReportsTheSettingsRowAndTheVisitCounter) {
    const struct {
        const char* change;
        const char* expected; // empty: still consistent
    } cases[] = {
        {"INSERT INTO AllGues (tabl_gues_auto_recn, tabl_code) VALUES (99, 'A01')", ""},
        {"INSERT INTO AllGues (tabl_gues_auto_recn, tabl_code) VALUES (100, 'A01')",
         "settings: the visit counter 100 is not above the highest visit key 100"},
        {"INSERT INTO TableGuestlist (tabl_gues_auto_recn, tabl_code, tabl_gues_use) VALUES (140, 'A01', 0)",
         "settings: the visit counter 100 is not above the highest visit key 140"},
        {"DELETE FROM SetupPay", "settings: 0 rows in SetupPay, expected exactly 1"},
        {"INSERT INTO SetupPay (auto_recn) VALUES (1)", "settings: 2 rows in SetupPay, expected exactly 1"},
    };
    for (const auto& c : cases) {
        kx::db::Transaction tx(db());
        exec(db(), QString::fromLatin1(c.change));
        const QStringList failures = checkDatabase(db());
        if (QByteArray(c.expected).isEmpty()) {
            EXPECT_EQ(failures, QStringList()) << c.change;
        } else {
            ASSERT_EQ(failures.size(), 1) << c.change << failures.join('\n').toStdString();
            EXPECT_EQ(failures[0], QString::fromLatin1(c.expected));
        }
        tx.rollback();
    }
}

// A visit is archived once, when it is cleared, and its archive is gone while it is in use again.
TEST_F(KestrixDbCheckTest, ReportsAVisitArchivedTwiceOrArchivedWhileInUse) {
    // Visit 7 cleared on the free table A01 and archived.
    exec(db(), QStringLiteral("INSERT INTO TableGuestlist (tabl_gues_auto_recn, tabl_code, tabl_gues_use) VALUES (7, 'A01', 0)"));
    exec(db(), QStringLiteral("INSERT INTO AllGues (tabl_gues_auto_recn, tabl_code) VALUES (7, 'A01')"));
    ASSERT_EQ(checkDatabase(db()), QStringList());
    const struct {
        QStringList changes;
        const char* expected;
    } cases[] = {
        {{"INSERT INTO AllGues (tabl_gues_auto_recn, tabl_code) VALUES (7, 'A01')"}, "visit 7: archived 2 times"},
        {{"UPDATE TableGuestlist SET tabl_gues_use = 1 WHERE tabl_gues_auto_recn = 7",
          "UPDATE TableList SET tabl_stat_code = '4', tabl_gues_auto_recn = 7 WHERE tabl_code = 'A01'"},
         "visit 7: in use and archived"},
    };
    for (const auto& c : cases) {
        kx::db::Transaction tx(db());
        for (const QString& change : c.changes) exec(db(), change);
        EXPECT_EQ(checkDatabase(db()), QStringList({QString::fromLatin1(c.expected)}));
        tx.rollback();
    }
}

// Every role holds the permission catalogue's codes, once each.
TEST_F(KestrixDbCheckTest, ReportsARoleWhosePermissionsDifferFromTheCatalogue) {
    ASSERT_EQ(checkDatabase(db()), QStringList());
    const struct {
        const char* change;
        const char* expected;
    } cases[] = {
        {"DELETE FROM Limitedlist WHERE mana_code = '01' AND limi_code = 'AP'", "role 01: no permission row for \"AP\""},
        {"INSERT INTO Limitedlist (mana_code, limi_code, limi_name) VALUES ('01', 'ZZ', 'x')",
         "role 01: permission \"ZZ\" is not in the catalogue"},
        {"INSERT INTO Limitedlist (mana_code, limi_code, limi_name) VALUES ('98', 'AP', 'x')",
         "role 98: permission row \"AP\" of a role that does not exist"},
        {"INSERT INTO managertype (mana_code, mana_name) VALUES ('97', 'x')", "role 97: no permission row for"},
    };
    for (const auto& c : cases) {
        kx::db::Transaction tx(db());
        exec(db(), QString::fromLatin1(c.change));
        const QStringList failures = checkDatabase(db());
        ASSERT_FALSE(failures.isEmpty()) << c.change;
        EXPECT_TRUE(failures[0].startsWith(QString::fromLatin1(c.expected))) << failures[0].toStdString();
        tx.rollback();
    }
}

// A card's balance and spending add up to its top-ups, its points to its point changes; a
// unit holds one amount, receivable or payable.
TEST_F(KestrixDbCheckTest, ReportsACardOrAUnitWhoseBalanceIsWrong) {
    ASSERT_EQ(checkDatabase(db()), QStringList());
    const struct {
        const char* change;
        const char* expected; // empty: still consistent
    } cases[] = {
        {"UPDATE MemberList SET memb_surp = memb_surp - 30, memb_use = memb_use + 30 "
         "WHERE memb_card_type = '储值卡'", ""},
        {"UPDATE MemberList SET memb_surp = memb_surp + 0.01 WHERE memb_card_type = '储值卡'",
         "balance and spending"},
        {"INSERT INTO membManage (memb_card_code, memb_card_type, memb_mana_save, memb_mana_inte) "
         "SELECT memb_card_code, memb_card_type, 0, 5 FROM MemberList WHERE memb_card_type = '积分卡'",
         "points"},
        {"UPDATE WorkList SET work_pay_shou = 20 WHERE work_code = '001'", ""},
        {"UPDATE WorkList SET work_pay_shou = 20, work_inco_shou = 5 WHERE work_code = '001'", "unit 001"},
        {"UPDATE WorkList SET work_inco_shou = -5 WHERE work_code = '001'", "unit 001"},
    };
    for (const auto& c : cases) {
        kx::db::Transaction tx(db());
        exec(db(), QString::fromUtf8(c.change));
        const QStringList failures = checkDatabase(db());
        if (!*c.expected) EXPECT_EQ(failures, QStringList()) << c.change;
        else {
            ASSERT_EQ(failures.size(), 1) << c.change;
            EXPECT_TRUE(failures[0].contains(QString::fromUtf8(c.expected))) << failures[0].toStdString();
        }
        tx.rollback();
    }
}

// ---- the command line -----------------------------------------------------------------

struct ToolRun {
    int code;
    QString out;
    QString err;
};

ToolRun runTool(const QStringList& args) {
    QString out, err;
    QTextStream o(&out), e(&err);
    const int code = runDbTool(args, o, e, kToday);
    o.flush();
    e.flush();
    return {code, out, err};
}

class KestrixDbToolTest : public ::testing::Test {
  protected:
    QString file(const QString& name) { return dir.filePath(name); }
    QTemporaryDir dir;
};

TEST_F(KestrixDbToolTest, CreatesASampleDatabaseThatPassesItsCheck) {
    KX_FILE_ENGINE_ONLY();
    const QString path = file(QStringLiteral("data/VenueData.MDB"));
    const ToolRun created = runTool({QStringLiteral("create"), path});
    EXPECT_EQ(created.code, 0) << created.err.toStdString();
    EXPECT_TRUE(QFile::exists(path));

    const ToolRun checked = runTool({QStringLiteral("check"), path});
    EXPECT_EQ(checked.code, 0) << checked.out.toStdString();
    EXPECT_TRUE(checked.out.contains(QStringLiteral("schema version: %1").arg(currentSchemaVersion())));
    EXPECT_TRUE(checked.out.contains(QStringLiteral("integrity: ok")));
    EXPECT_TRUE(checked.out.contains(QStringLiteral("check passed")));

    Connection conn;
    conn.open(path);
    EXPECT_GE(scalarInt(conn.db(), QStringLiteral("SELECT count(*) FROM TableList")), 18);
}

TEST_F(KestrixDbToolTest, EmptyDatabaseHasTheFixedRowsOnly) {
    const QString path = file(QStringLiteral("empty.db"));
    ASSERT_EQ(runTool({QStringLiteral("create"), QStringLiteral("--empty"), path}).code, 0);
    Connection conn;
    conn.open(path);
    EXPECT_EQ(scalarInt(conn.db(), QStringLiteral("SELECT count(*) FROM TableList")), 0);
    EXPECT_EQ(scalarInt(conn.db(), QStringLiteral("SELECT count(*) FROM TableStateList")), 6);
    EXPECT_EQ(scalarInt(conn.db(), QStringLiteral("SELECT count(*) FROM operatorlist")), 1);
}

TEST_F(KestrixDbToolTest, RefusesToOverwriteAFile) {
    const QString path = file(QStringLiteral("keep.db"));
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("not a database of ours");
    }
    const ToolRun r = runTool({QStringLiteral("create"), QStringLiteral("--empty"), path});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("already exists")));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("not a database of ours"));
}

TEST_F(KestrixDbToolTest, CheckFailsOnABrokenTableAndListsIt) {
    const QString path = file(QStringLiteral("broken.db"));
    ASSERT_EQ(runTool({QStringLiteral("create"), path}).code, 0);
    {
        Connection conn;
        conn.open(path);
        exec(conn.db(),
             QStringLiteral("UPDATE TableList SET tabl_stat_code = '2' WHERE tabl_code IN ('A01', 'A02')"));
    }
    const ToolRun r = runTool({QStringLiteral("check"), path});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.out.contains(QStringLiteral("FAIL table A01")));
    EXPECT_TRUE(r.out.contains(QStringLiteral("FAIL table A02")));
    EXPECT_TRUE(r.out.contains(QStringLiteral("check failed")));
}

TEST_F(KestrixDbToolTest, CheckFailsOnAMissingOrForeignFileWithoutCreatingOne) {
    const QString missing = file(QStringLiteral("missing.db"));
    EXPECT_EQ(runTool({QStringLiteral("check"), missing}).code, 1);
    EXPECT_FALSE(QFile::exists(missing));

    const QString foreign = file(QStringLiteral("foreign.db"));
    {
        Connection conn;
        conn.open(foreign);
        exec(conn.db(), QStringLiteral("CREATE TABLE notes (x TEXT)"));
    }
    const ToolRun r = runTool({QStringLiteral("check"), foreign});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.out.contains(QStringLiteral("FAIL")));
}

TEST_F(KestrixDbToolTest, WrongCommandLinesShowTheUsage) {
    const QList<QStringList> wrong = {
        {},
        {QStringLiteral("create")},
        {QStringLiteral("create"), QStringLiteral("--empty")},
        {QStringLiteral("create"), QStringLiteral("a.db"), QStringLiteral("b.db")},
        {QStringLiteral("create"), QStringLiteral("--sample"), QStringLiteral("a.db")},
        {QStringLiteral("check")},
        {QStringLiteral("check"), QStringLiteral("a.db"), QStringLiteral("b.db")},
        {QStringLiteral("drop"), QStringLiteral("a.db")},
    };
    for (const QStringList& args : wrong) {
        const ToolRun r = runTool(args);
        EXPECT_EQ(r.code, 2) << args.join(QLatin1Char(' ')).toStdString();
        EXPECT_TRUE(r.err.startsWith(QStringLiteral("usage:"))) << args.join(QLatin1Char(' ')).toStdString();
    }
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty()) << "nothing was created";
}

} // namespace
