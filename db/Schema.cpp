#include "Schema.h"

#include "TableInfo.h"

#include "Connection.h"
#include "Engine.h"
#include "Errors.h"
#include "InitialData.h"
#include "Sql.h"
#include "Transaction.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QRegularExpression>
#include <QUrl>

#include <sqlite3.h>

namespace kx::db {

namespace {

// Declared types are read back by the data layer to know each field's kind and size:
// VARCHAR(n) text, INTEGER long, SMALLINT short, DOUBLE double, DECIMAL(p,s) decimal,
// BOOLEAN yes/no (0/1), DATETIME date-time text, INTEGER PRIMARY KEY AUTOINCREMENT counter.

// ---- catalogue and venue -------------------------------------------------------------

const char* const kCatalogueTables[] = {
    R"(CREATE TABLE kindlist (
  kind_code VARCHAR(1) NOT NULL PRIMARY KEY,
  kind_name VARCHAR(255),
  kind_rema VARCHAR(1) DEFAULT ' '
))",
    R"(CREATE TABLE classlist (
  kind_code VARCHAR(1),
  clas_code VARCHAR(3) NOT NULL PRIMARY KEY,
  clas_name VARCHAR(20),
  clas_allo_disc BOOLEAN DEFAULT 0,
  clas_allo_serv BOOLEAN DEFAULT 0,
  clas_allo_spec BOOLEAN DEFAULT 0,
  clas_cost_perc SMALLINT DEFAULT 0,
  manu_code VARCHAR(1) DEFAULT '1'
))",
    R"(CREATE TABLE ManuFacturelist (
  manu_code VARCHAR(1) NOT NULL PRIMARY KEY,
  manu_name VARCHAR(255),
  manu_rema VARCHAR(1) DEFAULT ' '
))",
    R"(CREATE TABLE itemlist (
  clas_code VARCHAR(3),
  item_code VARCHAR(6) NOT NULL PRIMARY KEY,
  item_name VARCHAR(20),
  item_unit VARCHAR(4),
  item_unit_pric DOUBLE,
  item_cost_pric DOUBLE,
  item_dedu_pric DOUBLE,
  item_coun DOUBLE DEFAULT 0,
  item_real BOOLEAN DEFAULT 0,
  item_shor VARCHAR(10),
  item_type_code VARCHAR(1) DEFAULT '1',
  item_limi VARCHAR(4) DEFAULT '不限'
))",
    // The adjustment list adds its item_coun to the stock: a missing amount must read as 0.
    R"(CREATE TABLE ItemListTemp (
  clas_code VARCHAR(3),
  item_code VARCHAR(6),
  item_name VARCHAR(20),
  item_unit VARCHAR(4),
  item_unit_pric DOUBLE,
  item_cost_pric DOUBLE,
  item_dedu_pric DOUBLE,
  item_coun DOUBLE DEFAULT 0,
  item_real BOOLEAN DEFAULT 0,
  item_limi VARCHAR(4),
  item_shor VARCHAR(10),
  item_type_code VARCHAR(1)
))",
    R"(CREATE TABLE ItemTypeList (
  item_type_code VARCHAR(1) NOT NULL UNIQUE,
  item_type_name VARCHAR(255)
))",
    R"(CREATE TABLE ItemGroup (
  grou_ID INTEGER PRIMARY KEY AUTOINCREMENT,
  grou_code VARCHAR(6),
  item_code VARCHAR(6),
  grou_coun DECIMAL(18,2),
  grou_mix_code VARCHAR(6),
  grou_mix_coun DECIMAL(18,2)
))",
    // A unit name must fit the four characters of itemlist.item_unit.
    R"(CREATE TABLE UnitList (
  unit_name VARCHAR(4) NOT NULL UNIQUE,
  unit_rema VARCHAR(1) DEFAULT ' '
))",
    R"(CREATE TABLE ConsNarrList (
  cons_narr_code VARCHAR(2) NOT NULL UNIQUE,
  cons_narr_name VARCHAR(255),
  cons_narr_rema VARCHAR(1) DEFAULT ' '
))",
    R"(CREATE TABLE DepartmentList (
  dept_code VARCHAR(2) NOT NULL PRIMARY KEY,
  dept_name VARCHAR(255),
  dept_rema VARCHAR(1) DEFAULT ' '
))",
    R"(CREATE TABLE TableTypeList (
  tabl_type_code VARCHAR(2) NOT NULL PRIMARY KEY,
  tabl_type_name VARCHAR(12),
  tabl_type_narr VARCHAR(12),
  tabl_type_rema VARCHAR(1) DEFAULT ' ',
  cons_mode_code VARCHAR(2)
))",
    R"(CREATE TABLE TableList (
  tabl_code VARCHAR(3) NOT NULL PRIMARY KEY,
  tabl_name VARCHAR(16),
  tabl_narr VARCHAR(12),
  tabl_type_code VARCHAR(2),
  dept_code VARCHAR(2),
  tabl_rema VARCHAR(1) DEFAULT ' ',
  tabl_stat_code VARCHAR(1) DEFAULT '1',
  tabl_gues_auto_recn INTEGER DEFAULT 0,
  tabl_gues_name VARCHAR(20),
  tabl_gues_coun INTEGER,
  tabl_gues_time DATETIME,
  tabl_gues_shou DECIMAL(16,2)
))",
    R"(CREATE TABLE ConsTypeList (
  cons_type_code VARCHAR(1) NOT NULL UNIQUE,
  cons_type_name VARCHAR(255)
))",
    R"(CREATE TABLE ConsModeList (
  cons_mode_code VARCHAR(2) NOT NULL PRIMARY KEY,
  cons_mode_name VARCHAR(24),
  cons_type_code VARCHAR(1),
  cons_mode_mone DOUBLE DEFAULT 0,
  cons_mode_serv SMALLINT DEFAULT 0,
  cons_mode_achi INTEGER DEFAULT 0,
  cons_mode_pred_stan SMALLINT DEFAULT 0,
  cons_mode_pred_abov SMALLINT DEFAULT 0,
  cons_mode_spec_stan SMALLINT DEFAULT 0,
  cons_mode_spec_abov SMALLINT DEFAULT 0,
  cons_mode_lead_stan SMALLINT DEFAULT 0,
  cons_mode_lead_abov SMALLINT DEFAULT 0,
  cons_mode_rema VARCHAR(1) DEFAULT ' '
))",
    R"(CREATE TABLE ConsTimeMode (
  cons_time_code INTEGER PRIMARY KEY AUTOINCREMENT,
  cons_mode_code VARCHAR(2),
  cons_time_star DATETIME,
  cons_time_end DATETIME,
  cons_time_mone DOUBLE DEFAULT 0
))",
    R"(CREATE TABLE ConsTimeModeTemp (
  cons_time_star DATETIME,
  cons_time_end DATETIME
))",
    R"(CREATE TABLE PayTypeList (
  pay_type_code VARCHAR(2) NOT NULL PRIMARY KEY,
  pay_type_name VARCHAR(12),
  pay_type_mone DOUBLE DEFAULT 0,
  pay_star_mone DOUBLE DEFAULT 0,
  pay_type_rema VARCHAR(1) DEFAULT ' '
))",
    // The discount screen accepts three characters for a scheme code.
    R"(CREATE TABLE discountlist (
  disc_code VARCHAR(3) NOT NULL PRIMARY KEY,
  disc_name VARCHAR(20),
  disc_narr VARCHAR(20),
  disc_rema VARCHAR(1) DEFAULT ' '
))",
    R"(CREATE TABLE DiscItem (
  disc_ID INTEGER PRIMARY KEY AUTOINCREMENT,
  disc_code VARCHAR(3),
  clas_code VARCHAR(50),
  disc_clas_perc SMALLINT
))",
    R"(CREATE TABLE OrderList (
  orde_code VARCHAR(1) NOT NULL UNIQUE,
  orde_name VARCHAR(255),
  orde_rema VARCHAR(1) DEFAULT ' '
))",
    R"(CREATE TABLE OrderMenuType (
  menu_type_code VARCHAR(1) NOT NULL UNIQUE,
  menu_type_name VARCHAR(255)
))",
    R"(CREATE TABLE OtherIncomeList (
  othe_inco_code VARCHAR(255) NOT NULL UNIQUE,
  othe_inco_name VARCHAR(255),
  othe_inco_mone DOUBLE DEFAULT 0,
  othe_inco_rema VARCHAR(1) DEFAULT ' '
))",
};

