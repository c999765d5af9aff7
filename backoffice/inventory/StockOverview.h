#pragma once
// The stock overview ("库存调整", the first screen of "库存管理"): every item of a class with its
// stock, limit mode, price and cost, the limit box of a single item or ingredient (the set menus
// and composites follow their components at once), and the components of a set menu or
// composite. The toolbar's "库存调整" opens the adjustment: items with counted stock picked from
// a search list, a quantity typed for each, added to the stock by "保存" once.
namespace kx::backoffice {

class TDMSetup;
class TFormChild;
class TFormSMain;

// The adjustment list's own rules: a row without an item is never stored, an emptied quantity
// is 0.
void declareStockAdjustmentRules(TDMSetup& setup);
void buildStockOverviewScreens(TFormSMain& main, TFormChild& child, TDMSetup& setup);

} // namespace kx::backoffice
