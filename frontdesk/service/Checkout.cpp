#include "Checkout.h"

#include "BillCalc.h"
#include "Clock.h"
#include "Errors.h"
#include "Money.h"
#include "Password.h"
#include "ProgressBar.h"
#include "Prompter.h"
#include "Schema.h"
#include "Sql.h"
#include "TDMTable.h"
#include "VisitMoves.h"
#include "Transaction.h"
#include "Values.h"

#include <QLocale>
#include <QSqlQuery>
#include <cmath>
#include <optional>

namespace kx::frontdesk {

using db::Dataset;

namespace {

const QString kNoMember = QStringLiteral("memb_card_code='^-^'");

QString quoted(QString value) { return value.replace(QLatin1Char('\''), QStringLiteral("''")); }

// A number as the narrative and the change line write it: no trailing zeros.
QString numberText(double x) { return QString::number(x == 0.0 ? 0.0 : x, 'g', 15); }

// An edit's text read as a number with "0" in front, so an empty edit reads 0.
double typedNumber(const QString& text) { return parseNumber(QStringLiteral("0") + text.trimmed()); }

double num(const Dataset& ds, const char* field) { return ds.field(QLatin1String(field)).asFloat(); }
QString text(const Dataset& ds, const char* field) { return ds.field(QLatin1String(field)).asString(); }
void set(Dataset& ds, const char* field, const QVariant& value) { ds.field(QLatin1String(field)).setValue(value); }

bool editing(const Dataset& ds) { return ds.state() == Dataset::Edit || ds.state() == Dataset::Insert; }

const QString kMemberRefused = QStringLiteral("超出上限金额，会员卡金额无效，请重新输入！");
const QString kCreditRefused = QStringLiteral("超出上限金额，挂帐金额无效，请重新输入！");

} // namespace

// ---------------------------------------------------------------- commission

CommissionRates commissionRates(QSqlDatabase db, const QString& modeCode) {
    CommissionRates r;
    QSqlQuery q = db::run(db,
                          QStringLiteral("SELECT cons_mode_achi, cons_mode_pred_stan, cons_mode_pred_abov, "
                                         "cons_mode_spec_stan, cons_mode_spec_abov, cons_mode_lead_stan, "
                                         "cons_mode_lead_abov FROM ConsModeList WHERE cons_mode_code = ?"),
                          {modeCode});
    if (!q.next()) return r;
    auto at = [&q](int i) { return q.value(i).isNull() ? 0 : q.value(i).toInt(); };
    r.quota = q.value(0).isNull() ? 0.0 : q.value(0).toDouble();
    r.bookedStandard = at(1);
    r.bookedAbove = at(2);
    r.chosenStandard = at(3);
    r.chosenAbove = at(4);
    r.usherStandard = at(5);
    r.usherAbove = at(6);
    return r;
}

double commissionFor(const TDMTable& dm, const QString& kind, double base, const CommissionRates& rates) {
    const double over = base - rates.quota;
    if (!(over > 0)) return -1;
    int standard = 0, above = 0;
    if (kind == QString::fromUtf8(kCommissionBooked)) {
        standard = rates.bookedStandard;
        above = rates.bookedAbove;
    } else if (kind == QString::fromUtf8(kCommissionChosen)) {
        standard = rates.chosenStandard;
        above = rates.chosenAbove;
    } else if (kind == QString::fromUtf8(kCommissionUsher)) {
        standard = rates.usherStandard;
        above = rates.usherAbove;
    } else {
        return -1; // "无提成" and anything else pay nothing
    }
    return IntWay(dm, standard * rates.quota * 0.01 + above * over * 0.01);
}

QString changeText(double amount) {
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(amount, 'f', 2);
}

// ---------------------------------------------------------------- the bill

Checkout::Checkout(TDMTable& dm, Permission limite) : dm_(dm), limite_(std::move(limite)) {}

bool Checkout::memberChosen() const { return dm_.adoqry_Member->active() && !dm_.adoqry_Member->isEmpty(); }

void Checkout::fillPayments() {
    QSqlDatabase db = dm_.database();
    const QString table = QString::fromLatin1(kBillPayTable);
    // Keyed by the pay type, as its list is, so that a typed amount is written back by it.
    db::exec(db, db::tableDdl(db, QStringLiteral("CREATE TEMP TABLE IF NOT EXISTS %1 (pay_type_code VARCHAR(2) "
                                                 "PRIMARY KEY, pay_type_name VARCHAR(12), pay_type_mone DOUBLE "
                                                 "DEFAULT 0)")
                                      .arg(table)));
    Dataset& pay = *dm_.adoqry_PayType;
    pay.close();
    db::exec(db, QStringLiteral("DELETE FROM %1").arg(table));
    db::exec(db, QStringLiteral("INSERT INTO %1 (pay_type_code, pay_type_name, pay_type_mone) "
                                "SELECT pay_type_code, pay_type_name, 0 FROM PayTypeList")
                     .arg(table));
    pay.setSql(QStringLiteral("select * from %1 order by pay_type_code desc").arg(table));
    pay.open();
}

double Checkout::typedAmount(const QString& payType) const {
    Dataset& pay = *dm_.adoqry_PayType;
    if (!pay.active()) return 0;
    const int code = pay.fieldIndex(QStringLiteral("pay_type_code"));
    const int amount = pay.fieldIndex(QStringLiteral("pay_type_mone"));
    for (int r = 0; r < pay.recordCount(); ++r)
        if (pay.valueAt(r, code).toString() == payType) return pay.valueAt(r, amount).toDouble();
    return 0;
}

void Checkout::commitTypedAmount() {
    Dataset& pay = *dm_.adoqry_PayType;
    if (pay.active() && editing(pay)) pay.post();
}

bool Checkout::locatePay(const QString& code) {
    return dm_.adoqry_PayType->locate(QStringLiteral("pay_type_code"), code);
}

void Checkout::cancelAccountEdits() {
    dm_.adoqry_Member->cancel();
    dm_.adoqry_hanggues->cancel();
}

void Checkout::restoreCash() {
    Dataset& pay = *dm_.adoqry_PayType;
    if (!locatePay(QStringLiteral("Z"))) return;
    pay.edit();
    set(pay, "pay_type_mone", cashTendered_);
    pay.post();
}

void Checkout::noteReceived() {
    const Dataset& v = *dm_.adoqry_TableGues;
    const int f = v.fieldIndex(QStringLiteral("tabl_gues_fact"));
    receivedShown_ = Dataset::toText(v.fieldDef(f), v.field(f).value());
}

void Checkout::taxIfCharged() {
    Dataset& v = *dm_.adoqry_TableGues;
    if (v.field(QStringLiteral("tabl_gues_tax_real")).asBool())
        TotalTax(dm_, double(v.field(QStringLiteral("tabl_gues_coun")).asInt()));
}

// ---------------------------------------------------------------- entering and leaving

bool Checkout::enter() {
    Dataset& v = *dm_.adoqry_TableGues;
    Dataset& table = *dm_.adoqry_table;
    if (!limite_(QStringLiteral("AP"))) return false;
    hangName_.clear();
    receivedShown_.clear();
    changeLine_.clear();
    if (table.active() && !table.isEmpty() && text(table, "tabl_stat_code") == QLatin1String("3")) {
        prompter().information(QStringLiteral("现在台桌不在[使用]状态，所以不能进行[结帐]！"));
        return false;
    }
    if (!v.active() || v.isEmpty()) return false;

    // The bill is computed in the row and stored once, as computed: never a receivable of 0
    // that every board would show if the program stopped while the bill is on the screen.
    v.edit();
    set(v, "tabl_gues_pay_narr", QString());
    dm_.adoqry_DiscItem->applyFilter(QStringLiteral("disc_code='%1'").arg(quoted(text(v, "disc_code"))));
    ReTotal(dm_);
    // The order lines lose their discounts below, so the receivable carries none: the discount
    // amount of an earlier visit to this screen must not stay on the row.
    set(v, "tabl_gues_disc", 0.0);
    // Tax is charged only when the cashier says so now; a "No" takes back a "Yes" of an earlier
    // visit to this screen, so no tax is added later or counted that was not charged.
    bool taxed = false;
    if (dm_.setup.number(QStringLiteral("pay_set_tax_perc")) > 0 || dm_.setup.number(QStringLiteral("pay_set_tax_mone")) > 0) {
        taxed = prompter().question(QStringLiteral("是否给此台桌加税，  [") + dm_.setup.text(QStringLiteral("pay_set_tax_type")) +
                                    QStringLiteral("]  收税 ! "));
    }
    set(v, "tabl_gues_tax_real", taxed);
    if (taxed) TotalTax(dm_, double(v.field(QStringLiteral("tabl_gues_coun")).asInt()));
    else set(v, "tabl_gues_tax", 0.0);
    set(v, "tabl_gues_fact", num(v, "tabl_gues_shou"));
    v.post();
    // The screen's changes go on in the row until the checkout stores them or "回退" drops them.
    v.edit();
    noteReceived();

    if (text(v, "cons_type_code") == QLatin1String("9") && dm_.adoqry_ConsTimeMode->active())
        dm_.adoqry_ConsTimeMode->first();

    Dataset& member = *dm_.adoqry_Member;
    member.cancel();
    member.applyFilter(kNoMember);
    fillPayments();
    db::exec(dm_.database(), QStringLiteral("UPDATE TableConsList SET disc_clas_perc = 100 WHERE tabl_gues_auto_recn = ?"),
             {v.field(QStringLiteral("tabl_gues_auto_recn")).asInt()});
    active_ = true;
    return true;
}

void Checkout::leave() {
    Dataset& v = *dm_.adoqry_TableGues;
    cancelAccountEdits();
    v.cancel();
    // The bill ends however the store below goes (another desk may have changed the visit).
    active_ = false;
    v.edit();
    ReTotal(dm_);
    v.post();
}

void Checkout::abandon() {
    cancelAccountEdits();
    dm_.adoqry_TableGues->cancel();
    active_ = false;
}

// ---------------------------------------------------------------- member card and credit account

bool Checkout::chooseMember(const QString& card, const QString& password) {
    Dataset& m = *dm_.adoqry_Member;
    // The card as it stands now (a card issued or topped up since start-up included), read alone.
    m.cancel();
    m.setSql(QStringLiteral("select * from MemberList where memb_card_code=?"), {card});
    m.open();
    m.applyFilter(QStringLiteral("memb_card_code='%1'").arg(quoted(card)));
    // The back office keeps a card's password in capitals as it is typed there; the cashier's
    // typing may be in either case.
    const QString stored = m.isEmpty() ? QString() : text(m, "memb_pass");
    // (Capitals first: one slow hash for a card issued there; the typing as it is only when it
    // differs.)
    const QString capitals = password.toUpper();
    const bool found = !m.isEmpty() && (verifyPassword(capitals, stored) ||
                                        (capitals != password && verifyPassword(password, stored)));
    if (!found) m.applyFilter(kNoMember);
    Dataset& v = *dm_.adoqry_TableGues;
    v.edit();
    set(v, "tabl_gues_name", found ? text(m, "memb_name") : QString());
    if (!found) prompter().information(QStringLiteral("会员卡号或密码不正确，请重新输入！"));
    return found;
}

void Checkout::clearMember() {
    dm_.adoqry_Member->cancel();
    dm_.adoqry_Member->applyFilter(kNoMember);
}

void Checkout::chooseCreditAccount() {
    Dataset& h = *dm_.adoqry_hanggues;
    if (!h.active() || h.isEmpty()) return;
    hangName_ = text(h, "hang_gues_name");
    hangCode_ = text(h, "hang_gues_code");
    Dataset& v = *dm_.adoqry_TableGues;
    v.edit();
    set(v, "tabl_gues_name", hangName_);
}

void Checkout::clearCreditAccount() { hangName_.clear(); }

void Checkout::resetPayments() {
    fillPayments();
    Dataset& v = *dm_.adoqry_TableGues;
    v.edit();
    set(v, "tabl_gues_fact", num(v, "tabl_gues_shou"));
    set(v, "none_mone", 0.0);
    set(v, "hang_mone", 0.0);
    set(v, "memb_mone", 0.0);
    set(v, "tabl_gues_pay_narr", QString());
    noteReceived();
}

// ---------------------------------------------------------------- triggers

void Checkout::guestCountChanged() {
    if (!active_) return;
    Dataset& v = *dm_.adoqry_TableGues;
    v.edit();
    ChangeConsType(dm_, int(v.field(QStringLiteral("tabl_gues_coun")).asInt()));
    ReTotal(dm_);
    TotalDisc(dm_, int(v.field(QStringLiteral("disc_perc")).asInt()));
    taxIfCharged();
    noteReceived();
}

bool Checkout::modeChosen() {
    Dataset& v = *dm_.adoqry_TableGues;
    v.edit();
    ChangeConsType(dm_, int(v.field(QStringLiteral("tabl_gues_coun")).asInt()));
    ReTotal(dm_);
    TotalDisc(dm_, int(v.field(QStringLiteral("disc_perc")).asInt()));
    if (v.field(QStringLiteral("tabl_gues_tax_real")).asBool()) taxIfCharged();
    else set(v, "tabl_gues_fact", num(v, "tabl_gues_shou"));
    noteReceived();
    const bool bands = text(v, "cons_type_code") == QLatin1String("9");
    if (bands && dm_.adoqry_ConsTimeMode->active()) dm_.adoqry_ConsTimeMode->first();
    return bands;
}

void Checkout::discountChanged() {
    if (!active_) return;
    Dataset& v = *dm_.adoqry_TableGues;
    TotalDisc(dm_, int(v.field(QStringLiteral("disc_perc")).asInt()));
    taxIfCharged();
    noteReceived();
}

void Checkout::schemeChosen() {
    Dataset& v = *dm_.adoqry_TableGues;
    dm_.adoqry_DiscItem->applyFilter(QStringLiteral("disc_code='%1'").arg(quoted(text(v, "disc_code"))));
    TotalDisc(dm_, int(v.field(QStringLiteral("disc_perc")).asInt()));
    taxIfCharged();
    noteReceived();
}

bool Checkout::receivedTyped(const QString& typed) {
    Dataset& v = *dm_.adoqry_TableGues;
    if (!active_) return true;
    if (toCents(num(v, "tabl_gues_shou")) < toCents(typedNumber(typed))) {
        prompter().information(QStringLiteral("输入的实收金额大于应收金额，请重新输入！"));
        return false;
    }
    return true;
}

// ---------------------------------------------------------------- checkout

SettleOutcome Checkout::settle(const QString& received, bool preview, QStatusBar* statusBar, QWidget* panel) {
    Dataset& v = *dm_.adoqry_TableGues;
    Dataset& pay = *dm_.adoqry_PayType;
    Dataset& member = *dm_.adoqry_Member;
    Dataset& hang = *dm_.adoqry_hanggues;
    const QString receivedText = received;
    commitTypedAmount();
    changeLine_.clear();
    double paid = 0;
    locatePay(QStringLiteral("Z"));
    cashTendered_ = num(pay, "pay_type_mone");

    // Validation pass: the first failure stops the checkout.
    auto refuse = [&](const QString& message) {
        pay.enableControls();
        cancelAccountEdits();
        prompter().information(message);
        return SettleOutcome::Refused;
    };
    pay.disableControls();
    for (pay.first(); !pay.eof(); pay.next()) {
        const QString code = text(pay, "pay_type_code");
        const double amount = num(pay, "pay_type_mone");
        if (!(amount > 0)) continue;
        if (code == QLatin1String("H")) {
            if (hangName_.isEmpty()) return refuse(QStringLiteral("无挂帐人，挂帐金额无效，请选择挂帐人！"));
            if (!hang.locate(QStringLiteral("hang_gues_code"), hangCode_) ||
                toCents(num(hang, "hang_gues_limi")) - toCents(num(hang, "hang_gues_use")) - toCents(amount) < 0)
                return refuse(kCreditRefused);
        } else if (code == QLatin1String("M")) {
            if (!memberChosen()) return refuse(QStringLiteral("未指定会员，会员卡金额无效，请选择会员！"));
            if (text(member, "memb_card_type") == QStringLiteral("积分卡"))
                return refuse(QStringLiteral("积分卡不能作为现金进行消费，请确认！"));
            if (toCents(num(member, "memb_surp")) - toCents(amount) < 0) return refuse(kMemberRefused);
        }
    }

    v.edit();
    set(v, "tabl_gues_pay_narr", QString());
    set(v, "tabl_gues_time_end", Clock::now());
    // The card and account payments are those of this pass alone, not of an earlier preview.
    set(v, "memb_mone", 0.0);
    set(v, "hang_mone", 0.0);

    // Payment pass.
    QString narrative;
    double memberCharge = 0, creditCharge = 0;
    for (pay.first(); !pay.eof(); pay.next()) {
        const QString code = text(pay, "pay_type_code");
        double amount = num(pay, "pay_type_mone");
        if (code == QLatin1String("R")) {
            pay.edit();
            amount = IntWay(dm_, amount + typedNumber(receivedShown_) - typedNumber(receivedText));
            set(pay, "pay_type_mone", amount);
            set(v, "none_mone", amount);
            receivedShown_ = receivedText;
        }
        if (amount != 0 && code == QLatin1String("H") && hang.locate(QStringLiteral("hang_gues_code"), hangCode_)) {
            hang.edit();
            set(v, "hang_mone", amount);
            set(v, "hang_code", hangCode_);
            set(v, "hang_name", text(hang, "hang_gues_name"));
            set(hang, "hang_gues_use", num(hang, "hang_gues_use") + amount);
            creditCharge = amount;
        }
        if (amount != 0 && code == QLatin1String("M") && memberChosen()) {
            member.edit();
            set(v, "memb_mone", amount);
            set(v, "memb_card_code", text(member, "memb_card_code"));
            set(v, "memb_name", text(member, "memb_name"));
            set(member, "memb_use", num(member, "memb_use") + amount);
            set(member, "memb_surp", num(member, "memb_surp") - amount);
            memberCharge = amount;
        }
        if (amount > 0 && code != QLatin1String("Z") && code != QLatin1String("R")) paid += amount;
        if (amount > 0 && code != QLatin1String("Z"))
            narrative += text(pay, "pay_type_name") + numberText(IntWay(dm_, amount)) + QStringLiteral(" ");
    }
    pay.first();
    pay.enableControls();

    const double shou = num(v, "tabl_gues_shou");
    if (toCents(shou) - toCents(num(v, "none_mone")) < 0) {
        cancelAccountEdits();
        prompter().information(QStringLiteral("免单不能超过实际消费金额 ！"));
        return SettleOutcome::Refused;
    }
    const double fact = IntWay(dm_, shou - num(v, "none_mone"));
    set(v, "tabl_gues_fact", fact);
    noteReceived();
    // Cents only: a difference below a cent is no change to hand out.
    const double change = roundHalfEven(fact - cashTendered_ - paid, 2);
    narrative = QStringLiteral("现金") + numberText(IntWay(dm_, fact - paid)) + QStringLiteral(" ") + narrative;
    set(v, "tabl_gues_pay_narr", narrative);
    locatePay(QStringLiteral("Z"));
    pay.edit();
    set(pay, "pay_type_mone", fact - paid);

    if (preview) {
        if (change < 0)
            changeLine_ = QStringLiteral("收款金额-") + numberText(paid + cashTendered_) + QStringLiteral(" 找零金额-") +
                          numberText(std::fabs(change));
        return SettleOutcome::Previewed;
    }

    if (change > 0)
        prompter().information(QStringLiteral("请收现金：[ ") + changeText(change) + QStringLiteral(" ]元  ！"));
    else if (change < 0)
        prompter().information(QStringLiteral("请找零：[ ") + changeText(std::fabs(change)) + QStringLiteral(" ]元  ！"));
    if (!prompter().question(QStringLiteral("请确认是否进行结帐处理，请选择(是/否)！"))) {
        cancelAccountEdits();
        v.edit();
        restoreCash();
        return SettleOutcome::Declined;
    }

    std::optional<StatusProgress> progress;
    if (statusBar) progress.emplace(statusBar, panel);
    StatusProgress* bar = progress ? &*progress : nullptr;
    auto step = [bar] {
        if (bar) bar->step();
    };
    computeCommission();
    step();
    stampVisit();
    step();
    const QString cardCode = memberChosen() ? text(member, "memb_card_code") : QString();
    const qint64 key = v.field(QStringLiteral("tabl_gues_auto_recn")).asInt();
    // The card and the account as the database holds them now; only their rows are read again.
    auto rereadAccounts = [&] {
        if (!cardCode.isEmpty()) member.refreshRows(QStringLiteral("memb_card_code"), {cardCode});
        if (!hangCode_.isEmpty() && hang.active()) hang.refreshRows(QStringLiteral("hang_gues_code"), {hangCode_});
    };
    const QString refusal = storeInTransaction(memberCharge, creditCharge, bar);
    if (!refusal.isEmpty()) {
        // Another front desk spent the balance meanwhile: nothing was stored.
        cancelAccountEdits();
        dm_.adoqry_table->cancel();
        restoreCash();
        rereadAccounts();
        prompter().information(refusal);
        return SettleOutcome::Refused;
    }
    active_ = false;
    // The visit and its lines with the names and marks the checkout copied into them.
    v.refreshRows(QStringLiteral("tabl_gues_auto_recn"), {key});
    if (Dataset& lines = *dm_.adoqry_TableCons; lines.active() && lines.params() == QVariantList{key}) lines.reread();
    step();
    rereadAccounts();
    step();
    return SettleOutcome::Stored;
}

void Checkout::endPreview() {
    cancelAccountEdits();
    restoreCash();
}

void Checkout::computeCommission() {
    Dataset& v = *dm_.adoqry_TableGues;
    set(v, "dedu_mone", 0.0);
    set(v, "grou_code", QString());
    const QString staff = text(v, "dedu_oper_code");
    const QString kind = text(v, "dedu_type");
    if (staff.isEmpty() || kind.isEmpty()) return;
    const CommissionRates rates = commissionRates(dm_.database(), text(v, "cons_mode_code"));
    const double amount = commissionFor(dm_, kind, num(v, "tabl_gues_fact") - num(v, "tabl_gues_tax"), rates);
    if (amount < 0) return;
    set(v, "dedu_mone", amount);
    QSqlQuery q = db::run(dm_.database(),
                          QStringLiteral("SELECT d.grou_code, g.area_code FROM deduoperatorlist d "
                                         "LEFT JOIN GroupList g ON g.grou_code = d.grou_code WHERE d.dedu_oper_code = ?"),
                          {staff});
    if (q.next()) {
        set(v, "grou_code", q.value(0));
        set(v, "area_code", q.value(1));
    }
}

void Checkout::stampVisit() {
    Dataset& v = *dm_.adoqry_TableGues;
    const qint64 key = v.field(QStringLiteral("tabl_gues_auto_recn")).asInt();
    set(v, "tabl_gues_time_end", Clock::now());
    set(v, "tabl_gues_time_work", QDateTime(dm_.setup.date(QStringLiteral("time_work")), QTime(0, 0)));
    set(v, "tabl_gues_stat", QStringLiteral("3"));
    set(v, "cost_mone",
        db::scalarNumber(dm_.database(),
                         QStringLiteral("SELECT SUM(a.tabl_cons_coun * a.item_cost_pric * a.item_type_flag) "
                                        "FROM TableConsList a, classlist b WHERE a.clas_code = b.clas_code "
                                        "AND a.clas_code IS NOT NULL AND a.tabl_gues_auto_recn = ?"),
                         {key}));
    set(v, "orde_code", dm_.setup.text(QStringLiteral("orde_code")));
    set(v, "oper_code", dm_.setup.text(QStringLiteral("oper_code")));
    set(v, "oper_name", dm_.setup.text(QStringLiteral("opername")));
    Dataset& table = *dm_.adoqry_table;
    if (table.active() && !table.isEmpty() && text(table, "tabl_code") == text(v, "tabl_code")) {
        table.edit();
        set(table, "tabl_stat_code", QStringLiteral("3"));
    }
}

QString Checkout::storeInTransaction(double memberAmount, double creditAmount, StatusProgress* progress) {
    QString refusal;
    try {
        db::inTransaction(dm_.database(), QStringLiteral("B100001"), [&] {
            QSqlDatabase db = dm_.database();
            // The visit as the bill was computed on it: stored as this screen read it (another
            // desk may have ordered for it, checked it out, moved or joined it meanwhile), in use
            // and not checked out.
            Dataset& visit = *dm_.adoqry_TableGues;
            visit.requireUnchanged();
            requireVisitOpen(db, visit.field(QStringLiteral("tabl_gues_auto_recn")).asInt());
            // The balances first, each re-checked where it is changed: when another front desk
            // spent the money meanwhile, nothing of this checkout is stored.
            if (memberAmount != 0) {
                const int n = db::exec(
                    db,
                    QStringLiteral("UPDATE MemberList SET memb_use = ROUND(CAST(COALESCE(memb_use, 0) + ? AS NUMERIC), 2), "
                                   "memb_surp = ROUND(CAST(COALESCE(memb_surp, 0) - ? AS NUMERIC), 2) WHERE memb_card_code = ? "
                                   "AND COALESCE(memb_card_type, '') <> ? AND %1 - ? >= 0")
                        .arg(centsOf(QStringLiteral("memb_surp"))),
                    {memberAmount, memberAmount, text(*dm_.adoqry_TableGues, "memb_card_code"), QStringLiteral("积分卡"),
                     toCents(memberAmount)});
                if (n != 1) {
                    refusal = kMemberRefused;
                    throw SilentAbort{};
                }
            }
            if (creditAmount != 0) {
                const int n = db::exec(db,
                                       QStringLiteral("UPDATE HangGues SET hang_gues_use = ROUND(CAST(COALESCE(hang_gues_use, 0) + ? AS NUMERIC), 2) "
                                                      "WHERE hang_gues_code = ? AND %1 - %2 - ? >= 0")
                                           .arg(centsOf(QStringLiteral("hang_gues_limi")),
                                                centsOf(QStringLiteral("hang_gues_use"))),
                                       {creditAmount, text(*dm_.adoqry_TableGues, "hang_code"), toCents(creditAmount)});
                if (n != 1) {
                    refusal = kCreditRefused;
                    throw SilentAbort{};
                }
            }
            storeCheckout(progress);
        });
    } catch (const StaleData&) {
        // Nothing was stored: the table row shown as checked out goes back to what is stored.
        dm_.adoqry_table->cancel();
        throw;
    } catch (const SilentAbort&) {
        if (refusal.isEmpty()) throw;
    } catch (...) {
        active_ = false;
        throw;
    }
    return refusal;
}

void Checkout::storeCheckout(StatusProgress* progress) {
    auto step = [progress] {
        if (progress) progress->step();
    };
    QSqlDatabase db = dm_.database();
    Dataset& v = *dm_.adoqry_TableGues;
    Dataset& pay = *dm_.adoqry_PayType;
    const qint64 key = v.field(QStringLiteral("tabl_gues_auto_recn")).asInt();
    const QString tableCode = text(v, "tabl_code");
    const QString shiftName = dm_.setup.text(QStringLiteral("ordename"));
    const QString deptName = text(v, "deptname");
    const QDateTime workDay = dm_.setup.dateTime(QStringLiteral("time_work"));

    // The card and the account are charged above; their rows on the screen are read again after.
    cancelAccountEdits();
    // The visit first, so the names copied below belong to the codes the bill stored (a mode or
    // commission staff chosen on the bill screen, the shift of the checkout).
    v.post();
    struct Name {
        const char* column;
        const char* table;
        const char* key;
    };
    static const Name names[] = {
        {"tabl_name", "TableList", "tabl_code"},         {"tabl_type_name", "TableTypeList", "tabl_type_code"},
        {"cons_mode_name", "ConsModeList", "cons_mode_code"}, {"cons_type_name", "ConsTypeList", "cons_type_code"},
        {"dedu_oper_name", "deduoperatorlist", "dedu_oper_code"}, {"dept_name", "DepartmentList", "dept_code"},
        {"orde_name", "OrderList", "orde_code"},
    };
    for (const Name& n : names) {
        const QString column = QLatin1String(n.column), table = QLatin1String(n.table), k = QLatin1String(n.key);
        db::exec(db,
                 QStringLiteral("UPDATE TableGuestlist SET %1 = (SELECT b.%1 FROM %2 b WHERE b.%3 = TableGuestlist.%3) "
                                "WHERE tabl_gues_auto_recn = ? AND EXISTS (SELECT 1 FROM %2 b WHERE b.%3 = TableGuestlist.%3)")
                     .arg(column, table, k),
                 {key});
    }
    step();
    Dataset& tables = *dm_.adoqry_table;
    if (editing(tables)) tables.post();
    else
        db::exec(db, QStringLiteral("UPDATE TableList SET tabl_stat_code = '3' WHERE tabl_code = ?"), {tableCode});

    const QString classJoin = QStringLiteral("FROM classlist aa, ManuFacturelist bb, kindlist cc WHERE aa.manu_code = "
                                             "bb.manu_code AND aa.kind_code = cc.kind_code AND aa.clas_code = "
                                             "TableConsList.clas_code");
    db::exec(db,
             QStringLiteral("UPDATE TableConsList SET tabl_gues_end = 1, tabl_cons_time_work = ?, "
                            "kind_name = (SELECT cc.kind_name %1), manu_name = (SELECT bb.manu_name %1), "
                            "orde_name = ?, dept_name = ? WHERE tabl_gues_auto_recn = ? AND EXISTS (SELECT 1 %1)")
                 .arg(classJoin),
             {QDateTime(workDay.date(), QTime(0, 0)), shiftName, deptName, key});
    db::exec(db,
             QStringLiteral("UPDATE TableConsList SET item_name = (SELECT b.item_name FROM itemlist b WHERE b.item_code = "
                            "TableConsList.item_code), item_unit = (SELECT b.item_unit FROM itemlist b WHERE "
                            "b.item_code = TableConsList.item_code) WHERE tabl_gues_auto_recn = ? AND EXISTS "
                            "(SELECT 1 FROM itemlist b WHERE b.item_code = TableConsList.item_code)"),
             {key});

    step();
    if (editing(pay)) pay.post();
    db::exec(db,
             QStringLiteral("INSERT INTO tableguespay (pay_type_code, pay_type_name, pay_type_mone, tabl_gues_auto_recn, "
                            "pay_time) SELECT pay_type_code, pay_type_name, pay_type_mone, ?, ? FROM %1")
                 .arg(QLatin1String(kBillPayTable)),
             {key, workDay});
}

} // namespace kx::frontdesk