// ---- visits, orders and bookings ------------------------------------------------------

// The columns of a visit, shared by the live table and its archive (the archive takes
// them in the same order, so a visit is copied column for column).
QString visitColumns(bool live) {
    QString key = live ? QStringLiteral("tabl_gues_auto_recn INTEGER NOT NULL UNIQUE")
                       : QStringLiteral("tabl_gues_auto_recn INTEGER");
    return key + QStringLiteral(R"(,
  tabl_gues_user_recn VARCHAR(11),
  tabl_code VARCHAR(3),
  tabl_name VARCHAR(16),
  tabl_type_code VARCHAR(2),
  tabl_type_name VARCHAR(12),
  dept_code VARCHAR(2),
  dept_name VARCHAR(12),
  tabl_gues_coun SMALLINT DEFAULT 0,
  tabl_gues_name VARCHAR(20),
  tabl_gues_rema VARCHAR(20),
  tabl_gues_time DATETIME,
  tabl_gues_time_end DATETIME,
  tabl_gues_time_work DATETIME,
  tabl_gues_use BOOLEAN DEFAULT 0,
  tabl_gues_stat VARCHAR(1) DEFAULT '2',
  orde_code VARCHAR(1),
  orde_name VARCHAR(10),
  oper_code VARCHAR(2),
  oper_name VARCHAR(8),
  cons_mode_code VARCHAR(2),
  cons_mode_name VARCHAR(24),
  cons_type_code VARCHAR(1),
  cons_type_name VARCHAR(255),
  cons_mode_serv SMALLINT DEFAULT 0,
  tabl_gues_dish DOUBLE DEFAULT 0,
  tabl_gues_spec DOUBLE DEFAULT 0,
  tabl_gues_serv_main DOUBLE DEFAULT 0,
  tabl_gues_serv_spec DOUBLE DEFAULT 0,
  tabl_gues_low DOUBLE DEFAULT 0,
  tabl_gues_room DOUBLE DEFAULT 0,
  tabl_gues_unit DOUBLE DEFAULT 0,
  tabl_gues_serv DOUBLE DEFAULT 0,
  disc_perc INTEGER DEFAULT 0,
  disc_code VARCHAR(3) DEFAULT 'N',
  tabl_gues_disc DOUBLE DEFAULT 0,
  tabl_gues_tax_real BOOLEAN DEFAULT 0,
  tabl_gues_tax DOUBLE DEFAULT 0,
  tabl_gues_shou DOUBLE DEFAULT 0,
  tabl_gues_fact DOUBLE DEFAULT 0,
  none_mone DOUBLE DEFAULT 0,
  cost_mone DOUBLE DEFAULT 0,
  hang_code VARCHAR(3),
  hang_name VARCHAR(12),
  hang_mone DOUBLE DEFAULT 0,
  memb_card_code VARCHAR(12),
  memb_name VARCHAR(16),
  memb_mone DOUBLE DEFAULT 0,
  tabl_gues_pay_narr VARCHAR(40),
  dedu_oper_code VARCHAR(3),
  dedu_oper_name VARCHAR(12),
  dedu_type VARCHAR(4),
  dedu_mone DOUBLE DEFAULT 0,
  grou_code VARCHAR(2),
  area_code VARCHAR(1),
  book_flag BOOLEAN DEFAULT 0,
  book_oper_code VARCHAR(2),
  book_oper_name VARCHAR(8))");
}

enum class ConsKind { Live, Pad, Archive };

// The columns of an order line: the committed lines, the order pad (same columns, its own
// counter) and the archive (the first 47, without counter and sent mark).
QString consColumns(ConsKind kind) {
    QString cols = QStringLiteral(R"(
  tabl_gues_auto_recn INTEGER,
  tabl_code VARCHAR(3),
  tabl_name VARCHAR(16),
  tabl_code_old VARCHAR(3),
  clas_code VARCHAR(3),
  clas_name VARCHAR(20),
  item_code VARCHAR(50),
  item_unit_pric DOUBLE DEFAULT 0,
  tabl_cons_coun DECIMAL(10,2) DEFAULT 0,
  tabl_cons_tota DOUBLE DEFAULT 0,
  tabl_cons_time DATETIME,
  tabl_cons_time_work DATETIME,
  item_type_code VARCHAR(1),
  oper_code VARCHAR(2),
  oper_name VARCHAR(12),
  dedu_oper_code VARCHAR(3),
  dedu_oper_name VARCHAR(12),
  item_dedu_pric DOUBLE DEFAULT 0,
  item_cost_pric DOUBLE DEFAULT 0,
  tabl_dedu_tota DOUBLE DEFAULT 0,
  tabl_cost_tota DOUBLE DEFAULT 0,
  cons_grou_narr VARCHAR(20),
  cons_narr_code VARCHAR(2),
  cons_narr_name VARCHAR(255),
  manu_yorn BOOLEAN DEFAULT 0,
  menu_type_code VARCHAR(1) DEFAULT '1',
  menu_type_name VARCHAR(255),
  grou_code VARCHAR(6),
  item_coun_flag INTEGER DEFAULT 1,
  item_type_flag INTEGER DEFAULT 1,
  disc_clas_perc INTEGER DEFAULT 100,
  tabl_disc_tota DOUBLE DEFAULT 0,
  tabl_cons_flag BOOLEAN DEFAULT 0,
  tabl_gues_end BOOLEAN DEFAULT 0,
  serv_perc INTEGER DEFAULT 100,
  tabl_serv_tota DOUBLE DEFAULT 0,
  tabl_d_bill DOUBLE DEFAULT 0,
  tabl_z_bill DOUBLE DEFAULT 0,
  tabl_t_bill DOUBLE DEFAULT 0,
  tabl_tz_bill DOUBLE DEFAULT 0,
  dept_name VARCHAR(12),
  orde_name VARCHAR(10),
  kind_name VARCHAR(255),
  kind_code VARCHAR(1),
  manu_name VARCHAR(255),
  item_name VARCHAR(20),
  item_unit VARCHAR(4))");
    if (kind != ConsKind::Archive) {
        cols += QStringLiteral(R"(,
  tabl_cons_ID INTEGER PRIMARY KEY AUTOINCREMENT,
  tabl_cons_tran BOOLEAN DEFAULT 0)");
    }
    return cols;
}

