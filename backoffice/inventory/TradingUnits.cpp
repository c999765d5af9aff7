#include "TradingUnits.h"

#include "Clock.h"
#include "ErrorGuard.h"
#include "Money.h"
#include "Prompter.h"
#include "RecordRules.h"
#include "RecordScreen.h"
#include "Sql.h"
#include "StockPosting.h"
#include "TDMManage.h"
#include "TFormChild.h"
#include "TFormSMain.h"
#include "Transaction.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

namespace kx::backoffice {

namespace {

const QString kUnitTypeHasUnits = QStringLiteral("[单位类型]下面设有[往来单位]，所以不能被");
const QString kInOpenBill = QStringLiteral("[往来单位]正在被[物流管理]使用，不能被");

} // namespace

void declareTradingUnitRules(TDMManage& m) {
    // A type keeps its units in the lists filtered by type: it stays while it has any.
    RecordRules type = codeAndNameRules(QStringLiteral("stor_work_type_code"), QStringLiteral("stor_work_type_name"),
                                        QStringLiteral("单位类型[编码]、[名称]不能为空！"),
                                        QStringLiteral("stor_work_type_rema"));
    type.uses = {{QStringLiteral("SELECT count(*) FROM WorkList WHERE stor_work_type_code = ?"),
                  kUnitTypeHasUnits + QStringLiteral("删除！"), kUnitTypeHasUnits + QStringLiteral("修改！")}};
    installRules(*m.adoqry_StoreWorkType, type);

    RecordRules unit;
    unit.codeField = QStringLiteral("work_code");
    unit.nameField = QStringLiteral("work_name");
    unit.required = {QStringLiteral("work_code"), QStringLiteral("work_name"), QStringLiteral("work_name_s")};
    unit.requiredMessage = QStringLiteral("往来单位[编码]、[简称]、[名称]不能为空！");
    Dataset* types = m.adoqry_StoreWorkType;
    unit.defaults = [types](Dataset& d) {
        d.field(QStringLiteral("stor_work_type_code"))
            .setValue(types->isEmpty() ? QString() : types->field(QStringLiteral("stor_work_type_code")).asString());
        d.field(QStringLiteral("work_inco_shou")).setValue(0);
        d.field(QStringLiteral("work_pay_shou")).setValue(0);
    };
    // A bill not yet posted would post to nobody.
    unit.uses = {{QStringLiteral("SELECT count(*) FROM StoreBill WHERE work_code = ?"),
                  kInOpenBill + QStringLiteral("删除!"), kInOpenBill + QStringLiteral("修改!")}};
    // A unit still owed or owing stays; the balance as stored now (a posting may have moved it).
    unit.deleteCheck = [](Dataset& d) {
        QSqlQuery q = db::run(d.database(),
                              QStringLiteral("select coalesce(work_inco_shou, 0), coalesce(work_pay_shou, 0) "
                                             "from WorkList where work_code = ?"),
                              {d.field(QStringLiteral("work_code")).asString()});
        if (q.next() && (toCents(q.value(0).toDouble()) != 0 || toCents(q.value(1).toDouble()) != 0))
            refuse(QStringLiteral("因为此单位欠款未清，所以不能被删除！"));
    };
    // Its receipts, payments and posted bills follow a new code.
    unit.carry = [](Dataset& d, const QString& oldCode, const QString& newCode) {
        if (newCode.isEmpty()) return;
        for (const char* table : {"WorkDetail", "AllStoreBill"})
            db::exec(d.database(),
                     QStringLiteral("update %1 set work_code = ? where work_code = ?").arg(QLatin1String(table)),
                     {newCode, oldCode});
    };
    installRules(*m.adoqry_Work, unit);
    linkChild(*m.adoqry_StoreWorkType, QStringLiteral("stor_work_type_code"), *m.adoqry_Work,
              QStringLiteral("stor_work_type_code"));
    // Bills and receipts name their units from every type.
    m.adoqry_Work->lookupsSeeAllRows = true;

    // Receipts and payments: pending from their entry, applied to the unit's balance by "回退";
    // an applied one is history and stays as it is.
    Dataset* units = m.adoqry_Work;
    Dataset* rows = m.adoqry_WorkDetail;
    rows->checksInTransaction = true;
    rows->afterInsert = [units](Dataset& d) {
        d.field(QStringLiteral("work_code")).setValue(units->field(QStringLiteral("work_code")).asString());
        d.field(QStringLiteral("work_inco")).setValue(0);
        d.field(QStringLiteral("work_pay")).setValue(0);
        d.field(QStringLiteral("work_flag")).setValue(true);
        d.field(QStringLiteral("work_run_time")).setValue(Clock::now());
    };
    rows->beforePost = [](Dataset& d) {
        if (d.state() == Dataset::Edit && !d.field(QStringLiteral("work_flag")).asBool()) {
            if (!d.modified()) return;
            inform(QStringLiteral("只能增加，不能被修改！"));
            d.cancel();
            throw SilentAbort();
        }
        // An amount left empty is 0.
        for (const char* f : {"work_inco", "work_pay"})
            if (d.field(QString::fromLatin1(f)).isNull()) d.field(QString::fromLatin1(f)).setValue(0);
    };
}

namespace {


// The unit's balance moves by its own pending receipts (up) and payments (down); then they are
// applied. Read and written in the caller's transaction.
void applyPending(QSqlDatabase db, const QString& unit) {
    QSqlQuery q = db::run(db,
                          QStringLiteral("SELECT COALESCE(SUM(work_inco), 0) - COALESCE(SUM(work_pay), 0) FROM WorkDetail "
                                         "WHERE work_code = ? AND COALESCE(work_flag, 0) <> 0"),
                          {unit});
    const double pending = q.next() ? q.value(0).toDouble() : 0;
    q.finish();
    db::moveUnitBalance(db, unit, pending);
    db::exec(db, QStringLiteral("UPDATE WorkDetail SET work_flag = 0 WHERE work_code = ? AND COALESCE(work_flag, 0) <> 0"),
             {unit});
}

std::vector<db::GridColumn> typeColumns(const char* codeTitle, const char* nameTitle) {
    return {db::GridColumn{QStringLiteral("stor_work_type_code"), QString::fromUtf8(codeTitle), {}, 50},
            db::GridColumn{QStringLiteral("stor_work_type_name"), QString::fromUtf8(nameTitle), {}, 90}};
}

} // namespace

void buildTradingUnitScreens(TFormSMain& main, TFormChild& child, TDMManage& m) {
    using db::GridColumn;
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    Dataset* units = m.adoqry_Work;
    Dataset* rows = m.adoqry_WorkDetail;

    main.registerScreen(
        QStringLiteral("单位类型"),
        {buildRecordScreen(&child, {"pnl_StoreWorkType",
                                    "DBGrid46",
                                    m.adoqry_StoreWorkType,
                                    {GridColumn{QStringLiteral("stor_work_type_code"), QStringLiteral("编码"), {}, 60},
                                     GridColumn{QStringLiteral("stor_work_type_name"), QStringLiteral("类型名称"), {}, 160},
                                     GridColumn{QStringLiteral("stor_work_type_rema"), QStringLiteral("备注"), {}, 200}},
                                    {{"DBEdit90", "编码", "stor_work_type_code", EntryKind::Upper},
                                     {"DBEdit91", "类型名称", "stor_work_type_name", EntryKind::Upper},
                                     {"DBEdit92", "备注", "stor_work_type_rema", EntryKind::Upper}}}),
         m.adoqry_StoreWorkType,
         {}});

    RecordScreen unitForm{"pnl_work",
                          "DBGrid47",
                          units,
                          {GridColumn{QStringLiteral("work_code"), QStringLiteral("编码"), {}, 50},
                           GridColumn{QStringLiteral("work_name_s"), QStringLiteral("单位简称"), {}, 100},
                           GridColumn{QStringLiteral("work_man"), QStringLiteral("联系人"), {}, 80},
                           GridColumn{QStringLiteral("work_tele"), QStringLiteral("联系电话"), {}, 110}},
                          {{"DBEdit95", "编码：", "work_code", EntryKind::Upper},
                           {"DBEdit94", "简称：", "work_name_s", EntryKind::Upper},
                           {"DBEdit93", "单位名称：", "work_name", EntryKind::Upper},
                           {"DBEdit96", "联系人：", "work_man"},
                           {"DBEdit97", "联系电话：", "work_tele"},
                           {"DBEdit98", "税号：", "work_tax"},
                           {"DBEdit99", "帐号：", "work_bank"},
                           {"DBEdit103", "备注：", "work_rema"},
                           {"DBEdit104", "地址：", "work_add"}},
                          {},
                          {},
                          {{"DBGrid48", m.adoqry_StoreWorkType, typeColumns(" ", " ")}}};
    unitForm.formColumns = 2;
    main.registerScreen(QStringLiteral("往来单位"), {buildRecordScreen(&child, unitForm), units, {}});

    // The accounts: every unit of the chosen type with what it owes or is owed.
    auto money = [](Dataset& d, const char* field) {
        return QString::number(d.field(QString::fromLatin1(field)).asFloat(), 'f', 2);
    };
    RecordScreen accountForm{"pnl_acco",
                             "DBGrid51",
                             units,
                             {GridColumn{QStringLiteral("work_code"), QStringLiteral("编码"), {}, 45},
                              GridColumn{QStringLiteral("work_name_s"), QStringLiteral("单位简称"), {}, 90},
                              GridColumn{QStringLiteral("work_man"), QStringLiteral("联系人"), {}, 60},
                              GridColumn{QStringLiteral("work_tele"), QStringLiteral("联系电话"), {}, 100},
                              GridColumn{QStringLiteral("work_inco_shou"), QStringLiteral("应收帐款"), QStringLiteral("0.00"),
                                         70, false, right},
                              GridColumn{QStringLiteral("work_pay_shou"), QStringLiteral("应付帐款"), QStringLiteral("0.00"),
                                         70, false, right}},
                             {},
                             {},
                             {},
                             {{"DBGrid52", m.adoqry_StoreWorkType, typeColumns(" ", " ")}}};
    accountForm.texts = {
        {"DBText_WorkCode", "编码：", [](Dataset& d) { return d.field(QStringLiteral("work_code")).asString(); }},
        {"DBText_WorkName", "单位名称：", [](Dataset& d) { return d.field(QStringLiteral("work_name")).asString(); }},
        {"DBText_WorkInco", "应收帐款：", [money](Dataset& d) { return money(d, "work_inco_shou"); }},
        {"DBText_WorkPay", "应付帐款：", [money](Dataset& d) { return money(d, "work_pay_shou"); }}};
    accountForm.formColumns = 2;
    QWidget* accounts = buildRecordScreen(&child, accountForm);
    auto* open = new QPushButton(QStringLiteral("收款/付款"), accounts);
    open->setObjectName(QStringLiteral("SpeedButton7"));
    open->setAutoDefault(false);
    placeBeside(accounts->findChild<QLabel*>(QStringLiteral("DBText_WorkPay")), open);
    main.registerScreen(QStringLiteral("往来管理"), {accounts, nullptr, {}});

    // Receipts and payments of the chosen unit.
    RecordScreen detailForm{"pnl_WorkDetail",
                            "DBGrid57",
                            rows,
                            {GridColumn{QStringLiteral("workname"), QStringLiteral("往来单位"), {}, 140},
                             GridColumn{QStringLiteral("work_inco"), QStringLiteral("收款"), QStringLiteral("0.00"), 80,
                                        false, right},
                             GridColumn{QStringLiteral("work_pay"), QStringLiteral("付款"), QStringLiteral("0.00"), 80,
                                        false, right},
                             GridColumn{QStringLiteral("work_run_time"), QStringLiteral("日期"),
                                        QStringLiteral("yyyy-mm-dd hh:nn:ss"), 140},
                             GridColumn{QStringLiteral("work_rema"), QStringLiteral("备注"), {}, 160}},
                            {{"DBEdit109", "收款：", "work_inco", EntryKind::SignedAmount},
                             {"DBEdit110", "付款：", "work_pay", EntryKind::SignedAmount},
                             {"DBEdit111", "备注：", "work_rema", EntryKind::Upper}}};
    detailForm.headingName = "lbl_WorkDetail";
    // A new row: its amount is typed at once.
    detailForm.newRowFocus = {"DBEdit109"};
    QWidget* detail = buildRecordScreen(&child, detailForm);
    auto* heading = detail->findChild<QLabel*>(QStringLiteral("lbl_WorkDetail"));
    QObject::connect(open, &QPushButton::clicked, accounts, [&main, units, rows, detail, heading] {
        guarded([&] {
            if (!units->active() || units->isEmpty()) return;
            if (units->state() != Dataset::Browse) units->post();
            main.showButtons({main.toolb_Back, main.toolb_Add, main.toolb_Cancel, main.toolb_Save}, {main.toolb_Del});
            // The unit's own rows, read by its code: the list grows for years.
            rows->setSql(QStringLiteral("select * from WorkDetail where work_code=? order by work_ID"),
                         {units->field(QStringLiteral("work_code")).asString()});
            rows->open();
            heading->setText(QStringLiteral("往来单位：") + units->field(QStringLiteral("work_name")).asString() +
                             QStringLiteral("/") + units->field(QStringLiteral("work_code")).asString());
            main.makeCurrent(detail, rows);
        });
    });
    main.registerBack(rows, [&main, units, rows, accounts] {
        main.showButtons({}, {main.toolb_Back, main.toolb_Save, main.toolb_Add, main.toolb_Del, main.toolb_Cancel});
        if (rows->state() == Dataset::Insert || rows->state() == Dataset::Edit) rows->cancel();
        const QString unit = units->field(QStringLiteral("work_code")).asString();
        QSqlDatabase db = units->database();
        const bool pending = db::scalarInt(db,
                                           QStringLiteral("select count(*) from WorkDetail where work_code = ? and "
                                                          "COALESCE(work_flag, 0) <> 0 and (round(work_inco * 100) <> 0 "
                                                          "or round(work_pay * 100) <> 0)"),
                                           {unit}) > 0;
        if (pending) db::inTransaction(db, QStringLiteral("A100003"), [&] { applyPending(db, unit); });
        units->refreshCurrent();
        main.makeCurrent(accounts, nullptr);
    });
}

} // namespace kx::backoffice
