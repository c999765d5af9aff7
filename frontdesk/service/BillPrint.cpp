#include "BillPrint.h"

#include "BillCalc.h"
#include "Dataset.h"
#include "TDMTable.h"

#include <QDateTime>
#include <QSet>
#include <QSizeF>

namespace kx::frontdesk {

using db::Dataset;

namespace {

QString numberText(double x) { return QString::number(x == 0.0 ? 0.0 : x, 'g', 15); }
QString money(double x) { return QString::number(x == 0.0 ? 0.0 : x, 'f', 2); }

// The visit columns a header slot may name, and how each prints.
enum class Shown { Text, Count, Time, Money, Rate };
struct SlotColumn {
    const char* column;
    Shown shown;
};
const SlotColumn kSlotColumns[] = {
    {"tabl_gues_name", Shown::Text},      {"tabl_gues_coun", Shown::Count}, {"tablname", Shown::Text},
    {"tabl_gues_auto_recn", Shown::Count}, {"tabl_gues_time", Shown::Time}, {"tabl_gues_time_end", Shown::Time},
    {"tabl_gues_low", Shown::Money},      {"tabl_gues_room", Shown::Money}, {"tabl_gues_serv", Shown::Money},
    {"tabl_gues_disc", Shown::Money},     {"cons_mode_serv", Shown::Rate},  {"disc_perc", Shown::Rate},
    {"tabl_gues_shou", Shown::Money},     {"tabl_gues_fact", Shown::Money},
};

// The value of the visit column a slot names; a name that is none of the fourteen prints empty.
QString slotValue(const Dataset& visit, const QString& column) {
    const QString name = column.trimmed();
    for (const SlotColumn& c : kSlotColumns) {
        if (name.compare(QLatin1String(c.column), Qt::CaseInsensitive) != 0) continue;
        const db::Field f = visit.field(QLatin1String(c.column));
        if (f.isNull()) return QString();
        switch (c.shown) {
        case Shown::Text: return f.asString();
        case Shown::Count: return QString::number(f.asInt());
        case Shown::Time: return f.asDateTime().toString(QStringLiteral("MM-dd HH:mm")); // two to a line on the roll
        case Shown::Money: return money(f.asFloat());
        case Shown::Rate: return numberText(f.asFloat());
        }
    }
    return QString();
}

BillHeaderLine headerLine(const TDMTable& dm, const Dataset& visit, int line) {
    auto item = [&](int position) {
        const QString slot = QStringLiteral("set_prn_%1%2_").arg(line).arg(position);
        return BillHeaderItem{dm.setupPrint.text(slot + QStringLiteral("titl")).trimmed() + QStringLiteral("："),
                              slotValue(visit, dm.setupPrint.text(slot + QStringLiteral("fiel")))};
    };
    return {item(1), item(2)};
}

QString esc(const QString& s) { return ReportDocument::escape(s); }

} // namespace

void openBillItems(Dataset& items, qint64 visitKey) {
    items.setSql(
        QStringLiteral(
            "select * from (select sum(CASE WHEN (a.menu_type_code='3' or a.menu_type_code='4') and "
            "(a.grou_code IS NULL or a.grou_code='') THEN b.item_unit_pric*a.tabl_cons_coun*a.item_coun_flag ELSE 0 END) "
            "as totaz,b.item_unit,sum(a.tabl_cons_tota*0.01*CASE WHEN a.serv_perc=100 THEN 0 ELSE a.serv_perc END) as\n"
            " consserv,sum(a.tabl_cons_tota*0.01*(100-a.disc_clas_perc)) as consdisc,a.item_unit_pric,c.kind_name as "
            "kind_nameone,\n"
            "b.item_name,sum(a.tabl_cons_coun*a.item_coun_flag) as conscoun,sum(a.tabl_cons_tota) as constota,a.kind_code "
            " from tableconslist as a,itemlist as b,kindlist as c\n"
            "where a.item_code=b.item_code and a.kind_code=c.kind_code and a.tabl_gues_auto_recn=?\n"
            " group by c.kind_name,b.item_name,a.item_code,a.kind_code,a.item_unit_pric,b.item_unit order by c.kind_name"
            "   ) as lines where conscoun>0 order by kind_nameone"),
        {visitKey});
    items.open();
}

BillContent billContent(TDMTable& dm, Dataset& items, const QString& changeLine, const BillCreditShown& credit) {
    const Dataset& visit = *dm.adoqry_TableGues;
    const Dataset& member = *dm.adoqry_Member;
    const db::Settings& layout = dm.setupPrint;
    auto num = [&](const char* column) { return visit.field(QLatin1String(column)).asFloat(); };
    auto on = [&](const char* flag) { return layout.flag(QLatin1String(flag)); };

    BillContent bill;
    bill.shortName = dm.setup.text(QStringLiteral("user_name_s"));
    bill.englishName = dm.setup.text(QStringLiteral("user_name_e"));
    bill.businessDay =
        QStringLiteral("营业日期：") + dm.setup.date(QStringLiteral("time_work")).toString(QStringLiteral("yyyy-MM-dd"));
    bill.cashier = QStringLiteral("结帐员工：") + dm.setup.text(QStringLiteral("opername"));
    for (int line = 1; line <= 7; ++line) {
        if (!layout.flag(QStringLiteral("set_prn_%1_allo").arg(line))) continue;
        (line <= 3 ? bill.linesAbove : bill.linesBelow).push_back(headerLine(dm, visit, line));
    }

    // The item part, grouped by kind as the rows come (in kind order).
    bill.detail = on("set_prn_deta_allo");
    bill.kindFooter = on("set_prn_kind_allo");
    bill.separator = bill.detail && !bill.kindFooter;
    auto value = [&](const char* column) { return items.field(QLatin1String(column)); };
    for (items.first(); !items.eof(); items.next()) {
        const QString kind = value("kind_nameone").asString();
        if (bill.kinds.empty() || bill.kinds.back().kind != kind) bill.kinds.push_back({kind, {}, 0, 0});
        BillKindGroup& group = bill.kinds.back();
        const BillItemRow row{value("item_name").asString(), value("item_unit").asString(),
                              value("item_unit_pric").asFloat(), value("conscoun").asFloat(),
                              value("constota").asFloat()};
        group.rows.push_back(row);
        group.count += row.count;
        group.total += row.total;
        bill.count += row.count;
        bill.total += row.total;
        bill.giftTotal += value("totaz").asFloat();
    }
    items.first();

    // The optional lines, in their order.
    const double discount = IntWay(dm, num("tabl_gues_disc") + num("tabl_gues_shou") - num("tabl_gues_fact"));
    if (on("set_prn_disc_allo") && discount > 0)
        bill.notes << QStringLiteral("优惠明细：消费合计-") + numberText(IntWay(dm, num("tabl_gues_shou") + num("tabl_gues_disc"))) +
                          QStringLiteral("  优惠合计-") + numberText(discount);
    if (on("set_prn_pay_allo"))
        bill.notes << QStringLiteral("付款明细：") + visit.field(QStringLiteral("tabl_gues_pay_narr")).asString();
    const double memberPaid = num("memb_mone");
    if (memberPaid > 0 && member.active() && !member.isEmpty()) {
        if (on("set_prn_memb_allo"))
            bill.notes << QStringLiteral("会员信息：") + member.field(QStringLiteral("memb_card_code")).asString() +
                              QLatin1Char(' ') + member.field(QStringLiteral("memb_name")).asString();
        if (on("set_prn_mpay_allo")) {
            // The card's balance is already reduced by the preview.
            const double after = member.field(QStringLiteral("memb_surp")).asFloat();
            bill.notes << QStringLiteral("会员余额： 消费前金额-") + numberText(memberPaid + after) +
                              QStringLiteral(" 消费后金额-") + numberText(after);
        }
    }
    const double creditCharged = num("hang_mone");
    if (creditCharged > 0 && !credit.name.trimmed().isEmpty()) {
        if (on("set_prn_hang_allo"))
            bill.notes << QStringLiteral("挂帐信息：") + credit.name + QLatin1Char(' ') + credit.company;
        if (on("set_prn_hpay_allo")) {
            bool ok = false;
            double before = (QStringLiteral("0") + credit.owedBefore.trimmed()).toDouble(&ok);
            if (!ok) before = 0;
            bill.notes << QStringLiteral("挂帐金额： 消费前金额-") + numberText(before) + QStringLiteral(" 消费后金额-") +
                              numberText(before + creditCharged);
        }
    }
    if (!changeLine.isEmpty() && on("set_prn_zero_allo")) bill.notes << QStringLiteral("找零明细：") + changeLine;
    if (on("set_prn_d1_allo")) bill.notes << layout.text(QStringLiteral("set_prn_d1_text"));
    if (on("set_prn_d2_allo")) bill.notes << layout.text(QStringLiteral("set_prn_d2_text"));
    bill.venueLine = dm.setup.text(QStringLiteral("user_name")) + QStringLiteral(" 电话：") +
                     dm.setup.text(QStringLiteral("user_tele"));
    return bill;
}

ReportDocument billDocument(const BillContent& bill) {
    const QString rule = QStringLiteral("<tr><td colspan=\"5\"><hr/></td></tr>");
    auto headerLines = [](const std::vector<BillHeaderLine>& lines) {
        QString out;
        for (const BillHeaderLine& l : lines)
            out += QStringLiteral("<tr><td width=\"50%\">%1%2</td><td width=\"50%\">%3%4</td></tr>")
                       .arg(esc(l.first.caption), esc(l.first.value), esc(l.second.caption), esc(l.second.value));
        return out.isEmpty() ? out
                             : QStringLiteral("<table width=\"100%\" cellspacing=\"0\" cellpadding=\"1\">") + out +
                                   QStringLiteral("</table>");
    };
    auto row = [](const QString& name, const QString& unit, const QString& price, const QString& count,
                  const QString& amount, bool bold = false) {
        const QString open = bold ? QStringLiteral("<b>") : QString(), close = bold ? QStringLiteral("</b>") : QString();
        return QStringLiteral("<tr><td>%6%1%7</td><td>%6%2%7</td><td align=\"right\">%6%3%7</td>"
                              "<td align=\"right\">%6%4%7</td><td align=\"right\">%6%5%7</td></tr>")
            .arg(esc(name), esc(unit), esc(price), esc(count), esc(amount), open, close);
    };

    QString items;
    for (const BillKindGroup& g : bill.kinds) {
        if (bill.detail)
            for (const BillItemRow& r : g.rows)
                items += row(r.name, r.unit, money(r.price), numberText(r.count), money(r.total));
        if (bill.kindFooter) {
            if (bill.detail) items += rule;
            items += row(g.kind, bill.detail ? QStringLiteral("小计") : QString(), QString(), numberText(g.count),
                         money(g.total), true);
            if (bill.detail) items += rule;
        }
    }
    QString summary;
    if (bill.separator) summary += rule;
    summary += row(QStringLiteral("赠单合计"), QString(), QString(), QString(), money(bill.giftTotal));
    summary += row(QStringLiteral("合计"), QString(), QString(), numberText(bill.count), money(bill.total), true);

    QString notes;
    // Spaces inside a line are kept as they are ("消费合计-105  优惠合计-21").
    for (const QString& n : bill.notes) notes += QStringLiteral("<p style=\"white-space:pre-wrap\">%1</p>").arg(esc(n));

    const QString html =
        QStringLiteral("<html><body style=\"font-size:9pt\">"
                       "<p align=\"center\" style=\"font-size:11pt; font-weight:bold\">帐单</p>"
                       "<p align=\"center\" style=\"font-size:16pt; font-weight:bold\">%1</p>"
                       "<p align=\"center\">%2</p>"
                       "<table width=\"100%\" cellspacing=\"0\" cellpadding=\"1\"><tr><td>%3</td>"
                       "<td align=\"right\">%4</td></tr></table>"
                       "%5"
                       "<table width=\"100%\" cellspacing=\"0\" cellpadding=\"1\">"
                       "<tr><td colspan=\"5\"><hr/></td></tr>"
                       "<tr><th align=\"left\" width=\"34%\">项目名称</th><th align=\"left\" width=\"12%\">单位</th>"
                       "<th align=\"right\" width=\"18%\">单价</th><th align=\"right\" width=\"14%\">数量</th>"
                       "<th align=\"right\" width=\"22%\">金额</th></tr>"
                       "<tr><td colspan=\"5\"><hr/></td></tr>"
                       "%6%7</table>"
                       "%8%9"
                       "<hr/><p align=\"center\">%10</p><hr/>"
                       "</body></html>")
            .arg(esc(bill.shortName), esc(bill.englishName), esc(bill.businessDay), esc(bill.cashier),
                 headerLines(bill.linesAbove), items, summary, headerLines(bill.linesBelow), notes, esc(bill.venueLine));

    ReportDocument doc(QStringLiteral("帐单"));
    // An 80 mm roll; the page as long as the bill.
    doc.setPage(QPageSize(QSizeF(80, 200), QPageSize::Millimeter, QStringLiteral("帐单")), QMarginsF(4, 4, 4, 4));
    doc.setHtml(html);
    doc.fitPageToContent();
    return doc;
}

namespace {

// The widths of the bill's columns on a receipt.
constexpr int kAmountWidth = 9; // "-12345.00"
constexpr int kCountWidth = 6;
constexpr int kPriceWidth = 8;
constexpr int kUnitWidth = 4;
constexpr int kWideFrom = 40; // columns from which an item takes one line

// Two header items side by side, each in its half of the line; one under the other when either
// does not fit its half.
void receiptHeaderLines(Receipt& r, const std::vector<BillHeaderLine>& lines) {
    const int half = r.columns() / 2;
    for (const BillHeaderLine& l : lines) {
        const QString first = l.first.caption + l.first.value, second = l.second.caption + l.second.value;
        if (printedWidth(first) <= half - 1 && printedWidth(second) <= r.columns() - half) {
            r.row({{first, half - 1}, {second, 0}});
        } else {
            r.text(first);
            r.text(second);
        }
    }
}

// A line of the sums: its label, a count under the quantities and an amount on the last column.
void receiptSum(Receipt& r, const QString& label, const QString& count, const QString& amount, ReceiptStyle style = {}) {
    r.row({{label, 0}, {count, kCountWidth, ReceiptAlign::Right}, {amount, kAmountWidth, ReceiptAlign::Right}}, style);
}

} // namespace

Receipt billReceipt(const BillContent& bill, int columns) {
    Receipt r(columns, QStringLiteral("帐单"));
    const bool wide = r.columns() >= kWideFrom;
    const auto R = ReceiptAlign::Right;
    auto itemRow = [&](const QString& name, const QString& unit, const QString& price, const QString& count,
                       const QString& amount, ReceiptStyle style = {}) {
        if (wide) {
            r.row({{name, 0}, {unit, kUnitWidth}, {price, kPriceWidth, R}, {count, kCountWidth, R}, {amount, kAmountWidth, R}},
                  style);
            return;
        }
        r.text(name, ReceiptAlign::Left, style);
        r.row({{QStringLiteral("  ") + unit, 0}, {price, kPriceWidth, R}, {count, kCountWidth, R}, {amount, kAmountWidth, R}},
              style);
    };

    r.text(QStringLiteral("帐单"), ReceiptAlign::Centre, {.bold = true});
    if (!bill.shortName.isEmpty()) r.text(bill.shortName, ReceiptAlign::Centre, {.bold = true, .large = true});
    if (!bill.englishName.isEmpty()) r.text(bill.englishName, ReceiptAlign::Centre);
    r.pair(bill.businessDay, bill.cashier);
    receiptHeaderLines(r, bill.linesAbove);
    r.rule();
    itemRow(QStringLiteral("项目名称"), QStringLiteral("单位"), QStringLiteral("单价"), QStringLiteral("数量"),
            QStringLiteral("金额"));
    r.rule();
    for (const BillKindGroup& g : bill.kinds) {
        if (bill.detail)
            for (const BillItemRow& row : g.rows)
                itemRow(row.name, row.unit, money(row.price), numberText(row.count), money(row.total));
        if (bill.kindFooter) {
            if (bill.detail) r.rule();
            receiptSum(r, bill.detail ? g.kind + QStringLiteral(" 小计") : g.kind, numberText(g.count), money(g.total),
                       {.bold = true});
            if (bill.detail) r.rule();
        }
    }
    if (bill.separator) r.rule();
    receiptSum(r, QStringLiteral("赠单合计"), QString(), money(bill.giftTotal));
    receiptSum(r, QStringLiteral("合计"), numberText(bill.count), money(bill.total), {.bold = true});
    receiptHeaderLines(r, bill.linesBelow);
    for (const QString& note : bill.notes) r.text(note);
    r.rule();
    r.text(bill.venueLine, ReceiptAlign::Centre);
    r.rule();
    return r;
}

} // namespace kx::frontdesk
