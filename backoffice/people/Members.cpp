#include "Members.h"

#include "Binder.h"
#include "Clock.h"
#include "ErrorGuard.h"
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

#include <QCheckBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>

namespace kx::backoffice {

namespace {

const QString kStoredValue = QStringLiteral("储值卡");
const QString kPoints = QStringLiteral("积分卡");
const QString kHiddenPassword = QStringLiteral("******");

// The card's balance and points worked out again from all its adjustment rows (and `extraSave`
// / `extraPoints` of a row being written in the same transaction), its spending at the front
// desk and its carried points, in the database. A balance or points below zero is refused.
void recomputeCard(QSqlDatabase db, const QString& card, double extraSave = 0, double extraPoints = 0) {
    const QString sums = QStringLiteral("(SELECT COALESCE(SUM(%1), 0) FROM membManage WHERE memb_card_code = ?)");
    QSqlQuery q = db::run(db,
                          QStringLiteral("SELECT ROUND(CAST(%1 + ? - COALESCE(memb_use, 0) AS NUMERIC), 2), "
                                         "%2 + ? + COALESCE(memb_stor_temp, 0) FROM MemberList WHERE memb_card_code = ?")
                              .arg(sums.arg(QStringLiteral("memb_mana_save")), sums.arg(QStringLiteral("memb_mana_inte"))),
                          {card, extraSave, card, extraPoints, card});
    if (!q.next()) return;
    const double balance = q.value(0).toDouble(), points = q.value(1).toDouble();
    q.finish();
    if (balance < 0) refuse(QStringLiteral("剩余金额不能小于零，请重新输入！"));
    if (points < 0) refuse(QStringLiteral("消费积分不能小于零，请重新输入！"));
    db::exec(db, QStringLiteral("UPDATE MemberList SET memb_surp = ?, memb_stor = ? WHERE memb_card_code = ?"),
             {balance, points, card});
}

} // namespace

void declareMemberRules(TDMManage& m) {
    RecordRules type = codeAndNameRules(QStringLiteral("memb_type_code"), QStringLiteral("memb_Type_name"),
                                        QStringLiteral("会员卡类型[编码]、[名称]不能为空！"));
    type.defaults = [](Dataset& d) {
        d.field(QStringLiteral("memb_type_allo_time")).setValue(false);
        d.field(QStringLiteral("memb_type_now")).setValue(Clock::now());
    };
    installRules(*m.adoqry_MembType, type);

    // The password is checked and stored by the member screen (its edit is not the column).
    RecordRules member;
    member.codeField = QStringLiteral("memb_card_code");
    member.nameField = QStringLiteral("memb_name");
    member.required = {QStringLiteral("memb_tele"), QStringLiteral("memb_type_code"), QStringLiteral("memb_card_code"),
                       QStringLiteral("memb_card_type"), QStringLiteral("memb_name"), QStringLiteral("memb_work"),
                       QStringLiteral("memb_add")};
    member.requiredMessage = QStringLiteral("会员[卡号]、[会员类型]、[卡类型]、[姓名]、[工作单位]、[地址]、[电话]不能为空！");
    member.defaults = [](Dataset& d) {
        d.field(QStringLiteral("memb_time_allo")).setValue(false);
        d.field(QStringLiteral("memb_time_end")).setValue(Clock::now());
    };
    // A card's adjustment rows are its own: they follow a new number and go with the card, so
    // a new card under the number never inherits them.
    member.carry = [](Dataset& d, const QString& oldCode, const QString& newCode) {
        if (newCode.isEmpty())
            db::exec(d.database(), QStringLiteral("delete from membManage where memb_card_code = ?"), {oldCode});
        else
            db::exec(d.database(), QStringLiteral("update membManage set memb_card_code = ? where memb_card_code = ?"),
                     {newCode, oldCode});
    };
    installRules(*m.adoqry_Member, member);
    m.adoqry_Member->addCalculatedField(QStringLiteral("membpass"), db::FieldKind::String, 6);
    m.adoqry_Member->onCalcFields = [](Dataset& d) {
        d.field(QStringLiteral("membpass"))
            .setValue(d.field(QStringLiteral("memb_pass")).asString().isEmpty() ? QString() : kHiddenPassword);
    };

    // Adjustment rows: only added, never zero, and the card's balance and points follow in the
    // same transaction.
    Dataset* members = m.adoqry_Member;
    Dataset* rows = m.adoqry_MembManage;
    rows->checksInTransaction = true;
    rows->afterInsert = [members](Dataset& d) {
        d.field(QStringLiteral("memb_card_code")).setValue(members->field(QStringLiteral("memb_card_code")).asString());
        d.field(QStringLiteral("memb_card_type")).setValue(members->field(QStringLiteral("memb_card_type")).asString());
        d.field(QStringLiteral("memb_mana_save")).setValue(0);
        d.field(QStringLiteral("memb_mana_inte")).setValue(0);
    };
    rows->beforePost = [](Dataset& d) {
        if (d.state() == Dataset::Edit) {
            // A saved row passes again unchanged (as "增加" posts it first); a change is undone.
            if (!d.modified()) return;
            inform(SeriesTitle, QStringLiteral("只能增加，不能被修改！"));
            d.cancel();
            throw SilentAbort();
        }
        // An emptied box is stored as 0, never as a missing amount.
        for (const char* f : {"memb_mana_save", "memb_mana_inte"})
            if (d.field(QString::fromLatin1(f)).isNull()) d.field(QString::fromLatin1(f)).setValue(0);
        const double save = d.field(QStringLiteral("memb_mana_save")).asFloat();
        const double points = d.field(QStringLiteral("memb_mana_inte")).asFloat();
        if (qRound64(save * 100) == 0 && qRound64(points * 100) == 0) {
            inform(SeriesTitle, QStringLiteral("续钱金额或积分增减不能为零！"));
            throw SilentAbort();
        }
        recomputeCard(d.database(), d.field(QStringLiteral("memb_card_code")).asString(), save, points);
    };
    // The card as the database holds it now.
    rows->afterPost = [members](Dataset&) { members->refreshCurrent(); };
}

namespace {


std::vector<db::GridColumn> memberColumns() {
    using db::GridColumn;
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    return {GridColumn{QStringLiteral("memb_card_code"), QStringLiteral("卡号"), {}, 90},
            GridColumn{QStringLiteral("memb_name"), QStringLiteral("姓名"), {}, 80},
            GridColumn{QStringLiteral("membtype"), QStringLiteral("会员类型"), {}, 80},
            GridColumn{QStringLiteral("memb_card_type"), QStringLiteral("卡类型"), {}, 60},
            GridColumn{QStringLiteral("memb_disc_perc"), QStringLiteral("折扣率"), {}, 50, false, right},
            GridColumn{QStringLiteral("memb_surp"), QStringLiteral("剩余金额"), QStringLiteral("0.00"), 70, false, right},
            GridColumn{QStringLiteral("memb_stor"), QStringLiteral("消费积分"), QStringLiteral("0.##"), 70, false, right},
            GridColumn{QStringLiteral("memb_time_end"), QStringLiteral("结束日期"), QStringLiteral("yyyy-mm-dd"), 85},
            GridColumn{QStringLiteral("memb_time_allo"), QStringLiteral("限期"), {}, 40, true, Qt::AlignCenter},
            GridColumn{QStringLiteral("membpass"), QStringLiteral("密码"), {}, 60},
            GridColumn{QStringLiteral("memb_ID"), QStringLiteral("证件号码"), {}, 120},
            GridColumn{QStringLiteral("memb_work"), QStringLiteral("工作单位"), {}, 100},
            GridColumn{QStringLiteral("memb_add"), QStringLiteral("地址"), {}, 100},
            GridColumn{QStringLiteral("memb_tele"), QStringLiteral("电话"), {}, 90},
            GridColumn{QStringLiteral("memb_rema"), QStringLiteral("备注"), {}, 100}};
}

class MemberScreens {
  public:
    MemberScreens(TFormSMain& main, TDMManage& m) : main_(main), m_(m) {}
    void build(TFormChild& child);

