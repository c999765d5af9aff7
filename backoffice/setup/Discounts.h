#pragma once
// Discount schemes ("折扣") and the paid percentage of each item class in a scheme: the rules
// of both lists (declareDiscountRules, called by the data module), the scheme screen, and the
// class-rate screen its detail button opens with the candidate classes beside it.
namespace kx::backoffice {

class TDMSetup;
class TFormChild;
class TFormSMain;

void declareDiscountRules(TDMSetup& setup);
void buildDiscountScreens(TFormSMain& main, TFormChild& child, TDMSetup& setup);

} // namespace kx::backoffice