QStringList visitTables() {
    return {
        QStringLiteral(R"(CREATE TABLE TableStateList (
  tabl_stat_code VARCHAR(1) NOT NULL PRIMARY KEY,
  tabl_stat_name VARCHAR(6)
))"),
        QStringLiteral("CREATE TABLE TableGuestlist (\n  ") + visitColumns(true) + QStringLiteral("\n)"),
        QStringLiteral("CREATE TABLE TableConsList (") + consColumns(ConsKind::Live) + QStringLiteral("\n)"),
        // The order pad: the lines one front desk (desk_id) is ordering for one visit.
        QStringLiteral("CREATE TABLE TableConsListTemp (") + consColumns(ConsKind::Pad) +
            QStringLiteral(",\n  desk_id VARCHAR(38)\n)"),
        QStringLiteral(R"(CREATE TABLE bookin (
  book_code INTEGER PRIMARY KEY AUTOINCREMENT,
  book_name VARCHAR(20),
  book_coun INTEGER DEFAULT 0,
  book_time DATETIME,
  tabl_code VARCHAR(3),
  book_tele VARCHAR(18),
  book_rema VARCHAR(20),
  oper_code VARCHAR(2)
))"),
    };
}

// ---- payments and archives ------------------------------------------------------------

QStringList paymentTables() {
    return {
        // pay_flag must read false until a handover marks it: "not pay_flag" skips NULL.
        QStringLiteral(R"(CREATE TABLE tableguespay (
  pay_type_code VARCHAR(2),
  pay_type_name VARCHAR(12),
  pay_type_mone DOUBLE DEFAULT 0,
  tabl_gues_auto_recn INTEGER,
  pay_time DATETIME,
  pay_flag BOOLEAN DEFAULT 0,
  dept_name VARCHAR(12),
  orde_name VARCHAR(10),
  oper_name VARCHAR(8)
))"),
        QStringLiteral("CREATE TABLE AllGues (\n  ") + visitColumns(false) + QStringLiteral(R"(,
  grou_name VARCHAR(255),
  area_name VARCHAR(255),
  tota_y DOUBLE DEFAULT 0,
  tota_z DOUBLE DEFAULT 0,
  tota_l DOUBLE DEFAULT 0,
  tota_stan DOUBLE DEFAULT 0
))"),
        QStringLiteral("CREATE TABLE AllCons (") + consColumns(ConsKind::Archive) + QStringLiteral("\n)"),
        QStringLiteral(R"(CREATE TABLE AllGuesPay (
  pay_type_code VARCHAR(2),
  pay_type_name VARCHAR(12),
  pay_type_mone DOUBLE DEFAULT 0,
  tabl_gues_auto_recn INTEGER,
  pay_flag BOOLEAN DEFAULT 0,
  pay_time DATETIME,
  dept_name VARCHAR(12),
  orde_name VARCHAR(10),
  oper_name VARCHAR(8)
))"),
        QStringLiteral(R"(CREATE TABLE Paytotaltemp (
  pay_type_code VARCHAR(2),
  pay_type_name VARCHAR(12),
  pay_type_coun INTEGER DEFAULT 0,
  pay_type_mone DOUBLE DEFAULT 0,
  pay_star_mone DOUBLE DEFAULT 0,
  pay_fact_mone DOUBLE DEFAULT 0
))"),
        QStringLiteral(R"(CREATE TABLE Allpaytotal (
  pay_date_work DATETIME,
  pay_rema VARCHAR(255),
  pay_type_code VARCHAR(2),
  pay_type_name VARCHAR(12),
  pay_star_mone DOUBLE DEFAULT 0,
  pay_type_mone DOUBLE DEFAULT 0,
  pay_type_coun INTEGER DEFAULT 0,
  pay_fact_mone DOUBLE DEFAULT 0,
  pay_date DATETIME,
  oper_code VARCHAR(2),
  oper_name VARCHAR(255)
))"),
        QStringLiteral(R"(CREATE TABLE AllOtherInCome (
  othe_inco_code VARCHAR(255),
  othe_inco_name VARCHAR(255),
  othe_inco_mone DOUBLE DEFAULT 0,
  othe_inco_time DATETIME
))"),
    };
}

// ---- settings -------------------------------------------------------------------------

QString setupPrintTable() {
    QString cols;
    for (int line = 1; line <= 7; ++line) {
        for (int pos = 1; pos <= 2; ++pos) {
            cols += QStringLiteral("  set_prn_%1%2_titl VARCHAR(255),\n  set_prn_%1%2_fiel VARCHAR(255),\n")
                        .arg(line)
                        .arg(pos);
        }
    }
    for (int line = 1; line <= 7; ++line)
        cols += QStringLiteral("  set_prn_%1_allo BOOLEAN DEFAULT 0,\n").arg(line);
    for (const char* flag :
         {"deta", "kind", "unit", "disc", "pay", "zero", "memb", "mpay", "hang", "hpay", "d1", "d2"})
        cols += QStringLiteral("  set_prn_%1_allo BOOLEAN DEFAULT 0,\n").arg(QLatin1String(flag));
    cols += QStringLiteral("  set_prn_d1_text VARCHAR(255),\n  set_prn_d2_text VARCHAR(255),\n");
    // The system management password, kept as a salted hash.
    cols += QStringLiteral("  set_prn_92_fiel VARCHAR(255)\n");
    return QStringLiteral("CREATE TABLE setupprint (\n") + cols + QStringLiteral(")");
}

// The receipt printers of each front desk: one row per machine, by its host name. A machine
// without a row prints on the system's printers. Kinds: '1' 系统打印机, '2' 小票打印机.
QString printerTable() {
    QString cols;
    for (const char* printer : {"bill", "kitc"})
        cols += QStringLiteral(",\n  %1_prin_type VARCHAR(1) DEFAULT '1',\n  %1_prin_widt INTEGER DEFAULT 80,\n"
                               "  %1_prin_colu INTEGER DEFAULT 48,\n  %1_prin_addr VARCHAR(255),\n"
                               "  %1_prin_cut BOOLEAN DEFAULT 0")
                    .arg(QLatin1String(printer));
    return QStringLiteral("CREATE TABLE PrinterList (\n  prin_host VARCHAR(255) NOT NULL PRIMARY KEY") + cols +
           QStringLiteral("\n)");
}

QStringList settingsTables() {
    return {
        QStringLiteral(R"(CREATE TABLE SetupPay (
  pay_set_code VARCHAR(1),
  pay_set_stor_limi INTEGER DEFAULT 0,
  pay_set_sum_int VARCHAR(8) DEFAULT '四舍五入',
  pay_set_item_int VARCHAR(8) DEFAULT '四舍五入',
  pay_set_affi BOOLEAN DEFAULT 0,
  pay_set_auto_manu BOOLEAN DEFAULT 0,
  pay_set_tax_type VARCHAR(6) DEFAULT '按比例',
  pay_set_tax_perc DECIMAL(16,2) DEFAULT 0,
  pay_set_tax_mone DECIMAL(16,2) DEFAULT 0,
  oper_code VARCHAR(2),
  mana_code VARCHAR(2),
  orde_code VARCHAR(1),
  dept_code VARCHAR(2),
  time_work DATETIME,
  time_star DATETIME,
  time_end DATETIME,
  pay_star BOOLEAN DEFAULT 0,
  work_auto BOOLEAN DEFAULT 0,
  work_back BOOLEAN DEFAULT 0,
  calc_cost BOOLEAN DEFAULT 0,
  user_name VARCHAR(30),
  user_name_s VARCHAR(10),
  user_name_e VARCHAR(255),
  user_tele VARCHAR(255),
  user_temp INTEGER DEFAULT 0,
  auto_recn INTEGER DEFAULT 1
))"),
        setupPrintTable(),
        printerTable(),
    };
}

