#pragma once
// The venue's layout: departments, table types with their default consumption mode, and the
// tables, each in one department and of one type. Their rules are declared on the datasets
// (declareVenueRules, called by the data module); their screens are joined to the leaves
// "部门", "类型" and "房台".
namespace kx::backoffice {

class TDMSetup;
class TFormChild;
class TFormSMain;

void declareVenueRules(TDMSetup& setup);
void buildVenueScreens(TFormSMain& main, TFormChild& child, TDMSetup& setup);

} // namespace kx::backoffice
