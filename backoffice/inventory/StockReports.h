#pragma once
// The stock tree's two read-only screens that print. "库存盘点" lists the single items and
// ingredients whose stock is counted, and prints them grouped by kind and class as the stock
// count sheet with its amounts, or lists every single item and ingredient, counted or not, and
// prints them as the menu. "配料使用" works out how much of each ingredient the composites sold
// in a range of business days used, as the ordering's stock reduction does (a returned
// composite gives its share back), and prints it. Both query on ds_Temp with bound values;
// neither has a dataset for the record toolbar.
#include "Dataset.h"
#include "ReportFrame.h"

#include <QDate>

namespace kx::backoffice {

class TDMSetup;
class TFormChild;
class TFormSMain;

void buildStockReportScreens(TFormSMain& main, TFormChild& child, TDMSetup& setup);

enum class StockSheet { Count, Menu };

struct BoundQuery {
    QString sql;
    QVariantList params;
};

// The list behind the count sheet (counted stock only) or the menu, of every kind or of the
// kind `kindCode`, in kind, class and item order.
BoundQuery stockList(StockSheet sheet, const QString& kindCode = QString());
// Each ingredient's usage (`mixt`) by the composites sold in the business days first to last,
// by name and unit.
BoundQuery ingredientUsage(const QDate& first, const QDate& last);

// The printed count sheet ("库存分类盘点表": groups with their amounts, totals, who made it
// and when) or menu ("菜   谱": no stock, cost or amounts) of a list stockList gave.
ReportFrame stockSheetReport(const db::Dataset& list, StockSheet sheet, const QString& venue,
                             const QString& maker);
// The printed "配料使用情况统计表" of a usage list with its period and total.
ReportFrame ingredientUsageReport(const db::Dataset& usage, const QDate& first, const QDate& last,
                                  const QString& operatorName);

} // namespace kx::backoffice
