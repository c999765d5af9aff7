#pragma once
// The bill of a visit: money rounding, line totals, the visit subtotals and the five
// recomputations the screens run (ChangeConsType, ReTotal, TotalDisc, TotalTax).
//
// They work on the current row of adoqry_TableGues and on the visit's order lines in
// TableConsList, read the settings record at the moment they run, take the time from the
// program clock and never post the visit row: the caller posts or cancels it. The commands
// they run on the order lines (service and discount rates) are written at once.
//
// Callers combine them in this order: ChangeConsType, ReTotal, TotalDisc, then TotalTax when
// the visit is taxed (else tabl_gues_fact = tabl_gues_shou). The visit subtotals must be
// current before ReTotal runs. TotalTax adds tax to the receivable as it stands, so it runs
// once, after TotalDisc (or ReTotal).
//
// How the bill reads the rules where a literal reading would give a wrong amount:
// - A value a hair beside a whole number or a half (3.0000000000000004, 2.675 * 100 =
//   267.49999…) is cleaned of that binary noise before it is rounded, truncated or lifted, so
//   a product that means a whole number or an exact half is treated as one.
// - "四舍五入" and "保留小数" round halves to even (to a whole number, to cents).
// - "小数进一" on a line total: any fraction of a cent or more lifts the total to the next whole
//   amount away from zero (2.01 gives 3, as 3.01 gives 4; 3 x 3.35 gives 11, its return -11).
//   Adding 0.49 and rounding halves to even would lift 3.01 but not 2.01.
// - A room charged by started hours (type "3") with "保留小数": the hours keep their two
//   decimals; a few seconds past a whole hour do not add another hour.
// - Time bands (type "9"): the stay is cut with every band on every day it touches, and each
//   part is charged at its band's hourly price; a stay over 24 hours is charged in full, an
//   opening in a gap between bands is charged from the next band on.
// - The discount edit's "00" (like an empty edit or "0") means no whole-bill discount, not a
//   100 % discount: the percentage is the part paid.
#include <QDateTime>
#include <QSqlDatabase>
#include <QString>

namespace kx::frontdesk {

class TDMTable;

// --- money rounding -----------------------------------------------------------------

// The four rounding modes of the settings record.
inline constexpr const char* kRoundHalf = "四舍五入";  // whole number, halves to even
inline constexpr const char* kRoundDown = "舍去小数";  // truncated toward zero
inline constexpr const char* kRoundCents = "保留小数"; // two decimals, halves to even
inline constexpr const char* kRoundUp = "小数进一";    // smallest whole number not below

// Rounds x by a mode text; the text is compared exactly, and any other text returns x.
double roundByMode(const QString& mode, double x);
// Rounds a money amount by the rounding of sums (pay_set_sum_int) as it is set now.
double IntWay(const TDMTable& dm, double x);

// --- order lines --------------------------------------------------------------------

// The stored total of an order line: count x unit price x price sign, rounded by the
// rounding of line totals (pay_set_item_int): "小数进一" lifts any fraction of a cent or more
// to the next whole amount away from zero, "四舍五入" rounds to a whole amount (halves to
// even); "保留小数" and any other text keep the product as it is.
double lineTotal(const QString& itemMode, double count, double price, double typeFlag);
// The same with the mode of the settings record.
double lineTotal(const TDMTable& dm, double count, double price, double typeFlag);
// What the order pad shows as a line's amount (count x price, without the sign): as the
// stored total for "小数进一" and "四舍五入", IntWay of the product for "保留小数".
double padItemTotal(const TDMTable& dm, double count, double price);
// Writes tabl_cons_tota of every line this desk has on one visit's order pad (TableConsListTemp)
// by the rounding of line totals. Returns the number of lines written.
int storePadLineTotals(const TDMTable& dm, qint64 visitKey);

// --- visit subtotals ----------------------------------------------------------------

// What the dish subtotal adds up: the stored line totals (after ordering) or count x price x
// sign (when lines were moved between visits).
enum class SubtotalBasis { LineTotals, CountTimesPrice };

// The four sums over a visit's order lines whose class exists: non-special (dish) and special
// (special) amounts, and the service-chargeable parts of each. Unrounded.
struct VisitSubtotals {
    double dish = 0;
    double special = 0;
    double servMain = 0;
    double servSpec = 0;
};
VisitSubtotals queryVisitSubtotals(QSqlDatabase db, qint64 visitKey,
                                   SubtotalBasis basis = SubtotalBasis::LineTotals);
// Puts the current visit row in edit and stores its subtotals, each through IntWay, into
// tabl_gues_dish, tabl_gues_spec, tabl_gues_serv_main, tabl_gues_serv_spec.
void storeVisitSubtotals(TDMTable& dm, SubtotalBasis basis = SubtotalBasis::LineTotals);

// --- the recomputations -------------------------------------------------------------

// The guest count of an edit's text: "0" + text read as a whole number ("" is 0). Throws
// ConversionError when it is not one (a sign inside, a blank, a point).
int guestCountFromText(const QString& text);
// The percentage paid of the discount edit's text, trimmed: empty is 0 (no discount), else
// "0" + text read as a whole number ("00" is 0, no discount too); throws ConversionError when
// it is not one.
int discountPercentFromText(const QString& text);

// Applies the visit's consumption mode: its type and service rate, the service rate of the
// order lines, minimum charge, room charge and base amount; then service charge and
// receivable as ReTotal does. `guests` is the guest count the charges per guest use.
void ChangeConsType(TDMTable& dm, int guests);
// The same with the guest count edit's text (checked before anything changes).
void ChangeConsType(TDMTable& dm, const QString& guestCountText);

// Puts the visit row in edit and recomputes the time-based room charge (types "3", "6", "8",
// "9", "A"), the service charge and the receivable.
void ReTotal(TDMTable& dm);

// Recomputes the order lines' discount rates, the discount and the receivable, and sets the
// amount received to the receivable. `percentPaid` is the whole-bill percentage paid; 0 (or
// 100) means no whole-bill discount. Does nothing for a visit without key.
void TotalDisc(TDMTable& dm, int percentPaid);
// The same with the discount edit's text (checked before anything changes).
void TotalDisc(TDMTable& dm, const QString& discountText);

// Adds tax to the receivable (by percentage of the receivable, or per guest) and sets the
// amount received to it. `guests` counts only for tax per guest.
void TotalTax(TDMTable& dm, double guests);
// The same with the guest count edit's text: "0" + text read as a number.
void TotalTax(TDMTable& dm, const QString& guestCountText);

// --- time charges (exposed for the screens' displays and for tests) -------------------

// Whole hours between two moments as a fraction (order does not matter).
double hoursBetween(const QDateTime& a, const QDateTime& b);
// Days charged by a daily room ("8"): calendar days from the opening date to now's date, one
// more for an opening before noon, one more when now is noon or later.
double dailyUnits(const QDateTime& opened, const QDateTime& now);
// Days charged with half days ("A"): as above, but after noon only half a day until 17:59:59.
double halfDailyUnits(const QDateTime& opened, const QDateTime& now);

} // namespace kx::frontdesk
