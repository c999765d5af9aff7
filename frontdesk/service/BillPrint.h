#pragma once
// The guest's bill: its content built once as data from the visit, its lines and the bill
// layout settings (setupprint), then laid out as a document for the preview, the printer or a
// PDF. The payment figures are those of the checkout's preview pass, not stored.
#include "Receipt.h"
#include "ReportDocument.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace kx::db {
class Dataset;
}

namespace kx::frontdesk {

class TDMTable;

// One caption and value of a header line ("客人姓名：" "张伟").
struct BillHeaderItem {
    QString caption;
    QString value;
    bool operator==(const BillHeaderItem&) const = default;
};
using BillHeaderLine = std::pair<BillHeaderItem, BillHeaderItem>;

// One row of the item part: an item at one unit price, its net quantity and amount.
struct BillItemRow {
    QString name;
    QString unit;
    double price = 0;
    double count = 0;
    double total = 0;
};

// The rows of one item kind and their subtotal.
struct BillKindGroup {
    QString kind;
    std::vector<BillItemRow> rows;
    double count = 0;
    double total = 0;
};

struct BillContent {
    // Page header.
    QString shortName;   // user_name_s, large
    QString englishName; // user_name_e
    QString businessDay; // "营业日期：" + …
    QString cashier;     // "结帐员工：" + …
    // Header lines 1–3 above the items and 4–7 below the totals, those switched on only.
    std::vector<BillHeaderLine> linesAbove;
    std::vector<BillHeaderLine> linesBelow;
    // The item part.
    bool detail = true;     // item rows, the kind footer's "小计" caption and its rules
    bool kindFooter = true; // a footer per item kind
    bool separator = false; // a rule at the top of the summary
    std::vector<BillKindGroup> kinds;
    double giftTotal = 0; // "赠单合计"
    double count = 0;     // "合计"
    double total = 0;
    // The optional lines below the header lines 4–7, in their order, each a whole text
    // ("付款明细：现金44 会员卡120 ").
    QStringList notes;
    // The venue line between two rules: name + " 电话：" + telephone.
    QString venueLine;
};

// What the credit-account tab of the bill screen shows for the account chosen.
struct BillCreditShown {
    QString name;       // Edit4; empty: no account chosen
    QString company;    // the account's company (hang_gues_work)
    QString owedBefore; // the amount owed shown on the tab
};

// The item part of the bill (AuxQuery6): one row per item kind, item and unit price with a net
// quantity above 0, in kind order.
void openBillItems(db::Dataset& items, qint64 visitKey);

// The bill's content from the current visit (its preview values in the unposted row), the
// member card row, the items in `items` (opened by openBillItems), the layout settings and the
// checkout's change line.
BillContent billContent(TDMTable& dm, db::Dataset& items, const QString& changeLine, const BillCreditShown& credit);

// The bill laid out for an 80 mm roll, one page as long as the bill.
ReportDocument billDocument(const BillContent& bill);

// The bill as a receipt printer prints it, on lines of `columns`: from 40 columns (80 mm) one
// line per item ("项目名称", "单位", "单价", "数量", "金额"); below that (58 mm) the name on a
// line of its own, then unit, price, quantity and amount. Amounts end on the last column.
Receipt billReceipt(const BillContent& bill, int columns);

} // namespace kx::frontdesk
