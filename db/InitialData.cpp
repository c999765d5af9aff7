#include "InitialData.h"

#include "Password.h"
#include "Sql.h"
#include "Values.h"

#include <QDateTime>
#include <QList>
#include <QStringList>
#include <QTime>
#include <QVariant>

namespace kx::db {

namespace {

using Rows = QList<QVariantList>;

// One INSERT per row, every value bound. Table and column names are our own.
void insertRows(QSqlDatabase db, const char* table, const char* columns, const Rows& rows) {
    const QStringList cols = QString::fromLatin1(columns).split(QLatin1Char(','), Qt::SkipEmptyParts);
    QStringList marks;
    for (int i = 0; i < cols.size(); ++i)
        marks << QStringLiteral("?");
    const QString sql =
        QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
            .arg(QLatin1String(table), cols.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
    for (const QVariantList& row : rows)
        exec(db, sql, row);
}

QString s(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// ---- fixed rows -----------------------------------------------------------------------

// Every permission code the two programs ask for, with its name in the role screens.
const char* const kPermissions[][2] = {
    {"DS", "系统设置（大类、分类、项目、折扣）"},
    {"BS", "出品设置"},
    {"RS", "房台设置（部门、类型、房台、消费方式）"},
    {"OS", "其它设置（班次、付款方式、其它收入、项目说明）"},
    {"OM", "管理设置（员工级别、权限、操作员、分区、分组、提成员工）"},
    {"MM", "会员管理"},
    {"PM", "挂帐管理"},
    {"SM", "库存管理"},
    {"SS", "系统管理"},
    {"DP", "房台操作"},
    {"BI", "开台/预订"},
    {"DB", "点单"},
    {"PB", "赠单"},
    {"CB", "退单"},
    {"GB", "续单"},
    {"AP", "结帐"},
    {"DA", "折扣"},
    {"BE", "日始/日结"},
    {"CF", "销售分析报表"},
    {"SF", "业绩分析报表"},
    {"PS", "收银设置"},
};

void insertFixedRows(QSqlDatabase db) {
    insertRows(db, "kindlist", "kind_code,kind_name,kind_rema", {{s("M"), s("配料"), s(" ")}});
    insertRows(db, "ManuFacturelist", "manu_code,manu_name,manu_rema",
               {{s("1"), s("吧台"), s(" ")}, {s("2"), s("后厨"), s(" ")}});
    insertRows(db, "ItemTypeList", "item_type_code,item_type_name",
               {{s("1"), s("单品")}, {s("2"), s("套餐")}, {s("3"), s("合成")}, {s("4"), s("配料")}});
    insertRows(db, "ConsTypeList", "cons_type_code,cons_type_name",
               {
                   {s("1"), s("按点单消费")},
                   {s("2"), s("最低消费")},
                   {s("3"), s("按小时计费")},
                   {s("4"), s("固定房间费")},
                   {s("5"), s("每人最低消费")},
                   {s("6"), s("按时精确计费")},
                   {s("7"), s("茶位费")},
                   {s("8"), s("按日计房费")},
                   {s("9"), s("分时段计费")},
                   {s("A"), s("按日含半日")},
               });
    insertRows(db, "TableStateList", "tabl_stat_code,tabl_stat_name",
               {{s("1"), s("空闲")},
                {s("2"), s("使用")},
                {s("3"), s("结帐")},
                {s("4"), s("加单")},
                {s("5"), s("预订")},
                {s("6"), s("禁用")}});
    insertRows(db, "OrderMenuType", "menu_type_code,menu_type_name",
               {{s("1"), s("点单")}, {s("2"), s("退单")}, {s("3"), s("赠单")}, {s("4"), s("退赠")}});
    insertRows(db, "PayTypeList", "pay_type_code,pay_type_name,pay_type_mone,pay_star_mone,pay_type_rema",
               {{s("Z"), s("现金"), 0.0, 0.0, s(" ")},
                {s("R"), s("免单"), 0.0, 0.0, s(" ")},
                {s("H"), s("挂帐"), 0.0, 0.0, s(" ")},
                {s("M"), s("会员卡"), 0.0, 0.0, s(" ")}});
    // "N" stands for no scheme on a visit; a row for it lets the bill's scheme box name it.
    insertRows(db, "discountlist", "disc_code,disc_name,disc_narr,disc_rema",
               {{s("N"), s("不打折"), s("不使用折扣方案"), s(" ")}});

    Rows permissions;
    for (const auto& p : kPermissions)
        permissions << QVariantList{s(p[0]), s(p[1])};
    insertRows(db, "LimitedTemp", "limi_code,limi_name", permissions);

    // The band template: ascending, contiguous, covering the whole day.
    insertRows(db, "ConsTimeModeTemp", "cons_time_star,cons_time_end",
               {{dbTimeOfDay(0, 0), dbTimeOfDay(6, 0)},
                {dbTimeOfDay(6, 0), dbTimeOfDay(12, 0)},
                {dbTimeOfDay(12, 0), dbTimeOfDay(18, 0)},
                {dbTimeOfDay(18, 0), dbTimeOfDay(22, 0)},
                {dbTimeOfDay(22, 0), dbTimeOfDay(23, 59, 59)}});
}

// A role with the catalogue's codes; `granted` lists the codes switched on (all when empty).
void insertRole(QSqlDatabase db, const QString& code, const QString& name, const QStringList& granted) {
    insertRows(db, "managertype", "mana_code,mana_name,mana_rema", {{code, name, s(" ")}});
    exec(db,
         QStringLiteral("INSERT INTO Limitedlist (mana_code, limi_code, limi_name, limi_real) "
                        "SELECT ?, limi_code, limi_name, 0 FROM LimitedTemp"),
         {code});
    if (granted.isEmpty()) {
        exec(db, QStringLiteral("UPDATE Limitedlist SET limi_real = 1 WHERE mana_code = ?"), {code});
    } else {
        for (const QString& limi : granted)
            exec(db,
                 QStringLiteral("UPDATE Limitedlist SET limi_real = 1 WHERE mana_code = ? AND limi_code = ?"),
                 {code, limi});
    }
}

void insertOperator(QSqlDatabase db, const QString& code, const QString& name, const QString& password,
                    const QString& role) {
    insertRows(db, "operatorlist", "oper_code,oper_name,oper_pass,oper_rema,mana_code",
               {{code, name, hashPassword(password), QString(), role}});
}

void insertSettings(QSqlDatabase db, const QDate& today, bool withSample) {
    const QString day = toDbDate(today);
    insertRows(
        db, "SetupPay",
        "pay_set_code,pay_set_stor_limi,pay_set_sum_int,pay_set_item_int,pay_set_affi,pay_set_auto_manu,"
        "pay_set_tax_type,pay_set_tax_perc,pay_set_tax_mone,oper_code,mana_code,orde_code,dept_code,"
        "time_work,time_star,time_end,pay_star,work_auto,work_back,calc_cost,user_name,user_name_s,"
        "user_name_e,user_tele,user_temp,auto_recn",
        {{
            s("1"),
            5,
            s("四舍五入"),
            s("保留小数"),
            false,
            true, //
            s("按比例"),
            0.0,
            0.0,
            s(kAdminOperatorCode),
            s(kAdminRoleCode),
            QString(),
            QString(), //
            day,
            day,
            day,
            true,
            false,
            false,
            true,                                                            //
            withSample ? s("金桂园餐饮娱乐有限公司") : s("Kestrix餐饮娱乐"), //
            withSample ? s("金桂园") : s("Kestrix"),                         //
            withSample ? s("JINGUIYUAN RESTAURANT & KTV") : s("KESTRIX"),    //
            withSample ? s("0571-88886666") : QString(),
            0,
            1,
        }});

    QStringList cols;
    QVariantList values;
    for (const BillHeaderSlot& slot : billHeaderSlots()) {
        cols << QStringLiteral("set_prn_%1_titl").arg(QLatin1String(slot.slot))
             << QStringLiteral("set_prn_%1_fiel").arg(QLatin1String(slot.slot));
        values << s(slot.caption) << s(slot.column);
    }
    for (int line = 1; line <= 7; ++line) {
        cols << QStringLiteral("set_prn_%1_allo").arg(line);
        values << true;
    }
    const std::pair<const char*, bool> flags[] = {
        {"deta", true}, {"kind", false}, {"unit", false}, {"disc", true}, {"pay", true}, {"zero", true},
        {"memb", true}, {"mpay", true},  {"hang", true},  {"hpay", true}, {"d1", true},  {"d2", false},
    };
    for (const auto& [flag, on] : flags) {
        cols << QStringLiteral("set_prn_%1_allo").arg(QLatin1String(flag));
        values << on;
    }
    cols << QStringLiteral("set_prn_d1_text") << QStringLiteral("set_prn_d2_text")
         << QStringLiteral("set_prn_92_fiel");
    values << s("谢谢惠顾，欢迎再次光临！") << QString() << hashPassword(s(kAdminPassword));
    insertRows(db, "setupprint", cols.join(QLatin1Char(',')).toLatin1().constData(), {values});
}

// ---- the sample venue -----------------------------------------------------------------

void insertSampleCatalogue(QSqlDatabase db) {
    Rows units;
    for (const char* u : {"份", "盘", "条", "碗", "瓶", "听", "扎", "个", "斤", "位"})
        units << QVariantList{s(u), s(" ")};
    insertRows(db, "UnitList", "unit_name,unit_rema", units);

    insertRows(db, "ConsNarrList", "cons_narr_code,cons_narr_name,cons_narr_rema",
               {{s("01"), s("少辣"), s(" ")},
                {s("02"), s("多辣"), s(" ")},
                {s("03"), s("不要香菜"), s(" ")},
                {s("04"), s("加急"), s(" ")},
                {s("05"), s("打包"), s(" ")}});

    insertRows(db, "kindlist", "kind_code,kind_name,kind_rema",
               {{s("C"), s("菜品"), s(" ")}, {s("D"), s("酒水"), s(" ")}, {s("T"), s("套餐"), s(" ")}});

    // kind, class, name, discount, service, special, cost rate, production point
    insertRows(
        db, "classlist",
        "kind_code,clas_code,clas_name,clas_allo_disc,clas_allo_serv,clas_allo_spec,clas_cost_perc,manu_code",
        {
            {s("C"), s("C01"), s("热菜"), true, true, false, 40, s("2")},
            {s("C"), s("C02"), s("凉菜"), true, true, false, 35, s("2")},
            {s("C"), s("C03"), s("主食"), true, true, false, 30, s("2")},
            {s("D"), s("D01"), s("酒类"), false, true, true, 50, s("1")},
            {s("D"), s("D02"), s("饮料"), true, true, false, 40, s("1")},
            {s("T"), s("T01"), s("套餐"), false, true, false, 45, s("2")},
            {s("M"), s("M01"), s("原料"), false, false, false, 0, s("1")},
        });

    // class, code, name, unit, price, cost, commission, stock, open price, short code, type, limit
    const QString free = s("不限"), counted = s("有限");
    insertRows(
        db, "itemlist",
        "clas_code,item_code,item_name,item_unit,item_unit_pric,item_cost_pric,item_dedu_pric,item_coun,"
        "item_real,item_shor,item_type_code,item_limi",
        {
            {s("C01"), s("1001"), s("宫保鸡丁"), s("份"), 38.0, 15.0, 2.0, 0.0, false, s("GBJD"), s("1"),
             free},
            {s("C01"), s("1002"), s("糖醋排骨"), s("份"), 48.0, 20.0, 3.0, 0.0, false, s("TCPG"), s("1"),
             free},
            {s("C01"), s("1003"), s("清蒸鲈鱼"), s("条"), 88.0, 40.0, 5.0, 0.0, true, s("QZLY"), s("1"),
             free},
            {s("C01"), s("1004"), s("麻婆豆腐"), s("份"), 22.0, 8.0, 1.0, 0.0, false, s("MPDF"), s("1"),
             free},
            {s("C01"), s("1005"), s("番茄炒蛋"), s("份"), 18.0, 6.0, 1.0, 0.0, false, s("FQCD"), s("3"),
             free},
            {s("C02"), s("2001"), s("拍黄瓜"), s("盘"), 12.0, 4.0, 0.0, 0.0, false, s("PHG"), s("1"), free},
            {s("C02"), s("2002"), s("凉拌木耳"), s("盘"), 16.0, 6.0, 0.0, 0.0, false, s("LBME"), s("1"),
             free},
            {s("C03"), s("3001"), s("米饭"), s("碗"), 2.0, 0.5, 0.0, 0.0, false, s("MF"), s("1"), free},
            {s("C03"), s("3002"), s("扬州炒饭"), s("份"), 18.0, 6.0, 1.0, 0.0, false, s("YZCF"), s("1"),
             free},
            {s("D01"), s("4001"), s("青岛啤酒"), s("瓶"), 10.0, 4.0, 1.0, 120.0, false, s("QDPJ"), s("1"),
             counted},
            {s("D01"), s("4002"), s("长城干红"), s("瓶"), 168.0, 80.0, 10.0, 24.0, false, s("CCGH"), s("1"),
             counted},
            {s("D01"), s("4003"), s("五粮液"), s("瓶"), 988.0, 650.0, 30.0, 6.0, false, s("WLY"), s("1"),
             counted},
            {s("D02"), s("5001"), s("可乐"), s("听"), 6.0, 2.0, 0.0, 200.0, false, s("KL"), s("1"), counted},
            {s("D02"), s("5002"), s("鲜榨橙汁"), s("扎"), 38.0, 12.0, 2.0, 0.0, false, s("XZCZ"), s("1"),
             free},
            {s("D02"), s("5003"), s("矿泉水"), s("瓶"), 3.0, 1.0, 0.0, 100.0, false, s("KQS"), s("1"),
             counted},
            {s("T01"), s("6001"), s("商务套餐"), s("份"), 68.0, 25.0, 3.0, 0.0, false, s("SWTC"), s("2"),
             free},
            {s("T01"), s("6002"), s("啤酒套餐"), s("份"), 58.0, 25.0, 2.0, 0.0, false, s("PJTC"), s("2"),
             free},
            {s("M01"), s("9001"), s("鸡蛋"), s("个"), 1.0, 0.6, 0.0, 240.0, false, s("JD"), s("4"), counted},
            {s("M01"), s("9002"), s("番茄"), s("斤"), 6.0, 4.0, 0.0, 50.0, false, s("FQ"), s("4"), counted},
            {s("M01"), s("9003"), s("食用油"), s("斤"), 12.0, 9.0, 0.0, 20.0, false, s("SYY"), s("4"),
             counted},
        });

    // The composite's recipe, the set menus' direct rows, and the set menu's expansion rows
    // for the ingredients of its composite (quantity in the set × quantity per composite).
    const QVariant none;
    insertRows(db, "ItemGroup", "grou_code,item_code,grou_coun,grou_mix_code,grou_mix_coun",
               {
                   {s("1005"), s("9001"), 3.0, none, none},
                   {s("1005"), s("9002"), 0.5, none, none},
                   {s("1005"), s("9003"), 0.1, none, none},
                   {s("6001"), s("1001"), 1.0, none, none},
                   {s("6001"), s("1005"), 1.0, none, none},
                   {s("6001"), s("3001"), 2.0, none, none},
                   {s("6001"), s("5001"), 2.0, none, none},
                   {s("6001"), s("9001"), 3.0, s("1005"), 3.0},
                   {s("6001"), s("9002"), 0.5, s("1005"), 0.5},
                   {s("6001"), s("9003"), 0.1, s("1005"), 0.1},
                   {s("6002"), s("4001"), 6.0, none, none},
                   {s("6002"), s("2001"), 1.0, none, none},
               });
}

// Derives the limit mode and stock count of composites and set menus from their components,
// composites first since a set menu may hold one.
void deriveGroupStock(QSqlDatabase db) {
    exec(db, QStringLiteral("UPDATE itemlist SET item_limi = '不限', item_coun = 0 "
                            "WHERE item_type_code = '2' OR item_type_code = '3'"));
    for (const char* type : {"3", "2"}) {
        for (const char* limit : {"有限", "禁用"}) {
            exec(db,
                 QStringLiteral("UPDATE itemlist SET item_limi = ? WHERE item_type_code = ? AND EXISTS ("
                                "SELECT 1 FROM ItemGroup g JOIN itemlist c ON c.item_code = g.item_code "
                                "WHERE g.grou_code = itemlist.item_code AND c.item_limi = ?)"),
                 {s(limit), s(type), s(limit)});
        }
    }
    exec(db, QStringLiteral("UPDATE itemlist SET item_coun = COALESCE((SELECT v.retotal FROM viewReTotal v "
                            "WHERE v.grou_code = itemlist.item_code), 0) "
                            "WHERE item_type_code = '2' OR item_type_code = '3'"));
}

void insertSampleVenue(QSqlDatabase db) {
    insertRows(db, "DepartmentList", "dept_code,dept_name,dept_rema",
               {{s("01"), s("大厅"), s(" ")}, {s("02"), s("包厢"), s(" ")}, {s("03"), s("KTV"), s(" ")}});

    // code, name, type, amount, service %, quota, booking/designated/usher commission %
    insertRows(db, "ConsModeList",
               "cons_mode_code,cons_mode_name,cons_type_code,cons_mode_mone,cons_mode_serv,cons_mode_achi,"
               "cons_mode_pred_stan,cons_mode_pred_abov,cons_mode_spec_stan,cons_mode_spec_abov,"
               "cons_mode_lead_stan,cons_mode_lead_abov,cons_mode_rema",
               {
                   {s("01"), s("大厅点菜"), s("1"), 0.0, 0, 0, 0, 0, 0, 0, 0, 0, s(" ")},
                   {s("02"), s("卡座茶位"), s("7"), 5.0, 0, 0, 0, 0, 0, 0, 0, 0, s(" ")},
                   {s("03"), s("大包厢最低消费"), s("2"), 1200.0, 10, 1000, 3, 5, 2, 4, 1, 2, s(" ")},
                   {s("04"), s("中包厢人均最低"), s("5"), 120.0, 10, 800, 3, 5, 2, 4, 1, 2, s(" ")},
                   {s("05"), s("KTV按小时"), s("3"), 120.0, 0, 500, 5, 8, 3, 5, 1, 2, s(" ")},
                   {s("06"), s("KTV分时段"), s("9"), 0.0, 0, 800, 5, 8, 3, 5, 1, 2, s(" ")},
               });
    // The time-band mode's bands, copied from the template with their hourly prices.
    const double bandPrices[] = {60.0, 40.0, 60.0, 150.0, 120.0};
    QSqlQuery bands =
        run(db, QStringLiteral("SELECT cons_time_star, cons_time_end FROM ConsTimeModeTemp ORDER BY rec_ID"));
    Rows bandRows;
    for (int i = 0; bands.next() && i < 5; ++i)
        bandRows << QVariantList{s("06"), bands.value(0), bands.value(1), bandPrices[i]};
    insertRows(db, "ConsTimeMode", "cons_mode_code,cons_time_star,cons_time_end,cons_time_mone", bandRows);

    insertRows(db, "TableTypeList",
               "tabl_type_code,tabl_type_name,tabl_type_narr,tabl_type_rema,cons_mode_code",
               {
                   {s("01"), s("散台"), s("4-6人"), s(" "), s("01")},
                   {s("02"), s("卡座"), s("2-4人"), s(" "), s("02")},
                   {s("03"), s("中包厢"), s("8-10人"), s(" "), s("04")},
                   {s("04"), s("大包厢"), s("12-16人"), s(" "), s("03")},
                   {s("05"), s("KTV小包"), s("2-6人"), s(" "), s("05")},
                   {s("06"), s("KTV大包"), s("8-15人"), s(" "), s("06")},
               });

    Rows tables;
    const auto table = [&](const char* code, const QString& name, const char* narr, const char* type,
                           const char* dept) {
        tables << QVariantList{s(code), name, s(narr), s(type), s(dept), s(" "), s("1"), 0};
    };
    for (int i = 1; i <= 8; ++i)
        table(QStringLiteral("A%1").arg(i, 2, 10, QLatin1Char('0')).toLatin1().constData(),
              s("大厅%1号台").arg(i), i <= 4 ? "靠窗" : "中区", "01", "01");
    table("A09", s("卡座1"), "近吧台", "02", "01");
    table("A10", s("卡座2"), "近吧台", "02", "01");
    table("B01", s("牡丹厅"), "二楼", "03", "02");
    table("B02", s("芙蓉厅"), "二楼", "03", "02");
    table("B03", s("玫瑰厅"), "二楼", "03", "02");
    table("B04", s("富贵厅"), "三楼", "04", "02");
    table("B05", s("如意厅"), "三楼", "04", "02");
    table("K01", s("KTV801"), "八楼", "05", "03");
    table("K02", s("KTV802"), "八楼", "05", "03");
    table("K03", s("KTV803"), "八楼", "05", "03");
    table("K05", s("KTV805"), "八楼", "06", "03");
    table("K06", s("KTV806"), "八楼", "06", "03");
    insertRows(
        db, "TableList",
        "tabl_code,tabl_name,tabl_narr,tabl_type_code,dept_code,tabl_rema,tabl_stat_code,tabl_gues_auto_recn",
        tables);

    insertRows(db, "OrderList", "orde_code,orde_name,orde_rema",
               {{s("1"), s("早班"), s(" ")}, {s("2"), s("中班"), s(" ")}, {s("3"), s("晚班"), s(" ")}});

    insertRows(db, "discountlist", "disc_code,disc_name,disc_narr,disc_rema",
               {{s("V1"), s("会员九折"), s("菜品饮料九折"), s(" ")},
                {s("VIP"), s("贵宾八五折"), s("菜品八五折、饮料九折"), s(" ")}});
    insertRows(db, "DiscItem", "disc_code,clas_code,disc_clas_perc",
               {{s("V1"), s("C01"), 90},
                {s("V1"), s("C02"), 90},
                {s("V1"), s("C03"), 90},
                {s("V1"), s("D02"), 90},
                {s("VIP"), s("C01"), 85},
                {s("VIP"), s("C02"), 85},
                {s("VIP"), s("C03"), 85},
                {s("VIP"), s("D02"), 90}});

    insertRows(db, "PayTypeList", "pay_type_code,pay_type_name,pay_type_mone,pay_star_mone,pay_type_rema",
               {{s("B"), s("银行卡"), 0.0, 0.0, s(" ")}});
    insertRows(db, "OtherIncomeList", "othe_inco_code,othe_inco_name,othe_inco_mone,othe_inco_rema",
               {{s("01"), s("香烟"), 0.0, s(" ")},
                {s("02"), s("停车费"), 0.0, s(" ")},
                {s("03"), s("其它杂项"), 0.0, s(" ")}});
}

void insertSamplePeople(QSqlDatabase db, const QDate& today) {
    const QString now = toDbDate(today);

    insertRole(
        db, s("02"), s("收银员"),
        {s("DP"), s("BI"), s("DB"), s("PB"), s("CB"), s("GB"), s("AP"), s("DA"), s("BE"), s("CF"), s("SF")});
    insertRole(db, s("03"), s("服务员"), {s("DP"), s("BI"), s("DB")});
    insertOperator(db, s("02"), s("王芳"), s("1111"), s("02"));
    insertOperator(db, s("03"), s("李强"), s("2222"), s("03"));

    insertRows(db, "AreaList", "area_code,area_name,area_rema",
               {{s("1"), s("前厅"), s(" ")}, {s("2"), s("娱乐区"), s(" ")}});
    insertRows(db, "GroupList", "grou_code,grou_name,grou_ream,area_code",
               {{s("01"), s("迎宾组"), s("101"), s("1")},
                {s("02"), s("营销一组"), s("201"), s("2")},
                {s("03"), s("营销二组"), s("202"), s("2")}});
    insertRows(db, "deduoperatorlist",
               "dedu_oper_code,dedu_oper_name,dedu_oper_stan,dedu_oper_rema,grou_code",
               {{s("001"), s("陈红"), 3000.0, QString(), s("01")},
                {s("002"), s("刘洋"), 5000.0, QString(), s("02")},
                {s("003"), s("赵敏"), 5000.0, QString(), s("03")}});

    insertRows(
        db, "MembType",
        "memb_type_code,memb_Type_name,memb_type_pric,memb_type_allo_time,memb_type_time,memb_type_disc_perc,"
        "memb_type_fact,memb_type_now",
        {{s("01"), s("金卡"), 200.0, false, 365, 90, 200.0, now},
         {s("02"), s("积分卡"), 0.0, false, 0, 0, 0.0, now}});
    // A stored-value card topped up with 500 and a points card with 200 points; the balances
    // equal the sums of their adjustment rows.
    insertRows(
        db, "MemberList",
        "memb_card_code,memb_type_code,memb_card_type,memb_pass,memb_name,memb_ID,memb_work,memb_add,memb_"
        "tele,"
        "memb_time_allo,memb_time_end,memb_disc_perc,memb_surp,memb_use,memb_stor,memb_stor_temp,memb_rema",
        {{s("8800001"), s("01"), s("储值卡"), hashPassword(s("123456")), s("张伟"), s("330102198001011234"),
          s("杭州华信科技"), s("杭州市文三路1号"), s("13800000001"), false, now, 90, 500.0, 0.0, 0.0, 0.0,
          QString()},
         {s("8800002"), s("02"), s("积分卡"), hashPassword(s("123456")), s("李娜"), s("330102198505052345"),
          s("杭州滨江宾馆"), s("杭州市江南大道8号"), s("13900000002"), false, now, 0, 0.0, 0.0, 200.0, 0.0,
          QString()}});
    insertRows(db, "membManage", "memb_card_code,memb_card_type,memb_mana_save,memb_mana_inte,memb_mana_rema",
               {{s("8800001"), s("储值卡"), 500.0, 0.0, s("开卡充值")},
                {s("8800002"), s("积分卡"), 0.0, 200.0, s("开卡赠送积分")}});

    insertRows(db, "HangGues",
               "hang_gues_code,hang_gues_name,hang_gues_limi,hang_gues_use,hang_gues_tele,hang_gues_work,"
               "hang_gues_add,"
               "hang_gues_rema,hang_gues_pass",
               {{s("001"), s("华信科技"), 5000.0, 0.0, s("0571-88001234"), s("杭州华信科技有限公司"),
                 s("杭州市文三路1号"), s(" "), hashPassword(s("123456"))}});

    insertRows(db, "StoreWorkType", "stor_work_type_code,stor_work_type_name,stor_work_type_rema",
               {{s("01"), s("供应商"), s(" ")}, {s("02"), s("客户"), s(" ")}});
    insertRows(db, "WorkList",
               "work_code,work_name,work_name_s,work_man,work_tele,work_tax,work_bank,work_add,work_rema,"
               "stor_work_type_code,work_inco_shou,work_pay_shou",
               {{s("001"), s("杭州鲜达食品有限公司"), s("鲜达食品"), s("周明"), s("0571-86001111"), QString(),
                 QString(), s("杭州市农副产品物流中心"), QString(), s("01"), 0.0, 0.0},
                {s("002"), s("青岛啤酒杭州经销部"), s("青啤经销"), s("吴刚"), s("0571-86002222"), QString(),
                 QString(), s("杭州市石桥路99号"), QString(), s("01"), 0.0, 0.0},
                {s("003"), s("杭州滨江宾馆"), s("滨江宾馆"), s("孙丽"), s("0571-86003333"), QString(),
                 QString(), s("杭州市江南大道8号"), QString(), s("02"), 0.0, 0.0}});
}

} // namespace

const std::array<BillHeaderSlot, 14>& billHeaderSlots() {
    static const std::array<BillHeaderSlot, 14> table = {{
        {"11", "客人姓名", "tabl_gues_name"}, {"12", "客人人数", "tabl_gues_coun"},
        {"21", "房台名称", "tablname"},       {"22", "帐单编号", "tabl_gues_auto_recn"},
        {"31", "开台时间", "tabl_gues_time"}, {"32", "结帐时间", "tabl_gues_time_end"},
        {"41", "最低消费", "tabl_gues_low"},  {"42", "房 间 费", "tabl_gues_room"},
        {"51", "服 务 费", "tabl_gues_serv"}, {"52", "折扣金额", "tabl_gues_disc"},
        {"61", "服务费率", "cons_mode_serv"}, {"62", "折扣费率", "disc_perc"},
        {"71", "应收金额", "tabl_gues_shou"}, {"72", "实收金额", "tabl_gues_fact"},
    }};
    return table;
}

QString billHeaderColumn(const QString& caption) {
    for (const BillHeaderSlot& slot : billHeaderSlots())
        if (caption == QString::fromUtf8(slot.caption)) return QString::fromLatin1(slot.column);
    return QString();
}

QString dbTimeOfDay(int hour, int minute, int second) {
    return QStringLiteral("1899-12-30 ") + QTime(hour, minute, second).toString(QStringLiteral("HH:mm:ss"));
}

void createInitialData(QSqlDatabase db, const QDate& today, bool withSample) {
    insertFixedRows(db);
    insertRole(db, s(kAdminRoleCode), s("系统管理员"), {});
    insertOperator(db, s(kAdminOperatorCode), s("管理员"), s(kAdminPassword), s(kAdminRoleCode));
    insertSettings(db, today, withSample);
    if (withSample) {
        insertSampleCatalogue(db);
        deriveGroupStock(db);
        insertSampleVenue(db);
        insertSamplePeople(db, today);
    }
}

} // namespace kx::db
