#pragma once
// The credit accounts ("挂帐客人"): the companies and guests whose bills the front desk charges,
// each with its limit and what it owes; their repayments, taken after the system management
// password, and the printed list of an account's repayments ("挂帐还款一览表"). Rules declared
// on the account dataset (declareCreditAccountRules, called by the data module); screens
// joined to the leaf of the "管理设置" tree.
#include "ReportFrame.h"

#include <QSqlDatabase>
#include <QString>

namespace kx::backoffice {

class TDMManage;
class TFormChild;
class TFormSMain;

void declareCreditAccountRules(TDMManage& manage);
void buildCreditAccountScreens(TFormSMain& main, TFormChild& child, TDMManage& manage);

// The printed list of one account's repayments in the order they were taken: code, name,
// amount, business date and operator of each, and their sum; made by `madeBy` now.
ReportFrame creditRepaymentList(QSqlDatabase db, const QString& accountCode, const QString& accountName,
                                const QString& madeBy);

} // namespace kx::backoffice
