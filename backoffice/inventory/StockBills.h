#pragma once
// Stock bills ("物流管理"): purchases, returns and sales with their lines, chosen from the item
// picker, totalled when the lines are left and posted by "执行" (db/StockPosting). Rules declared
// on the datasets (declareStockBillRules, called by the data module); screens joined to the leaf.
namespace kx::backoffice {

class TDMManage;
class TDMSetup;
class TFormChild;
class TFormSMain;

void declareStockBillRules(TDMManage& manage);
void buildStockBillScreens(TFormSMain& main, TFormChild& child, TDMManage& manage, TDMSetup& setup);

} // namespace kx::backoffice
