#include "BillCalc.h"

#include "Clock.h"
#include "Errors.h"
#include "Sql.h"
#include "TDMTable.h"
#include "Values.h"

#include <QRegularExpression>
#include <QSqlQuery>
#include <QTime>
#include <algorithm>
#include <cmath>
#include <vector>

namespace kx::frontdesk {

using db::Dataset;

namespace {

const QString kHalf = QString::fromUtf8(kRoundHalf);
const QString kDown = QString::fromUtf8(kRoundDown);
const QString kCents = QString::fromUtf8(kRoundCents);
const QString kUp = QString::fromUtf8(kRoundUp);

// A product such as 0.1 * 30 lands a hair beside the whole number it means
// (3.0000000000000004); truncation and ceiling must see the whole number.
double snapToWhole(double x) {
    const double whole = std::nearbyint(x);
    const double tolerance = std::max(1e-9, std::fabs(x) * 1e-12);
    return std::fabs(x - whole) <= tolerance ? whole : x;
}

double noNegativeZero(double x) { return x == 0.0 ? 0.0 : x; }

QString quoteFilterValue(QString value) { return value.replace(QLatin1Char('\''), QStringLiteral("''")); }

// A time of day as the time-band columns hold it: a date-time whose time part counts, or a
// bare time.
QTime timeOfDay(const QVariant& v) {
    if (!v.isValid() || v.isNull()) return QTime();
    if (v.typeId() == QMetaType::QDateTime) return v.toDateTime().time();
    if (v.typeId() == QMetaType::QTime) return v.toTime();
    const QString text = v.toString().trimmed();
    const QDateTime dt = fromDbDateTime(text);
    if (dt.isValid()) return dt.time();
    for (const char* f : {"HH:mm:ss", "H:mm:ss", "HH:mm", "H:mm"}) {
        const QTime t = QTime::fromString(text, QString::fromLatin1(f));
        if (t.isValid()) return t;
    }
    return QTime();
}

// Whether a band of the day holds a time of day; a band whose end lies before its start runs
// across midnight.
bool bandHolds(const QTime& start, const QTime& end, const QTime& t) {
    if (start <= end) return start <= t && t <= end;
    return t >= start || t <= end;
}

// The charge of a stay by the time bands of its mode: every band, on every day the stay
// touches, is charged at its hourly price for the part of the stay inside it.
double bandCharge(Dataset& bands, const QDateTime& opened, const QDateTime& now) {
    double total = 0;
    if (!opened.isValid() || !now.isValid() || now <= opened) return total;
    for (bands.first(); !bands.eof(); bands.next()) {
        const QTime start = timeOfDay(bands.field(QStringLiteral("cons_time_star")).value());
        const QTime end = timeOfDay(bands.field(QStringLiteral("cons_time_end")).value());
        if (!start.isValid() || !end.isValid() || start == end) continue;
        const double price = bands.field(QStringLiteral("cons_time_mone")).asFloat();
        // From the day before the opening, for a band that runs across midnight.
        for (QDate day = opened.date().addDays(-1); day <= now.date(); day = day.addDays(1)) {
            const QDateTime from(day, start);
            const QDateTime to(start < end ? day : day.addDays(1), end);
            const QDateTime a = std::max(from, opened);
            const QDateTime b = std::min(to, now);
            if (a < b) total += price * (double(a.msecsTo(b)) / 3600000.0);
        }
    }
    bands.first();
    return total;
}

// The hourly price of the band of a mode that holds the time of day now (the first in stored
// order); 0 when none does.
double currentBandPrice(QSqlDatabase db, const QString& modeCode, const QTime& now) {
    QSqlQuery q = db::run(db,
                          QStringLiteral("SELECT cons_time_star, cons_time_end, cons_time_mone FROM ConsTimeMode "
                                         "WHERE cons_mode_code = ? ORDER BY cons_time_code"),
                          {modeCode});
    while (q.next()) {
        const QTime start = timeOfDay(q.value(0));
        const QTime end = timeOfDay(q.value(1));
        if (!start.isValid() || !end.isValid()) continue;
        if (bandHolds(start, end, now)) return q.value(2).isNull() ? 0.0 : q.value(2).toDouble();
    }
    return 0.0;
}

double num(const Dataset& ds, const char* field) { return ds.field(QString::fromLatin1(field)).asFloat(); }

void setNum(Dataset& ds, const char* field, double value) {
    ds.field(QString::fromLatin1(field)).setValue(noNegativeZero(value));
}

// Service charge and receivable of the current visit row (the last two steps of ReTotal).
void serviceAndReceivable(TDMTable& dm) {
    Dataset& v = *dm.adoqry_TableGues;
    const double rate = num(v, "cons_mode_serv");
    const double low = num(v, "tabl_gues_low");
    const double dish = num(v, "tabl_gues_dish");
    const double room = num(v, "tabl_gues_room");
    // Below the minimum charge the service charge is taken on the minimum (and the special
    // consumption); the room charge is not part of that base.
    const double serv = low >= dish
                            ? IntWay(dm, rate * (low + num(v, "tabl_gues_serv_spec")) * 0.01)
                            : IntWay(dm, rate * (num(v, "tabl_gues_serv_main") + num(v, "tabl_gues_serv_spec") + room) * 0.01);
    setNum(v, "tabl_gues_serv", serv);
    setNum(v, "tabl_gues_shou", IntWay(dm, std::max(dish, low) + num(v, "tabl_gues_spec") + room + serv));
}

// The visit key of the current visit row; false when it has none.
bool visitKey(const Dataset& v, qint64* key) {
    const db::Field f = v.field(QStringLiteral("tabl_gues_auto_recn"));
    if (f.isNull()) return false;
    *key = f.asInt();
    return true;
}

} // namespace

// ---------------------------------------------------------------- rounding

double roundByMode(const QString& mode, double x) {
    if (!std::isfinite(x)) return x;
    if (mode == kHalf) return noNegativeZero(roundHalfEven(x, 0));
    if (mode == kDown) return noNegativeZero(std::trunc(snapToWhole(x)));
    if (mode == kCents) return noNegativeZero(roundHalfEven(x, 2));
    if (mode == kUp) {
        const double y = snapToWhole(x);
        const double t = std::trunc(y);
        return noNegativeZero(y <= t ? t : t + 1);
    }
    return x;
}

double IntWay(const TDMTable& dm, double x) { return roundByMode(dm.setup.text(QStringLiteral("pay_set_sum_int")), x); }

// ---------------------------------------------------------------- order lines

double lineTotal(const QString& itemMode, double count, double price, double typeFlag) {
    const double v = count * price * typeFlag;
    if (itemMode == kUp) {
        // Any fraction of a cent or more goes up to the next whole amount (away from zero):
        // 2.01 gives 3 just as 3.01 gives 4.
        const double lifted = roundHalfEven(std::fabs(v) + 0.49, 6);
        const double whole = std::floor(lifted + 0.5);
        return noNegativeZero(v >= 0 ? whole : -whole);
    }
    if (itemMode == kHalf) return noNegativeZero(roundHalfEven(v, 0));
    return noNegativeZero(v);
}

double lineTotal(const TDMTable& dm, double count, double price, double typeFlag) {
    return lineTotal(dm.setup.text(QStringLiteral("pay_set_item_int")), count, price, typeFlag);
}

double padItemTotal(const TDMTable& dm, double count, double price) {
    const QString mode = dm.setup.text(QStringLiteral("pay_set_item_int"));
    if (mode == kCents) return IntWay(dm, count * price);
    return lineTotal(mode, count, price, 1);
}

int storePadLineTotals(const TDMTable& dm, qint64 visitKey) {
    // Rounded as the bill rounds (halves to even), not by the database's round(); one statement
    // writes every line of the visit's pad.
    const QString mode = dm.setup.text(QStringLiteral("pay_set_item_int"));
    QStringList cases;
    QVariantList params;
    {
        QSqlQuery q = db::run(dm.database(),
                              QStringLiteral("SELECT tabl_cons_ID, tabl_cons_coun, item_unit_pric, item_type_flag "
                                             "FROM TableConsListTemp WHERE tabl_gues_auto_recn = ? AND desk_id = ?"),
                              {visitKey, dm.deskId});
        while (q.next()) {
            // As in arithmetic on the columns, a missing factor leaves the total empty.
            QVariant total;
            if (!q.value(1).isNull() && !q.value(2).isNull() && !q.value(3).isNull())
                total = lineTotal(mode, q.value(1).toDouble(), q.value(2).toDouble(), q.value(3).toDouble());
            cases << QStringLiteral("WHEN ? THEN ?");
            params << q.value(0) << total;
        }
    }
    if (cases.isEmpty()) return 0;
    params << visitKey << dm.deskId;
    db::exec(dm.database(),
             QStringLiteral("UPDATE TableConsListTemp SET tabl_cons_tota = CASE tabl_cons_ID %1 ELSE tabl_cons_tota END "
                            "WHERE tabl_gues_auto_recn = ? AND desk_id = ?")
                 .arg(cases.join(QLatin1Char(' '))),
             params);
    return int(cases.size());
}

// ---------------------------------------------------------------- visit subtotals

VisitSubtotals queryVisitSubtotals(QSqlDatabase db, qint64 visitKey, SubtotalBasis basis) {
    // A class counts as special (or service-chargeable) when its flag is set; an unset flag
    // reads as not set.
    const QString amount = QStringLiteral("a.tabl_cons_coun * a.item_unit_pric * a.item_type_flag");
    const QString dishAmount = basis == SubtotalBasis::LineTotals ? QStringLiteral("a.tabl_cons_tota") : amount;
    const QString sql =
        QStringLiteral("SELECT "
                       "SUM(CASE WHEN COALESCE(b.clas_allo_spec, 0) <> 0 THEN 0 ELSE %1 END), "
                       "SUM(CASE WHEN COALESCE(b.clas_allo_spec, 0) <> 0 THEN %2 ELSE 0 END), "
                       "SUM(CASE WHEN COALESCE(b.clas_allo_serv, 0) <> 0 AND COALESCE(b.clas_allo_spec, 0) = 0 "
                       "THEN %2 ELSE 0 END), "
                       "SUM(CASE WHEN COALESCE(b.clas_allo_serv, 0) <> 0 AND COALESCE(b.clas_allo_spec, 0) <> 0 "
                       "THEN %2 ELSE 0 END) "
                       "FROM TableConsList a, classlist b "
                       "WHERE a.clas_code = b.clas_code AND a.clas_code IS NOT NULL AND a.tabl_gues_auto_recn = ?")
            .arg(dishAmount, amount);
    QSqlQuery q = db::run(db, sql, {visitKey});
    VisitSubtotals s;
    if (q.next()) {
        auto at = [&q](int i) { return q.value(i).isNull() ? 0.0 : q.value(i).toDouble(); };
        s.dish = at(0);
        s.special = at(1);
        s.servMain = at(2);
        s.servSpec = at(3);
    }
    return s;
}

void storeVisitSubtotals(TDMTable& dm, SubtotalBasis basis) {
    Dataset& v = *dm.adoqry_TableGues;
    qint64 key = 0;
    const bool hasKey = visitKey(v, &key);
    const VisitSubtotals s = hasKey ? queryVisitSubtotals(dm.database(), key, basis) : VisitSubtotals{};
    v.edit();
    setNum(v, "tabl_gues_dish", IntWay(dm, s.dish));
    setNum(v, "tabl_gues_spec", IntWay(dm, s.special));
    setNum(v, "tabl_gues_serv_main", IntWay(dm, s.servMain));
    setNum(v, "tabl_gues_serv_spec", IntWay(dm, s.servSpec));
}

// ---------------------------------------------------------------- typed values

int guestCountFromText(const QString& text) {
    const QString t = QStringLiteral("0") + text;
    static const QRegularExpression digits(QStringLiteral("^[0-9]+$"));
    bool ok = false;
    const int n = digits.match(t).hasMatch() ? t.toInt(&ok) : 0;
    if (!ok) throw ConversionError(ConversionError::Number, t);
    return n;
}

int discountPercentFromText(const QString& text) {
    const QString p = text.trimmed();
    if (p.isEmpty()) return 0;
    return guestCountFromText(p);
}

// ---------------------------------------------------------------- ChangeConsType

void ChangeConsType(TDMTable& dm, const QString& guestCountText) { ChangeConsType(dm, guestCountFromText(guestCountText)); }

void ChangeConsType(TDMTable& dm, int guests) {
    Dataset& v = *dm.adoqry_TableGues;
    Dataset& modes = *dm.adoqry_ConsMode;
    v.edit();
    setNum(v, "tabl_gues_low", 0);
    setNum(v, "tabl_gues_room", 0);
    setNum(v, "tabl_gues_unit", 0);

    const QString modeCode = v.field(QStringLiteral("cons_mode_code")).asString();
    modes.setFiltered(false);
    modes.setFilter(QStringLiteral("cons_mode_code='%1'").arg(quoteFilterValue(modeCode)));
    modes.setFiltered(true);
    // Whatever happens below, the modes are all visible again afterwards.
    struct ShowAllModes {
        Dataset& ds;
        ~ShowAllModes() {
            try {
                ds.setFilter(QStringLiteral("cons_mode_code<>'^-^'"));
            } catch (...) {
            }
        }
    } showAll{modes};

    const bool found = !modes.isEmpty();
    const QString type = found ? modes.field(QStringLiteral("cons_type_code")).asString() : QString();
    const qint64 rate = found ? modes.field(QStringLiteral("cons_mode_serv")).asInt() : 0;
    const double m = found ? modes.field(QStringLiteral("cons_mode_mone")).asFloat() : 0.0;
    v.field(QStringLiteral("cons_type_code")).setValue(found ? QVariant(type) : QVariant());
    v.field(QStringLiteral("cons_mode_serv")).setValue(rate);

    qint64 key = 0;
    if (visitKey(v, &key)) {
        db::exec(dm.database(), QStringLiteral("UPDATE TableConsList SET serv_perc = 100 WHERE tabl_gues_auto_recn = ?"),
                 {key});
        // Set-menu lines and classes without service charge keep 100 (no service charge).
        if (rate > 0)
            db::exec(dm.database(),
                     QStringLiteral("UPDATE TableConsList SET serv_perc = ? "
                                    "WHERE grou_code IS NULL AND tabl_gues_auto_recn = ? AND clas_code IN "
                                    "(SELECT clas_code FROM classlist WHERE COALESCE(clas_allo_serv, 0) <> 0)"),
                     {rate, key});
    }

    double low = 0, room = 0, unit = 0;
    const QTime nowTime = Clock::now().time();
    if (type == QLatin1String("2")) {
        low = m;
        unit = m;
    } else if (type == QLatin1String("3") || type == QLatin1String("4") || type == QLatin1String("8")) {
        room = m;
        unit = m;
    } else if (type == QLatin1String("5")) {
        low = IntWay(dm, guests * m);
        unit = m;
    } else if (type == QLatin1String("6")) {
        unit = m;
    } else if (type == QLatin1String("7")) {
        room = IntWay(dm, guests * m);
        unit = m;
    } else if (type == QLatin1String("9")) {
        room = currentBandPrice(dm.database(), modeCode, nowTime);
    } else if (type == QLatin1String("A")) {
        const bool afternoon = nowTime >= QTime(12, 0, 0) && nowTime <= QTime(17, 59, 59);
        room = afternoon ? IntWay(dm, m * 0.5) : m;
        unit = m;
    }
    setNum(v, "tabl_gues_low", low);
    setNum(v, "tabl_gues_room", room);
    setNum(v, "tabl_gues_unit", unit);

    serviceAndReceivable(dm);
}

// ---------------------------------------------------------------- ReTotal

double hoursBetween(const QDateTime& a, const QDateTime& b) {
    if (!a.isValid() || !b.isValid()) return 0.0;
    return double(std::llabs(a.msecsTo(b))) / 3600000.0;
}

namespace {
int noonDays(const QDateTime& opened, const QDateTime& now) {
    int d = int(opened.date().daysTo(now.date()));
    if (opened.time() <= QTime(11, 59, 59)) ++d;
    return d;
}
} // namespace

double dailyUnits(const QDateTime& opened, const QDateTime& now) {
    double d = noonDays(opened, now);
    if (now.time() >= QTime(12, 0, 0)) d += 1;
    return d;
}

double halfDailyUnits(const QDateTime& opened, const QDateTime& now) {
    double d = noonDays(opened, now);
    if (now.time() >= QTime(12, 0, 0)) d += now.time() <= QTime(17, 59, 59) ? 0.5 : 1.0;
    return d;
}

void ReTotal(TDMTable& dm) {
    Dataset& v = *dm.adoqry_TableGues;
    v.edit();
    const QString type = v.field(QStringLiteral("cons_type_code")).asString();
    const double unit = num(v, "tabl_gues_unit");
    const QDateTime now = Clock::now();
    QDateTime opened = v.field(QStringLiteral("tabl_gues_time")).asDateTime();
    if (!opened.isValid()) opened = now; // no opening time: nothing has been stayed yet

    if (type == QLatin1String("3")) {
        // Every started hour. With two-decimal rounding the hours keep their decimals: a
        // remainder too small to show does not start another hour.
        const double h = hoursBetween(opened, now);
        const double r = IntWay(dm, h);
        const bool cents = dm.setup.text(QStringLiteral("pay_set_sum_int")) == kCents;
        const double charged = (!cents && h - r > 0) ? r + 1 : r;
        setNum(v, "tabl_gues_room", IntWay(dm, unit * charged));
    } else if (type == QLatin1String("6")) {
        setNum(v, "tabl_gues_room", IntWay(dm, unit * hoursBetween(opened, now)));
    } else if (type == QLatin1String("8")) {
        setNum(v, "tabl_gues_room", IntWay(dm, unit * dailyUnits(opened, now)));
    } else if (type == QLatin1String("A")) {
        setNum(v, "tabl_gues_room", IntWay(dm, unit * halfDailyUnits(opened, now)));
    } else if (type == QLatin1String("9")) {
        Dataset& bands = *dm.adoqry_ConsTimeMode;
        bands.setSql(QStringLiteral("select * from ConsTimeMode where cons_mode_code=? order by cons_time_code"),
                     {v.field(QStringLiteral("cons_mode_code")).asString()});
        bands.open();
        setNum(v, "tabl_gues_room", IntWay(dm, bandCharge(bands, opened, now)));
    }

    serviceAndReceivable(dm);
}

// ---------------------------------------------------------------- TotalDisc

void TotalDisc(TDMTable& dm, const QString& discountText) { TotalDisc(dm, discountPercentFromText(discountText)); }

void TotalDisc(TDMTable& dm, int percentPaid) {
    Dataset& v = *dm.adoqry_TableGues;
    qint64 key = 0;
    if (!visitKey(v, &key)) return;
    const int paid = percentPaid == 0 ? 100 : percentPaid;
    QSqlDatabase db = dm.database();

    db::exec(db, QStringLiteral("UPDATE TableConsList SET disc_clas_perc = ? WHERE tabl_gues_auto_recn = ?"), {paid, key});
    // Classes listed in the scheme take the scheme's percentage instead.
    const QString scheme = v.field(QStringLiteral("disc_code")).asString();
    if (scheme != QLatin1String("N"))
        db::exec(db,
                 QStringLiteral("UPDATE TableConsList SET disc_clas_perc = "
                                "(SELECT b.disc_clas_perc FROM DiscItem b "
                                "WHERE b.disc_code = ? AND b.clas_code = TableConsList.clas_code) "
                                "WHERE tabl_gues_auto_recn = ? AND EXISTS (SELECT 1 FROM DiscItem b "
                                "WHERE b.disc_code = ? AND b.clas_code = TableConsList.clas_code)"),
                 {scheme, key, scheme});
    // Classes that allow no discount, and set-menu lines, are never discounted.
    db::exec(db,
             QStringLiteral("UPDATE TableConsList SET disc_clas_perc = 100 WHERE tabl_gues_auto_recn = ? AND "
                            "(grou_code IS NOT NULL OR clas_code IN "
                            "(SELECT clas_code FROM classlist WHERE COALESCE(clas_allo_disc, 0) = 0))"),
             {key});

    double discMain = 0, discSpec = 0;
    {
        QSqlQuery q = db::run(
            db, QStringLiteral("SELECT "
                               "SUM(CASE WHEN COALESCE(b.clas_allo_spec, 0) <> 0 THEN 0 "
                               "ELSE a.tabl_cons_tota * (100 - a.disc_clas_perc) * 0.01 END), "
                               "SUM(CASE WHEN COALESCE(b.clas_allo_spec, 0) <> 0 "
                               "THEN a.tabl_cons_tota * (100 - a.disc_clas_perc) * 0.01 ELSE 0 END) "
                               "FROM TableConsList a, classlist b "
                               "WHERE a.clas_code = b.clas_code AND a.tabl_gues_auto_recn = ?"),
            {key});
        if (q.next()) {
            discMain = q.value(0).isNull() ? 0.0 : q.value(0).toDouble();
            discSpec = q.value(1).isNull() ? 0.0 : q.value(1).toDouble();
        }
    }

    v.edit();
    const double q = 100 - paid;
    const double low = num(v, "tabl_gues_low");
    const double dish = num(v, "tabl_gues_dish");
    const double room = num(v, "tabl_gues_room");
    const double serv = num(v, "tabl_gues_serv");
    // Below the minimum charge the whole-bill percent is taken off the minimum, room and service
    // charge; class discounts of non-special lines do not count there.
    const double disc = low >= dish ? IntWay(dm, q * (low + room + serv) * 0.01 + discSpec)
                                    : IntWay(dm, q * (room + serv) * 0.01 + (discMain + discSpec));
    setNum(v, "tabl_gues_disc", disc);
    const double shou = IntWay(dm, std::max(dish, low) + num(v, "tabl_gues_spec") + room + serv - disc);
    setNum(v, "tabl_gues_shou", shou);
    setNum(v, "tabl_gues_fact", shou);
}

// ---------------------------------------------------------------- TotalTax

void TotalTax(TDMTable& dm, const QString& guestCountText) {
    const QString t = QStringLiteral("0") + guestCountText;
    static const QRegularExpression number(QStringLiteral("^[0-9]+(\\.[0-9]*)?$"));
    bool ok = false;
    const double g = number.match(t).hasMatch() ? t.toDouble(&ok) : 0.0;
    if (!ok) throw ConversionError(ConversionError::Number, t);
    TotalTax(dm, g);
}

void TotalTax(TDMTable& dm, double guests) {
    Dataset& v = *dm.adoqry_TableGues;
    v.edit();
    const double shou = num(v, "tabl_gues_shou");
    double tax = 0;
    if (dm.setup.text(QStringLiteral("pay_set_tax_type")) == QStringLiteral("按比例"))
        tax = IntWay(dm, shou * 0.01 * dm.setup.number(QStringLiteral("pay_set_tax_perc")));
    else
        tax = IntWay(dm, guests * roundHalfEven(dm.setup.number(QStringLiteral("pay_set_tax_mone"))));
    setNum(v, "tabl_gues_tax", tax);
    const double total = IntWay(dm, shou + tax);
    setNum(v, "tabl_gues_shou", total);
    setNum(v, "tabl_gues_fact", total);
}

} // namespace kx::frontdesk
