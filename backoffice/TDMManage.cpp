#include "TDMManage.h"

#include "CreditAccounts.h"
#include "Members.h"
#include "Prompter.h"
#include "Staff.h"
#include "StockBills.h"
#include "TradingUnits.h"

namespace kx::backoffice {

Dataset* TDMManage::make(const char* name, const QString& sql) {
    auto* ds = new Dataset(db_, QString::fromLatin1(name), sql, this);
    all_.push_back(ds);
    return ds;
}

TDMManage::TDMManage(QSqlDatabase db, QObject* parent) : QObject(parent), db_(db) {
    setObjectName(QStringLiteral("DMManage"));
    adoqry_ManagerType = make("adoqry_ManagerType", QStringLiteral("select * from managertype"));
    adoqry_Operator = make("adoqry_Operator", QStringLiteral("select * from operatorlist"));
    adoqry_Limited = make("adoqry_Limited", QStringLiteral("select * from Limitedlist"));
    adoqry_Area = make("adoqry_Area", QStringLiteral("select * from AreaList"));
    adoqry_group = make("adoqry_group", QStringLiteral("select * from Grouplist"));
    adoqry_deduOperator = make("adoqry_deduOperator", QStringLiteral("select * from deduoperatorlist"));
    adoqry_MembType = make("adoqry_MembType", QStringLiteral("select * from membType"));
    adoqry_Member = make("adoqry_Member", QStringLiteral("select * from memberList"));
    // The cards' top-ups and the accounts' repayments grow for years: they open empty, and the
    // member and credit-account screens point them at one card or account.
    adoqry_MembManage = make("adoqry_MembManage", QStringLiteral("select * from membManage where 1=0"));
    adoqry_HangGues = make("adoqry_HangGues", QStringLiteral("select * from HangGues"));
    adoqry_HangGuesIn = make("adoqry_HangGuesIn", QStringLiteral("select * from Hangguesin where 1=0"));
    adoqry_StoreWorkType = make("adoqry_StoreWorkType", QStringLiteral("select * from StoreWorkType"));
    adoqry_Work = make("adoqry_Work", QStringLiteral("select * from WorkList"));
    adoqry_StoreBill = make("adoqry_StoreBill", QStringLiteral("select * from StoreBill"));
    adoqry_StoreDetail = make("adoqry_StoreDetail", QStringLiteral("select * from StoreDetail"));
    // The archives and the log grow for years: they open empty, and their screens point them.
    adoqry_AllStoreBill = make("adoqry_AllStoreBill", QStringLiteral("select * from AllStoreBill where 1=0"));
    adoqry_AllStoreDetail =
        make("adoqry_AllStoreDetail", QStringLiteral("select * from AllStoreDetail where 1=0"));
    adoqry_WorkDetail = make("adoqry_WorkDetail", QStringLiteral("select * from WorkDetail"));
    adoqry_Log = make("adoqry_Log", QStringLiteral("select * from systemlog where 1=0"));

    adoqry_Member->addLookupField(QStringLiteral("membtype"), QStringLiteral("memb_type_code"),
                                  adoqry_MembType, QStringLiteral("memb_type_code"),
                                  QStringLiteral("memb_Type_name"));
    for (Dataset* bills : {adoqry_StoreBill, adoqry_AllStoreBill}) {
        bills->addLookupField(QStringLiteral("opername"), QStringLiteral("oper_code"), adoqry_Operator,
                              QStringLiteral("oper_code"), QStringLiteral("oper_name"));
        bills->addLookupField(QStringLiteral("worknames"), QStringLiteral("work_code"), adoqry_Work,
                              QStringLiteral("work_code"), QStringLiteral("work_name_s"));
        bills->addLookupField(QStringLiteral("worktypename"), QStringLiteral("stor_work_type_code"),
                              adoqry_StoreWorkType, QStringLiteral("stor_work_type_code"),
                              QStringLiteral("stor_work_type_name"));
    }
    adoqry_AllStoreDetail->addLookupField(QStringLiteral("billworkname"), QStringLiteral("stor_bill_ID"),
                                          adoqry_AllStoreBill, QStringLiteral("stor_bill_ID"),
                                          QStringLiteral("worknames"));
    adoqry_AllStoreDetail->addLookupField(QStringLiteral("billtype"), QStringLiteral("stor_bill_ID"),
                                          adoqry_AllStoreBill, QStringLiteral("stor_bill_ID"),
                                          QStringLiteral("stor_bill_type"));
    adoqry_WorkDetail->addLookupField(QStringLiteral("workname"), QStringLiteral("work_code"), adoqry_Work,
                                      QStringLiteral("work_code"), QStringLiteral("work_name"));

    // A duplicate code is refused with a notice; the row stays in edit to be corrected.
    for (Dataset* ds : all_) {
        if (ds == adoqry_Log) continue;
        ds->onPostError = [](Dataset&, const DbError&) {
            prompter().information(QStringLiteral("编号有重复，请从新输入！"));
            return Dataset::PostErrorAction::Abort;
        };
    }
    declareStaffRules(*this);
    declareCreditAccountRules(*this);
    declareMemberRules(*this);
    declareTradingUnitRules(*this);
    declareStockBillRules(*this);
    for (Dataset* ds : all_)
        if (ds != adoqry_Member) ds->open();
    // The first role, area and group current: their children.
    for (Dataset* parent : {adoqry_ManagerType, adoqry_Area, adoqry_group, adoqry_StoreWorkType})
        if (!parent->isEmpty()) parent->first();
}

void TDMManage::openWorkingData() {
    adoqry_Member->open();
}

} // namespace kx::backoffice
