// The archive searches that must not read a whole archive: the shift handover's look for the
// payment lines not yet handed over, on a new file and on a file made by an older version.
#include "Schema.h"
#include "TestServer.h"
#include "Sql.h"
#include "TestDb.h"

#include <QDate>
#include <gtest/gtest.h>

using namespace kx::db;

namespace {

// How SQLite would run a statement, one line per step.
QString plan(QSqlDatabase db, const QString& sql) {
    QStringList steps;
    QSqlQuery q = run(db, QStringLiteral("EXPLAIN QUERY PLAN ") + sql);
    while (q.next())
        steps << q.value(3).toString();
    return steps.join(QLatin1Char('\n'));
}

// The statements of the handover screen and of the handover itself.
const char* const kHandoverStatements[] = {
    "select count(*) from allguespay where pay_flag=0",
    "select aa.pay_type_code, aa.pay_type_name, (select count(*) from AllGuesPay bb where "
    "bb.pay_type_code=aa.pay_type_code and bb.pay_type_mone>0 and bb.pay_flag=0), sum(aa.pay_type_mone) "
    "from AllGuesPay aa where aa.pay_flag=0 group by aa.pay_type_code,aa.pay_type_name",
    "update Allguespay set pay_flag=1 where pay_flag=0",
};

void expectIndexed(QSqlDatabase db) {
    for (const char* sql : kHandoverStatements) {
        const QString p = plan(db, QString::fromLatin1(sql));
        EXPECT_TRUE(p.contains(QStringLiteral("idx_AllGuesPay_pay_flag"))) << sql << "\n" << p.toStdString();
        EXPECT_FALSE(p.contains(QStringLiteral("SCAN AllGuesPay")) || p.contains(QStringLiteral("SCAN aa")) ||
                     p.contains(QStringLiteral("SCAN bb")))
            << sql << "\n" << p.toStdString();
    }
}

TEST(ArchiveIndexTest, HandoverFindsPendingPaymentLinesByIndex) {
    KX_FILE_ENGINE_ONLY();
    kx::test::TempDatabase t;
    prepareDatabase(t.db(), true, QDate(2026, 3, 14));
    expectIndexed(t.db());
}

TEST(ArchiveIndexTest, AnOlderFileGetsTheIndexAndKeepsItsRows) {
    KX_FILE_ENGINE_ONLY();
    kx::test::TempDatabase t;
    QSqlDatabase db = t.db();
    prepareDatabase(db, true, QDate(2026, 3, 14));
    // The file as the first version left it, with a handed-over and a pending line.
    exec(db, QStringLiteral("DROP INDEX idx_AllGuesPay_pay_flag"));
    exec(db, QStringLiteral("PRAGMA user_version = 1"));
    exec(db, QStringLiteral("INSERT INTO AllGuesPay (pay_type_code, pay_type_mone, tabl_gues_auto_recn, pay_flag) "
                            "VALUES ('Z', 10, 1, 1), ('Z', 20, 2, 0)"));
    prepareDatabase(db, true, QDate(2026, 3, 15));
    EXPECT_EQ(schemaVersion(db), currentSchemaVersion());
    expectIndexed(db);
    EXPECT_EQ(scalarNumber(db, QStringLiteral("SELECT sum(pay_type_mone) FROM AllGuesPay WHERE pay_flag=0")), 20.0);
    EXPECT_EQ(scalarInt(db, QStringLiteral("SELECT count(*) FROM AllGuesPay")), 2);
}

} // namespace
