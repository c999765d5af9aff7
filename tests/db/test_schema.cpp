// The schema a new file gets: every table and column with its declared kind, the keys and
// defaults the programs rely on, and the versioning that upgrades a file in place.
#include "Errors.h"
#include "TestServer.h"
#include "InitialData.h"
#include "Schema.h"
#include "Sql.h"
#include "TestDb.h"
#include "Values.h"

#include <QDate>
#include <QRegularExpression>
#include <QSet>
#include <QSqlQuery>
#include <gtest/gtest.h>

using namespace kx::db;

namespace {

const QDate kToday(2026, 3, 14);

// The columns of a table or view, in order, with their declared types.
QList<std::pair<QString, QString>> columnsOf(QSqlDatabase db, const QString& table) {
    QList<std::pair<QString, QString>> cols;
    QSqlQuery q =
        run(db, QStringLiteral("SELECT name, type FROM pragma_table_info(?) ORDER BY cid"), {table});
    while (q.next())
        cols.append({q.value(0).toString(), q.value(1).toString()});
    return cols;
}

QStringList columnNames(QSqlDatabase db, const QString& table) {
    QStringList names;
    for (const auto& c : columnsOf(db, table))
        names << c.first;
    return names;
}

class SchemaTest : public ::testing::Test {
  protected:
    void SetUp() override { prepareDatabase(tdb.db(), false, kToday); }
    QSqlDatabase db() { return tdb.db(); }
    kx::test::TempDatabase tdb;
};

// One row per table of the schema: its column count, and one column with the declared type
// its kind maps to.
struct TableCase {
    const char* table;
    int columns;
    const char* column;
    const char* type;
};

void PrintTo(const TableCase& c, std::ostream* os) {
    *os << c.table;
}

const TableCase kTables[] = {
    // catalogue and venue
    {"kindlist", 3, "kind_code", "VARCHAR(1)"},
    {"classlist", 8, "clas_allo_spec", "BOOLEAN"},
    {"ManuFacturelist", 3, "manu_code", "VARCHAR(1)"},
    {"itemlist", 12, "item_unit_pric", "DOUBLE"},
    {"ItemListTemp", 13, "item_coun", "DOUBLE"},
    {"ItemTypeList", 2, "item_type_code", "VARCHAR(1)"},
    {"ItemGroup", 6, "grou_coun", "DECIMAL(18,2)"},
    {"UnitList", 2, "unit_name", "VARCHAR(4)"},
    {"ConsNarrList", 3, "cons_narr_code", "VARCHAR(2)"},
    {"DepartmentList", 3, "dept_code", "VARCHAR(2)"},
    {"TableTypeList", 5, "tabl_type_name", "VARCHAR(12)"},
    {"TableList", 12, "tabl_gues_shou", "DECIMAL(16,2)"},
    {"ConsTypeList", 2, "cons_type_code", "VARCHAR(1)"},
    {"ConsModeList", 13, "cons_mode_serv", "SMALLINT"},
    {"ConsTimeMode", 5, "cons_time_star", "DATETIME"},
    {"ConsTimeModeTemp", 3, "cons_time_end", "DATETIME"},
    {"PayTypeList", 5, "pay_star_mone", "DOUBLE"},
    {"discountlist", 4, "disc_code", "VARCHAR(3)"},
    {"DiscItem", 4, "clas_code", "VARCHAR(50)"},
    {"OrderList", 3, "orde_code", "VARCHAR(1)"},
    {"OrderMenuType", 2, "menu_type_code", "VARCHAR(1)"},
    {"OtherIncomeList", 4, "othe_inco_mone", "DOUBLE"},
    // visits, orders, bookings
    {"TableStateList", 2, "tabl_stat_name", "VARCHAR(6)"},
    {"TableGuestlist", 58, "tabl_gues_coun", "SMALLINT"},
    {"TableConsList", 49, "tabl_cons_coun", "DECIMAL(10,2)"},
    {"TableConsListTemp", 50, "desk_id", "VARCHAR(38)"},
    {"bookin", 8, "book_tele", "VARCHAR(18)"},
    // payments and archives
    {"tableguespay", 10, "pay_flag", "BOOLEAN"},
    {"AllGues", 65, "tota_stan", "DOUBLE"},
    {"AllCons", 48, "tabl_tz_bill", "DOUBLE"},
    {"AllGuesPay", 10, "pay_time", "DATETIME"},
    {"Paytotaltemp", 7, "pay_type_coun", "INTEGER"},
    {"Allpaytotal", 12, "pay_date_work", "DATETIME"},
    {"AllOtherInCome", 5, "othe_inco_time", "DATETIME"},
    // settings
    {"SetupPay", 27, "pay_set_tax_perc", "DECIMAL(16,2)"},
    {"setupprint", 51, "set_prn_72_fiel", "VARCHAR(255)"},
    {"PrinterList", 11, "kitc_prin_cut", "BOOLEAN"},
    // staff, members, credit accounts, stock, log
    {"managertype", 3, "mana_code", "VARCHAR(2)"},
    {"Limitedlist", 6, "limi_name", "VARCHAR(50)"},
    {"LimitedTemp", 2, "limi_code", "VARCHAR(2)"},
    {"operatorlist", 5, "oper_pass", "VARCHAR(255)"},
    {"AreaList", 3, "area_code", "VARCHAR(1)"},
    {"GroupList", 4, "grou_ream", "VARCHAR(3)"},
    {"deduoperatorlist", 5, "dedu_oper_stan", "DOUBLE"},
    {"MembType", 8, "memb_Type_name", "VARCHAR(12)"},
    {"MemberList", 17, "memb_pass", "VARCHAR(128)"},
    {"membManage", 6, "memb_mana_inte", "DOUBLE"},
    {"HangGues", 9, "hang_gues_limi", "DOUBLE"},
    {"Hangguesin", 8, "hang_gues_inco_date", "DATETIME"},
    {"StoreWorkType", 3, "stor_work_type_code", "VARCHAR(2)"},
    {"WorkList", 12, "work_name_s", "VARCHAR(10)"},
    {"StoreBill", 16, "stor_deta_flag", "INTEGER"},
    {"AllStoreBill", 16, "stor_bill_date_work", "DATETIME"},
    {"StoreDetail", 14, "item_mone", "DECIMAL(16,2)"},
    {"AllStoreDetail", 14, "stor_bill_ID", "INTEGER"},
    {"WorkDetail", 7, "work_flag", "BOOLEAN"},
    {"systemlog", 4, "log_time", "DATETIME"},
};

// Reads only: one database serves every table.
class SchemaTableTest : public ::testing::TestWithParam<TableCase> {
  protected:
    static void SetUpTestSuite() {
        shared_ = new kx::test::TempDatabase;
        prepareDatabase(shared_->db(), false, kToday);
    }
    static void TearDownTestSuite() {
        delete shared_;
        shared_ = nullptr;
    }
    static kx::test::TempDatabase* shared_;
};

kx::test::TempDatabase* SchemaTableTest::shared_ = nullptr;

TEST_P(SchemaTableTest, HasItsColumnsWithTheirKinds) {
    KX_FILE_ENGINE_ONLY();
    const TableCase& c = GetParam();
    const auto cols = columnsOf(shared_->db(), QString::fromLatin1(c.table));
    ASSERT_FALSE(cols.isEmpty()) << c.table << " is missing";
    EXPECT_EQ(cols.size(), c.columns) << c.table;
    QString type;
    for (const auto& [name, declared] : cols)
        if (name == QLatin1String(c.column)) type = declared;
    EXPECT_EQ(type.toStdString(), c.type) << c.table << "." << c.column;
}

INSTANTIATE_TEST_SUITE_P(Schema, SchemaTableTest, ::testing::ValuesIn(kTables),
                         [](const auto& info) { return std::string(info.param.table); });

TEST_F(SchemaTest, HoldsExactlyTheTablesOfTheSystem) {
    KX_FILE_ENGINE_ONLY();
    QSet<QString> expected;
    for (const TableCase& c : kTables)
        expected.insert(QString::fromLatin1(c.table));
    QSet<QString> actual;
    QSqlQuery q = run(
        db(),
        QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite%'"));
    while (q.next())
        actual.insert(q.value(0).toString());
    EXPECT_EQ(actual, expected);
    const QStringList listed = schemaTables();
    EXPECT_EQ(QSet<QString>(listed.begin(), listed.end()), expected);
    EXPECT_EQ(listed.size(), expected.size());
}

TEST_F(SchemaTest, EveryDeclaredTypeIsOneTheDataLayerKnows) {
    KX_FILE_ENGINE_ONLY();
    const QRegularExpression known(
        QStringLiteral(R"(^(VARCHAR\(\d+\)|INTEGER|SMALLINT|DOUBLE|DECIMAL\(\d+,\d+\)|BOOLEAN|DATETIME)$)"));
    for (const QString& table : schemaTables()) {
        for (const auto& [name, type] : columnsOf(db(), table))
            EXPECT_TRUE(known.match(type).hasMatch())
                << table.toStdString() << "." << name.toStdString() << " is " << type.toStdString();
    }
}

// Archives take a visit and its lines column for column; the order pad has the lines' columns.
TEST_F(SchemaTest, CopiesKeepTheColumnsOfWhatTheyCopyInOrder) {
    KX_FILE_ENGINE_ONLY();
    const QStringList visit = columnNames(db(), QStringLiteral("TableGuestlist"));
    EXPECT_EQ(columnNames(db(), QStringLiteral("AllGues")).mid(0, visit.size()), visit);
    EXPECT_EQ(columnNames(db(), QStringLiteral("AllGues")).mid(visit.size()),
              (QStringList{"grou_name", "area_name", "tota_y", "tota_z", "tota_l", "tota_stan", "rec_ID"}));

    const QStringList lines = columnNames(db(), QStringLiteral("TableConsList"));
    // The pad is an order line and the desk that orders it.
    EXPECT_EQ(columnNames(db(), QStringLiteral("TableConsListTemp")), lines + QStringList{"desk_id"});
    EXPECT_EQ(columnNames(db(), QStringLiteral("AllCons")), lines.mid(0, 47) + QStringList{"rec_ID"});
    EXPECT_EQ(lines.mid(47), (QStringList{"tabl_cons_ID", "tabl_cons_tran"}));

    EXPECT_EQ(columnsOf(db(), QStringLiteral("AllStoreBill")), columnsOf(db(), QStringLiteral("StoreBill")));
    EXPECT_EQ(columnsOf(db(), QStringLiteral("AllStoreDetail")),
              columnsOf(db(), QStringLiteral("StoreDetail")));
    QStringList itemCols = columnNames(db(), QStringLiteral("itemlist"));
    QStringList tempCols = columnNames(db(), QStringLiteral("ItemListTemp"));
    EXPECT_EQ(tempCols.takeLast(), QStringLiteral("rec_ID"));
    std::sort(itemCols.begin(), itemCols.end());
    std::sort(tempCols.begin(), tempCols.end());
    EXPECT_EQ(tempCols, itemCols);
}

TEST_F(SchemaTest, CounterColumnsAreAutoIncrementKeys) {
    KX_FILE_ENGINE_ONLY();
    const std::pair<const char*, const char*> counters[] = {
        {"ItemGroup", "grou_ID"},
        {"ConsTimeMode", "cons_time_code"},
        {"DiscItem", "disc_ID"},
        {"TableConsList", "tabl_cons_ID"},
        {"TableConsListTemp", "tabl_cons_ID"},
        {"bookin", "book_code"},
        {"Limitedlist", "limi_ID"},
        {"StoreBill", "stor_bill_ID"},
        {"AllStoreBill", "stor_bill_ID"},
        {"StoreDetail", "stor_deta_ID"},
        {"AllStoreDetail", "stor_deta_ID"},
        {"WorkDetail", "work_ID"},
        // Rows without a natural key get a counter of their own.
        {"tableguespay", "rec_ID"},
        {"AllGues", "rec_ID"},
        {"AllCons", "rec_ID"},
        {"SetupPay", "rec_ID"},
        {"systemlog", "rec_ID"},
    };
    for (const auto& [table, column] : counters) {
        const QString sql = scalarText(db(), QStringLiteral("SELECT sql FROM sqlite_master WHERE name = ?"),
                                       {QString::fromLatin1(table)});
        EXPECT_TRUE(
            sql.contains(QStringLiteral("%1 INTEGER PRIMARY KEY AUTOINCREMENT").arg(QLatin1String(column))))
            << table << "." << column;
    }
}

// A second row with the same key is refused by the database itself, so a screen's post fails
// and shows its duplicate message.
TEST_F(SchemaTest, RefusesDuplicateKeys) {
    const char* const inserts[] = {
        "INSERT INTO kindlist (kind_code) VALUES ('C')",
        "INSERT INTO ManuFacturelist (manu_code) VALUES ('3')",
        "INSERT INTO classlist (clas_code) VALUES ('C01')",
        "INSERT INTO itemlist (item_code) VALUES ('1001')",
        "INSERT INTO DepartmentList (dept_code) VALUES ('01')",
        "INSERT INTO TableTypeList (tabl_type_code) VALUES ('01')",
        "INSERT INTO TableList (tabl_code) VALUES ('A01')",
        "INSERT INTO ConsModeList (cons_mode_code) VALUES ('01')",
        "INSERT INTO discountlist (disc_code) VALUES ('VIP')",
        "INSERT INTO DiscItem (disc_code, clas_code, disc_clas_perc) VALUES ('VIP', 'C01', 90)",
        "INSERT INTO PayTypeList (pay_type_code) VALUES ('B')",
        "INSERT INTO OrderList (orde_code) VALUES ('1')",
        "INSERT INTO OtherIncomeList (othe_inco_code) VALUES ('01')",
        "INSERT INTO UnitList (unit_name) VALUES ('份')",
        "INSERT INTO TableGuestlist (tabl_gues_auto_recn) VALUES (7)",
        "INSERT INTO managertype (mana_code) VALUES ('09')",
        "INSERT INTO Limitedlist (mana_code, limi_code) VALUES ('09', 'DB')",
        "INSERT INTO operatorlist (oper_code) VALUES ('09')",
        "INSERT INTO MemberList (memb_card_code) VALUES ('8800009')",
        "INSERT INTO HangGues (hang_gues_code) VALUES ('009')",
        "INSERT INTO WorkList (work_code) VALUES ('009')",
    };
    for (const char* sql : inserts) {
        const QString statement = QString::fromUtf8(sql);
        ASSERT_NO_THROW(exec(db(), statement)) << sql;
        EXPECT_THROW(exec(db(), statement), kx::DbError) << sql;
    }
}

// Defaults the programs rely on when they leave a column out.
struct DefaultCase {
    const char* insert;
    const char* read;
    const char* expected;
};

void PrintTo(const DefaultCase& c, std::ostream* os) {
    *os << c.insert;
}

const DefaultCase kDefaults[] = {
    {"INSERT INTO itemlist (item_code) VALUES ('X1')",
     "SELECT item_type_code || '/' || item_real || '/' || item_coun || '/' || item_limi FROM itemlist WHERE "
     "item_code = 'X1'",
     "1/0/0.0/不限"},
    {"INSERT INTO classlist (clas_code) VALUES ('X1')",
     "SELECT manu_code FROM classlist WHERE clas_code = 'X1'", "1"},
    {"INSERT INTO TableList (tabl_code) VALUES ('X1')",
     "SELECT tabl_stat_code || '/' || tabl_gues_auto_recn || '/' || tabl_rema || '|' FROM TableList WHERE "
     "tabl_code = 'X1'",
     "1/0/ |"},
    {"INSERT INTO TableGuestlist (tabl_gues_auto_recn) VALUES (1)",
     "SELECT disc_code || '/' || disc_perc || '/' || tabl_gues_stat || '/' || tabl_gues_shou || '/' || "
     "book_flag "
     "FROM TableGuestlist",
     "N/0/2/0.0/0"},
    {"INSERT INTO TableConsListTemp (item_code) VALUES ('X1')",
     "SELECT menu_type_code || '/' || item_coun_flag || '/' || disc_clas_perc || '/' || serv_perc || '/' || "
     "tabl_cons_tran || '/' || tabl_cons_coun FROM TableConsListTemp",
     "1/1/100/100/0/0"},
    {"INSERT INTO tableguespay (pay_type_code, tabl_gues_auto_recn) VALUES ('Z', 1)",
     "SELECT pay_flag || '/' || pay_type_mone FROM tableguespay", "0/0.0"},
    {"INSERT INTO Limitedlist (mana_code, limi_code) VALUES ('09', 'DB')",
     "SELECT limi_real FROM Limitedlist WHERE mana_code = '09'", "0"},
    {"INSERT INTO MemberList (memb_card_code) VALUES ('X1')",
     "SELECT memb_surp || '/' || memb_use || '/' || memb_stor || '/' || memb_time_allo FROM MemberList",
     "0.0/0.0/0.0/0"},
    {"INSERT INTO HangGues (hang_gues_code) VALUES ('X1')",
     "SELECT hang_gues_limi || '/' || hang_gues_use || '/' || hang_gues_rema || '|' FROM HangGues",
     "0.0/0.0/ |"},
    {"INSERT INTO WorkList (work_code) VALUES ('X1')",
     "SELECT work_inco_shou || '/' || work_pay_shou FROM WorkList", "0.0/0.0"},
    {"INSERT INTO StoreBill (stor_bill_code) VALUES ('X1')",
     "SELECT stor_bill_type || '/' || stor_pay_shou || '/' || stor_inco_fact || '/' || stor_deta_flag FROM "
     "StoreBill",
     "进货单/0.0/0.0/1"},
    {"INSERT INTO WorkDetail (work_code) VALUES ('X1')",
     "SELECT work_flag || '/' || (work_run_time GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9] "
     "[0-9][0-9]:[0-9][0-9]:[0-9][0-9]') "
     "FROM WorkDetail",
     "1/1"},
    {"INSERT INTO ItemListTemp (item_code) VALUES ('X1')", "SELECT item_coun || '' FROM ItemListTemp", "0.0"},
};

class SchemaDefaultTest : public SchemaTest, public ::testing::WithParamInterface<DefaultCase> {};

TEST_P(SchemaDefaultTest, FillsWhatAnInsertLeavesOut) {
    KX_FILE_ENGINE_ONLY();
    exec(db(), QString::fromUtf8(GetParam().insert));
    EXPECT_EQ(scalarText(db(), QString::fromUtf8(GetParam().read)).toStdString(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Schema, SchemaDefaultTest, ::testing::ValuesIn(kDefaults));

// Date-times and codes keep the stored text form whatever the column's declared type.
TEST_F(SchemaTest, StoresDateTimesAndCodesAsText) {
    KX_FILE_ENGINE_ONLY();
    exec(db(),
         QStringLiteral("INSERT INTO TableGuestlist (tabl_gues_auto_recn, tabl_gues_time, "
                        "tabl_gues_time_work, tabl_code) "
                        "VALUES (?, ?, ?, ?)"),
         {5, QDateTime(QDate(2026, 1, 2), QTime(10, 0, 0)), QDate(2026, 1, 2), QStringLiteral("007")});
    QSqlQuery q = run(
        db(), QStringLiteral("SELECT tabl_gues_time, typeof(tabl_gues_time), tabl_gues_time_work, tabl_code "
                             "FROM TableGuestlist"));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toString(), QStringLiteral("2026-01-02 10:00:00"));
    EXPECT_EQ(q.value(1).toString(), QStringLiteral("text"));
    EXPECT_EQ(q.value(2).toString(), QStringLiteral("2026-01-02 00:00:00"));
    EXPECT_EQ(q.value(3).toString(), QStringLiteral("007"));
    // Text order is time order, so a business-date range selects as the reports expect.
    EXPECT_EQ(
        scalarInt(db(),
                  QStringLiteral("SELECT count(*) FROM TableGuestlist WHERE tabl_gues_time BETWEEN ? AND ?"),
                  {QDate(2026, 1, 2), QDateTime(QDate(2026, 1, 2), QTime(23, 59, 59))}),
        1);
}

TEST_F(SchemaTest, StampsTheCurrentVersion) {
    EXPECT_EQ(schemaVersion(db()), currentSchemaVersion());
    EXPECT_GE(currentSchemaVersion(), 1);
}

TEST_F(SchemaTest, PreparingAgainKeepsEveryRowAndAddsNone) {
    exec(db(), QStringLiteral("INSERT INTO DepartmentList (dept_code, dept_name) VALUES ('09', '露台')"));
    const qint64 permissions = scalarInt(db(), QStringLiteral("SELECT count(*) FROM LimitedTemp"));
    prepareDatabase(db(), true, kToday.addDays(1));
    EXPECT_EQ(scalarText(db(), QStringLiteral("SELECT dept_name FROM DepartmentList WHERE dept_code = '09'")),
              QStringLiteral("露台"));
    EXPECT_EQ(scalarInt(db(), QStringLiteral("SELECT count(*) FROM LimitedTemp")), permissions);
    EXPECT_EQ(scalarInt(db(), QStringLiteral("SELECT count(*) FROM SetupPay")), 1);
    EXPECT_EQ(scalarInt(db(), QStringLiteral("SELECT count(*) FROM TableList")), 0);
}

TEST_F(SchemaTest, RefusesAFileOfANewerVersion) {
    KX_FILE_ENGINE_ONLY();
    exec(db(), QStringLiteral("PRAGMA user_version = %1").arg(currentSchemaVersion() + 1));
    EXPECT_THROW(upgradeSchema(db()), kx::DbError);
    EXPECT_THROW(prepareDatabase(db(), false, kToday), kx::DbError);
}

TEST(SchemaVersion, RefusesAForeignFileAndCreatesOnAnEmptyOne) {
    KX_FILE_ENGINE_ONLY();
    kx::test::TempDatabase foreign;
    exec(foreign.db(), QStringLiteral("CREATE TABLE notes (x TEXT)"));
    EXPECT_THROW(prepareDatabase(foreign.db(), false, kToday), kx::DbError);

    kx::test::TempDatabase empty;
    upgradeSchema(empty.db());
    EXPECT_EQ(schemaVersion(empty.db()), currentSchemaVersion());
    EXPECT_EQ(columnsOf(empty.db(), QStringLiteral("TableGuestlist")).size(), 58);
    // Schema only: the initial rows come with prepareDatabase.
    EXPECT_EQ(scalarInt(empty.db(), QStringLiteral("SELECT count(*) FROM SetupPay")), 0);
}

// A file of the version before: its tables without a natural key gain a counter, keeping every
// row in its order and the table's indexes.
TEST_F(SchemaTest, UpgradeGivesKeylessTablesACounterAndKeepsRowsAndIndexes) {
    KX_FILE_ENGINE_ONLY();
    for (const QString table : {QStringLiteral("tableguespay"), QStringLiteral("systemlog")}) {
        QString sql = scalarText(db(), QStringLiteral("SELECT sql FROM sqlite_master WHERE type = 'table' AND name = ?"),
                                 {table});
        sql.remove(QRegularExpression(QStringLiteral(",\\s*rec_ID INTEGER PRIMARY KEY AUTOINCREMENT")));
        exec(db(), QStringLiteral("DROP TABLE ") + table);
        exec(db(), sql);
    }
    ASSERT_EQ(scalarInt(db(), QStringLiteral("SELECT count(*) FROM pragma_table_info('tableguespay') WHERE name = 'rec_ID'")), 0);
    exec(db(), QStringLiteral("INSERT INTO tableguespay (pay_type_code, pay_type_mone, tabl_gues_auto_recn) VALUES "
                              "('Z', 10, 7), ('M', 20, 7), ('B', 30, 8)"));
    exec(db(), QStringLiteral("DELETE FROM tableguespay WHERE pay_type_code = 'Z'"));
    exec(db(), QStringLiteral("INSERT INTO tableguespay (pay_type_code, pay_type_mone, tabl_gues_auto_recn) VALUES ('H', 5, 9)"));
    exec(db(), QStringLiteral("PRAGMA user_version = 3"));

    upgradeSchema(db());
    EXPECT_EQ(schemaVersion(db()), currentSchemaVersion());
    EXPECT_EQ(scalarText(db(), QStringLiteral("SELECT group_concat(pay_type_code || pay_type_mone || '#' || rec_ID, ' ') "
                                              "FROM (SELECT * FROM tableguespay ORDER BY rec_ID)")),
              QStringLiteral("M20.0#1 B30.0#2 H5.0#3"));
    EXPECT_EQ(scalarInt(db(), QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'index' AND "
                                             "name = 'idx_tableguespay_recn'")),
              1);
    exec(db(), QStringLiteral("INSERT INTO tableguespay (pay_type_code) VALUES ('R')"));
    EXPECT_EQ(scalarInt(db(), QStringLiteral("SELECT rec_ID FROM tableguespay WHERE pay_type_code = 'R'")), 4);
    EXPECT_EQ(scalarInt(db(), QStringLiteral("SELECT count(*) FROM pragma_table_info('systemlog') WHERE name = 'rec_ID'")), 1);
    // The next start finds nothing to do.
    upgradeSchema(db());
    EXPECT_EQ(scalarInt(db(), QStringLiteral("SELECT count(*) FROM tableguespay")), 4);
}

// A file of the version before has no printer table: the upgrade adds it, empty, and every row
// of every table is still there.
TEST(SchemaUpgrade, AddsThePrinterTableAndKeepsEveryRow) {
    KX_FILE_ENGINE_ONLY(); // a venue on a server starts at version 5
    kx::test::TempDatabase venue;
    QSqlDatabase db = venue.db();
    prepareDatabase(db, true, kToday);
    exec(db, QStringLiteral("INSERT INTO TableConsList (tabl_gues_auto_recn, item_code, tabl_cons_coun) VALUES (7, '1001', 2)"));
    exec(db, QStringLiteral("INSERT INTO systemlog (log_oper) VALUES ('[早班][登录系统]')"));
    exec(db, QStringLiteral("DROP TABLE PrinterList"));
    exec(db, QStringLiteral("PRAGMA user_version = 4"));
    auto rows = [&db] {
        QStringList counts;
        for (const QString& table : schemaTables())
            if (table != QLatin1String("PrinterList"))
                counts << table + QLatin1Char('=') +
                              QString::number(scalarInt(db, QStringLiteral("SELECT count(*) FROM \"%1\"").arg(table)));
        return counts;
    };
    const QStringList before = rows();
    ASSERT_GT(scalarInt(db, QStringLiteral("SELECT count(*) FROM itemlist")), 0);

    prepareDatabase(db, false, kToday);
    EXPECT_EQ(schemaVersion(db), currentSchemaVersion());
    EXPECT_EQ(rows(), before);
    EXPECT_EQ(columnNames(db, QStringLiteral("PrinterList")).size(), 11);
    EXPECT_EQ(scalarInt(db, QStringLiteral("SELECT count(*) FROM PrinterList")), 0);
    // A new row takes the defaults of a desk that prints on the system's printers.
    exec(db, QStringLiteral("INSERT INTO PrinterList (prin_host) VALUES ('desk-1')"));
    EXPECT_EQ(scalarText(db, QStringLiteral("SELECT bill_prin_type || kitc_prin_type || '/' || bill_prin_widt || '/' || "
                                            "kitc_prin_colu || '/' || kitc_prin_cut FROM PrinterList")),
              QStringLiteral("11/80/48/0"));
}

// Each step runs in its own transaction: a failing step leaves the file at the last good
// version with its rows, and the next start tries again from there.
TEST_F(SchemaTest, UpgradeStepsRunInOrderAndAFailedStepChangesNothing) {
    exec(db(), QStringLiteral("INSERT INTO DepartmentList (dept_code, dept_name) VALUES ('01', '大厅')"));
    const int base = currentSchemaVersion();
    std::vector<SchemaStep> steps = {
        {base + 1,
         [](QSqlDatabase d) {
             exec(d, QStringLiteral("ALTER TABLE DepartmentList ADD COLUMN dept_floor SMALLINT DEFAULT 1"));
         }},
        {base + 2,
         [](QSqlDatabase d) {
             exec(d, QStringLiteral("UPDATE DepartmentList SET dept_floor = 2"));
             exec(d, QStringLiteral("ALTER TABLE no_such_table ADD COLUMN x INTEGER"));
         }},
    };
    EXPECT_THROW(runUpgradeSteps(db(), steps, base + 2), kx::DbError);
    EXPECT_EQ(schemaVersion(db()), base + 1);
    EXPECT_EQ(scalarText(db(), QStringLiteral("SELECT dept_name || '/' || dept_floor FROM DepartmentList")),
              QStringLiteral("大厅/1"));

    steps[1].apply = [](QSqlDatabase d) {
        exec(d, QStringLiteral("UPDATE DepartmentList SET dept_floor = 2"));
    };
    runUpgradeSteps(db(), steps, base + 2);
    EXPECT_EQ(schemaVersion(db()), base + 2);
    EXPECT_EQ(scalarInt(db(), QStringLiteral("SELECT dept_floor FROM DepartmentList")), 2);

    EXPECT_THROW(runUpgradeSteps(db(), steps, base + 3), kx::DbError) << "no step leads to the target";
}

} // namespace
