// The permission check and the system log, on a fresh database with its role catalogue.
#include "Clock.h"
#include "Dataset.h"
#include "Permission.h"
#include "Schema.h"
#include "ScriptedPrompter.h"
#include "Settings.h"
#include "TestDb.h"

#include <gtest/gtest.h>

namespace {

class PermissionTest : public ::testing::Test {
protected:
    void SetUp() override {
        kx::db::prepareDatabase(tdb.db(), false, QDate(2026, 12, 9));
        kx::db::exec(tdb.db(), "insert into Limitedlist(mana_code,limi_code,limi_name,limi_real) values('09','DB','点单',0)");
        kx::db::exec(tdb.db(), "insert into Limitedlist(mana_code,limi_code,limi_name,limi_real) values('09','AP','结帐',1)");
    }
    kx::test::TempDatabase tdb;
    kx::test::ScriptedPrompter prompter;
};

TEST_F(PermissionTest, GrantsAndRefusesWithTheProgramsText) {
    kx::db::Dataset scratch(tdb.db(), "ScratchQuery");
    struct Case {
        const char* role;
        const char* code;
        kx::ProgramKind program;
        bool granted;
        const char* box;
    } cases[] = {
        {"09", "AP", kx::ProgramKind::FrontDesk, true, nullptr},
        {"09", "DB", kx::ProgramKind::FrontDesk, false, "DB你没有操作此项功能的权限，请与系统管理员联系！"},
        {"09", "DB", kx::ProgramKind::BackOffice, false, "你没有操作此项功能的权限，请与系统管理员联系！"},
        {"09", "ZZ", kx::ProgramKind::FrontDesk, false, "ZZ你没有操作此项功能的权限，请与系统管理员联系！"},
        {"77", "AP", kx::ProgramKind::FrontDesk, false, "AP你没有操作此项功能的权限，请与系统管理员联系！"},
        {"O'", "AP", kx::ProgramKind::FrontDesk, false, "AP你没有操作此项功能的权限，请与系统管理员联系！"},
    };
    for (const Case& c : cases) {
        prompter.clear();
        EXPECT_EQ(kx::Limite(scratch, c.role, c.code, c.program), c.granted) << c.role << c.code;
        EXPECT_EQ(prompter.texts(), c.box ? QStringList{c.box} : QStringList{}) << c.role << c.code;
        EXPECT_EQ(kx::hasPermission(tdb.db(), c.role, c.code), c.granted);
    }
    // The administrator's role holds every code of the catalogue.
    EXPECT_EQ(kx::db::scalarInt(tdb.db(), "select count(*) from LimitedTemp t where not exists (select 1 from "
                                          "Limitedlist l where l.mana_code='01' and l.limi_code=t.limi_code and l.limi_real=1)"),
              0);
}

TEST_F(PermissionTest, LogLinesInTheSameSecondBothStayAndQuotesAreText) {
    kx::FrozenClock clock(QDateTime(QDate(2026, 12, 9), QTime(9, 30, 0)));
    kx::LogSet(tdb.db(), "O'Hara", "[早班][登录系统]");
    kx::LogSet(tdb.db(), "O'Hara", "[早班][退出系统,重新登录]'); delete from systemlog; --");
    QSqlQuery q = kx::db::run(tdb.db(), "select log_oper_name, log_time, log_oper from systemlog order by rec_ID");
    QStringList rows;
    while (q.next()) rows << q.value(0).toString() + "|" + q.value(1).toString() + "|" + q.value(2).toString();
    EXPECT_EQ(rows, QStringList({"O'Hara|2026-12-09 09:30:00|[早班][登录系统]",
                                 "O'Hara|2026-12-09 09:30:00|[早班][退出系统,重新登录]'); delete from systemlog; --"}));
}

TEST_F(PermissionTest, SettingsAreReadAtTheMomentTheyAreNeeded) {
    kx::db::Dataset setupPay(tdb.db(), "adoqry_SetupPay", "SELECT * FROM SetupPay");
    setupPay.open();
    kx::db::Settings settings(&setupPay);
    EXPECT_EQ(settings.text("pay_set_sum_int"), "四舍五入");
    EXPECT_EQ(settings.date("time_work"), QDate(2026, 12, 9));
    EXPECT_TRUE(settings.flag("pay_star"));
    const qint64 next = settings.integer("auto_recn");
    settings.set({{"pay_set_tax_perc", 10.0}, {"auto_recn", next + 1}});
    EXPECT_DOUBLE_EQ(settings.number("pay_set_tax_perc"), 10.0);
    EXPECT_EQ(kx::db::scalarInt(tdb.db(), "select auto_recn from setuppay"), next + 1);
    // A refused value leaves the row as it was.
    EXPECT_THROW(settings.set("time_work", "not a date"), kx::ConversionError);
    EXPECT_EQ(setupPay.state(), kx::db::Dataset::Browse);
    EXPECT_EQ(settings.date("time_work"), QDate(2026, 12, 9));
}

} // namespace