// ---- staff, members, credit accounts, stock, log --------------------------------------

const char* const kPeopleTables[] = {
    R"(CREATE TABLE managertype (
  mana_code VARCHAR(2) NOT NULL PRIMARY KEY,
  mana_name VARCHAR(255),
  mana_rema VARCHAR(1) DEFAULT ' '
))",
    R"(CREATE TABLE Limitedlist (
  limi_ID INTEGER PRIMARY KEY AUTOINCREMENT,
  mana_code VARCHAR(2),
  limi_code VARCHAR(2),
  limi_name VARCHAR(50),
  limi_real BOOLEAN DEFAULT 0,
  mana_rema VARCHAR(1)
))",
    R"(CREATE TABLE LimitedTemp (
  limi_code VARCHAR(2) NOT NULL UNIQUE,
  limi_name VARCHAR(50)
))",
    // oper_pass holds a salted hash (kx::hashPassword), never the password itself.
    R"(CREATE TABLE operatorlist (
  oper_code VARCHAR(2) NOT NULL PRIMARY KEY,
  oper_name VARCHAR(255),
  oper_pass VARCHAR(255),
  oper_rema VARCHAR(255),
  mana_code VARCHAR(2)
))",
    R"(CREATE TABLE AreaList (
  area_code VARCHAR(1) NOT NULL PRIMARY KEY,
  area_name VARCHAR(255),
  area_rema VARCHAR(255) DEFAULT ' '
))",
    R"(CREATE TABLE GroupList (
  grou_code VARCHAR(2) NOT NULL PRIMARY KEY,
  grou_name VARCHAR(255),
  grou_ream VARCHAR(3),
  area_code VARCHAR(1)
))",
    R"(CREATE TABLE deduoperatorlist (
  dedu_oper_code VARCHAR(3) NOT NULL PRIMARY KEY,
  dedu_oper_name VARCHAR(255),
  dedu_oper_stan DOUBLE DEFAULT 0,
  dedu_oper_rema VARCHAR(255),
  grou_code VARCHAR(2)
))",
    R"(CREATE TABLE MembType (
  memb_type_code VARCHAR(2) NOT NULL PRIMARY KEY,
  memb_Type_name VARCHAR(12),
  memb_type_pric DOUBLE DEFAULT 0,
  memb_type_allo_time BOOLEAN DEFAULT 0,
  memb_type_time INTEGER DEFAULT 0,
  memb_type_disc_perc INTEGER DEFAULT 0,
  memb_type_fact DOUBLE DEFAULT 0,
  memb_type_now DATETIME
))",
    // memb_pass is widened from 16 to hold a salted hash.
    R"(CREATE TABLE MemberList (
  memb_card_code VARCHAR(12) NOT NULL PRIMARY KEY,
  memb_type_code VARCHAR(2),
  memb_card_type VARCHAR(6),
  memb_pass VARCHAR(128),
  memb_name VARCHAR(16),
  memb_ID VARCHAR(18),
  memb_work VARCHAR(20),
  memb_add VARCHAR(20),
  memb_tele VARCHAR(20),
  memb_time_allo BOOLEAN DEFAULT 0,
  memb_time_end DATETIME,
  memb_disc_perc INTEGER DEFAULT 0,
  memb_surp DOUBLE DEFAULT 0,
  memb_use DOUBLE DEFAULT 0,
  memb_stor DOUBLE DEFAULT 0,
  memb_stor_temp DOUBLE DEFAULT 0,
  memb_rema VARCHAR(20)
))",
    R"(CREATE TABLE membManage (
  memb_card_code VARCHAR(12),
  memb_card_type VARCHAR(6),
  memb_mana_save DOUBLE DEFAULT 0,
  memb_mana_inte DOUBLE DEFAULT 0,
  memb_mana_rema VARCHAR(255)
))",
    R"(CREATE TABLE HangGues (
  hang_gues_code VARCHAR(3) NOT NULL PRIMARY KEY,
  hang_gues_name VARCHAR(255),
  hang_gues_limi DOUBLE DEFAULT 0,
  hang_gues_use DOUBLE DEFAULT 0,
  hang_gues_tele VARCHAR(255),
  hang_gues_work VARCHAR(255),
  hang_gues_add VARCHAR(255),
  hang_gues_rema VARCHAR(255) DEFAULT ' ',
  hang_gues_pass VARCHAR(255)
))",
    R"(CREATE TABLE Hangguesin (
  hang_gues_code VARCHAR(3),
  hang_gues_name VARCHAR(255),
  hang_gues_inco DOUBLE DEFAULT 0,
  hang_gues_inco_date DATETIME,
  oper_code VARCHAR(2),
  oper_name VARCHAR(255),
  time_fact DATETIME
))",
    R"(CREATE TABLE StoreWorkType (
  stor_work_type_code VARCHAR(2) NOT NULL PRIMARY KEY,
  stor_work_type_name VARCHAR(255),
  stor_work_type_rema VARCHAR(255) DEFAULT ' '
))",
    R"(CREATE TABLE WorkList (
  work_code VARCHAR(3) NOT NULL PRIMARY KEY,
  work_name VARCHAR(255),
  work_name_s VARCHAR(10),
  work_man VARCHAR(255),
  work_tele VARCHAR(255),
  work_tax VARCHAR(255),
  work_bank VARCHAR(255),
  work_add VARCHAR(255),
  work_rema VARCHAR(255),
  stor_work_type_code VARCHAR(2),
  work_inco_shou DOUBLE DEFAULT 0,
  work_pay_shou DOUBLE DEFAULT 0
))",
};

// Open and posted stock bills share their columns; a posted bill keeps the number it had.
QString storeBillTable(const char* name) {
    return QStringLiteral("CREATE TABLE %1 (").arg(QLatin1String(name)) + QStringLiteral(R"(
  stor_bill_ID INTEGER PRIMARY KEY AUTOINCREMENT,
  stor_bill_code VARCHAR(12),
  stor_bill_type VARCHAR(6) DEFAULT '进货单',
  stor_work_type_code VARCHAR(2),
  work_code VARCHAR(3),
  work_name_s VARCHAR(10),
  oper_code VARCHAR(2),
  stor_pay_shou DOUBLE DEFAULT 0,
  stor_pay_fact DOUBLE DEFAULT 0,
  stor_inco_shou DOUBLE DEFAULT 0,
  stor_inco_fact DOUBLE DEFAULT 0,
  stor_bill_rema VARCHAR(20),
  stor_bill_run BOOLEAN DEFAULT 0,
  stor_bill_date DATETIME,
  stor_bill_date_work DATETIME,
  stor_deta_flag INTEGER DEFAULT 1
))");
}

