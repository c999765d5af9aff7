// The two saved queries: set-menu availability and the day's business by department.
#include "Schema.h"
#include "Sql.h"
#include "TestDb.h"

#include <QDate>
#include <QMap>
#include <QSqlQuery>
#include <QSqlRecord>
#include <gtest/gtest.h>

using namespace kx::db;

namespace {

class ViewTest : public ::testing::Test {
  protected:
    void SetUp() override { prepareDatabase(tdb.db(), false, QDate(2026, 3, 14)); }
    QSqlDatabase db() { return tdb.db(); }
    kx::test::TempDatabase tdb;
};

QStringList viewColumns(QSqlDatabase db, const QString& view) {
    QStringList names;
    QSqlQuery q = run(db, QStringLiteral("SELECT * FROM %1 WHERE 1 = 0").arg(view));
    const QSqlRecord rec = q.record();
    for (int i = 0; i < rec.count(); ++i) names << rec.fieldName(i);
    return names;
}

TEST_F(ViewTest, ColumnsAreThoseTheProgramsRead) {
    EXPECT_EQ(viewColumns(db(), QStringLiteral("viewReTotal")), (QStringList{"grou_code", "retotal"}));
    EXPECT_EQ(viewColumns(db(), QStringLiteral("ViewTotalDeptEnd")),
              (QStringList{"部门名称", "已清数", "已清金额", "已结数", "已结金额", "待结数", "待结金额",
                           "合计数", "合计金额"}));
}

// ---- viewReTotal ----------------------------------------------------------------------

void item(QSqlDatabase db, const char* code, const char* type, const char* limit, double stock) {
    exec(db,
         QStringLiteral(
             "INSERT INTO itemlist (item_code, item_type_code, item_limi, item_coun) VALUES (?, ?, ?, ?)"),
         {QString::fromUtf8(code), QString::fromUtf8(type), QString::fromUtf8(limit), stock});
}

void part(QSqlDatabase db, const char* group, const char* component, double quantity,
          const char* mixOf = nullptr, double mixQuantity = 0) {
    exec(db,
         QStringLiteral(
             "INSERT INTO ItemGroup (grou_code, item_code, grou_coun, grou_mix_code, grou_mix_coun) "
             "VALUES (?, ?, ?, ?, ?)"),
         {QString::fromUtf8(group), QString::fromUtf8(component), quantity,
          mixOf ? QVariant(QString::fromUtf8(mixOf)) : QVariant(),
          mixOf ? QVariant(mixQuantity) : QVariant()});
}

class ViewReTotalTest : public ViewTest {
  protected:
    void SetUp() override {
        ViewTest::SetUp();
        QSqlDatabase d = db();
        item(d, "A", "1", "有限", 10);
        item(d, "B", "1", "有限", 7);
        item(d, "U", "1", "不限", 0);
        item(d, "X", "1", "禁用", 50);
        item(d, "N", "1", "有限", -4);
        item(d, "I1", "4", "有限", 9);
        item(d, "I2", "4", "不限", 0);
        item(d, "F", "4", "有限", 0.3);
        // composites
        item(d, "C1", "3", "有限", 0);
        part(d, "C1", "I1", 0.5);
        part(d, "C1", "I2", 2);
        item(d, "C2", "3", "有限", 0);
        part(d, "C2", "I1", 2);
        item(d, "CF", "3", "有限", 0);
        part(d, "CF", "F", 0.1);
        item(d, "C3", "3", "禁用", 0);
        part(d, "C3", "I1", 1);
        part(d, "C3", "X", 1);
        // set menus
        item(d, "S1", "2", "有限", 0);
        part(d, "S1", "A", 2);
        part(d, "S1", "B", 1);
        item(d, "S2", "2", "有限", 0);
        part(d, "S2", "C1", 2);
        part(d, "S2", "A", 1);
        part(d, "S2", "I1", 1, "C1", 0.5);
        part(d, "S2", "I2", 4, "C1", 2);
        item(d, "S3", "2", "有限", 0);
        part(d, "S3", "C1", 1);
        part(d, "S3", "C2", 1);
        item(d, "S4", "2", "禁用", 0);
        part(d, "S4", "A", 1);
        part(d, "S4", "X", 1);
        item(d, "S5", "2", "不限", 0);
        part(d, "S5", "U", 3);
        item(d, "S6", "2", "有限", 0);
        part(d, "S6", "A", 1);
        part(d, "S6", "N", 1);
        item(d, "S7", "2", "有限", 0);
        part(d, "S7", "C1", 1);
        part(d, "S7", "I1", 0.5, "C1", 0.5);
        part(d, "S7", "B", 100, "GONE", 100); // left behind by a composite since removed
        item(d, "S8", "2", "禁用", 0);
        part(d, "S8", "C3", 1);
        part(d, "S8", "A", 1);
        // not groups
        item(d, "T", "1", "有限", 5);
        part(d, "T", "A", 1);
        item(d, "E", "2", "不限", 0);
    }
};

TEST_F(ViewReTotalTest, CountsCompleteUnitsTheStockAllows) {
    QMap<QString, qint64> got;
    QSqlQuery q = run(db(), QStringLiteral("SELECT grou_code, retotal FROM viewReTotal"));
    while (q.next()) {
        got.insert(q.value(0).toString(), q.value(1).toLongLong());
        const int type = q.value(1).typeId();
        EXPECT_TRUE(type == QMetaType::Int || type == QMetaType::LongLong) << q.value(0).toString().toStdString();
    }
    const std::tuple<const char*, qint64, const char*> expected[] = {
        {"C1", 18, "9 / 0.5; the unlimited ingredient does not count"},
        {"C2", 4, "9 / 2 rounded down"},
        {"CF", 3, "0.3 / 0.1 is 3 despite binary fractions"},
        {"C3", 0, "a disabled component"},
        {"S1", 5, "min(10 / 2, 7 / 1)"},
        {"S2", 9, "two composites need 1 of I1 per set; A allows 10"},
        {"S3", 3, "I1 is needed 0.5 + 2 per set through two composites"},
        {"S4", 0, "a disabled component"},
        {"S5", 0, "no limited component"},
        {"S6", 0, "negative stock"},
        {"S7", 18, "expansion rows are neither counted twice nor kept when stale"},
        {"S8", 0, "a composite with a disabled ingredient"},
    };
    for (const auto& [group, units, why] : expected) {
        ASSERT_TRUE(got.contains(QString::fromUtf8(group))) << group;
        EXPECT_EQ(got.value(QString::fromUtf8(group)), units) << group << ": " << why;
    }
    EXPECT_FALSE(got.contains(QStringLiteral("T"))) << "rows under an item that is no longer a group";
    EXPECT_FALSE(got.contains(QStringLiteral("E"))) << "a group without rows";
    EXPECT_EQ(got.size(), int(std::size(expected)));
}

TEST_F(ViewReTotalTest, FollowsTheStock) {
    exec(db(),
         QStringLiteral("UPDATE itemlist SET item_coun = item_coun - 3 WHERE item_code = 'I1'")); // 6 left
    EXPECT_EQ(scalarInt(db(), QStringLiteral("SELECT retotal FROM viewReTotal WHERE grou_code = 'S3'")), 2);
    EXPECT_EQ(scalarInt(db(), QStringLiteral("SELECT retotal FROM viewReTotal WHERE grou_code = 'S2'")), 6);
    exec(db(), QStringLiteral("UPDATE itemlist SET item_limi = '不限' WHERE item_code = 'I1'"));
    EXPECT_EQ(scalarInt(db(), QStringLiteral("SELECT retotal FROM viewReTotal WHERE grou_code = 'S2'")), 10);
}

// ---- ViewTotalDeptEnd -----------------------------------------------------------------

void visit(QSqlDatabase db, int key, const char* dept, bool inUse, const char* stat, double receivable,
           double received) {
    exec(db,
         QStringLiteral(
             "INSERT INTO TableGuestlist (tabl_gues_auto_recn, dept_code, tabl_gues_use, tabl_gues_stat, "
             "tabl_gues_shou, tabl_gues_fact) VALUES (?, ?, ?, ?, ?, ?)"),
         {key, QString::fromUtf8(dept), inUse, QString::fromUtf8(stat), receivable, received});
}

QList<QStringList> deptRows(QSqlDatabase db) {
    QList<QStringList> rows;
    QSqlQuery q = run(db, QStringLiteral("SELECT * FROM ViewTotalDeptEnd"));
    while (q.next()) {
        QStringList row;
        for (int i = 0; i < 9; ++i)
            row << (i == 0 ? q.value(i).toString() : QString::number(q.value(i).toDouble(), 'f', 2));
        rows << row;
    }
    return rows;
}

TEST_F(ViewTest, DeptEndOfAnEmptyDayIsOneTotalRowOfZeros) {
    EXPECT_EQ(deptRows(db()),
              (QList<QStringList>{{"总计", "0.00", "0.00", "0.00", "0.00", "0.00", "0.00", "0.00", "0.00"}}));
}

// Cleared and checked-out visits count what was received (after waived amounts); open visits
// what is receivable so far. Every department shows, the total comes last.
TEST_F(ViewTest, DeptEndSumsEachVisitOnceByItsState) {
    exec(db(), QStringLiteral("INSERT INTO DepartmentList (dept_code, dept_name) VALUES ('02', '包厢'), "
                              "('01', '大厅'), ('03', 'KTV')"));
    visit(db(), 1, "01", false, "1", 110, 100);  // cleared, 10 waived
    visit(db(), 2, "01", false, "1", 50, 50);    // cleared
    visit(db(), 3, "01", true, "3", 90, 80);     // checked out, 10 waived
    visit(db(), 4, "01", true, "2", 40, 0);      // open
    visit(db(), 5, "02", true, "2", 25, 25);     // open
    visit(db(), 6, "02", true, "3", 66, 60);     // checked out
    visit(db(), 7, "02", true, "2", 15.5, 15.5); // continued after checkout: open again
    EXPECT_EQ(deptRows(db()),
              (QList<QStringList>{
                  {"大厅", "2.00", "150.00", "1.00", "80.00", "1.00", "40.00", "4.00", "270.00"},
                  {"包厢", "0.00", "0.00", "1.00", "60.00", "2.00", "40.50", "3.00", "100.50"},
                  {"KTV", "0.00", "0.00", "0.00", "0.00", "0.00", "0.00", "0.00", "0.00"},
                  {"总计", "2.00", "150.00", "2.00", "140.00", "3.00", "80.50", "7.00", "370.50"},
              }));
}

} // namespace
