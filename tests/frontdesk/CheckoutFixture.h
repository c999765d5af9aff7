#pragma once
// The front desk logged in, with visits on tables of the sample venue built by bound SQL as
// opening and ordering leave them, and the bill screen at hand.
#include "BillCalc.h"
#include "BillScreen.h"
#include "Check.h"
#include "FrontDeskFixture.h"

#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <vector>

namespace kx::test {

// One order line of a visit: item, class, count and unit price (cost 40 % of the price).
struct OrderLine {
    QString item;
    QString clas;
    double count;
    double price;
};

class CheckoutTest : public FrontDeskTest {
protected:
    void SetUp() override {
        FrontDeskTest::SetUp();
        logIn();
        prompter.clear();
        bill = work->bill;
        ASSERT_NE(bill, nullptr);
    }

    // Seats a visit on `table` in consumption mode `mode` with its lines, committed as ordering
    // commits them, and makes it the current visit of the table's work screen.
    qint64 seat(const QString& table, const QString& mode, int guests, const std::vector<OrderLine>& lines,
                qint64 key = 101) {
        QSqlDatabase d = db();
        db::exec(d,
                 QStringLiteral("INSERT INTO TableGuestlist (tabl_gues_auto_recn, tabl_code, tabl_type_code, dept_code, "
                                "tabl_gues_coun, tabl_gues_time, tabl_gues_use, tabl_gues_stat, orde_code, cons_mode_code, "
                                "disc_code, disc_perc) SELECT ?, tabl_code, tabl_type_code, dept_code, ?, ?, 1, '2', '1', ?, "
                                "'N', 0 FROM TableList WHERE tabl_code = ?"),
                 {key, guests, Clock::now().addSecs(-3600), mode, table});
        keyGivenOut(key);
        for (const OrderLine& l : lines)
            db::exec(d,
                     QStringLiteral("INSERT INTO TableConsList (tabl_gues_auto_recn, tabl_code, clas_code, item_code, "
                                    "item_unit_pric, item_cost_pric, tabl_cons_coun, tabl_cons_tota, item_type_code, "
                                    "menu_type_code, item_type_flag, item_coun_flag, kind_code) "
                                    "SELECT ?, ?, ?, ?, ?, ?, ?, ?, '1', '1', 1, 1, kind_code FROM classlist WHERE clas_code = ?"),
                     {key, table, l.clas, l.item, l.price, l.price * 0.4, l.count, l.count * l.price, l.clas});
        db::exec(d, QStringLiteral("UPDATE TableList SET tabl_stat_code = '2', tabl_gues_auto_recn = ? WHERE tabl_code = ?"),
                 {key, table});
        showWork(table, key);
        // The visit's charges as the opening and the commit of the order leave them.
        frontdesk::ChangeConsType(*dm, guests);
        frontdesk::storeVisitSubtotals(*dm);
        frontdesk::ReTotal(*dm);
        dm->adoqry_TableGues->post();
        return key;
    }

    // The table current on the board, its visit current, its lines in adoqry_TableCons.
    void showWork(const QString& table, qint64 key) {
        showVisit(table, key);
    }

    // "结帐 *" of the work screen.
    void enterBill() { main->runAction(QStringLiteral("work.checkout")); }

    // Selects a pay type and types its amount into the amount edit, as the cashier does.
    void typeAmount(const QString& payType, const QString& amount) {
        db::Dataset& pay = *dm->adoqry_PayType;
        const int code = pay.fieldIndex(QStringLiteral("pay_type_code"));
        int target = 0;
        while (target < pay.recordCount() && pay.valueAt(target, code).toString() != payType) ++target;
        while (pay.recNo() - 1 < target && pay.recNo() < pay.recordCount()) press(Qt::Key_F12);
        while (pay.recNo() - 1 > target) press(Qt::Key_F11);
        ASSERT_EQ(dm->adoqry_PayType->field(QStringLiteral("pay_type_code")).asString(), payType);
        type(bill->DBEdit14, amount);
    }

    // Replaces an edit's text by typing.
    void type(QLineEdit* edit, const QString& text) {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }

    // A key pressed where the focus is (keypad keys with the keypad modifier).
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : main.get();
        QTest::keyClick(target, key, modifiers);
        QApplication::processEvents();
    }
    void settleByKey() { press(Qt::Key_Asterisk, Qt::KeypadModifier); }

    double visitValue(const char* column, qint64 key = 101) {
        return db::scalarNumber(db(), QStringLiteral("SELECT %1 FROM TableGuestlist WHERE tabl_gues_auto_recn = ?")
                                          .arg(QLatin1String(column)),
                                {key});
    }
    QString visitText(const char* column, qint64 key = 101) {
        return db::scalarText(db(), QStringLiteral("SELECT %1 FROM TableGuestlist WHERE tabl_gues_auto_recn = ?")
                                        .arg(QLatin1String(column)),
                              {key});
    }
    // The payment lines of a visit as "code=amount", in code order.
    QStringList payLines(qint64 key = 101) {
        QStringList out;
        QSqlQuery q = db::run(db(),
                              QStringLiteral("SELECT pay_type_code, pay_type_mone FROM tableguespay "
                                             "WHERE tabl_gues_auto_recn = ? ORDER BY pay_type_code"),
                              {key});
        while (q.next()) out << q.value(0).toString() + QLatin1Char('=') + QString::number(q.value(1).toDouble());
        return out;
    }
    double memberBalance(const char* column = "memb_surp", const QString& card = QStringLiteral("8800001")) {
        return db::scalarNumber(
            db(), QStringLiteral("SELECT %1 FROM MemberList WHERE memb_card_code = ?").arg(QLatin1String(column)), {card});
    }
    double creditOwed() {
        return db::scalarNumber(db(), QStringLiteral("SELECT hang_gues_use FROM HangGues WHERE hang_gues_code = '001'"));
    }

    // Chooses the credit account on its tab by double-clicking its row.
    void chooseCreditAccount(int row = 0) {
        bill->PageControl2->setCurrentIndex(2);
        QApplication::processEvents();
        QTableView* grid = bill->DBGrid6;
        const QRect cell = grid->visualRect(grid->model()->index(row, 0));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    }
    void chooseMember(const QString& card, const QString& password) {
        bill->PageControl2->setCurrentIndex(1);
        type(bill->Edit1, card);
        type(bill->Edit2, password);
        QTest::mouseClick(bill->SpeedButton1, Qt::LeftButton);
    }

    frontdesk::BillScreen* bill = nullptr;
};

} // namespace kx::test