  private:
    void buildMembers(TFormChild& child);
    void buildAdjustments(TFormChild& child);
    // The kind shown by the radio buttons and the adjustment buttons it allows.
    void showKind();
    void chooseKind(const QString& kind);
    void openAdjustments(bool topUp);
    void leaveAdjustments();

    TFormSMain& main_;
    TDMManage& m_;
    QWidget* members_ = nullptr;
    QWidget* adjustments_ = nullptr;
    QRadioButton* storedValue_ = nullptr;
    QRadioButton* points_ = nullptr;
    QPushButton* topUp_ = nullptr;
    QPushButton* deduct_ = nullptr;
    QLabel* heading_ = nullptr;
    QLineEdit* save_ = nullptr;
    QLineEdit* inte_ = nullptr;
    bool showing_ = false;
};

void MemberScreens::build(TFormChild& child) {
    using db::GridColumn;
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    RecordScreen types{"pnl_MembType",
                       "DBGrid34",
                       m_.adoqry_MembType,
                       {GridColumn{QStringLiteral("memb_type_code"), QStringLiteral("编码"), {}, 50},
                        GridColumn{QStringLiteral("memb_Type_name"), QStringLiteral("类型"), {}, 100},
                        GridColumn{QStringLiteral("memb_type_pric"), QStringLiteral("售价"), QStringLiteral("0.##"), 70,
                                   false, right},
                        GridColumn{QStringLiteral("memb_type_allo_time"), QStringLiteral("限期"), {}, 40, true,
                                   Qt::AlignCenter},
                        GridColumn{QStringLiteral("memb_type_time"), QStringLiteral("期限(天)"), {}, 70, false, right},
                        GridColumn{QStringLiteral("memb_type_disc_perc"), QStringLiteral("折扣率"), QStringLiteral("##%"),
                                   60, false, right},
                        GridColumn{QStringLiteral("memb_type_fact"), QStringLiteral("可消费金额"), QStringLiteral("0.##"),
                                   80, false, right}},
                       {{"DBEdit57", "编码：", "memb_type_code", EntryKind::Upper},
                        {"DBEdit58", "类型：", "memb_Type_name", EntryKind::Upper},
                        {"DBEdit59", "售价：", "memb_type_pric", EntryKind::Amount, 999999, 6},
                        {"DBEdit60", "期限：", "memb_type_time", EntryKind::Integer, 9999, 4},
                        {"DBEdit61", "折扣率：", "memb_type_disc_perc", EntryKind::Integer, 99, 2},
                        {"DBEdit62", "可消费金额：", "memb_type_fact", EntryKind::Amount, 999999, 6}},
                       {},
                       {{"DBCheckBox6", "限期", "memb_type_allo_time"}}};
    types.formColumns = 2;
    main_.registerScreen(QStringLiteral("会员类别"), {buildRecordScreen(&child, types), m_.adoqry_MembType, {}});
    buildMembers(child);
    buildAdjustments(child);
}

void MemberScreens::buildMembers(TFormChild& child) {
    Dataset* members = m_.adoqry_Member;
    RecordScreen form{"pnl_Member",
                      "DBGrid35",
                      members,
                      memberColumns(),
                      {{"DBEdit64", "卡号：", "memb_card_code", EntryKind::Upper},
                       {"DBEdit67", "折扣率：", "memb_disc_perc", EntryKind::Integer, 99, 2},
                       {"DBEdit68", "剩余金额：", "memb_surp", EntryKind::Text, 0, 0, "0.00"},
                       {"DBEdit65", "消费积分：", "memb_stor", EntryKind::Text, 0, 0, "0.##"},
                       {"DBEdit69", "姓名：", "memb_name", EntryKind::Upper},
                       {"DBEdit70", "证件号码：", "memb_ID", EntryKind::Upper},
                       {"DBEdit71", "单位：", "memb_work", EntryKind::Upper},
                       {"DBEdit72", "地址：", "memb_add", EntryKind::Upper},
                       {"DBEdit73", "电话：", "memb_tele", EntryKind::Upper},
                       {"DBEdit74", "备注：", "memb_rema", EntryKind::Upper}},
                      {{"DBLookupComboBox6", "会员类别：", "memb_type_code", m_.adoqry_MembType, "memb_type_code",
                        "memb_Type_name"}}};
    form.formColumns = 2;
    form.formOrder = {"DBEdit64", "DBLookupComboBox6", "DBEdit67", "DBEdit68", "DBEdit65"};
    members_ = buildRecordScreen(&child, form);
    auto* grid = members_->findChild<QGridLayout*>();
    for (const char* name : {"DBEdit68", "DBEdit65"})
        members_->findChild<QLineEdit*>(QString::fromLatin1(name))->setEnabled(false);

    // "续钱" beside the balance, "扣减" beside the points.
    topUp_ = new QPushButton(QStringLiteral("续钱"), members_);
    topUp_->setObjectName(QStringLiteral("SpeedButton4"));
    deduct_ = new QPushButton(QStringLiteral("扣减"), members_);
    deduct_->setObjectName(QStringLiteral("SpeedButton5"));
    for (QPushButton* b : {topUp_, deduct_})
        b->setAutoDefault(false);
    placeBeside(members_->findChild<QLineEdit*>(QStringLiteral("DBEdit68")), topUp_);
    placeBeside(members_->findChild<QLineEdit*>(QStringLiteral("DBEdit65")), deduct_);

    // The card kind, the password and the period.
    int row = grid->rowCount();
    auto* kinds = new QHBoxLayout;
    storedValue_ = new QRadioButton(kStoredValue, members_);
    storedValue_->setObjectName(QStringLiteral("RadioButton1"));
    points_ = new QRadioButton(kPoints, members_);
    points_->setObjectName(QStringLiteral("RadioButton2"));
    kinds->addWidget(storedValue_);
    kinds->addWidget(points_);
    kinds->addStretch(1);
    grid->addWidget(new QLabel(QStringLiteral("类别："), members_), row, 0);
    grid->addLayout(kinds, row, 1);
    // Its password, kept as a hash: a new card needs one.
    auto* password = newPasswordEdit(
        members_, members, "DBEdit66", QStringLiteral("memb_pass"),
        QStringLiteral("会员[卡号]、[会员类型]、[卡类型]、[姓名]、[工作单位]、[地址]、[电话]不能为空！"), true);
    grid->addWidget(new QLabel(QStringLiteral("密码："), members_), row, 2);
    grid->addWidget(password, row++, 3);
    auto* period = new QHBoxLayout;
    auto* limited = new QCheckBox(QStringLiteral("限期"), members_);
    limited->setObjectName(QStringLiteral("DBCheckBox7"));
    bindCheckBox(limited, members, QStringLiteral("memb_time_allo"));
    auto* end = new QDateEdit(members_);
    end->setObjectName(QStringLiteral("DateTimePicker1"));
    end->setCalendarPopup(true);
    end->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    bindDateEdit(end, members, QStringLiteral("memb_time_end"));
    period->addWidget(limited);
    period->addWidget(end, 1);
    grid->addWidget(new QLabel(QStringLiteral("期限："), members_), row, 0);
    grid->addLayout(period, row++, 1);

    QObject::connect(storedValue_, &QRadioButton::clicked, members_, [this] { chooseKind(kStoredValue); });
    QObject::connect(points_, &QRadioButton::clicked, members_, [this] { chooseKind(kPoints); });
    for (auto signal : {&Dataset::currentChanged, &Dataset::rowChanged, &Dataset::stateChanged})
        QObject::connect(members, signal, members_, [this] { showKind(); });
    QObject::connect(members, &Dataset::reset, members_, [this] { showKind(); });
    showKind();

    QObject::connect(topUp_, &QPushButton::clicked, members_, [this] { guarded([this] { openAdjustments(true); }); });
    QObject::connect(deduct_, &QPushButton::clicked, members_, [this] { guarded([this] { openAdjustments(false); }); });
    main_.registerScreen(QStringLiteral("会员信息"), {members_, members, {}});
}

void MemberScreens::showKind() {
    Dataset* members = m_.adoqry_Member;
    const bool row = members->active() && (!members->isEmpty() || members->state() == Dataset::Insert);
    const QString kind = row ? members->field(QStringLiteral("memb_card_type")).asString() : QString();
    showing_ = true;
    // No kind yet: neither button is chosen.
    for (QRadioButton* b : {storedValue_, points_})
        b->setAutoExclusive(false);
    storedValue_->setChecked(kind == kStoredValue);
    points_->setChecked(!kind.isEmpty() && kind != kStoredValue);
    for (QRadioButton* b : {storedValue_, points_})
        b->setAutoExclusive(true);
    showing_ = false;
    topUp_->setEnabled(kind == kStoredValue);
    deduct_->setEnabled(!kind.isEmpty() && kind != kStoredValue);
}

void MemberScreens::chooseKind(const QString& kind) {
    if (showing_) return;
    guarded([&] {
        Dataset* members = m_.adoqry_Member;
        if (!members->active() || (members->isEmpty() && members->state() != Dataset::Insert)) return;
        if (members->state() == Dataset::Browse) members->edit();
        members->field(QStringLiteral("memb_card_type")).setValue(kind);
    });
    showKind();
}

void MemberScreens::buildAdjustments(TFormChild& child) {
    using db::GridColumn;
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    Dataset* rows = m_.adoqry_MembManage;
    RecordScreen form{"pnl_MembManage",
                      "DBGrid36",
                      rows,
                      {GridColumn{QStringLiteral("memb_card_code"), QStringLiteral("会员卡号"), {}, 100},
                       GridColumn{QStringLiteral("memb_card_type"), QStringLiteral("卡类型"), {}, 70},
                       GridColumn{QStringLiteral("memb_mana_save"), QStringLiteral("续钱"), QStringLiteral("0.00"), 80,
                                  false, right},
                       GridColumn{QStringLiteral("memb_mana_inte"), QStringLiteral("积分"), QStringLiteral("0.##"), 80,
                                  false, right},
                       GridColumn{QStringLiteral("memb_mana_rema"), QStringLiteral("备注"), {}, 200}},
                      {{"DBEdit76", "续钱：", "memb_mana_save", EntryKind::SignedAmount},
                       {"DBEdit77", "扣减积分：", "memb_mana_inte", EntryKind::SignedAmount},
                       {"DBEdit78", "备注：", "memb_mana_rema", EntryKind::Upper}}};
    form.headingName = "lbl_MembCard";
    // A new row: the amount the card takes is typed at once.
    form.newRowFocus = {"DBEdit76", "DBEdit77"};
    adjustments_ = buildRecordScreen(&child, form);
    heading_ = adjustments_->findChild<QLabel*>(QStringLiteral("lbl_MembCard"));
    save_ = adjustments_->findChild<QLineEdit*>(QStringLiteral("DBEdit76"));
    inte_ = adjustments_->findChild<QLineEdit*>(QStringLiteral("DBEdit77"));
    main_.registerBack(rows, [this] { leaveAdjustments(); });
}

void MemberScreens::openAdjustments(bool topUp) {
    Dataset* members = m_.adoqry_Member;
    if (!members->active() || (members->isEmpty() && members->state() != Dataset::Insert)) return;
    // The card is stored first; its own rules may refuse it.
    if (members->state() == Dataset::Browse) members->edit();
    members->post();
    const QString kind = members->field(QStringLiteral("memb_card_type")).asString();
    if (topUp != (kind == kStoredValue)) return;
    main_.enterDetail({main_.toolb_Del, main_.toolb_Search});
    Dataset* rows = m_.adoqry_MembManage;
    const QString card = members->field(QStringLiteral("memb_card_code")).asString();
    // Rows left empty by any card go first.
    db::exec(rows->database(), QStringLiteral("delete from Membmanage where COALESCE(memb_mana_save, 0) = 0 and "
                                              "COALESCE(memb_mana_inte, 0) = 0"));
    rows->setSql(QStringLiteral("select * from Membmanage where memb_card_code=?"), {card});
    rows->open();
    save_->setEnabled(topUp);
    inte_->setEnabled(!topUp);
    heading_->setText(QStringLiteral("会员卡号：") + card + QStringLiteral("    卡类型：") + kind + QStringLiteral("/") +
                      members->field(QStringLiteral("memb_name")).asString());
    main_.makeCurrent(adjustments_, rows);
}

void MemberScreens::leaveAdjustments() {
    Dataset* members = m_.adoqry_Member;
    Dataset* rows = m_.adoqry_MembManage;
    const QString card = members->field(QStringLiteral("memb_card_code")).asString();
    QSqlDatabase db = members->database();
    // A row typed but not saved is dropped; the card is worked out from the saved ones.
    db::inTransaction(db, QStringLiteral("A100005"), [&] {
        if (rows->state() == Dataset::Insert || rows->state() == Dataset::Edit) rows->cancel();
        recomputeCard(db, card);
    });
    members->refreshCurrent();
    main_.makeCurrent(members_, members);
    main_.showButtons({main_.toolb_Search}, {});
}

} // namespace

void buildMemberScreens(TFormSMain& main, TFormChild& child, TDMManage& manage) {
    auto* screens = new MemberScreens(main, manage);
    QObject::connect(&main, &QObject::destroyed, [screens] { delete screens; });
    screens->build(child);
}

} // namespace kx::backoffice
