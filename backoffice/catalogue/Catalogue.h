#pragma once
// The catalogue's kinds, classes and production points: their rules declared on the datasets
// (declareCatalogueRules, called by the data module) and their screens declared and joined to
// the setup tree's leaves "大类", "分类" and "出品".
namespace kx::backoffice {

class TDMSetup;
class TFormChild;
class TFormSMain;

void declareCatalogueRules(TDMSetup& setup);
void buildCatalogueScreens(TFormSMain& main, TFormChild& child, TDMSetup& setup);

} // namespace kx::backoffice
