#pragma once
// The bill screen pnl_Bill: the visit's amounts, the payment by pay type, member card and
// credit account, discount and consumption mode, and the checkout. Its controls are public
// members named as on the screen; the work is done by Checkout.
#include "Checkout.h"

#include <QFrame>
#include <QObject>
#include <QVariant>
#include <functional>
#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTableView;
class QToolBar;
class QToolButton;

namespace kx::frontdesk {

class TDMTable;
class TFormWMain;
class TFormWork;

class BillScreen : public QObject {
    Q_OBJECT
public:
    // Builds the screen on the work form and registers the actions of its keys and of "结帐 *"
    // on the work screen ("work.checkout").
    BillScreen(TFormWMain* main, TFormWork* work, TDMTable* dm);
    ~BillScreen() override;

    Checkout& checkout() { return *checkout_; }

    // The bill layout: called with the payment of the preview pass computed and not stored;
    // `toPrinter` false shows the preview, true prints on the default printer.
    std::function<void(bool toPrinter)> printBill;
    // Shown instead of printing when the system has no printer.
    static inline const QString kNoPrinter = QStringLiteral("系统中没有安装打印机，请使用[预览 F10]！");

    // The operations of the screen's buttons and keys.
    void enterBill();     // "结帐 *" on the work screen
    void back();          // "回退", Esc
    // After a checkout refused because the visit changed elsewhere: the bill computed again
    // when the visit is still open here, else back to the board.
    void afterLostRace(qint64 visitKey);
    void settle();        // "结帐 *", numeric-pad *
    void preview();       // "预览 F10"
    void print();         // "打印 /", numeric-pad /
    void movePayType(int step); // F11 (-1), F12 (+1)

    QFrame* pnl_Bill;
    QToolBar* ToolBar_Bill;
    QToolButton* ToolButton1;  // 结帐 *
    QToolButton* ToolButton3;  // 打印 /
    QToolButton* ToolButton23; // 预览 F10
    QToolButton* ToolButton24; // 回退
    QToolButton* toolb_BillHelp;

    // header
    QLabel* lbl_BillNo;
    QLabel* lbl_BillTable;
    QLineEdit* DBEdit9;  // guest name
    QLineEdit* DBEdit10; // guest count
    QLineEdit* DBEdit11; // opening time
    QLabel* lbl_BillConsType;
    QComboBox* DBLookupComboBox8; // commission staff
    QComboBox* DBComboBox4;       // commission kind

    // amount column
    QLabel* lbl_BillDish;
    QLabel* lbl_BillSpec;
    QLabel* lbl_BillLow;
    QLabel* lbl_BillRoom;
    QLabel* lbl_BillServ;
    QLabel* lbl_BillDisc;
    QLabel* lbl_BillTax;
    QLabel* lbl_BillShou;
    QLineEdit* DBEdit12; // amount received
    QLineEdit* DBEdit13; // payment narrative
    QLabel* lbl_Total;
    QLabel* lbl_Total1;
    QLineEdit* Edit11; // hidden: the amount received as the visit row shows it

    QTabWidget* PageControl2;
    // "付款 +"
    QTableView* DBGrid7;
    QLabel* lbl_PayName;
    QLineEdit* DBEdit14;
    QPushButton* SpeedButton3;
    // "会员"
    QLineEdit* Edit1;
    QLineEdit* Edit2;
    QPushButton* SpeedButton1;
    QPushButton* SpeedButton2;
    QLabel* lbl_MembName;
    QLabel* lbl_MembType;
    QLabel* lbl_MembCardType;
    QLabel* lbl_MembTele;
    QLabel* lbl_MembWork;
    QLabel* lbl_MembAdd;
    QLabel* lbl_MembRema;
    QLabel* lbl_MembUse;
    QLabel* lbl_MembSurp;
    QLabel* lbl_MembDisc;
    // "挂帐"
    QLabel* lbl_HangLimi;
    QLabel* lbl_HangUse;
    QLineEdit* Edit4;
    QLabel* lbl_HangWork;
    QLabel* lbl_HangAdd;
    QLabel* lbl_HangTele;
    QLabel* lbl_HangRema;
    QPushButton* SpeedButton4;
    QTableView* DBGrid6;
    QLabel* lbl_hangcode; // hidden
    // "折扣"
    QLineEdit* DBEdit15;
    QComboBox* DBLookupComboBox6;
    QTableView* DBGrid9;
    // "消费方式"
    QComboBox* DBLookupComboBox5;
    QLabel* lbl_BillServRate;
    QLabel* lbl_BillUnit;
    QTableView* DBGrid8;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The bill built from the preview pass and shown in the preview or sent to the printer.
    void outputBill(bool toPrinter);
    void build();
    void bind();
    void wire();
    void showReceived();
    void showTotals(const QString& text);
    void showTable();
    void showCommissionKind();
    void clearCreditLabels();
    void focusAmount();
    void chooseCreditAccount();
    void buildBill(bool toPrinter);
    // Asks the discount permission once per bill; a refusal disables the discount edit and the
    // scheme list until the bill is entered again.
    bool discountAllowed();
    // Puts the discount back as it was when the bill was entered.
    void restoreDiscount();

    TFormWMain* main_;
    TFormWork* work_;
    TDMTable* dm_;
    std::unique_ptr<Checkout> checkout_;
    bool showingReceived_ = false;
    bool askingDiscount_ = false;
    enum class Discount { Unasked, Granted, Refused };
    Discount discount_ = Discount::Unasked;
    std::pair<QVariant, QVariant> discountOnEntry_; // disc_code, disc_perc
};

} // namespace kx::frontdesk