QString storeDetailTable(const char* name) {
    return QStringLiteral("CREATE TABLE %1 (").arg(QLatin1String(name)) + QStringLiteral(R"(
  stor_deta_ID INTEGER PRIMARY KEY AUTOINCREMENT,
  stor_bill_ID INTEGER,
  stor_bill_code VARCHAR(12),
  clas_code VARCHAR(3),
  item_code VARCHAR(6),
  item_name VARCHAR(20),
  item_unit VARCHAR(4),
  item_cost_pric DECIMAL(16,2) DEFAULT 0,
  item_coun DECIMAL(16,2) DEFAULT 0,
  item_mone DECIMAL(16,2) DEFAULT 0,
  item_rema VARCHAR(10),
  stor_bill_date DATETIME,
  stor_bill_date_work DATETIME,
  stor_deta_flag INTEGER DEFAULT 1
))");
}

QStringList stockAndLogTables() {
    return {
        storeBillTable("StoreBill"),
        storeBillTable("AllStoreBill"),
        storeDetailTable("StoreDetail"),
        storeDetailTable("AllStoreDetail"),
        // A row is pending (work_flag true) from the moment it is written until it is applied.
        QStringLiteral(R"(CREATE TABLE WorkDetail (
  work_ID INTEGER PRIMARY KEY AUTOINCREMENT,
  work_code VARCHAR(3),
  work_inco DECIMAL(16,2) DEFAULT 0,
  work_pay DECIMAL(16,2) DEFAULT 0,
  work_run_time DATETIME DEFAULT (datetime('now','localtime')),
  work_rema VARCHAR(30),
  work_flag BOOLEAN DEFAULT 1
))"),
        QStringLiteral(R"(CREATE TABLE systemlog (
  log_oper_name VARCHAR(255),
  log_time DATETIME,
  log_oper VARCHAR(255)
))"),
    };
}

// ---- indexes: what the programs search, join and sort the larger tables by ------------

const char* const kIndexes[] = {
    "CREATE INDEX idx_classlist_kind_code ON classlist (kind_code)",
    "CREATE INDEX idx_itemlist_clas_code ON itemlist (clas_code)",
    "CREATE INDEX idx_itemlist_item_shor ON itemlist (item_shor)",
    "CREATE INDEX idx_ItemGroup_grou_code ON ItemGroup (grou_code)",
    "CREATE INDEX idx_ItemGroup_item_code ON ItemGroup (item_code)",
    "CREATE INDEX idx_ItemGroup_grou_mix_code ON ItemGroup (grou_mix_code)",
    "CREATE INDEX idx_TableList_dept_code ON TableList (dept_code, tabl_type_code)",
    "CREATE INDEX idx_ConsTimeMode_cons_mode_code ON ConsTimeMode (cons_mode_code)",
    "CREATE UNIQUE INDEX idx_DiscItem_disc_clas ON DiscItem (disc_code, clas_code)",
    "CREATE INDEX idx_TableGuestlist_tabl_code ON TableGuestlist (tabl_code)",
    "CREATE INDEX idx_TableGuestlist_cons_mode_code ON TableGuestlist (cons_mode_code)",
    "CREATE INDEX idx_TableConsList_recn ON TableConsList (tabl_gues_auto_recn)",
    "CREATE INDEX idx_TableConsList_item_code ON TableConsList (item_code)",
    "CREATE INDEX idx_TableConsListTemp_recn ON TableConsListTemp (tabl_gues_auto_recn)",
    "CREATE INDEX idx_bookin_tabl_code ON bookin (tabl_code)",
    "CREATE INDEX idx_tableguespay_recn ON tableguespay (tabl_gues_auto_recn)",
    "CREATE INDEX idx_AllGues_recn ON AllGues (tabl_gues_auto_recn)",
    "CREATE INDEX idx_AllGues_time_work ON AllGues (tabl_gues_time_work)",
    "CREATE INDEX idx_AllGues_memb_card_code ON AllGues (memb_card_code)",
    "CREATE INDEX idx_AllGues_hang_code ON AllGues (hang_code)",
    "CREATE INDEX idx_AllCons_recn ON AllCons (tabl_gues_auto_recn)",
    "CREATE INDEX idx_AllCons_time_work ON AllCons (tabl_cons_time_work)",
    "CREATE INDEX idx_AllCons_item_code ON AllCons (item_code)",
    "CREATE INDEX idx_AllGuesPay_recn ON AllGuesPay (tabl_gues_auto_recn)",
    "CREATE INDEX idx_AllGuesPay_pay_time ON AllGuesPay (pay_time)",
    // The shift handover reads and marks the lines not yet handed over (pay_flag = 0) by pay
    // type; without this it reads the whole archive of payment lines.
    "CREATE INDEX idx_AllGuesPay_pay_flag ON AllGuesPay (pay_flag, pay_type_code)",
    "CREATE INDEX idx_Allpaytotal_pay_date_work ON Allpaytotal (pay_date_work)",
    "CREATE INDEX idx_AllOtherInCome_time ON AllOtherInCome (othe_inco_time)",
    "CREATE UNIQUE INDEX idx_Limitedlist_mana_limi ON Limitedlist (mana_code, limi_code)",
    "CREATE INDEX idx_operatorlist_mana_code ON operatorlist (mana_code)",
    "CREATE INDEX idx_membManage_card ON membManage (memb_card_code)",
    "CREATE INDEX idx_Hangguesin_code ON Hangguesin (hang_gues_code)",
    "CREATE INDEX idx_Hangguesin_date ON Hangguesin (hang_gues_inco_date)",
    "CREATE INDEX idx_StoreDetail_bill ON StoreDetail (stor_bill_ID, item_code)",
    "CREATE INDEX idx_AllStoreBill_work_code ON AllStoreBill (work_code)",
    "CREATE INDEX idx_AllStoreBill_date_work ON AllStoreBill (stor_bill_date_work)",
    "CREATE INDEX idx_AllStoreDetail_bill ON AllStoreDetail (stor_bill_ID)",
    "CREATE INDEX idx_AllStoreDetail_item_code ON AllStoreDetail (item_code)",
    "CREATE INDEX idx_AllStoreDetail_date_work ON AllStoreDetail (stor_bill_date_work)",
    "CREATE INDEX idx_WorkDetail_work_code ON WorkDetail (work_code)",
    "CREATE INDEX idx_systemlog_log_time ON systemlog (log_time)",
};

// ---- views ----------------------------------------------------------------------------

// How many complete units of each set menu or composite the current stock allows.
// A composite inside a set menu draws on its ingredients through its current recipe (not on
// its own derived count), and an item needed in several places of one group is needed in
// their sum. Only components counted as "有限" limit a group; a group with a "禁用" component,
// or with no limited component at all, yields 0.
const char* const kViewReTotal = R"(CREATE VIEW viewReTotal AS
WITH direct AS (
  SELECT grou_code, item_code, COALESCE(grou_coun, 0) AS grou_coun
  FROM ItemGroup
  WHERE grou_mix_code IS NULL OR grou_mix_code = ''
),
parts AS (
  SELECT d.grou_code, d.item_code,
         CASE WHEN c.item_type_code = '3' THEN 0 ELSE d.grou_coun END AS need,
         CASE WHEN c.item_type_code = '3' THEN 0 ELSE 1 END AS counted
  FROM direct d
  JOIN itemlist c ON c.item_code = d.item_code
  UNION ALL
  SELECT d.grou_code, r.item_code, d.grou_coun * r.grou_coun, 1
  FROM direct d
  JOIN itemlist c ON c.item_code = d.item_code AND c.item_type_code = '3'
  JOIN direct r ON r.grou_code = d.item_code
),
per_item AS (
  SELECT grou_code, item_code, SUM(need) AS need, MAX(counted) AS counted
  FROM parts
  GROUP BY grou_code, item_code
),
per_group AS (
  SELECT p.grou_code,
         MAX(CASE WHEN i.item_limi = '禁用' THEN 1 ELSE 0 END) AS disabled,
         MIN(CASE WHEN p.counted = 1 AND i.item_limi = '有限' AND p.need > 0
                  THEN COALESCE(i.item_coun, 0) * 1.0 / p.need END) AS units
  FROM per_item p
  JOIN itemlist i ON i.item_code = p.item_code
  GROUP BY p.grou_code
)
SELECT g.grou_code AS grou_code,
       CASE WHEN g.disabled = 1 OR g.units IS NULL OR g.units <= 0 THEN 0
            ELSE CAST(FLOOR(g.units + 0.000001) AS INTEGER) END AS retotal
