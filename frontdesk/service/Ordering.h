#pragma once
// Ordering: the order pad of one visit and what is done with it — picking items, the line
// check against what the visit has committed and against the stock, line modes, deleting,
// committing the pad with stock and the visit's charges — and the two catalogue changes of
// the order screen (a new price, a new item).
//
// The pad (TableConsListTemp) holds the lines of the visit whose order screen is open. Each
// front desk works on the rows of its own visit only: opening empties that visit's rows, and
// every statement on the pad names the visit, so two desks take orders for two tables at once.
// A commit removes the visit's rows once they are copied, and clearing the table removes any
// left by an order screen that was left without committing: the pad never grows.
#include <QSqlDatabase>
#include <QString>

#include <functional>

namespace kx {
class StatusProgress;
}

namespace kx::frontdesk {

class TDMTable;
class TFormWMain;

// The line modes of an order line.
inline constexpr const char* kModeOrdered = "1";  // 点单
inline constexpr const char* kModeReturned = "2"; // 退单
inline constexpr const char* kModeFree = "3";     // 赠单
inline constexpr const char* kModeFreeBack = "4"; // 退赠

// The items as the order screen lists them: every item but the ingredients, by code.
QString orderableItemsSql();

// The visit's committed net quantity of an item: for mode "3" the free quantity (modes "3" and
// "4", signed by the stock sign), for any other mode the charged quantity (modes "1" and "2",
// signed by the price sign). Lines still on the pad do not count.
double MenuTypeSearch(QSqlDatabase db, const QString& mode, const QString& itemCode, qint64 visitKey);

// What an item is now, read from the catalogue (not from the items dataset, whose filter may
// hide it).
struct ItemFacts {
    bool found = false;
    QString name;
    QString unit;
    QString limit; // 有限 / 不限 / 禁用
    double stock = 0;
    bool openPrice = false;
};
ItemFacts itemFacts(QSqlDatabase db, const QString& itemCode);

class Ordering {
public:
    Ordering(TFormWMain* main, TDMTable* dm);

    // --- the pad

    // Starts ordering for a visit at a table: removes the visit's pad rows and opens the pad.
    void openPad(qint64 visitKey, const QString& tableCode);
    qint64 visitKey() const { return visitKey_; }
    QString tableCode() const { return tableCode_; }
    bool padEmpty() const;
    // Opens the pad again on the visit's lines without the set-menu components and moves to
    // the last line.
    void reopenPad();

    // Set by a right-button double click on an item grid: the next pick decreases.
    bool rightButton = false;

    enum class Pick {
        Disabled,  // the item is "禁用": refused with its message
        NoLine,    // a right double click on an item that has no line: nothing happens
        Added,     // a new line (and for a set menu its components)
        Increased, // one more on the item's line
        Decreased, // one less (right double click)
        Held,      // the line stays as it is (not enough stock, or nothing to take away)
    };
    // Picks the current item of the items dataset. A new line is checked at once (its outcome
    // is lastCheck()).
    Pick pickCurrentItem();

    enum class Check {
        Skipped,      // the quantity is empty
        Passed,       // the line stays in edit with its signs set
        Refused,      // refused with a message (or a permission refusal); the line's changes cancelled
        RefusedStock, // more than the stock: cancelled, back in edit, the quantity edit to be emptied
    };
    // The line check of the current pad line over the quantity typed (`quantityText`, as the
    // quantity edit shows it).
    Check lineCheck(const QString& quantityText);
    // The line check over the line's own quantity.
    Check lineCheck();
    // Sets the current line's mode and checks it over the quantity typed (or the line's own);
    // nothing when the pad has no current line.
    Check chooseMode(const QString& code, const QString& quantityText);
    Check chooseMode(const QString& code);
    Check lastCheck() const { return lastCheck_; }

    // Deletes the current line after the question (with its components for a set menu).
    // False when nothing was deleted.
    bool deleteLine();

    // Whether the order screen may be left: at once when the pad is empty, else after the
    // question.
    bool confirmLeave();

    // "落单 *": after the question, commits the pad into the visit's lines in one transaction
    // (B100007) — line totals, set-menu quantities, names, service rates, the copy, the stock of
    // single items, of the components of composites and of set menus, the visit's subtotals and
    // charges — and re-points the committed lines at the visit. False when not asked to or the
    // pad was empty. `progress` (may be null) is advanced after each stage.
    bool commit(StatusProgress* progress = nullptr);
    // The commit without the question and the posting of the pad line (the stages above).
    // Inside its transaction it checks again that the visit is open and that counted stock
    // covers every use (requireStock); a lost race stores nothing (StaleData). Once stored,
    // with the kitchen option on and a receipt kitchen printer, the ticket of the lines just
    // committed goes to the kitchen (sendCommittedToKitchen); a printer that fails leaves the
    // commit stored and the lines unsent.
    void commitPad(StatusProgress* progress = nullptr);
    // Refuses with the stock message (StaleData) when counted stock no longer covers what this
    // desk's pad for the visit takes, all uses of an item summed.
    void requireStock(QSqlDatabase db, qint64 key, const QString& desk);

    // --- catalogue changes from the order screen

    // Sets the current item's price to "0" + the trimmed text, read as a number, and the price
    // of the item's pad line as well.
    void changePrice(const QString& newPriceText);

    struct NewItem {
        QString code, name, unit, price, shortCode;
    };
    enum class AddItem { Missing, Duplicate, NotConfirmed, Added };
    // Adds a single item with open price and unlimited stock to the current class, after its
    // checks and the question. A code the database refuses (it exists in another class) shows
    // its message and stops silently.
    AddItem addItem(const NewItem& item);

    TDMTable* dm() const { return dm_; }

private:
    void setModeSigns(const QString& mode);
    void addSetMenuComponents(const QString& setMenuCode, const QString& setMenuName);
    void storeLineTotals(const QString& when);

    TFormWMain* main_;
    TDMTable* dm_;
    qint64 visitKey_ = 0;
    QString tableCode_;
    Check lastCheck_ = Check::Skipped;
};

} // namespace kx::frontdesk
