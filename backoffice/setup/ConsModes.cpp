#include "ConsModes.h"

#include "ErrorGuard.h"
#include "RecordRules.h"
#include "RecordScreen.h"
#include "Sql.h"
#include "TDMSetup.h"
#include "TFormChild.h"
#include "TFormSMain.h"
#include "Transaction.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace kx::backoffice {

void declareConsModeRules(TDMSetup& s) {
    RecordRules mode;
    mode.codeField = QStringLiteral("cons_mode_code");
    mode.nameField = QStringLiteral("cons_mode_name");
    mode.required = {mode.codeField, mode.nameField, QStringLiteral("cons_type_code")};
    mode.requiredMessage = QStringLiteral("消费方式[编码]、[名称]、[消费类型]不能为空！");
    mode.remarkField = QStringLiteral("cons_mode_rema");
    mode.uses = {{QStringLiteral("SELECT count(*) FROM TableTypeList WHERE cons_mode_code = ?"),
                  QStringLiteral("[消费类型]正在被使用，不能被删除!"), QStringLiteral("[消费类型]正在被使用，不能被修改!")},
                 {QStringLiteral("SELECT count(*) FROM TableGuestList WHERE cons_mode_code = ?"),
                  QStringLiteral("[消费类型]正在被[前台操作]使用，不能被删除!"),
                  QStringLiteral("[消费类型]正在被[前台操作]使用，不能被使用!")}};
    // A mode's time bands are its own: they follow a new code and go with the mode.
    mode.carry = [](Dataset& d, const QString& oldCode, const QString& newCode) {
        if (newCode.isEmpty())
            db::exec(d.database(), QStringLiteral("delete from ConsTimeMode where cons_mode_code = ?"), {oldCode});
        else
            db::exec(d.database(), QStringLiteral("update ConsTimeMode set cons_mode_code = ? where cons_mode_code = ?"),
                     {newCode, oldCode});
    };
    installRules(*s.adoqry_ConsMode, mode);

    // A band added in code takes the current mode and noon as both times.
    Dataset* modes = s.adoqry_ConsMode;
    s.adoqry_ConsTimeMode->afterInsert = [modes](Dataset& d) {
        d.field(QStringLiteral("cons_mode_code")).setValue(modes->field(QStringLiteral("cons_mode_code")).asString());
        const QDateTime noon(QDate(1899, 12, 30), QTime(12, 0, 0));
        d.field(QStringLiteral("cons_time_star")).setValue(noon);
        d.field(QStringLiteral("cons_time_end")).setValue(noon);
    };
}

namespace {

// The amount's caption by consumption type; empty: the amount is hidden (the time-band button
// shows for "9").
struct AmountCaption {
    const char* type;
    const char* caption;
};
constexpr AmountCaption kAmountCaptions[] = {
    {"1", ""},         {"2", "最低消费"}, {"3", "小时费"},   {"4", "房间费"}, {"5", "每人最低消费"},
    {"6", "小时费"},   {"7", "茶位费"},   {"8", "每日房费"}, {"9", ""},       {"A", "每日房费"},
};

void showAmountCaption(const QString& type, QLabel* caption, QLineEdit* amount, QPushButton* bands) {
    for (const AmountCaption& c : kAmountCaptions) {
        if (type != QLatin1String(c.type)) continue;
        const bool shown = *c.caption != '\0';
        caption->setText(QString::fromUtf8(c.caption));
        caption->setVisible(shown);
        amount->setVisible(shown);
        bands->setVisible(type == QLatin1String("9"));
        return;
    }
    // Any other type leaves them as they are.
}

} // namespace