FROM per_group g
JOIN itemlist s ON s.item_code = g.grou_code
WHERE s.item_type_code = '2' OR s.item_type_code = '3')";

// The business since the last day end by department, and the total. A cleared visit is no
// longer in use; of those still in use, "3" is checked out and any other state still open.
// Cleared and checked-out visits count what was received, open ones what is receivable so far.
const char* const kViewTotalDeptEnd = R"(CREATE VIEW ViewTotalDeptEnd AS
WITH visits AS (
  SELECT dept_code,
         CASE WHEN COALESCE(tabl_gues_use, 0) = 0 THEN 1 ELSE 0 END AS cleared,
         CASE WHEN COALESCE(tabl_gues_use, 0) <> 0 AND tabl_gues_stat = '3' THEN 1 ELSE 0 END AS settled,
         CASE WHEN COALESCE(tabl_gues_use, 0) <> 0 AND COALESCE(tabl_gues_stat, '') <> '3' THEN 1 ELSE 0 END AS pending,
         COALESCE(tabl_gues_fact, 0) AS fact,
         COALESCE(tabl_gues_shou, 0) AS shou
  FROM TableGuestlist
),
dept_rows AS (
  SELECT 0 AS sort_group, d.dept_code AS sort_code, d.dept_name AS dept_name,
         COALESCE(SUM(v.cleared), 0) AS n_cleared,
         COALESCE(SUM(v.cleared * v.fact), 0) AS m_cleared,
         COALESCE(SUM(v.settled), 0) AS n_settled,
         COALESCE(SUM(v.settled * v.fact), 0) AS m_settled,
         COALESCE(SUM(v.pending), 0) AS n_pending,
         COALESCE(SUM(v.pending * v.shou), 0) AS m_pending
  FROM DepartmentList d
  LEFT JOIN visits v ON v.dept_code = d.dept_code
  GROUP BY d.dept_code, d.dept_name
  UNION ALL
  SELECT 1, '', '总计',
         COALESCE(SUM(cleared), 0), COALESCE(SUM(cleared * fact), 0),
         COALESCE(SUM(settled), 0), COALESCE(SUM(settled * fact), 0),
         COALESCE(SUM(pending), 0), COALESCE(SUM(pending * shou), 0)
  FROM visits
)
SELECT dept_name AS "部门名称",
       n_cleared AS "已清数",
       m_cleared AS "已清金额",
       n_settled AS "已结数",
       m_settled AS "已结金额",
       n_pending AS "待结数",
       m_pending AS "待结金额",
       n_cleared + n_settled + n_pending AS "合计数",
       m_cleared + m_settled + m_pending AS "合计金额"
FROM dept_rows
ORDER BY sort_group, sort_code)";

// Tables whose rows have no natural key get a counter of their own, so every row can be
// written back by key (a rowid alone may change when the file is vacuumed).
const char* const kCounterKeyedTables[] = {
    "ItemListTemp", "ConsTimeModeTemp", "tableguespay", "AllGues", "AllCons", "AllGuesPay",
    "Paytotaltemp", "Allpaytotal", "AllOtherInCome", "SetupPay", "setupprint", "membManage",
    "Hangguesin", "systemlog"};

const QString kCounterKey = QStringLiteral("rec_ID");

QString tableNameOf(const QString& statement) {
    // "CREATE [TEMP] TABLE [IF NOT EXISTS] name (…"
    static const QRegularExpression head(QStringLiteral("^\\s*CREATE\\s+(?:TEMP(?:ORARY)?\\s+)?TABLE\\s+(?:IF\\s+NOT\\s+"
                                                        "EXISTS\\s+)?\"?(\\w+)"),
                                         QRegularExpression::CaseInsensitiveOption);
    return head.match(statement).captured(1);
}

bool takesCounterKey(const QString& table) {
    for (const char* t : kCounterKeyedTables)
        if (table.compare(QLatin1String(t), Qt::CaseInsensitive) == 0) return true;
    return false;
}

QString withCounterKey(const QString& statement) {
    if (!takesCounterKey(tableNameOf(statement))) return statement;
    const int close = statement.lastIndexOf(QLatin1Char(')'));
    QString body = statement.left(close);
    while (!body.isEmpty() && body.back().isSpace()) body.chop(1);
    return body + QStringLiteral(",\n  ") + kCounterKey + QStringLiteral(" INTEGER PRIMARY KEY AUTOINCREMENT\n") +
           statement.mid(close);
}

QStringList allTableStatements() {
    QStringList out;
    for (const char* s : kCatalogueTables)
        out << QString::fromUtf8(s);
    out << visitTables() << paymentTables() << settingsTables();
    for (const char* s : kPeopleTables)
        out << QString::fromUtf8(s);
    out << stockAndLogTables();
    for (QString& statement : out) statement = withCounterKey(statement);
    return out;
}

// Rebuilds each table that has no counter key yet with one, keeping every row in its order
// and the table's indexes.
void addCounterKeys(QSqlDatabase db) {
    for (const QString& statement : allTableStatements()) {
        const QString table = tableNameOf(statement);
        if (!takesCounterKey(table)) continue;
        QStringList oldColumns;
        bool keyed = false;
        {
            QSqlQuery q = run(db, QStringLiteral("PRAGMA table_info(\"%1\")").arg(table));
            while (q.next()) {
                const QString name = q.value(1).toString();
                if (name.compare(kCounterKey, Qt::CaseInsensitive) == 0) keyed = true;
                oldColumns << name;
            }
        }
        if (keyed || oldColumns.isEmpty()) continue;
        const QString fresh = QStringLiteral("kx_new_") + table;
        QString create = statement;
        create.replace(create.indexOf(table), table.size(), fresh);
        exec(db, create);
        QStringList shared;
        {
            QSqlQuery q = run(db, QStringLiteral("PRAGMA table_info(\"%1\")").arg(fresh));
            while (q.next()) {
                const QString name = q.value(1).toString();
                for (const QString& old : oldColumns)
                    if (old.compare(name, Qt::CaseInsensitive) == 0) shared << QStringLiteral("\"%1\"").arg(name);
            }
        }
        const QString cols = shared.join(QLatin1Char(','));
        exec(db, QStringLiteral("INSERT INTO \"%1\" (%2) SELECT %2 FROM \"%3\" ORDER BY rowid").arg(fresh, cols, table));
        exec(db, QStringLiteral("DROP TABLE \"%1\"").arg(table));
        exec(db, QStringLiteral("ALTER TABLE \"%1\" RENAME TO \"%2\"").arg(fresh, table));
        const QString on = QStringLiteral(" ON %1 (").arg(table);
        for (const char* index : kIndexes) {
            const QString text = QString::fromUtf8(index);
            if (text.contains(on, Qt::CaseInsensitive)) exec(db, text);
        }
    }
    clearTableInfoCache();
}

