#pragma once
// The stock tree's two query screens: the statement of a trading unit's posted bills between
// two dates with the lines of the bill on its row and the printed bill ("库存帐务"), and the
// movements of one item, or of every item, between two dates ("帐务查询"). Both read the
// archives, which grow for years, by bound SELECTs run by the toolbar's "查询"; neither edits.
#include "ReportFrame.h"

#include <QSqlDatabase>

namespace kx::backoffice {

class TDMManage;
class TFormChild;
class TFormSMain;

void buildStockQueryScreens(TFormSMain& main, TFormChild& child, TDMManage& manage);

// The printed form of one posted bill: its type as the title, the venue, the trading unit and
// the business date, its lines with their sum, the operator who entered it and when.
ReportFrame postedStockBill(QSqlDatabase db, qint64 billId);

} // namespace kx::backoffice
