#pragma once
// The staff: roles ("员工级别") and the permissions each holds ("权限设置"), the operators who
// log in ("操作员工"), and the areas, groups and commission staff of the performance figures
// ("员工分区", "员工分组", "提成员工"). Rules declared on the datasets (declareStaffRules, called
// by the data module); screens joined to the leaves of the "管理设置" tree.
namespace kx::backoffice {

class TDMManage;
class TFormChild;
class TFormSMain;

void declareStaffRules(TDMManage& manage);
void buildStaffScreens(TFormSMain& main, TFormChild& child, TDMManage& manage);

} // namespace kx::backoffice
