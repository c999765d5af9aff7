#pragma once
// Checkout and payment of a visit: the working values of one bill screen and the operations its
// buttons, keys and edits run. They work on the current rows of the data module: the visit
// (adoqry_TableGues), its table (adoqry_table), the pay types of this bill (adoqry_PayType), the
// chosen member card (adoqry_Member) and the credit accounts (adoqry_hanggues).
//
// The amounts typed per pay type belong to this bill screen alone: they live in a table of the
// program's own connection (BillPayTemp), so two front desks paying at once never see or
// overwrite each other's amounts.
//
// Balances are changed in the database, not from the copy shown on the screen: the checkout
// charges the member card and the credit account with one relative update each, whose condition
// checks the balance and the limit again inside the checkout's transaction.
#include <QSqlDatabase>
#include <QString>
#include <functional>

class QStatusBar;
class QWidget;

namespace kx {
class StatusProgress;
}

namespace kx::frontdesk {

class TDMTable;

// What a checkout, or its preview pass, came to.
enum class SettleOutcome {
    Refused,   // a check failed; its message was shown and nothing was stored
    Declined,  // the cashier answered No to the confirmation
    Previewed, // the preview pass computed the payment; nothing was stored
    Stored,    // the visit is checked out
};

// The commission kinds of the bill screen's list.
inline constexpr const char* kCommissionBooked = "预  定";
inline constexpr const char* kCommissionChosen = "指  定";
inline constexpr const char* kCommissionUsher = "领  位";
inline constexpr const char* kCommissionNone = "无提成";

// The commission rates of a consumption mode.
struct CommissionRates {
    double quota = 0;        // cons_mode_achi
    int bookedStandard = 0;  // cons_mode_pred_stan
    int bookedAbove = 0;     // cons_mode_pred_abov
    int chosenStandard = 0;  // cons_mode_spec_stan
    int chosenAbove = 0;     // cons_mode_spec_abov
    int usherStandard = 0;   // cons_mode_lead_stan
    int usherAbove = 0;      // cons_mode_lead_abov
};
CommissionRates commissionRates(QSqlDatabase db, const QString& modeCode);
// The commission on `base` (amount received less tax): the standard rate on the quota and the
// rate above on what exceeds it, rounded by IntWay. Negative (no commission) when the base does
// not pass the quota or the kind pays none.
double commissionFor(const TDMTable& dm, const QString& kind, double base, const CommissionRates& rates);

// Money text of the change boxes: thousands separators and two decimals ("1,234.50").
QString changeText(double amount);

// The name of the connection's own table holding the amounts typed on the bill screen.
inline constexpr const char* kBillPayTable = "BillPayTemp";

class Checkout {
public:
    // `limite` asks a permission and shows the refusal itself (the main window's Limite).
    using Permission = std::function<bool(const QString& code)>;
    Checkout(TDMTable& dm, Permission limite);

    TDMTable& dm() const { return dm_; }

    // BillActive: true while the bill screen is shown.
    bool active() const { return active_; }

    // Entering the bill ("结帐 *" on the work screen) with the visit and its table as current
    // rows. False when refused (permission, a checked-out table).
    bool enter();
    // "回退": drops what the bill changed on the visit, stores the receivable without discount
    // and tax again.
    void leave();
    // Ends the bill without storing anything (the visit changed elsewhere meanwhile).
    void abandon();

    // "确定" of the member tab: the card whose number and password match, or none (refused with
    // a message). The member's name becomes the guest's name.
    bool chooseMember(const QString& card, const QString& password);
    // "清除" of the member tab.
    void clearMember();
    bool memberChosen() const;
    // Double-click on the credit-account grid: its current account is charged by this bill.
    void chooseCreditAccount();
    // "清除" of the credit-account tab.
    void clearCreditAccount();
    QString creditAccountCode() const { return hangCode_; } // lbl_hangcode
    QString creditAccountName() const { return hangName_; } // Edit4: empty = none

    // "重置": every typed amount back to 0, amount received back to the receivable.
    void resetPayments();

    // The triggers of the bill screen's edits and lists. Each reads the values already in the
    // visit row.
    void guestCountChanged();
    // Returns true when the mode charges by time bands (the band grid shows).
    bool modeChosen();
    void discountChanged();
    void schemeChosen();
    // The amount received as the cashier types it: false (after the message) when it is above
    // the receivable; the screen then puts the receivable back.
    bool receivedTyped(const QString& text);
    // The amount received as the visit row shows it (Edit11).
    void receivedShown(const QString& text) { receivedShown_ = text; }
    QString receivedShownText() const { return receivedShown_; }

    // The checkout ("结帐 *"), or with `preview` its computation alone for the bill layout.
    // `received` is the text of the amount-received edit. With `statusBar`, storing the checkout
    // shows its progress over `panel` of that status bar.
    SettleOutcome settle(const QString& received, bool preview = false, QStatusBar* statusBar = nullptr,
                         QWidget* panel = nullptr);
    // After the bill was previewed or printed: the card and account changes are dropped and the
    // cash typed is put back.
    void endPreview();

    // CashTendered: the cash typed when the checkout (or preview) started.
    double cashTendered() const { return cashTendered_; }
    // The change line of the bill layout (qrl_zero); empty when there is no change to show.
    QString changeLine() const { return changeLine_; }

    // Amount typed for a pay type on this bill (0 when the type is missing).
    double typedAmount(const QString& payType) const;
    // Commits an amount still being typed into the pay-type row.
    void commitTypedAmount();

private:
    void fillPayments();
    void cancelAccountEdits();
    bool locatePay(const QString& code);
    void restoreCash();
    void taxIfCharged();
    // Edit11 follows the amount received the visit row holds.
    void noteReceived();
    void computeCommission();
    void stampVisit();
    // Runs the checkout's transaction; returns the refusal when a balance no longer covers the
    // charge (nothing stored), else an empty text.
    QString storeInTransaction(double member, double credit, StatusProgress* progress);
    void storeCheckout(StatusProgress* progress);

    TDMTable& dm_;
    Permission limite_;
    bool active_ = false;
    double cashTendered_ = 0;
    QString receivedShown_;
    QString hangCode_;
    QString hangName_;
    QString changeLine_;
};

} // namespace kx::frontdesk
