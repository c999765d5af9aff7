#include "CreditAccounts.h"

#include "Binder.h"
#include "Clock.h"
#include "ErrorGuard.h"
#include "Money.h"
#include "Password.h"
#include "Prompter.h"
#include "RecordRules.h"
#include "RecordScreen.h"
#include "Sql.h"
#include "TDMManage.h"
#include "TFormChild.h"
#include "TFormSMain.h"
#include "TextEntry.h"
#include "Transaction.h"
#include "Values.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QTableView>

namespace kx::backoffice {

namespace {

const QString kCode = QStringLiteral("hang_gues_code");
const QString kName = QStringLiteral("hang_gues_name");
const QString kOwed = QStringLiteral("hang_gues_use");
const QString kPassword = QStringLiteral("hang_gues_pass");

const QString kDebtNotCleared = QStringLiteral("因为此单位欠款未清，所以不能被删除！");
const QString kWrongPassword = QStringLiteral("密码不正确，请重新输入后确认！");
const QString kMoreThanOwed = QStringLiteral("还款金额不能大于已消费金额,请重新输入!");

// The repayments of one account, in the order they were taken.
const QString kRepaymentsOf =
    QStringLiteral("select * from Hangguesin where hang_gues_code=? order by time_fact, rec_ID");

// What an account owes, as the grid shows amounts.
QString owedText(const Dataset& d) {
    const int f = d.fieldIndex(kOwed);
    return db::formatValue(d.fieldDef(f), d.field(f).value(), QStringLiteral("0.##"));
}

} // namespace

void declareCreditAccountRules(TDMManage& m) {
    RecordRules account;
    account.codeField = kCode;
    account.nameField = kName;
    account.required = {kCode, kName, QStringLiteral("hang_gues_tele"), QStringLiteral("hang_gues_work"),
                        QStringLiteral("hang_gues_add")};
    account.requiredMessage = QStringLiteral("挂帐客人[编码]、[姓名]、[工作单位]、[地址]、[电话]不能为空！");
    account.remarkField = QStringLiteral("hang_gues_rema");
    // What the account owes as stored now, not as this list read it: the front desk may have
    // charged it since.
    account.deleteCheck = [](Dataset& d) {
        const double owed = db::scalarNumber(
            d.database(), QStringLiteral("select hang_gues_use from HangGues where hang_gues_code=?"),
            {d.field(kCode).asString()});
        if (toCents(owed) != 0) refuse(kDebtNotCleared);
    };
    // Its repayments follow a new code; they stay as history when a settled account goes.
    account.carry = [](Dataset& d, const QString& oldCode, const QString& newCode) {
        if (!newCode.isEmpty())
            db::exec(d.database(), QStringLiteral("update Hangguesin set hang_gues_code=? where hang_gues_code=?"),
                     {newCode, oldCode});
    };
    installRules(*m.adoqry_HangGues, account);
}

ReportFrame creditRepaymentList(QSqlDatabase db, const QString& accountCode, const QString& accountName,
                                const QString& madeBy) {
    ReportFrame report(QStringLiteral("挂帐还款一览表"));
    report.setVenue(accountName);
    report.setColumns({{QStringLiteral("编码"), QString(), false, Qt::AlignHCenter},
                       {QStringLiteral("单位名称"), QString(), false, Qt::AlignHCenter},
                       {QStringLiteral("还款金额"), QStringLiteral("0.00"), true, Qt::AlignHCenter},
                       {QStringLiteral("还款日期"), QString(), false, Qt::AlignHCenter},
                       {QStringLiteral("操作员"), QString(), false, Qt::AlignHCenter}});
    QSqlQuery q = db::run(db,
                          QStringLiteral("select hang_gues_code, hang_gues_name, hang_gues_inco, hang_gues_inco_date, "
                                         "oper_name from Hangguesin where hang_gues_code=? order by time_fact, rec_ID"),
                          {accountCode});
    while (q.next())
        report.addRow(
            {q.value(0), q.value(1), q.value(2), showDate(fromDbDateTime(q.value(3).toString()).date()), q.value(4)});
    report.setSumCaption(QStringLiteral("合计："));
    report.setMade(Clock::now(), madeBy);
    return report;
}

namespace {

QWidget* buildAccountScreen(TFormSMain& main, TFormChild& child, TDMManage& m) {
    using db::GridColumn;
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    Dataset* accounts = m.adoqry_HangGues;
    RecordScreen form{"pnl_HangGues",
                      "DBGrid37",
                      accounts,
                      {GridColumn{kCode, QStringLiteral("编码"), {}, 40},
                       GridColumn{kName, QStringLiteral("挂帐客人"), {}, 100},
                       GridColumn{QStringLiteral("hang_gues_limi"), QStringLiteral("挂帐上限"), QStringLiteral("0.##"),
                                  70, false, right},
                       GridColumn{kOwed, QStringLiteral("挂帐金额"), QStringLiteral("0.##"), 70, false, right},
                       GridColumn{QStringLiteral("hang_gues_tele"), QStringLiteral("联系电话"), {}, 100},
                       GridColumn{QStringLiteral("hang_gues_work"), QStringLiteral("工作单位"), {}, 140},
                       GridColumn{QStringLiteral("hang_gues_add"), QStringLiteral("地址"), {}, 140},
                       GridColumn{QStringLiteral("hang_gues_rema"), QStringLiteral("备注"), {}, 100}},
                      {{"DBEdit63", "编码：", "hang_gues_code", EntryKind::Upper},
                       {"DBEdit75", "挂帐客人：", "hang_gues_name", EntryKind::Upper},
                       {"DBEdit79", "电话：", "hang_gues_tele", EntryKind::Upper},
                       {"DBEdit80", "单位：", "hang_gues_work", EntryKind::Upper},
                       {"DBEdit82", "地址：", "hang_gues_add", EntryKind::Upper},
                       {"DBEdit81", "备注：", "hang_gues_rema", EntryKind::Upper},
                       {"DBEdit83", "挂帐上限：", "hang_gues_limi", EntryKind::Amount, 9999999.99}}};
    // What the account owes is never typed: the front desk's charges and the repayments move it.
    form.texts = {{"DBText12", "挂帐金额：", [](Dataset& d) { return owedText(d); }}};
    form.formColumns = 2;
    form.formOrder = {"DBEdit63", "DBEdit75", "DBEdit79", "DBEdit80", "DBEdit82",
                      "DBEdit81", "DBEdit83", "DBText12"};
    QWidget* screen = buildRecordScreen(&child, form);
    auto* grid = screen->findChild<QGridLayout*>();

    // The account's own password: the edit is not the column. It starts empty; what is typed
    // becomes the new password (stored as a hash) when the row is saved, and an empty edit
    // keeps the stored one (an account may have none).
    auto* password = newPasswordEdit(screen, accounts, "DBEdit84", kPassword, QString(), true);
    const int passwordRow = grid->rowCount();
    grid->addWidget(new QLabel(QStringLiteral("密码："), screen), passwordRow, 0);
    grid->addWidget(password, passwordRow, 1);
    QWidget::setTabOrder(screen->findChild<QLineEdit*>(QStringLiteral("DBEdit83")), password);

    // The repayments open by a double click on the account, after the system management
    // password typed here.
    auto* line = new QHBoxLayout;
    auto* note = new QLabel(QStringLiteral("* 注意：如果要进行还帐请双击要还款的单位，进行操作!    密码："), screen);
    note->setObjectName(QStringLiteral("lbl_HangGuesNote"));
    auto* systemPassword = new QLineEdit(screen);
    systemPassword->setObjectName(QStringLiteral("Edit9"));
    systemPassword->setEchoMode(QLineEdit::Password);
    systemPassword->setFixedWidth(120);
    line->addWidget(note);
    line->addWidget(systemPassword);
    line->addStretch(1);
    grid->addLayout(line, passwordRow + 1, 0, 1, 4);

    // The debt shown is the one stored when the list shows (the front desk charges meanwhile).
    auto shown = [accounts](Dataset*) {
        if (accounts->active() && accounts->state() == Dataset::Browse) accounts->reload();
    };
    main.registerScreen(QStringLiteral("挂帐客人"), {screen, accounts, shown});
    return screen;
}

} // namespace

void buildCreditAccountScreens(TFormSMain& main, TFormChild& child, TDMManage& m) {
    using db::GridColumn;
    Dataset* accounts = m.adoqry_HangGues;
    Dataset* repayments = m.adoqry_HangGuesIn;
    QWidget* accountScreen = buildAccountScreen(main, child, m);

    RecordScreen form{"pnl_HangGuesIn",
                      "DBGrid59",
                      repayments,
                      {GridColumn{kCode, QStringLiteral("编码"), {}, 40},
                       GridColumn{kName, QStringLiteral("挂帐客人"), {}, 140},
                       GridColumn{QStringLiteral("hang_gues_inco"), QStringLiteral("还款金额"), QStringLiteral("0.##"),
                                  80, false, Qt::AlignRight | Qt::AlignVCenter},
                       GridColumn{QStringLiteral("hang_gues_inco_date"), QStringLiteral("还款日期"),
                                  QStringLiteral("yyyy-mm-dd"), 90},
                       GridColumn{QStringLiteral("oper_name"), QStringLiteral("操作员"), {}, 90}},
                      {}};
    form.headingName = "lbl_HangGuesIn";
    QWidget* screen = buildRecordScreen(&child, form);
    auto* heading = screen->findChild<QLabel*>(QStringLiteral("lbl_HangGuesIn"));
    auto* grid = screen->findChild<QGridLayout*>();
    // What the account owes now: its row as last read, read again after every repayment.
    auto* owed = new QLabel(screen);
    owed->setObjectName(QStringLiteral("DBText33"));
    bindLabel(owed, accounts, kOwed, QStringLiteral("0.##"));
    grid->addWidget(new QLabel(QStringLiteral("挂帐金额："), screen), 0, 0);
    grid->addWidget(owed, 0, 1);
    auto* amount = new QLineEdit(screen);
    amount->setObjectName(QStringLiteral("Edit8"));
    // A minus in front: a negative repayment adds to the debt.
    signedAmountEntry(amount);
    amount->setFixedWidth(120);
    auto* save = new QPushButton(QStringLiteral("保存"), screen);
    save->setObjectName(QStringLiteral("Button5"));
    auto* print = new QPushButton(QStringLiteral("打印"), screen);
    print->setObjectName(QStringLiteral("Button6"));
    for (QPushButton* b : {save, print})
        b->setAutoDefault(false);
    auto* line = new QHBoxLayout;
    line->addWidget(amount);
    line->addWidget(save);
    line->addWidget(print);
    line->addStretch(1);
    grid->addWidget(new QLabel(QStringLiteral("还款金额："), screen), 1, 0);
    grid->addLayout(line, 1, 1);

    auto* accountGrid = accountScreen->findChild<QTableView*>(QStringLiteral("DBGrid37"));
    auto* systemPassword = accountScreen->findChild<QLineEdit*>(QStringLiteral("Edit9"));
    QObject::connect(accountGrid, &QAbstractItemView::doubleClicked, accountGrid,
                     [&main, accounts, repayments, screen, heading, amount, systemPassword] {
                         guarded([&] {
                             if (!accounts->active() || accounts->isEmpty()) return;
                             if (!systemPasswordMatches(main.db(), systemPassword->text())) {
                                 prompter().information(kWrongPassword);
                                 return;
                             }
                             // An account being typed is stored first; its own rules may refuse it.
                             if (accounts->state() != Dataset::Browse) accounts->post();
                             // What it owes as stored now.
                             accounts->refreshCurrent();
                             systemPassword->clear();
                             main.enterDetail({main.toolb_Add, main.toolb_Cancel, main.toolb_Save, main.toolb_Del,
                                               main.toolb_Search});
                             repayments->setSql(kRepaymentsOf, {accounts->field(kCode).asString()});
                             repayments->open();
                             main.makeCurrent(screen, repayments);
                             heading->setText(accounts->field(kName).asString());
                             amount->clear();
                             amount->setFocus();
                         });
                     });

    QObject::connect(save, &QPushButton::clicked, save, [&main, accounts, repayments, amount] {
        guarded([&] {
            // Nothing typed (or only a sign or a point), or nothing to repay.
            bool number = false;
            const double repaid = amount->text().trimmed().toDouble(&number);
            if (!number || toCents(repaid) == 0) return;
            if (!accounts->active() || accounts->isEmpty()) return;
            const QString code = accounts->field(kCode).asString();
            QSqlDatabase db = main.db();
            bool moreThanOwed = false;
            try {
                db::inTransaction(db, QStringLiteral("A1000020"), [&] {
                    // The debt as stored goes down by the amount, so a charge the front desk made
                    // meanwhile stays owed; a debt it would take below 0 is not touched.
                    if (db::exec(db,
                                 QStringLiteral("update HangGues set hang_gues_use = "
                                                "round((coalesce(hang_gues_use, 0) - ?) * 100) / 100 "
                                                "where hang_gues_code = ? and %1 - ? >= 0")
                                     .arg(centsOf(kOwed)),
                                 {repaid, code, toCents(repaid)}) != 1) {
                        moreThanOwed = true;
                        throw SilentAbort();
                    }
                    const QDateTime businessDay =
                        db::scalarDateTime(db, QStringLiteral("select time_work from SetupPay"));
                    db::exec(db,
                             QStringLiteral("insert into Hangguesin (hang_gues_code, hang_gues_name, hang_gues_inco, "
                                            "hang_gues_inco_date, oper_code, oper_name, time_fact) "
                                            "select hang_gues_code, hang_gues_name, ?, ?, ?, ?, ? from HangGues "
                                            "where hang_gues_code = ?"),
                             {repaid, businessDay, main.OperatorCode, main.OperatorName, Clock::now(), code});
                });
            } catch (const SilentAbort&) {
                // Told once nothing is held any more.
                if (moreThanOwed) refuse(kMoreThanOwed);
                throw;
            }
            accounts->refreshCurrent();
            repayments->refresh();
            repayments->last();
        });
    });

    QObject::connect(print, &QPushButton::clicked, print, [&main, accounts] {
        guarded([&] {
            if (!accounts->active() || accounts->isEmpty()) return;
            creditRepaymentList(main.db(), accounts->field(kCode).asString(), accounts->field(kName).asString(),
                                main.OperatorName)
                .document()
                .preview(&main);
        });
    });

    main.registerBack(repayments, [&main, accounts, accountScreen] {
        main.makeCurrent(accountScreen, accounts);
        // "回退" brings back the record commands; the list's "查询" comes back here.
        main.showButtons({main.toolb_Search}, {});
    });
}

} // namespace kx::backoffice
