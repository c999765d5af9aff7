#include "OtherLists.h"

#include "RecordRules.h"
#include "RecordScreen.h"
#include "TDMSetup.h"
#include "TFormChild.h"
#include "TFormSMain.h"

namespace kx::backoffice {

namespace {

CodeInUse usedAtTheFrontDesk(const char* thing, const QString& countSql, bool changeRefused) {
    const QString prefix =
        QStringLiteral("[") + QString::fromUtf8(thing) + QStringLiteral("]正在被[前台操作]使用，不能被");
    return {countSql, prefix + QStringLiteral("删除!"),
            changeRefused ? prefix + QStringLiteral("修改!") : QString()};
}

} // namespace

void declareOtherListRules(TDMSetup& s) {
    RecordRules shift =
        codeAndNameRules(QStringLiteral("orde_code"), QStringLiteral("orde_name"),
                         QStringLiteral("班次[编号]、[名称]不能为空！"), QStringLiteral("orde_rema"));
    // The shift of the logged-in cashier, and the shift of a visit still in use.
    shift.uses = {
        usedAtTheFrontDesk("班次",
                           QStringLiteral("SELECT (SELECT count(*) FROM SetupPay WHERE orde_code = ?) + "
                                          "(SELECT count(*) FROM TableGuestlist WHERE orde_code = ? AND "
                                          "COALESCE(tabl_gues_use, 0) <> 0)"),
                           true)};
    installRules(*s.adoqry_Order, shift);

    RecordRules pay =
        codeAndNameRules(QStringLiteral("pay_type_code"), QStringLiteral("pay_type_name"),
                         QStringLiteral("付款方式[编号]、[名称]不能为空！"), QStringLiteral("pay_type_rema"));
    // The front desk knows cash, free of charge, credit account and member card by their codes.
    pay.presetCodes = {QStringLiteral("Z"), QStringLiteral("R"), QStringLiteral("H"), QStringLiteral("M")};
    // Payment lines not yet handed over at a shift's end.
    pay.uses = {usedAtTheFrontDesk(
        "付款方式",
        QStringLiteral("SELECT (SELECT count(*) FROM tableguespay WHERE pay_type_code = ?) + "
                       "(SELECT count(*) FROM AllGuesPay WHERE pay_type_code = ? AND "
                       "COALESCE(pay_flag, 0) = 0)"),
        true)};
    installRules(*s.adoqry_PayType, pay);

    RecordRules income = codeAndNameRules(QStringLiteral("othe_inco_code"), QStringLiteral("othe_inco_name"),
                                          QStringLiteral("其它收入[编号]、[名称]不能为空！"),
                                          QStringLiteral("othe_inco_rema"));
    // An amount typed at the front desk for the day not yet ended.
    income.uses = {
        usedAtTheFrontDesk("其它收入",
                           QStringLiteral("SELECT count(*) FROM otherincomelist WHERE othe_inco_code = ? AND "
                                          "COALESCE(othe_inco_mone, 0) <> 0"),
                           false)};
    installRules(*s.adoqry_OtherIncome, income);

    RecordRules narrative = codeAndNameRules(
        QStringLiteral("cons_narr_code"), QStringLiteral("cons_narr_name"),
        QStringLiteral("消费项目说明[编号]、[名称]不能为空！"), QStringLiteral("cons_narr_rema"));
    // An order line of the day, or the order pad of a visit in use.
    narrative.uses = {usedAtTheFrontDesk(
        "项目说明",
        QStringLiteral(
            "SELECT (SELECT count(*) FROM TableConsList WHERE cons_narr_code = ?) + "
            "(SELECT count(*) FROM TableConsListTemp t JOIN TableGuestlist g ON g.tabl_gues_auto_recn = "
            "t.tabl_gues_auto_recn WHERE t.cons_narr_code = ? AND COALESCE(g.tabl_gues_use, 0) <> 0)"),
        true)};
    installRules(*s.adoqry_ConsNarr, narrative);

    // A unit stays deletable: items keep their unit as text.
    RecordRules unit;
    unit.codeField = QStringLiteral("unit_name");
    unit.required = {unit.codeField};
    unit.requiredMessage = QStringLiteral("单位[名称]不能为空！");
    unit.remarkField = QStringLiteral("unit_rema");
    installRules(*s.adoqry_Unit, unit);
}

void buildOtherListScreens(TFormSMain& main, TFormChild& child, TDMSetup& s) {
    using db::GridColumn;
    const struct {
        const char* leaf;
        RecordScreen form;
    } lists[] = {
        {"班次",
         {"pnl_Order",
          "DBGrid19",
          s.adoqry_Order,
          {GridColumn{QStringLiteral("orde_code"), QStringLiteral("编码"), {}, 80},
           GridColumn{QStringLiteral("orde_name"), QStringLiteral("班次名称"), {}, 240}},
          {{"DBEdit25", "编码：", "orde_code", EntryKind::Upper},
           {"DBEdit26", "班次名称：", "orde_name", EntryKind::Upper}}}},
        {"付款方式",
         {"pnl_PayType",
          "DBGrid17",
          s.adoqry_PayType,
          {GridColumn{QStringLiteral("pay_type_code"), QStringLiteral("编码"), {}, 80},
           GridColumn{QStringLiteral("pay_type_name"), QStringLiteral("付款方式"), {}, 240}},
          {{"DBEdit21", "编码：", "pay_type_code", EntryKind::Upper},
           {"DBEdit22", "付款方式：", "pay_type_name", EntryKind::Upper}}}},
        {"其它收入",
         {"pnl_OtherIncome",
          "DBGrid20",
          s.adoqry_OtherIncome,
          {GridColumn{QStringLiteral("othe_inco_code"), QStringLiteral("编码"), {}, 80},
           GridColumn{QStringLiteral("othe_inco_name"), QStringLiteral("其它收入名称"), {}, 240}},
          {{"DBEdit27", "编码：", "othe_inco_code", EntryKind::Upper},
           {"DBEdit28", "其它收入名称：", "othe_inco_name", EntryKind::Upper}}}},
        {"项目说明",
         {"pnl_ConsNarr",
          "DBGrid18",
          s.adoqry_ConsNarr,
          {GridColumn{QStringLiteral("cons_narr_code"), QStringLiteral("编码"), {}, 80},
           GridColumn{QStringLiteral("cons_narr_name"), QStringLiteral("消费项目说明"), {}, 240}},
          {{"DBEdit23", "编码：", "cons_narr_code", EntryKind::Upper},
           {"DBEdit24", "消费项目说明：", "cons_narr_name", EntryKind::Upper}}}},
        {"单位名称",
         {"pnl_Unit",
          "DBGrid58",
          s.adoqry_Unit,
          {GridColumn{QStringLiteral("unit_name"), QStringLiteral("单位名称"), {}, 160}},
          {{"DBEdit113", "单位名称", "unit_name", EntryKind::Upper}}}},
    };
    for (const auto& list : lists)
        main.registerScreen(QString::fromUtf8(list.leaf),
                            {buildRecordScreen(&child, list.form), list.form.dataset, {}});
}

} // namespace kx::backoffice
