// The rows a new database starts with, and the sample venue.
#include "Check.h"
#include "InitialData.h"
#include "Password.h"
#include "Schema.h"
#include "Sql.h"
#include "TestDb.h"

#include <QDate>
#include <QSqlQuery>
#include <gtest/gtest.h>

using namespace kx::db;

namespace {

const QDate kToday(2026, 3, 14);

// Each row's cells joined by "/" (numbers written shortest on both engines).
QStringList column(QSqlDatabase db, const QString& sql) {
    return kx::test::joinedRows(db, sql, QStringLiteral("/"), QStringLiteral("\n")).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

class InitialDataTest : public ::testing::Test {
  protected:
    void SetUp() override { prepareDatabase(tdb.db(), false, kToday); }
    QSqlDatabase db() { return tdb.db(); }
    kx::test::TempDatabase tdb;
};

// The fixed rows, each read as one joined text.
struct FixedCase {
    const char* what;
    const char* sql;
    const char* expected;
};

void PrintTo(const FixedCase& c, std::ostream* os) {
    *os << c.what;
}

const FixedCase kFixed[] = {
    {"table states", "SELECT tabl_stat_code || tabl_stat_name FROM TableStateList ORDER BY tabl_stat_code",
     "1空闲,2使用,3结帐,4加单,5预订,6禁用"},
    {"line modes", "SELECT menu_type_code || menu_type_name FROM OrderMenuType ORDER BY menu_type_code",
     "1点单,2退单,3赠单,4退赠"},
    {"pay types", "SELECT pay_type_code || pay_type_name FROM PayTypeList ORDER BY pay_type_code DESC",
     "Z现金,R免单,M会员卡,H挂帐"},
    {"item types", "SELECT item_type_code FROM ItemTypeList ORDER BY item_type_code", "1,2,3,4"},
    {"consumption types", "SELECT cons_type_code FROM ConsTypeList ORDER BY cons_type_code",
     "1,2,3,4,5,6,7,8,9,A"},
    {"consumption type names",
     "SELECT count(*) FROM ConsTypeList WHERE length(trim(cons_type_name)) BETWEEN 1 AND 8", "10"},
    {"ingredient kind", "SELECT kind_code FROM kindlist", "M"},
    {"production points", "SELECT manu_code FROM ManuFacturelist ORDER BY manu_code", "1,2"},
    {"no scheme", "SELECT disc_code FROM discountlist", "N"},
    {"one settings row", "SELECT count(*) FROM SetupPay", "1"},
    {"one print row", "SELECT count(*) FROM setupprint", "1"},
    {"rounding", "SELECT pay_set_sum_int FROM SetupPay", "四舍五入"},
    {"tax off", "SELECT pay_set_tax_type, pay_set_tax_perc, pay_set_tax_mone FROM SetupPay",
     "按比例/0/0"},
    {"first visit key", "SELECT auto_recn FROM SetupPay", "1"},
    {"business day started", "SELECT pay_star || '/' || time_work || '/' || time_star FROM SetupPay",
     "1/2026-03-14 00:00:00/2026-03-14 00:00:00"},
    {"no automatic day roll before a day end", "SELECT substr(time_end, 1, 10) FROM SetupPay", "2026-03-14"},
    {"last login is the administrator", "SELECT oper_code || '/' || mana_code FROM SetupPay", "01/01"},
    {"header lines printed",
     "SELECT set_prn_1_allo + set_prn_2_allo + set_prn_3_allo + set_prn_4_allo + set_prn_5_allo + "
     "set_prn_6_allo + set_prn_7_allo FROM setupprint",
     "7"},
    {"nothing venue-specific",
     "SELECT (SELECT count(*) FROM TableList) + (SELECT count(*) FROM itemlist) + "
     "(SELECT count(*) FROM OrderList) + (SELECT count(*) FROM MemberList)",
     "0"},
};

class InitialDataFixedTest : public InitialDataTest, public ::testing::WithParamInterface<FixedCase> {};

TEST_P(InitialDataFixedTest, IsPresent) {
    EXPECT_EQ(column(db(), QString::fromUtf8(GetParam().sql)).join(QLatin1Char(',')).toStdString(),
              GetParam().expected)
        << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(InitialData, InitialDataFixedTest, ::testing::ValuesIn(kFixed));

TEST_F(InitialDataTest, BillHeaderHasTheDefaultSlots) {
    const char* const expected[][3] = {
        {"11", "客人姓名", "tabl_gues_name"}, {"12", "客人人数", "tabl_gues_coun"},
        {"21", "房台名称", "tablname"},       {"22", "帐单编号", "tabl_gues_auto_recn"},
        {"31", "开台时间", "tabl_gues_time"}, {"32", "结帐时间", "tabl_gues_time_end"},
        {"41", "最低消费", "tabl_gues_low"},  {"42", "房 间 费", "tabl_gues_room"},
        {"51", "服 务 费", "tabl_gues_serv"}, {"52", "折扣金额", "tabl_gues_disc"},
        {"61", "服务费率", "cons_mode_serv"}, {"62", "折扣费率", "disc_perc"},
        {"71", "应收金额", "tabl_gues_shou"}, {"72", "实收金额", "tabl_gues_fact"},
    };
    for (const auto& slot : expected) {
        const QString sql = QStringLiteral("SELECT set_prn_%1_titl || '=' || set_prn_%1_fiel FROM setupprint")
                                .arg(QLatin1String(slot[0]));
        EXPECT_EQ(scalarText(db(), sql),
                  QString::fromUtf8(slot[1]) + QLatin1Char('=') + QLatin1String(slot[2]))
            << slot[0];
    }
}

TEST_F(InitialDataTest, CatalogueHoldsEveryPermissionCode) {
    const QStringList codes = {"AP", "BE", "BI", "BS", "CB", "CF", "DA", "DB", "DP", "DS", "GB",
                               "MM", "OM", "OS", "PB", "PM", "PS", "RS", "SF", "SM", "SS"};
    EXPECT_EQ(column(db(), QStringLiteral("SELECT limi_code FROM LimitedTemp ORDER BY limi_code")), codes);
    EXPECT_EQ(
        scalarInt(db(),
                  QStringLiteral(
                      "SELECT count(*) FROM LimitedTemp WHERE length(trim(limi_name)) BETWEEN 1 AND 50")),
        codes.size());
}

// The first login works: the administrator's role is granted every code, as the permission
// check reads it.
TEST_F(InitialDataTest, AdministratorCanLogInAndDoEverything) {
    const QString stored =
        scalarText(db(), QStringLiteral("SELECT oper_pass FROM operatorlist WHERE oper_code = ?"),
                   {QString::fromLatin1(kAdminOperatorCode)});
    EXPECT_TRUE(kx::verifyPassword(QString::fromLatin1(kAdminPassword), stored));
    EXPECT_FALSE(kx::verifyPassword(QStringLiteral("Admin"), stored));
    EXPECT_NE(stored, QString::fromLatin1(kAdminPassword));

    const QString role =
        scalarText(db(), QStringLiteral("SELECT mana_code FROM operatorlist WHERE oper_code = ?"),
                   {QString::fromLatin1(kAdminOperatorCode)});
    for (const QString& code : column(db(), QStringLiteral("SELECT limi_code FROM LimitedTemp"))) {
        EXPECT_TRUE(scalarBool(
            db(), QStringLiteral("SELECT limi_real FROM Limitedlist WHERE limi_code = ? AND mana_code = ?"),
            {code, role}))
            << code.toStdString();
    }
    EXPECT_EQ(scalarInt(db(), QStringLiteral("SELECT count(*) FROM Limitedlist WHERE mana_code = ?"), {role}),
              scalarInt(db(), QStringLiteral("SELECT count(*) FROM LimitedTemp")));
    EXPECT_TRUE(
        kx::verifyPassword(QString::fromLatin1(kAdminPassword),
                           scalarText(db(), QStringLiteral("SELECT set_prn_92_fiel FROM setupprint"))));
}

// The band walk of the bill needs the bands ascending, each starting where the last ended,
// from the start of the day to its last second.
void expectBandsCoverTheDay(QSqlDatabase db, const QString& sql, const QVariantList& params = {}) {
    QSqlQuery q = run(db, sql, params);
    QString previousEnd;
    int bands = 0;
    while (q.next()) {
        const QString start = q.value(0).toString(), end = q.value(1).toString();
        EXPECT_TRUE(start.startsWith(QLatin1String("1899-12-30 "))) << start.toStdString();
        EXPECT_LT(start, end);
        if (bands == 0)
            EXPECT_EQ(start.mid(11), QStringLiteral("00:00:00"));
        else
            EXPECT_EQ(start, previousEnd);
        previousEnd = end;
        ++bands;
    }
    EXPECT_GE(bands, 2);
    EXPECT_EQ(previousEnd.mid(11), QStringLiteral("23:59:59"));
}

TEST_F(InitialDataTest, BandTemplateCoversTheDayInAscendingContiguousBands) {
    expectBandsCoverTheDay(
        db(), QStringLiteral("SELECT cons_time_star, cons_time_end FROM ConsTimeModeTemp ORDER BY rec_ID"));
}

class InitialDataSampleTest : public ::testing::Test {
  protected:
    void SetUp() override { prepareDatabase(tdb.db(), true, kToday); }
    QSqlDatabase db() { return tdb.db(); }
    kx::test::TempDatabase tdb;
};

TEST_F(InitialDataSampleTest, PassesTheTableChecks) {
    EXPECT_EQ(checkDatabase(db()), QStringList());
}

TEST_F(InitialDataSampleTest, IsASmallVenueReadyToOpen) {
    EXPECT_GE(scalarInt(db(), QStringLiteral("SELECT count(*) FROM DepartmentList")), 2);
    EXPECT_GE(scalarInt(db(), QStringLiteral("SELECT count(*) FROM OrderList")), 2);
    const qint64 tables = scalarInt(db(), QStringLiteral("SELECT count(*) FROM TableList"));
    EXPECT_GE(tables, 18);
    EXPECT_LE(tables, 24);
    EXPECT_EQ(
        scalarInt(
            db(),
            QStringLiteral(
                "SELECT count(*) FROM TableList WHERE tabl_stat_code = '1' AND tabl_gues_auto_recn = 0")),
        tables);
    // Every department has tables, so the board is never empty.
    EXPECT_EQ(scalarInt(db(), QStringLiteral("SELECT count(*) FROM DepartmentList d WHERE NOT EXISTS "
                                             "(SELECT 1 FROM TableList t WHERE t.dept_code = d.dept_code)")),
              0);
}

TEST_F(InitialDataSampleTest, TableTypesCoverTheMainConsumptionTypes) {
    const QStringList types =
        column(db(), QStringLiteral("SELECT DISTINCT m.cons_type_code FROM TableTypeList t "
                                    "JOIN ConsModeList m ON m.cons_mode_code = t.cons_mode_code"));
    for (const char* type : {"1", "2", "3", "5", "9"})
        EXPECT_TRUE(types.contains(QLatin1String(type))) << type;
    for (const QString& mode :
         column(db(), QStringLiteral("SELECT cons_mode_code FROM ConsModeList WHERE cons_type_code = '9'"))) {
        expectBandsCoverTheDay(
            db(),
            QStringLiteral("SELECT cons_time_star, cons_time_end FROM ConsTimeMode WHERE cons_mode_code = ? "
                           "ORDER BY cons_time_code"),
            {mode});
        EXPECT_EQ(
            scalarInt(
                db(),
                QStringLiteral(
                    "SELECT count(*) FROM ConsTimeMode WHERE cons_mode_code = ? AND cons_time_mone <= 0"),
                {mode}),
            0);
    }
}

// Rows that would point at nothing, or break a rule the back office keeps; each must count 0.
TEST_F(InitialDataSampleTest, KeepsTheRulesOfTheBackOffice) {
    const char* const broken[][2] = {
        {"class without kind", "SELECT count(*) FROM classlist c WHERE NOT EXISTS (SELECT 1 FROM kindlist k "
                               "WHERE k.kind_code = c.kind_code)"},
        {"class without production point", "SELECT count(*) FROM classlist c WHERE NOT EXISTS (SELECT 1 FROM "
                                           "ManuFacturelist m WHERE m.manu_code = c.manu_code)"},
        {"item without class", "SELECT count(*) FROM itemlist i WHERE NOT EXISTS (SELECT 1 FROM classlist c "
                               "WHERE c.clas_code = i.clas_code)"},
        {"item unit not listed", "SELECT count(*) FROM itemlist i WHERE NOT EXISTS (SELECT 1 FROM UnitList u "
                                 "WHERE u.unit_name = i.item_unit)"},
        {"price not above 0 or cost above price",
         "SELECT count(*) FROM itemlist WHERE NOT (item_unit_pric > 0 AND item_cost_pric <= item_unit_pric)"},
        {"commission above profit",
         "SELECT count(*) FROM itemlist WHERE item_dedu_pric > item_unit_pric - item_cost_pric + 0.0001"},
        {"ingredient outside kind M, or kind M item not an ingredient",
         "SELECT count(*) FROM itemlist i JOIN classlist c ON c.clas_code = i.clas_code WHERE "
         "(i.item_type_code = '4') <> (c.kind_code = 'M')"},
        {"group row of an unknown item",
         "SELECT count(*) FROM ItemGroup g WHERE NOT EXISTS (SELECT 1 FROM itemlist i WHERE i.item_code = "
         "g.item_code) "
         "OR NOT EXISTS (SELECT 1 FROM itemlist i WHERE i.item_code = g.grou_code)"},
        {"set menu component not single or composite",
         "SELECT count(*) FROM ItemGroup g JOIN itemlist s ON s.item_code = g.grou_code JOIN itemlist c ON "
         "c.item_code = g.item_code "
         "WHERE s.item_type_code = '2' AND g.grou_mix_code IS NULL AND c.item_type_code NOT IN ('1', '3')"},
        {"composite component not single or ingredient",
         "SELECT count(*) FROM ItemGroup g JOIN itemlist s ON s.item_code = g.grou_code JOIN itemlist c ON "
         "c.item_code = g.item_code "
         "WHERE s.item_type_code = '3' AND c.item_type_code NOT IN ('1', '4')"},
        {"table without department or type",
         "SELECT count(*) FROM TableList t WHERE NOT EXISTS (SELECT 1 FROM DepartmentList d WHERE "
         "d.dept_code = t.dept_code) "
         "OR NOT EXISTS (SELECT 1 FROM TableTypeList y WHERE y.tabl_type_code = t.tabl_type_code)"},
        {"table type without mode", "SELECT count(*) FROM TableTypeList y WHERE NOT EXISTS (SELECT 1 FROM "
                                    "ConsModeList m WHERE m.cons_mode_code = y.cons_mode_code)"},
        {"class rate of an unknown or ingredient class",
         "SELECT count(*) FROM DiscItem d WHERE d.clas_code LIKE 'M%' OR NOT EXISTS "
         "(SELECT 1 FROM classlist c WHERE c.clas_code = d.clas_code)"},
        {"class rate outside 1..99",
         "SELECT count(*) FROM DiscItem WHERE disc_clas_perc NOT BETWEEN 1 AND 99"},
        {"operator of an unknown role", "SELECT count(*) FROM operatorlist o WHERE NOT EXISTS (SELECT 1 FROM "
                                        "managertype m WHERE m.mana_code = o.mana_code)"},
        {"role without the whole catalogue", "SELECT count(*) FROM managertype m WHERE (SELECT count(*) FROM "
                                             "Limitedlist l WHERE l.mana_code = m.mana_code) "
                                             "<> (SELECT count(*) FROM LimitedTemp)"},
        {"group of an unknown area", "SELECT count(*) FROM GroupList g WHERE NOT EXISTS (SELECT 1 FROM "
                                     "AreaList a WHERE a.area_code = g.area_code)"},
        {"staff of an unknown group", "SELECT count(*) FROM deduoperatorlist d WHERE NOT EXISTS (SELECT 1 "
                                      "FROM GroupList g WHERE g.grou_code = d.grou_code)"},
        {"member of an unknown type", "SELECT count(*) FROM MemberList m WHERE NOT EXISTS (SELECT 1 FROM "
                                      "MembType t WHERE t.memb_type_code = m.memb_type_code)"},
        {"card balance not the sum of its top-ups",
         "SELECT count(*) FROM MemberList m WHERE abs(m.memb_surp + m.memb_use - (SELECT "
         "COALESCE(sum(memb_mana_save), 0) FROM membManage x "
         "WHERE x.memb_card_code = m.memb_card_code)) > 0.001 OR abs(m.memb_stor - m.memb_stor_temp - "
         "(SELECT COALESCE(sum(memb_mana_inte), 0) "
         "FROM membManage x WHERE x.memb_card_code = m.memb_card_code)) > 0.001"},
        {"text longer than its column",
         "SELECT (SELECT count(*) FROM TableList WHERE length(tabl_name) > 16) + "
         "(SELECT count(*) FROM itemlist WHERE length(item_name) > 20 OR length(item_unit) > 4) + "
         "(SELECT count(*) FROM HangGues WHERE length(hang_gues_name) > 12) + "
         "(SELECT count(*) FROM operatorlist WHERE length(oper_name) > 8) + "
         "(SELECT count(*) FROM deduoperatorlist WHERE length(dedu_oper_name) > 12) + "
         "(SELECT count(*) FROM SetupPay WHERE length(user_name) > 30 OR length(user_name_s) > 10)"},
    };
    for (const auto& [what, sql] : broken)
        EXPECT_EQ(scalarInt(db(), QString::fromUtf8(sql)), 0) << what;
}

TEST_F(InitialDataSampleTest, HasAMemberWithAStoredValueCardAndACreditAccount) {
    const QString pass = scalarText(
        db(),
        QStringLiteral("SELECT memb_pass FROM MemberList WHERE memb_card_type = '储值卡' AND memb_surp > 0"));
    EXPECT_TRUE(kx::verifyPassword(QStringLiteral("123456"), pass));
    EXPECT_GT(scalarNumber(db(), QStringLiteral("SELECT min(hang_gues_limi - hang_gues_use) FROM HangGues")),
              0.0);
}

// A set menu holding a composite repeats the composite's ingredients as expansion rows:
// quantity per composite × the composite's quantity in the set.
TEST_F(InitialDataSampleTest, SetMenusCarryCorrectExpansionRows) {
    EXPECT_GT(
        scalarInt(db(), QStringLiteral("SELECT count(*) FROM ItemGroup WHERE grou_mix_code IS NOT NULL")), 0);
    const qint64 wrong = scalarInt(
        db(), QStringLiteral("SELECT count(*) FROM ItemGroup x "
                             "LEFT JOIN ItemGroup d ON d.grou_code = x.grou_code AND d.item_code = "
                             "x.grou_mix_code AND d.grou_mix_code IS NULL "
                             "LEFT JOIN ItemGroup r ON r.grou_code = x.grou_mix_code AND r.item_code = "
                             "x.item_code AND r.grou_mix_code IS NULL "
                             "WHERE x.grou_mix_code IS NOT NULL AND (d.grou_ID IS NULL OR r.grou_ID IS NULL "
                             "OR abs(x.grou_mix_coun - r.grou_coun) > 0.001 OR abs(x.grou_coun - d.grou_coun "
                             "* r.grou_coun) > 0.001)"));
    EXPECT_EQ(wrong, 0);
    // And every ingredient of every composite in a set menu is there.
    const qint64 missing = scalarInt(
        db(), QStringLiteral("SELECT count(*) FROM ItemGroup d JOIN itemlist c ON c.item_code = d.item_code "
                             "AND c.item_type_code = '3' "
                             "JOIN ItemGroup r ON r.grou_code = d.item_code AND r.grou_mix_code IS NULL "
                             "WHERE d.grou_mix_code IS NULL AND NOT EXISTS (SELECT 1 FROM ItemGroup x WHERE "
                             "x.grou_code = d.grou_code "
                             "AND x.grou_mix_code = d.item_code AND x.item_code = r.item_code)"));
    EXPECT_EQ(missing, 0);
}

TEST_F(InitialDataSampleTest, GroupStockIsDerivedFromTheComponents) {
    EXPECT_GE(scalarInt(db(), QStringLiteral("SELECT count(*) FROM itemlist WHERE item_type_code = '2'")), 1);
    EXPECT_GE(scalarInt(db(), QStringLiteral("SELECT count(*) FROM itemlist WHERE item_type_code = '3'")), 1);
    EXPECT_EQ(
        scalarInt(db(), QStringLiteral(
                            "SELECT count(*) FROM itemlist i JOIN viewReTotal v ON v.grou_code = i.item_code "
                            "WHERE i.item_coun <> v.retotal")),
        0);
    EXPECT_EQ(
        scalarInt(
            db(),
            QStringLiteral(
                "SELECT count(*) FROM itemlist WHERE item_type_code IN ('2', '3') AND item_limi = '有限' "
                "AND item_coun > 0")),
        scalarInt(db(), QStringLiteral("SELECT count(*) FROM itemlist WHERE item_type_code IN ('2', '3')")));
}

} // namespace
