#pragma once
// Trading units: unit types ("单位类型"), the suppliers and customers themselves ("往来单位")
// and their accounts ("往来管理") with receipts and payments, applied to a unit's balance when
// its receipts screen is left. Rules declared on the datasets (declareTradingUnitRules, called
// by the data module); screens joined to the stock tree's leaves.
namespace kx::backoffice {

class TDMManage;
class TFormChild;
class TFormSMain;

void declareTradingUnitRules(TDMManage& manage);
void buildTradingUnitScreens(TFormSMain& main, TFormChild& child, TDMManage& manage);

} // namespace kx::backoffice