// The server's form of one of our CREATE TABLE statements: the same columns, sizes and defaults
// in its own types. Texts compare byte by byte (collation "C") as on the file; booleans stay 0/1
// small integers; date-times stay the stored text; DECIMAL(p,s) keeps its places (read as double);
// a counter is an identity column.
QString serverTableDdl(const QString& statement) {
    QString t = statement;
    static const QRegularExpression counter(QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT"));
    t.replace(counter, QStringLiteral("INTEGER GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY"));
    static const QRegularExpression varchar(QStringLiteral("\\bVARCHAR\\((\\d+)\\)"));
    t.replace(varchar, QStringLiteral("VARCHAR(\\1) COLLATE \"C\""));
    static const QRegularExpression dateTime(QStringLiteral("\\bDATETIME\\b"));
    t.replace(dateTime, QStringLiteral("VARCHAR(19) COLLATE \"C\""));
    static const QRegularExpression doubleType(QStringLiteral("\\bDOUBLE\\b"));
    t.replace(doubleType, QStringLiteral("DOUBLE PRECISION"));
    static const QRegularExpression boolType(QStringLiteral("\\bBOOLEAN\\b"));
    t.replace(boolType, QStringLiteral("SMALLINT"));
    static const QRegularExpression decimal(QStringLiteral("\\bDECIMAL\\("));
    t.replace(decimal, QStringLiteral("NUMERIC("));
    t.replace(QStringLiteral("DEFAULT (datetime('now','localtime'))"),
              QStringLiteral("DEFAULT (to_char(localtimestamp, 'YYYY-MM-DD HH24:MI:SS'))"));
    return t;
}

// The server keeps the version in a one-row table of its own (the file in PRAGMA user_version).
const QString kServerVersionTable = QStringLiteral("kx_schema_version");

void setVersion(QSqlDatabase db, int version) {
    if (isServer(db)) {
        exec(db, QStringLiteral("CREATE TABLE IF NOT EXISTS kx_schema_version (version INTEGER NOT NULL)"));
        if (exec(db, QStringLiteral("UPDATE kx_schema_version SET version = ?"), {version}) == 0)
            exec(db, QStringLiteral("INSERT INTO kx_schema_version (version) VALUES (?)"), {version});
        return;
    }
    // A number of our own, not input: PRAGMA takes no bound values.
    exec(db, QStringLiteral("PRAGMA user_version = %1").arg(version));
}

// Whether the venue holds a table of this name, on either engine.
bool tableExists(QSqlDatabase db, const QString& table) {
    if (isServer(db))
        return scalarInt(db, QStringLiteral("SELECT count(*) FROM information_schema.tables WHERE table_schema = "
                                            "current_schema() AND lower(table_name) = lower(?)"),
                         {table}) > 0;
    return scalarInt(db, QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = ?"),
                     {table}) > 0;
}

// The upgrade steps after version 1, in order. Each brings the venue from toVersion - 1 to
// toVersion and must keep every row. Steps up to 5 predate the server engine: a venue on a
// server starts at version 5 or later, so only the file ever meets them; every later step
// must work on both engines.
const std::vector<SchemaStep>& upgradeSteps() {
    static const std::vector<SchemaStep> steps = {
        // 2: the archived payment lines get the index the shift handover searches by.
        {2,
         [](QSqlDatabase db) {
             exec(db, QStringLiteral("CREATE INDEX IF NOT EXISTS idx_AllGuesPay_pay_flag ON AllGuesPay "
                                     "(pay_flag, pay_type_code)"));
         }},
        // 3: the order pad's lines carry the front desk that ordered them, so two desks ordering
        // for one visit keep each other's lines.
        {3,
         [](QSqlDatabase db) {
             if (scalarInt(db, QStringLiteral("SELECT count(*) FROM pragma_table_info('TableConsListTemp') "
                                              "WHERE name = 'desk_id'")) == 0)
                 exec(db, QStringLiteral("ALTER TABLE TableConsListTemp ADD COLUMN desk_id VARCHAR(38)"));
             clearTableInfoCache();
         }},
        // 4: tables without a natural key get a counter, so every row is written back by key.
        {4, [](QSqlDatabase db) { addCounterKeys(db); }},
        // 5: each front desk's receipt printers, in a table of their own (no desk has a row yet:
        // every desk prints as before).
        {5,
         [](QSqlDatabase db) {
             if (!tableExists(db, QStringLiteral("PrinterList"))) exec(db, tableDdl(db, printerTable()));
             clearTableInfoCache();
         }},
    };
    return steps;
}

} // namespace

int currentSchemaVersion() {
    return 5;
}

QStringList schemaTables() {
    QStringList names;
    for (const QString& s : allTableStatements()) names << tableNameOf(s);
    return names;
}

QStringList schemaViews() {
    return {QStringLiteral("viewReTotal"), QStringLiteral("ViewTotalDeptEnd")};
}

QString tableDdl(QSqlDatabase db, const QString& statement) {
    if (!isServer(db)) return statement;
    // Each column's declared type goes with it as its comment, so that a table the schema in code
    // does not declare reads back with its kinds (TableInfo).
    QString out = serverTableDdl(statement);
    const QString table = tableNameOf(statement);
    static const QRegularExpression column(QStringLiteral("[(,]\\s*(\\w+)\\s+(\\w+(?:\\s*\\([\\d\\s,]+\\))?)"));
    const int open = statement.indexOf(QLatin1Char('('));
    const QString body = statement.mid(open, statement.lastIndexOf(QLatin1Char(')')) - open);
    int depth = 0;
    QString top; // the body with what stands inside inner parentheses blanked out
    for (QChar ch : body) {
        if (ch == QLatin1Char(')')) --depth;
        top += depth > 1 ? QLatin1Char(' ') : ch;
        if (ch == QLatin1Char('(')) ++depth;
    }
    for (auto it = column.globalMatch(top); it.hasNext();) {
        const auto m = it.next();
        const QString declared = body.mid(m.capturedStart(2), m.capturedLength(2)).simplified();
        out += QStringLiteral(";\nCOMMENT ON COLUMN %1.%2 IS '%3'").arg(table, m.captured(1), declared);
    }
    return out;
}

QString tableStatement(const QString& table) {
    for (const QString& s : allTableStatements())
        if (tableNameOf(s).compare(table, Qt::CaseInsensitive) == 0) return s;
    return QString();
}

bool hasTables(QSqlDatabase db) {
    if (isServer(db))
        return scalarInt(db, QStringLiteral("SELECT count(*) FROM information_schema.tables WHERE table_schema = "
                                            "current_schema() AND table_type = 'BASE TABLE' AND table_name NOT LIKE 'kx\\_%'")) > 0;
    return scalarInt(db, QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name "
                                        "NOT LIKE 'sqlite\\_%' ESCAPE '\\'")) > 0;
}

int schemaVersion(QSqlDatabase db) {
    if (isServer(db)) {
        if (!tableExists(db, kServerVersionTable)) return 0;
        return int(scalarInt(db, QStringLiteral("SELECT max(version) FROM kx_schema_version")));
    }
    return int(scalarInt(db, QStringLiteral("PRAGMA user_version")));
}

