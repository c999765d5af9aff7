// The connection, commands, scalar queries, transactions and the value conventions.
#include "Connection.h"
#include "TestServer.h"
#include "Sql.h"
#include "TestDb.h"
#include "Transaction.h"
#include "Values.h"

#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

TEST(Connection, OpensBesideAProgramWhosePathHasBlanksAndChinese) {
    KX_FILE_ENGINE_ONLY();
    kx::test::TempDatabase tdb(QStringLiteral("餐饮 管理/Program Files"));
    EXPECT_TRUE(QFileInfo::exists(tdb.path()));
    EXPECT_TRUE(tdb.path().endsWith("/data/VenueData.MDB"));
    EXPECT_EQ(kx::db::scalarText(tdb.db(), "PRAGMA journal_mode").toLower(), "wal");
    kx::db::exec(tdb.db(), "create table t (a VARCHAR(10))");
    kx::db::exec(tdb.db(), "insert into t values (?)", {"甲"});
    EXPECT_EQ(kx::db::scalarText(tdb.db(), "select a from t"), "甲");
}

TEST(Connection, AFileThatIsNoDatabaseIsReported) {
    KX_FILE_ENGINE_ONLY();
    kx::test::TempDatabase tdb;
    const QString path = tdb.programDir() + "/data/broken.MDB";
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4096, 'x'));
    }
    kx::db::Connection c;
    EXPECT_THROW(c.open(path), kx::DbError);
    EXPECT_FALSE(c.isOpen());
}

class SqlTest : public ::testing::Test {
protected:
    void SetUp() override {
        tdb.run({"create table t (id INTEGER PRIMARY KEY AUTOINCREMENT, name VARCHAR(255), amount DOUBLE,"
                 " at DATETIME, flag BOOLEAN)"});
    }
    kx::test::TempDatabase tdb;
};

TEST_F(SqlTest, TextWithAQuoteGoesInAndComesBackUnchanged) {
    const QString name = "O'Brien's \"门\"; drop table t; --";
    kx::db::exec(tdb.db(), "insert into t(name) values(?)", {name});
    EXPECT_EQ(kx::db::scalarText(tdb.db(), "select name from t where name=?", {name}), name);
    EXPECT_EQ(kx::db::scalarInt(tdb.db(), "select count(*) from t"), 1);
}

TEST_F(SqlTest, EmptyResultsReadAsNothing) {
    EXPECT_EQ(kx::db::scalarNumber(tdb.db(), "select sum(amount) from t"), 0.0);
    EXPECT_EQ(kx::db::scalarText(tdb.db(), "select name from t where id=42"), "");
    EXPECT_EQ(kx::db::scalarInt(tdb.db(), "select id from t where id=42"), 0);
    EXPECT_FALSE(kx::db::scalarBool(tdb.db(), "select flag from t where id=42"));
    EXPECT_FALSE(kx::db::exists(tdb.db(), "select 1 from t"));
    EXPECT_THROW(kx::db::exec(tdb.db(), "insert into nowhere values(1)"), kx::DbError);
}

TEST_F(SqlTest, DateTimesAreStoredAsTextAndReadBackExactly) {
    const QDateTime cases[] = {
        QDateTime(QDate(2004, 2, 20), QTime(0, 0)),
        QDateTime(QDate(2004, 2, 20), QTime(18, 5, 31)),
        QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59)),
    };
    for (const QDateTime& dt : cases) {
        const qint64 id = kx::db::insert(tdb.db(), "insert into t(at) values(?)", {dt});
        EXPECT_EQ(kx::db::scalarText(tdb.db(), "select at from t where id=?", {id}),
                  dt.toString("yyyy-MM-dd HH:mm:ss"));
        EXPECT_EQ(kx::db::scalarDateTime(tdb.db(), "select at from t where id=?", {id}), dt);
    }
    // Text order is time order, so BETWEEN works on the stored form.
    EXPECT_EQ(kx::db::scalarInt(tdb.db(), "select count(*) from t where at between ? and ?",
                                {QDateTime(QDate(2004, 2, 20), QTime(0, 0)), QDateTime(QDate(2004, 2, 20), QTime(23, 59, 59))}),
              2);
    EXPECT_EQ(kx::toDbDate(QDate(2026, 1, 2)), "2026-01-02 00:00:00");
    EXPECT_EQ(kx::showDate(QDate(2026, 1, 2)), "2026-01-02");
    EXPECT_EQ(kx::fromDbDateTime("2026-01-02T10:00:00.000"), QDateTime(QDate(2026, 1, 2), QTime(10, 0)));
    EXPECT_FALSE(kx::fromDbDateTime("").isValid());
}