void buildConsModeScreens(TFormSMain& main, TFormChild& child, TDMSetup& s) {
    using db::GridColumn;
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    auto number = [right](const char* field, const char* caption, int width = 70) {
        return GridColumn{QString::fromLatin1(field), QString::fromUtf8(caption), {}, width, false, right};
    };
    Dataset* modes = s.adoqry_ConsMode;
    Dataset* bands = s.adoqry_ConsTimeMode;
    RecordScreen modeForm{"pnl_ConsMode",
                 "DBGrid21",
                 modes,
                 {GridColumn{QStringLiteral("cons_mode_code"), QStringLiteral("编码"), {}, 40},
                  GridColumn{QStringLiteral("cons_mode_name"), QStringLiteral("消费方式"), {}, 110},
                  GridColumn{QStringLiteral("cons_mode_mone"), QStringLiteral("消费金额"), QStringLiteral("0.##"), 65,
                             false, right},
                  number("cons_mode_serv", "服务费率", 60), number("cons_mode_achi", "业绩定额/单", 80),
                  number("cons_mode_pred_stan", "预定定额提成", 85), number("cons_mode_pred_abov", "预定超额提成", 85),
                  number("cons_mode_spec_stan", "指定定额提成", 85), number("cons_mode_spec_abov", "指定超额提成", 85),
                  number("cons_mode_lead_stan", "领位定额提成", 85), number("cons_mode_lead_abov", "领位超额提成", 85)},
                 {{"DBEdit29", "消费编码：", "cons_mode_code", EntryKind::Upper},
                  {"DBEdit30", "名称：", "cons_mode_name", EntryKind::Upper},
                  {"dbe_ConsMode", "", "cons_mode_mone", EntryKind::Amount, 999999, 6},
                  {"DBEdit32", "服务费率：", "cons_mode_serv", EntryKind::Integer, 99, 2},
                  {"DBEdit31", "业绩定额：", "cons_mode_achi", EntryKind::Integer, 999999, 6},
                  {"DBEdit34", "预定定额提成", "cons_mode_pred_stan", EntryKind::Integer, 9999, 4},
                  {"DBEdit35", "预定超额提成", "cons_mode_pred_abov", EntryKind::Integer, 9999, 4},
                  {"DBEdit36", "指定定额提成", "cons_mode_spec_stan", EntryKind::Integer, 9999, 4},
                  {"DBEdit37", "指定超额提成", "cons_mode_spec_abov", EntryKind::Integer, 9999, 4},
                  {"DBEdit38", "领位定额提成", "cons_mode_lead_stan", EntryKind::Integer, 9999, 4},
                  {"DBEdit39", "领位超额提成", "cons_mode_lead_abov", EntryKind::Integer, 9999, 4}},
                 {{"DBLookupComboBox4", "消费类型：", "cons_type_code", s.adoqry_ConsType, "cons_type_code",
                   "cons_type_name"}}};
    modeForm.formColumns = 2;
    modeForm.formOrder = {"DBEdit29", "DBEdit30", "DBLookupComboBox4", "dbe_ConsMode", "DBEdit32", "DBEdit31"};
    QWidget* modeScreen = buildRecordScreen(&child, modeForm);
    main.registerScreen(QStringLiteral("消费方式"), {modeScreen, modes, {}});

    auto* amount = modeScreen->findChild<QLineEdit*>(QStringLiteral("dbe_ConsMode"));
    QLabel* caption = captionOf(amount);
    caption->setObjectName(QStringLiteral("lbl_ConsMode"));
    auto* openBands = new QPushButton(QStringLiteral("分时段价格"), modeScreen);
    openBands->setObjectName(QStringLiteral("sb_ConsMode"));
    openBands->setToolTip(QStringLiteral("分时段计费的各时段每小时价格"));
    openBands->setAutoDefault(false);
    openBands->hide();
    auto* typeBox = modeScreen->findChild<QComboBox*>(QStringLiteral("DBLookupComboBox4"));
    placeBeside(typeBox, openBands);
    auto relabel = [modes, caption, amount, openBands] {
        if (!modes->active() || (modes->isEmpty() && modes->state() != Dataset::Insert)) return;
        showAmountCaption(modes->field(QStringLiteral("cons_type_code")).asString(), caption, amount, openBands);
    };
    // On every move, and when a type is chosen in the box.
    auto scrolled = modes->afterScroll;
    modes->afterScroll = [scrolled, relabel](Dataset& d) {
        if (scrolled) scrolled(d);
        relabel();
    };
    QObject::connect(typeBox, qOverload<int>(&QComboBox::activated), typeBox, [relabel] { relabel(); });
    relabel();

    // The time bands: only their hourly price is typed here.
    RecordScreen bandForm{
        "pnl_ConsTimeMode",
        "DBGrid22",
        bands,
        {GridColumn{QStringLiteral("cons_time_star"), QStringLiteral("开始时间"), QStringLiteral("hh:mm:ss"), 90},
         GridColumn{QStringLiteral("cons_time_end"), QStringLiteral("结束时间"), QStringLiteral("hh:mm:ss"), 90},
         GridColumn{QStringLiteral("cons_time_mone"), QStringLiteral("价格/小时"), QStringLiteral("0.##"), 80, false,
                    right}},
        {{"dbe_TimeStar", "起始时间：", "cons_time_star", EntryKind::Text, 0, 0, "hh:mm:ss"},
         {"dbe_TimeEnd", "结束时间：", "cons_time_end", EntryKind::Text, 0, 0, "hh:mm:ss"},
         {"DBEdit41", "每小时价格：", "cons_time_mone", EntryKind::Amount, 999999.99, 9}}};
    bandForm.headingName = "lbl_ConsTimeMode";
    QWidget* bandScreen = buildRecordScreen(&child, bandForm);
    for (const char* name : {"dbe_TimeStar", "dbe_TimeEnd"})
        bandScreen->findChild<QLineEdit*>(QString::fromLatin1(name))->setEnabled(false);
    auto* heading = bandScreen->findChild<QLabel*>(QStringLiteral("lbl_ConsTimeMode"));
    auto* price = bandScreen->findChild<QLineEdit*>(QStringLiteral("DBEdit41"));

    QObject::connect(openBands, &QPushButton::clicked, modeScreen, [&main, modes, bands, bandScreen, heading, price] {
        guarded([&] {
            if (!modes->active() || (modes->isEmpty() && modes->state() != Dataset::Insert)) return;
            // The mode is stored first; its own rules may refuse it.
            if (modes->state() == Dataset::Browse) modes->edit();
            modes->post();
            main.enterDetail({main.toolb_Save, main.toolb_Add, main.toolb_Del});
            const QString code = modes->field(QStringLiteral("cons_mode_code")).asString();
            QSqlDatabase db = modes->database();
            // The template's bands, the first time only: the look and the copy are one write.
            {
                db::Transaction tx(db);
                if (db::scalarInt(db, QStringLiteral("select count(*) from ConsTimeMode where cons_mode_code = ?"),
                                  {code}) == 0)
                    db::exec(db,
                             QStringLiteral("insert into Constimemode(cons_mode_code,cons_time_star,cons_time_end) "
                                            "select ?,cons_time_star,cons_time_end from constimemodetemp"),
                             {code});
                tx.commit();
            }
            // In stored order, the order the front desk walks them.
            bands->setSql(QStringLiteral("select * from Constimemode where cons_mode_code=? order by cons_time_code"),
                          {code});
            bands->open();
            main.makeCurrent(bandScreen, bands);
            heading->setText(modes->field(QStringLiteral("cons_mode_name")).asString());
            price->setFocus();
        });
    });
    main.registerBack(bands, [&main, bands, modes, modeScreen] {
        if (bands->active() && !bands->isEmpty()) {
            if (bands->state() == Dataset::Browse) bands->edit();
            bands->post();
        }
        main.makeCurrent(modeScreen, modes);
    });
}

} // namespace kx::backoffice
