#include "TDMTable.h"

#include <QUuid>

#include "Prompter.h"

namespace kx::frontdesk {

Dataset* TDMTable::make(const char* name, const QString& sql) {
    auto* ds = new Dataset(db_, QString::fromLatin1(name), sql, this);
    all_.push_back(ds);
    return ds;
}

TDMTable::TDMTable(QSqlDatabase db, QObject* parent)
    : QObject(parent), deskId(QUuid::createUuid().toString(QUuid::WithoutBraces)), db_(db) {
    setObjectName(QStringLiteral("DMTable"));
    adoqry_TableDept = make("adoqry_TableDept", QStringLiteral("SELECT * FROM DepartmentList"));
    adoqry_TableType = make("adoqry_TableType", QStringLiteral("SELECT * FROM TableTypeList"));
    adoqry_tabletypetemp = make("adoqry_tabletypetemp", QString());
    adoqry_TableState = make("adoqry_TableState", QStringLiteral("SELECT * FROM TableStateList"));
    // Every screen points the lines at one visit before it uses them: the data module opens
    // them empty instead of loading every live line at start-up.
    adoqry_TableCons = make("adoqry_TableCons", QStringLiteral("SELECT * FROM TableConsList where 1=0"));
    adoqry_ConsItem = make("adoqry_ConsItem",
                           QStringLiteral("SELECT * FROM itemlist where item_type_code<>'4' order by item_code"));
    adoqry_ConsNarr = make("adoqry_ConsNarr", QStringLiteral("SELECT * FROM ConsNarrList"));
    adoqry_ConsItemGroup = make("adoqry_ConsItemGroup", QStringLiteral("SELECT * FROM ItemGroup"));
    adoqry_MenuType = make("adoqry_MenuType", QStringLiteral("SELECT * FROM OrderMenuType"));
    // The order pad opens on one visit when its order screen opens.
    adoqry_TableConsTemp = make("adoqry_TableConsTemp", QStringLiteral("SELECT * FROM TableConsListTemp where 1=0"));
    adoqry_ConsClass = make("adoqry_ConsClass", QStringLiteral("SELECT * FROM classlist where kind_code<>'M'"));
    adoqry_ConsMode = make("adoqry_ConsMode", QStringLiteral("SELECT * FROM ConsModeList"));
    adoqry_ConsType = make("adoqry_ConsType", QStringLiteral("SELECT * FROM ConsTypeList"));
    adoqry_ConsTimeMode = make("adoqry_ConsTimeMode", QStringLiteral("SELECT * FROM Constimemode"));
    adoqry_PayType = make("adoqry_PayType", QStringLiteral("SELECT * FROM PayTypeList order by pay_type_code desc "));
    adoqry_DiscItem = make("adoqry_DiscItem", QStringLiteral("SELECT * FROM DiscItem"));
    // The member dataset holds the card chosen on the bill screen, read by its number when it is
    // chosen: a venue's thousands of cards are never loaded whole.
    adoqry_Member = make("adoqry_Member", QStringLiteral("SELECT * FROM MemberList where 1=0"));
    adoqry_MembType = make("adoqry_MembType", QStringLiteral("SELECT * FROM MembType"));
    adoqry_SetupPay = make("adoqry_SetupPay", QStringLiteral("SELECT * FROM SetupPay"));
    adoqry_DeduOper = make("adoqry_DeduOper", QStringLiteral("SELECT * FROM deduoperatorlist"));
    adoqry_Disc = make("adoqry_Disc", QStringLiteral("select * from discountlist"));
    adoqry_TableGues = make("adoqry_TableGues", QStringLiteral("select * from TableGuestlist order by tabl_gues_auto_recn"));
    adoqry_bookin = make("adoqry_bookin", QStringLiteral("SELECT * FROM bookin"));
    adoqry_Operator = make("adoqry_Operator", QStringLiteral("SELECT * FROM operatorlist"));
    adoqry_order = make("adoqry_order", QStringLiteral("SELECT * FROM orderlist"));
    adoqry_otherincome = make("adoqry_otherincome", QStringLiteral("SELECT * FROM otherincomelist"));
    adoqry_PayTemp = make("adoqry_PayTemp", QStringLiteral("SELECT * FROM Paytotaltemp order by pay_type_code desc"));
    adoqry_paytypetemp =
        make("adoqry_paytypetemp", QStringLiteral("SELECT * FROM PayTypeList order by pay_type_code desc"));
    adoqry_ConsKind = make("adoqry_ConsKind", QStringLiteral("SELECT * FROM kindlist where kind_code<>'M'"));
    adoqry_Group = make("adoqry_Group", QStringLiteral("SELECT * FROM GroupList "));
    // The archived payments are only ever read by query; the data module keeps the dataset
    // (screens re-point it) without loading the whole archive at start-up.
    adoqry_AllguesPay = make("adoqry_AllguesPay", QStringLiteral("SELECT * FROM Allguespay where 1=0"));
    adoqry_hanggues = make("adoqry_hanggues", QStringLiteral("select * from hanggues"));
    adoqry_SetupPrint = make("adoqry_SetupPrint", QStringLiteral("SELECT * FROM setupprint"));
    adoqry_table = make("adoqry_table", QStringLiteral("select * from tablelist"));

    defineLookups();

    // Choosing a kind shows its classes; choosing a class shows its items.
    adoqry_ConsKind->afterScroll = [this](Dataset& d) {
        adoqry_ConsClass->applyFilter(QStringLiteral("kind_code='%1'").arg(d.field("kind_code").asString().replace("'", "''")));
    };
    adoqry_ConsClass->afterScroll = [this](Dataset& d) {
        adoqry_ConsItem->applyFilter(QStringLiteral("clas_code='%1'").arg(d.field("clas_code").asString().replace("'", "''")));
    };
    // A duplicate item code (a new item from the order screen) is refused with a notice.
    adoqry_ConsItem->onPostError = [](Dataset&, const DbError&) {
        prompter().information(QStringLiteral("编号有重复，请从新输入！"));
        return Dataset::PostErrorAction::Abort;
    };

    for (Dataset* ds : all_)
        if (ds != adoqry_tabletypetemp && ds != adoqry_ConsItem && ds != adoqry_TableGues) ds->open();

    setup.attach(adoqry_SetupPay);
    setupPrint.attach(adoqry_SetupPrint);
}

void TDMTable::openWorkingData() {
    adoqry_ConsItem->open();
    adoqry_TableGues->open();
}

void TDMTable::defineLookups() {
    for (Dataset* lines : {adoqry_TableCons, adoqry_TableConsTemp}) {
        lines->addLookupField(QStringLiteral("itemname"), QStringLiteral("item_code"), adoqry_ConsItem,
                              QStringLiteral("item_code"), QStringLiteral("item_name"));
        lines->addLookupField(QStringLiteral("itemunit"), QStringLiteral("item_code"), adoqry_ConsItem,
                              QStringLiteral("item_code"), QStringLiteral("item_unit"));
        lines->addLookupField(QStringLiteral("itemreal"), QStringLiteral("item_code"), adoqry_ConsItem,
                              QStringLiteral("item_code"), QStringLiteral("item_real"));
        lines->addLookupField(QStringLiteral("itemnarr"), QStringLiteral("cons_narr_code"), adoqry_ConsNarr,
                              QStringLiteral("cons_narr_code"), QStringLiteral("cons_narr_name"));
        lines->addLookupField(QStringLiteral("menutypename"), QStringLiteral("menu_type_code"), adoqry_MenuType,
                              QStringLiteral("menu_type_code"), QStringLiteral("menu_type_name"));
        lines->addLookupField(QStringLiteral("deduoper"), QStringLiteral("dedu_oper_code"), adoqry_DeduOper,
                              QStringLiteral("dedu_oper_code"), QStringLiteral("dedu_oper_name"));
    }
    adoqry_TableConsTemp->addLookupField(QStringLiteral("itemlimi"), QStringLiteral("item_code"), adoqry_ConsItem,
                                         QStringLiteral("item_code"), QStringLiteral("item_limi"));
    adoqry_TableConsTemp->addLookupField(QStringLiteral("itemcount"), QStringLiteral("item_code"), adoqry_ConsItem,
                                         QStringLiteral("item_code"), QStringLiteral("item_coun"));
    adoqry_ConsItem->addLookupField(QStringLiteral("kindcode"), QStringLiteral("clas_code"), adoqry_ConsClass,
                                    QStringLiteral("clas_code"), QStringLiteral("kind_code"));
    adoqry_DiscItem->addLookupField(QStringLiteral("Classname"), QStringLiteral("clas_code"), adoqry_ConsClass,
                                    QStringLiteral("clas_code"), QStringLiteral("clas_name"));
    adoqry_Member->addLookupField(QStringLiteral("membtype"), QStringLiteral("memb_type_code"), adoqry_MembType,
                                  QStringLiteral("memb_type_code"), QStringLiteral("memb_Type_name"));
    adoqry_SetupPay->addLookupField(QStringLiteral("opername"), QStringLiteral("oper_code"), adoqry_Operator,
                                    QStringLiteral("oper_code"), QStringLiteral("oper_name"));
    adoqry_SetupPay->addLookupField(QStringLiteral("ordename"), QStringLiteral("orde_code"), adoqry_order,
                                    QStringLiteral("orde_code"), QStringLiteral("orde_name"));
    adoqry_TableGues->addLookupField(QStringLiteral("constypename"), QStringLiteral("cons_type_code"), adoqry_ConsType,
                                     QStringLiteral("cons_type_code"), QStringLiteral("cons_type_name"));
    adoqry_TableGues->addLookupField(QStringLiteral("deptname"), QStringLiteral("dept_code"), adoqry_TableDept,
                                     QStringLiteral("dept_code"), QStringLiteral("dept_name"));
    for (Dataset* ds : {adoqry_TableGues, adoqry_bookin})
        ds->addLookupField(QStringLiteral("tablname"), QStringLiteral("tabl_code"), adoqry_table,
                           QStringLiteral("tabl_code"), QStringLiteral("tabl_name"));
    adoqry_bookin->addLookupField(QStringLiteral("opername"), QStringLiteral("oper_code"), adoqry_Operator,
                                  QStringLiteral("oper_code"), QStringLiteral("oper_name"));
    // The board shows one department and type at a time; a table is named whatever it shows.
    adoqry_table->lookupsSeeAllRows = true;
    adoqry_table->addLookupField(QStringLiteral("tabltypename"), QStringLiteral("tabl_type_code"), adoqry_TableType,
                                 QStringLiteral("tabl_type_code"), QStringLiteral("tabl_type_name"));
    adoqry_table->addLookupField(QStringLiteral("tabltypenarr"), QStringLiteral("tabl_type_code"), adoqry_TableType,
                                 QStringLiteral("tabl_type_code"), QStringLiteral("tabl_type_narr"));
    adoqry_table->addLookupField(QStringLiteral("tablstatname"), QStringLiteral("tabl_stat_code"), adoqry_TableState,
                                 QStringLiteral("tabl_stat_code"), QStringLiteral("tabl_stat_name"));
    adoqry_table->addLookupField(QStringLiteral("deptname"), QStringLiteral("dept_code"), adoqry_TableDept,
                                 QStringLiteral("dept_code"), QStringLiteral("dept_name"));
}

} // namespace kx::frontdesk