TEST_F(SqlTest, BooleansAreStoredAsZeroAndOne) {
    kx::db::exec(tdb.db(), "insert into t(flag) values(?)", {true});
    EXPECT_EQ(kx::db::scalarInt(tdb.db(), "select flag from t"), 1);
    struct {
        QVariant stored;
        bool reads;
    } cases[] = {{1, true}, {-1, true}, {0, false}, {"True", true}, {"false", false}, {QVariant(), false}, {"", false}};
    for (const auto& c : cases) EXPECT_EQ(kx::db::variantToBool(c.stored), c.reads) << c.stored.toString().toStdString();
}

TEST(Rounding, HalvesGoToEven) {
    struct {
        double value;
        int places;
        double expected;
    } cases[] = {
        {2.5, 0, 2},     {3.5, 0, 4},      {-2.5, 0, -2},   {-3.5, 0, -4},  {2.4999, 0, 2},
        {0.125, 2, 0.12}, {0.135, 2, 0.14}, {2.675, 2, 2.68}, {1.005, 2, 1.0}, {10.0, 2, 10.0},
        {0.5, 0, 0},     {1234.5, 0, 1234}, {12.345, 1, 12.3}, {-0.4, 0, 0},
    };
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(kx::roundHalfEven(c.value, c.places), c.expected) << c.value;
    EXPECT_FALSE(std::signbit(kx::roundHalfEven(-0.4, 0))); // no negative zero on a bill
    EXPECT_EQ(kx::money(1.005), "1.00");
    EXPECT_EQ(kx::money(1.015), "1.02");
}

TEST(Parsing, NumbersAndDatesTypedByHand) {
    EXPECT_DOUBLE_EQ(kx::parseNumber(" 12.50 "), 12.5);
    EXPECT_DOUBLE_EQ(kx::parseNumber(""), 0.0);
    EXPECT_THROW(kx::parseNumber("12元"), kx::ConversionError);
    EXPECT_EQ(kx::parseDateTime("2026-3-4"), QDateTime(QDate(2026, 3, 4), QTime(0, 0)));
    EXPECT_THROW(kx::parseDateTime("昨天"), kx::ConversionError);
}

TEST_F(SqlTest, ATransactionCommitsOrRollsBackAsAWhole) {
    {
        kx::db::Transaction tx(tdb.db());
        kx::db::exec(tdb.db(), "insert into t(name) values('a')");
        // no commit: rolled back when the guard goes
    }
    EXPECT_EQ(kx::db::scalarInt(tdb.db(), "select count(*) from t"), 0);
    {
        kx::db::Transaction tx(tdb.db());
        kx::db::exec(tdb.db(), "insert into t(name) values('b')");
        {
            kx::db::Transaction inner(tdb.db()); // a savepoint inside the outer one
            kx::db::exec(tdb.db(), "insert into t(name) values('c')");
        }
        tx.commit();
    }
    EXPECT_EQ(kx::test::joinedRows(tdb.db(), "select name from t"), "b");
    EXPECT_FALSE(kx::db::Transaction::inTransaction(tdb.db()));
}

TEST_F(SqlTest, AFailedStepBecomesTheOperationsFailureCode) {
    try {
        kx::db::inTransaction(tdb.db(), "B100002", [&] {
            kx::db::exec(tdb.db(), "insert into t(name) values('a')");
            kx::db::exec(tdb.db(), "insert into missing values(1)");
        });
        FAIL() << "the failure must come through";
    } catch (const kx::TransactionFailed& e) {
        EXPECT_EQ(e.code(), "B100002");
    }
    EXPECT_EQ(kx::db::scalarInt(tdb.db(), "select count(*) from t"), 0);

    // A silent stop rolls back too, and stays silent.
    EXPECT_THROW(kx::db::inTransaction(tdb.db(), "B100007",
                                       [&] {
                                           kx::db::exec(tdb.db(), "insert into t(name) values('a')");
                                           throw kx::SilentAbort();
                                       }),
                 kx::SilentAbort);
    EXPECT_EQ(kx::db::scalarInt(tdb.db(), "select count(*) from t"), 0);

    kx::db::inTransaction(tdb.db(), "B100007", [&] { kx::db::exec(tdb.db(), "insert into t(name) values('ok')"); });
    EXPECT_EQ(kx::db::scalarInt(tdb.db(), "select count(*) from t"), 1);
}

TEST_F(SqlTest, ASecondConnectionWaitsForTheWriterInsteadOfFailing) {
    kx::db::Connection other;
    other.open(tdb.path());
    kx::db::Transaction tx(tdb.db());
    kx::db::exec(tdb.db(), "insert into t(name) values('first')");
    // The other program still reads the committed state while a write is open.
    EXPECT_EQ(kx::db::scalarInt(other.db(), "select count(*) from t"), 0);
    tx.commit();
    kx::db::exec(other.db(), "insert into t(name) values('second')");
    EXPECT_EQ(kx::db::scalarInt(tdb.db(), "select count(*) from t"), 2);
}

} // namespace
