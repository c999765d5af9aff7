#include "TDMSetup.h"

#include "Catalogue.h"
#include "ConsModes.h"
#include "Discounts.h"
#include "OtherLists.h"
#include "StockOverview.h"
#include "Venue.h"

namespace kx::backoffice {

Dataset* TDMSetup::make(const char* name, const QString& sql) {
    auto* ds = new Dataset(db_, QString::fromLatin1(name), sql, this);
    all_.push_back(ds);
    return ds;
}

TDMSetup::TDMSetup(QSqlDatabase db, QObject* parent) : QObject(parent), db_(db) {
    setObjectName(QStringLiteral("DMSetup"));
    adoqry_ConsKind = make("adoqry_ConsKind", QStringLiteral("SELECT * FROM kindlist"));
    adoqry_Manu = make("adoqry_Manu", QStringLiteral("SELECT * FROM ManuFacturelist"));
    adoqry_ConsClass = make("adoqry_ConsClass", QStringLiteral("SELECT * FROM ClassList"));
    adoqry_ConsItem = make("adoqry_ConsItem", QStringLiteral("SELECT * FROM ItemList order by item_code"));
    adoqry_ItemType = make("adoqry_ItemType", QStringLiteral("SELECT * FROM  ItemTypeList"));
    adoqry_ConsItemGroup = make("adoqry_ConsItemGroup", QStringLiteral("SELECT * FROM ItemGroup"));
    adoqry_ConsDiscount = make("adoqry_ConsDiscount", QStringLiteral("SELECT * FROM discountlist"));
    adoqry_ConsDiscItem = make("adoqry_ConsDiscItem", QStringLiteral("SELECT * FROM DiscItem"));
    adoqry_TableDept = make("adoqry_TableDept", QStringLiteral("SELECT * FROM departmentlist"));
    adoqry_TableType = make("adoqry_TableType", QStringLiteral("SELECT * FROM TableTypeList"));
    adoqry_Table = make("adoqry_Table", QStringLiteral("SELECT * FROM TableList"));
    adoqry_ConsMode = make("adoqry_ConsMode", QStringLiteral("SELECT * FROM ConsModeList"));
    adoqry_PayType = make("adoqry_PayType", QStringLiteral("SELECT * FROM PayTypeList"));
    adoqry_ConsNarr = make("adoqry_ConsNarr", QStringLiteral("SELECT * FROM ConsNarrList"));
    adoqry_Order = make("adoqry_Order", QStringLiteral("SELECT * FROM OrderList"));
    adoqry_OtherIncome = make("adoqry_OtherIncome", QStringLiteral("SELECT * FROM OtherIncomeList"));
    adoqry_ConsType = make("adoqry_ConsType", QStringLiteral("SELECT * FROM  ConsTypeList"));
    adoqry_ConsTimeMode = make("adoqry_ConsTimeMode", QStringLiteral("SELECT * FROM  ConsTimeMode"));
    adoqry_ConsTimeModeTemp =
        make("adoqry_ConsTimeModeTemp", QStringLiteral("SELECT * FROM  ConsTimeModeTemp"));
    adoqry_consModeTemp =
        make("adoqry_consModeTemp", QStringLiteral("SELECT cons_mode_code,cons_mode_name FROM ConsModeList"));
    adoqry_ConsItemTemp = make("adoqry_ConsItemTemp", QStringLiteral("select * from ItemListTemp"));
    adoqry_setuppay = make("adoqry_setuppay", QStringLiteral("select * from SetupPay"));
    adoqry_Operator = make("adoqry_Operator", QStringLiteral("select * from OperatorList"));
    adoqry_Unit = make("adoqry_Unit", QStringLiteral("select * from UnitList order by unit_name"));
    defineLookups();
    declareOtherListRules(*this);
    declareCatalogueRules(*this);
    declareDiscountRules(*this);
    declareVenueRules(*this);
    declareConsModeRules(*this);
    declareStockAdjustmentRules(*this);
    for (Dataset* ds : all_)
        if (ds != adoqry_ConsItem) ds->open();
    setup.attach(adoqry_setuppay);
    // The first kind current: its classes and its item types.
    if (!adoqry_ConsKind->isEmpty()) adoqry_ConsKind->first();
    // The first department current: its tables.
    if (!adoqry_TableDept->isEmpty()) adoqry_TableDept->first();
}

void TDMSetup::openWorkingData() {
    if (adoqry_ConsItem->active()) return;
    adoqry_ConsItem->open();
    // The items of the current class.
    if (adoqry_ConsClass->afterScroll && !adoqry_ConsClass->isEmpty())
        adoqry_ConsClass->afterScroll(*adoqry_ConsClass);
}

void TDMSetup::defineLookups() {
    auto lookup = [](Dataset* ds, const char* name, const char* key, Dataset* source, const char* sourceKey,
                     const char* result) {
        ds->addLookupField(QString::fromLatin1(name), QString::fromLatin1(key), source,
                           QString::fromLatin1(sourceKey), QString::fromLatin1(result));
    };
    lookup(adoqry_ConsClass, "manuname", "manu_code", adoqry_Manu, "manu_code", "manu_name");
    lookup(adoqry_ConsItem, "itemtype", "item_type_code", adoqry_ItemType, "item_type_code",
           "item_type_name");
    const std::pair<const char*, const char*> parts[] = {
        {"itemname", "item_name"},          {"itemunit", "item_unit"}, {"itemunitpric", "item_unit_pric"},
        {"itemcostpric", "item_cost_pric"}, {"itemtype", "itemtype"},  {"itemlimi", "item_limi"},
        {"itemcoun", "item_coun"}};
    for (const auto& [name, result] : parts)
        lookup(adoqry_ConsItemGroup, name, "item_code", adoqry_ConsItem, "item_code", result);
    lookup(adoqry_ConsItemGroup, "groupname", "grou_code", adoqry_ConsItem, "item_code", "item_name");
    lookup(adoqry_ConsDiscItem, "clasname", "clas_code", adoqry_ConsClass, "clas_code", "clas_name");
    lookup(adoqry_TableType, "consmodename", "cons_mode_code", adoqry_consModeTemp, "cons_mode_code",
           "cons_mode_name");
    lookup(adoqry_Table, "tabletypename", "tabl_type_code", adoqry_TableType, "tabl_type_code",
           "tabl_type_name");
    lookup(adoqry_ConsItemTemp, "itemtype", "item_code", adoqry_ConsItem, "item_code", "itemtype");
    lookup(adoqry_ConsItemTemp, "itemstore", "item_code", adoqry_ConsItem, "item_code", "item_coun");
    lookup(adoqry_setuppay, "ordename", "orde_code", adoqry_Order, "orde_code", "orde_name");
    lookup(adoqry_setuppay, "opername", "oper_code", adoqry_Operator, "oper_code", "oper_name");
}

} // namespace kx::backoffice
