#pragma once
// The lists of the "其它设置" heading: shifts, pay types, other income, order narratives and
// units. Their rules are declared on the datasets (declareOtherListRules, called by the data
// module); their screens are declarations of grid and edits, joined to their tree leaves.
namespace kx::backoffice {

class TDMSetup;
class TFormChild;
class TFormSMain;

void declareOtherListRules(TDMSetup& setup);
void buildOtherListScreens(TFormSMain& main, TFormChild& child, TDMSetup& setup);

} // namespace kx::backoffice
