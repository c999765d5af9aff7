#pragma once
// Member cards: card types ("会员类别"), the members with their cards ("会员信息"), and each
// card's adjustment rows (top-ups of a stored-value card, point changes of a points card), from
// which the card's balance and points are worked out in the database. Rules declared on the
// datasets (declareMemberRules, called by the data module); screens joined to their leaves.
namespace kx::backoffice {

class TDMManage;
class TFormChild;
class TFormSMain;

void declareMemberRules(TDMManage& manage);
void buildMemberScreens(TFormSMain& main, TFormChild& child, TDMManage& manage);

} // namespace kx::backoffice
