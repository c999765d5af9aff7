#include "Discounts.h"

#include "ErrorGuard.h"
#include "RecordRules.h"
#include "RecordScreen.h"
#include "TDMSetup.h"
#include "TFormChild.h"
#include "TFormSMain.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

namespace kx::backoffice {

void declareDiscountRules(TDMSetup& s) {
    RecordRules scheme =
        codeAndNameRules(QStringLiteral("disc_code"), QStringLiteral("disc_name"),
                         QStringLiteral("折扣方案[编码]、[名称]不能为空！"), QStringLiteral("disc_rema"));
    // "N" stands for no scheme on a visit.
    scheme.presetCodes = {QStringLiteral("N")};
    const QString atTheDesk = QStringLiteral("[折扣方案]正在被[前台操作]使用，不能被");
    scheme.uses = {{QStringLiteral("SELECT count(*) FROM Discitem WHERE disc_code = ?"),
                    QStringLiteral("[折扣方案]中下设置有项目，不能被删除!"),
                    QStringLiteral("[折扣方案]中下设置有项目，不能被修改!")},
                   {QStringLiteral("SELECT count(*) FROM TableGuestlist WHERE disc_code = ? AND "
                                   "COALESCE(tabl_gues_use, 0) <> 0"),
                    atTheDesk + QStringLiteral("删除!"), atTheDesk + QStringLiteral("修改!")}};
    installRules(*s.adoqry_ConsDiscount, scheme);

    RecordRules rate;
    rate.required = {QStringLiteral("disc_clas_perc")};
    rate.requiredMessage = QStringLiteral("折扣率不能为空！");
    installRules(*s.adoqry_ConsDiscItem, rate);
    // The rates name their classes from every kind.
    s.adoqry_ConsClass->lookupsSeeAllRows = true;
}

namespace {

std::vector<db::GridColumn> classColumns() {
    return {db::GridColumn{QStringLiteral("clas_code"), QStringLiteral("编码"), {}, 60},
            db::GridColumn{QStringLiteral("clas_name"), QStringLiteral("分类名称"), {}, 110}};
}

} // namespace

void buildDiscountScreens(TFormSMain& main, TFormChild& child, TDMSetup& s) {
    using db::GridColumn;
    Dataset* schemes = s.adoqry_ConsDiscount;
    Dataset* rates = s.adoqry_ConsDiscItem;
    QWidget* schemeScreen = buildRecordScreen(
        &child, {"pnl_Discount",
                 "DBGrid10",
                 schemes,
                 {GridColumn{QStringLiteral("disc_code"), QStringLiteral("编码"), {}, 60},
                  GridColumn{QStringLiteral("disc_name"), QStringLiteral("折扣名称"), {}, 160},
                  GridColumn{QStringLiteral("disc_narr"), QStringLiteral("折扣说明"), {}, 240}},
                 {{"DBEdit1", "折扣编码：", "disc_code", EntryKind::Upper, 0, 3},
                  {"DBEdit3", "折扣方案：", "disc_name", EntryKind::Upper},
                  {"DBEdit5", "折扣说明：", "disc_narr", EntryKind::Upper}}});
    main.registerScreen(QStringLiteral("折扣"), {schemeScreen, schemes, {}});

    RecordScreen rateForm{
        "pnl_DiscItem",
        "DBGrid11",
        rates,
        {GridColumn{QStringLiteral("clas_code"), QStringLiteral("编码"), {}, 60},
         GridColumn{QStringLiteral("clasname"), QStringLiteral("分类名称"), {}, 160},
         GridColumn{QStringLiteral("disc_clas_perc"), QStringLiteral("折扣率"), QStringLiteral("##%"), 60, false,
                    Qt::AlignRight | Qt::AlignVCenter}},
        {{"DBEdit11", "折扣率　：", "disc_clas_perc", EntryKind::Integer, 99, 2}}};
    rateForm.headingName = "lbl_Disc";
    rateForm.texts = {{"lbl_DiscClass", "分类名称：", [](Dataset& d) {
                           return d.field(QStringLiteral("clas_code")).asString() + QStringLiteral("/") +
                                  d.field(QStringLiteral("clasname")).asString();
                       }}};
    rateForm.candidates = CandidateList{
        main.ds_Temp,
        "DBGrid12",
        "EditDictDisc",
        classColumns(),
        [](const QString& t) { return QStringLiteral("clas_code LIKE '") + quotedForFilter(t) + QStringLiteral("%'"); },
        // A class already in the scheme is only moved to; a new one starts at 90 (10 % off).
        [schemes, rates](Dataset& candidate) {
            const QString cls = candidate.field(QStringLiteral("clas_code")).asString();
            if (rates->locate(QStringLiteral("clas_code"), cls) || cls.isEmpty()) return;
            rates->append();
            rates->field(QStringLiteral("disc_code")).setValue(schemes->field(QStringLiteral("disc_code")).asString());
            rates->field(QStringLiteral("clas_code")).setValue(cls);
            rates->field(QStringLiteral("disc_clas_perc")).setValue(90);
            rates->post();
        },
        "DBEdit11"};
    QWidget* rateScreen = buildRecordScreen(&child, rateForm);
    auto* heading = rateScreen->findChild<QLabel*>(QStringLiteral("lbl_Disc"));
    auto* search = rateScreen->findChild<QLineEdit*>(QStringLiteral("EditDictDisc"));
    auto* candidates = rateScreen->findChild<QTableView*>(QStringLiteral("DBGrid12"));

    // The detail button under the scheme's edits.
    auto* form = schemeScreen->findChild<QGridLayout*>();
    auto* open = new QPushButton(QStringLiteral("分类折扣率"), schemeScreen);
    open->setObjectName(QStringLiteral("SpeedButton3"));
    open->setToolTip(QStringLiteral("此折扣方案中各分类的折扣率"));
    open->setAutoDefault(false);
    form->addWidget(open, form->rowCount(), 1, Qt::AlignLeft);
    QObject::connect(open, &QPushButton::clicked, schemeScreen,
                     [&main, schemes, rates, rateScreen, heading, search, candidates] {
                         guarded([&] {
                             if (!schemes->active() || (schemes->isEmpty() && schemes->state() != Dataset::Insert))
                                 return;
                             // The scheme is stored first; its own rules may refuse it.
                             if (schemes->state() == Dataset::Browse) schemes->edit();
                             schemes->post();
                             main.enterDetail({main.toolb_Add, main.toolb_Cancel, main.toolb_Save});
                             rates->setFiltered(false);
                             rates->setSql(QStringLiteral("select * from discitem where disc_code=? order by disc_ID"),
                                           {schemes->field(QStringLiteral("disc_code")).asString()});
                             rates->open();
                             // Every class but the ingredients' ("M…").
                             main.ds_Temp->attach(rates->database(),
                                                  QStringLiteral("select clas_code,clas_name from classlist where "
                                                                 "substr(clas_code,1,1)<>'M' order by clas_code"));
                             main.ds_Temp->show(candidates, classColumns());
                             search->clear();
                             main.makeCurrent(rateScreen, rates);
                             heading->setText(QStringLiteral("[") + schemes->field(QStringLiteral("disc_name")).asString() +
                                              QStringLiteral("]"));
                             search->setFocus();
                         });
                     });

    // Back to the schemes with the rate being typed stored; a refused rate keeps the screen.
    main.registerBack(rates, [&main, rates, schemes, schemeScreen] {
        if (rates->active() && (rates->state() == Dataset::Edit || rates->state() == Dataset::Insert)) rates->post();
        main.makeCurrent(schemeScreen, schemes);
    });
}

} // namespace kx::backoffice
