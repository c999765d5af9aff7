#pragma once
// What a set menu or a composite is made of: the composition screen reached from the item
// screen's composition button, its candidate list, the price proposal, and the leaving that
// works out the expansion rows and the derived stock.
class QWidget;

namespace kx::backoffice {

class TDMSetup;
class TFormChild;
class TFormSMain;

// Deleting a component also deletes the rows expanded from it in its group.
void declareCompositionRules(TDMSetup& setup);
// The screen, the item screen's button that opens it, and its way back.
void buildCompositionScreen(TFormSMain& main, TFormChild& child, TDMSetup& setup, QWidget* itemScreen);

} // namespace kx::backoffice