void createSchema(QSqlDatabase db) {
    Transaction tx(db);
    const bool server = isServer(db);
    for (const QString& s : allTableStatements())
        exec(db, server ? serverTableDdl(s) : s);
    for (const char* s : kIndexes)
        exec(db, QString::fromUtf8(s));
    exec(db, QString::fromUtf8(kViewReTotal));
    exec(db, QString::fromUtf8(kViewTotalDeptEnd));
    if (server)
        for (const QString& s : serverExtrasDdl()) exec(db, s);
    setVersion(db, currentSchemaVersion());
    tx.commit();
}

void runUpgradeSteps(QSqlDatabase db, const std::vector<SchemaStep>& steps, int target) {
    int version = schemaVersion(db);
    if (version > target) {
        throw DbError(QStringLiteral("数据库文件的版本（%1）比本程序（%2）新，请使用新版程序。")
                          .arg(version)
                          .arg(target));
    }
    if (version == 0) {
        if (hasTables(db)) throw DbError(QStringLiteral("此文件不是本系统的数据库文件。"));
        createSchema(db);
        return;
    }
    while (version < target) {
        const int next = version + 1;
        const SchemaStep* step = nullptr;
        for (const SchemaStep& s : steps)
            if (s.toVersion == next) step = &s;
        if (!step) throw DbError(QStringLiteral("缺少数据库升级步骤：版本 %1。").arg(next));
        Transaction tx(db);
        step->apply(db);
        setVersion(db, next);
        tx.commit();
        version = next;
    }
}

void upgradeSchema(QSqlDatabase db) {
    runUpgradeSteps(db, upgradeSteps(), currentSchemaVersion());
}

void prepareDatabase(QSqlDatabase db, bool withSample, const QDate& today) {
    // Nothing to do for a current file: no write lock taken at every start.
    if (hasTables(db) && schemaVersion(db) == currentSchemaVersion()) return;
    // The write lock is taken before looking again, so two programs starting on a new file
    // at once create it only once.
    Transaction tx(db);
    if (!hasTables(db)) {
        createSchema(db);
        createInitialData(db, today, withSample);
    } else {
        upgradeSchema(db);
    }
    tx.commit();
}

void prepareDatabase(QSqlDatabase db, bool withSample) {
    prepareDatabase(db, withSample, QDate::currentDate());
}

namespace {

const QString kRestoreOrMoveAway =
    QStringLiteral("请把 back 目录中的备份文件复制为这个文件（或用 kestrix-db restore 恢复），"
                   "或者把这个文件移到别处后重新启动，程序将建立新的营业数据。");

// The first column of each row of `sql` on a read-only handle; empty with `error` set on failure.
QStringList readColumn(sqlite3* db, const char* sql, QString* error) {
    QStringList rows;
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) != SQLITE_OK) {
        *error = QString::fromUtf8(sqlite3_errmsg(db));
        return rows;
    }
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW)
        rows << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    if (rc != SQLITE_DONE) *error = QString::fromUtf8(sqlite3_errmsg(db));
    sqlite3_finalize(st);
    return rows;
}

quint32 bigEndian(const QByteArray& b, int at) {
    return (quint32(quint8(b[at])) << 24) | (quint32(quint8(b[at + 1])) << 16) | (quint32(quint8(b[at + 2])) << 8) |
           quint32(quint8(b[at + 3]));
}

} // namespace

void checkVenueFile(const QString& path) {
    auto refuse = [&path](const QString& problem, const QString& advice = kRestoreOrMoveAway) {
        throw VenueFileRefused(QDir::toNativeSeparators(path), problem, advice);
    };
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) refuse(QStringLiteral("不能读取（%1）").arg(file.errorString()),
                                                 QStringLiteral("请检查文件和目录的权限。"));
    const qint64 size = file.size();
    if (size == 0) refuse(QStringLiteral("是空文件（0 字节）"));
    const QByteArray header = file.read(100);
    file.close();
    if (header.size() < 100 || !header.startsWith(QByteArray("SQLite format 3\0", 16)))
        refuse(QStringLiteral("不是数据库文件"));
    // The size the header gives (when it is current) against the file's: a cut-off copy.
    const quint32 pageField = (quint32(quint8(header[16])) << 8) | quint32(quint8(header[17]));
    const qint64 pageSize = pageField == 1 ? 65536 : qint64(pageField);
    const bool sizeCurrent = bigEndian(header, 92) == bigEndian(header, 24);
    const QFileInfo wal(path + QStringLiteral("-wal"));
    if (sizeCurrent && !(wal.exists() && wal.size() > 0) && qint64(bigEndian(header, 28)) * pageSize > size)
        refuse(QStringLiteral("已损坏（文件被截短，只有 %1 字节）").arg(size));

    // Read as it lies: with no write-ahead log beside it, opened as immutable, so that not even
    // the log's index files are made; with one (another program has it open), as any reader.
    sqlite3* db = nullptr;
    const bool inUse = wal.exists();
    const QByteArray name = inUse ? path.toUtf8()
                                  : QByteArray("file:") + QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath())
                                                              .toString(QUrl::FullyEncoded)
                                                              .mid(7)
                                                              .toUtf8() +
                                        "?immutable=1";
    const int rc = sqlite3_open_v2(name.constData(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr);
    struct Close {
        sqlite3* db;
        ~Close() { sqlite3_close_v2(db); }
    } close{db};
    if (rc != SQLITE_OK) refuse(QStringLiteral("不能打开（%1）").arg(QString::fromUtf8(sqlite3_errstr(rc))));
    QString error;
    const QStringList tables = readColumn(db, "SELECT lower(name) FROM sqlite_master WHERE type = 'table'", &error);
    if (!error.isEmpty()) refuse(QStringLiteral("已损坏（%1）").arg(error));
    for (const char* t : {"setuppay", "tablelist", "itemlist", "tableguestlist", "tableconslist", "operatorlist"})
        if (!tables.contains(QLatin1String(t)))
            refuse(tables.isEmpty() ? QStringLiteral("里面没有任何数据表，不是本系统的数据库")
                                    : QStringLiteral("不是本系统的数据库（没有数据表 %1）").arg(QLatin1String(t)));
    const int version = readColumn(db, "PRAGMA user_version", &error).value(0).toInt();
    if (version > currentSchemaVersion())
        refuse(QStringLiteral("由较新版本的程序建立（数据版本 %1，本程序 %2）").arg(version).arg(currentSchemaVersion()),
               QStringLiteral("请使用较新版本的程序。"));
    const QStringList settings = readColumn(db, "SELECT count(*) FROM SetupPay", &error);
    if (!error.isEmpty()) refuse(QStringLiteral("已损坏（%1）").arg(error));
    if (settings.value(0).toInt() != 1)
        refuse(settings.value(0).toInt() == 0 ? QStringLiteral("缺少设置记录（SetupPay 是空的）")
                                              : QStringLiteral("有 %1 行设置记录（SetupPay 应只有一行）").arg(settings.value(0)));
}

void openVenueDatabase(Connection& connection, const QString& path, const QDate& today) {
    if (!serverUrlFor(path).isEmpty()) {
        // A server database: an empty one gets the schema and the sample venue, as a new file does.
        connection.open(path);
        prepareDatabase(connection.db(), !hasTables(connection.db()), today);
        return;
    }
    const bool isNew = !QFileInfo::exists(path);
    if (!isNew) checkVenueFile(path);
    connection.open(path);
    prepareDatabase(connection.db(), isNew, today);
}

} // namespace kx::db
