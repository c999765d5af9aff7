#pragma once
// Consumption modes ("消费方式"): how a visit is charged — its consumption type, amount,
// service rate, quota and commission rates — and the hourly prices of a time-band mode's bands,
// copied from the template the first time they are opened. Rules declared on the datasets
// (declareConsModeRules, called by the data module); screens joined to the leaf "消费方式".
namespace kx::backoffice {

class TDMSetup;
class TFormChild;
class TFormSMain;

void declareConsModeRules(TDMSetup& setup);
void buildConsModeScreens(TFormSMain& main, TFormChild& child, TDMSetup& setup);

} // namespace kx::backoffice
