#pragma once
// The front desk logged in with a visit open on a table of the sample venue, its work screen's
// datasets on the visit, and the order screen at hand to be driven as a cashier drives it.
#include "BillCalc.h"
#include "EnterAsTab.h"
#include "FrontDeskFixture.h"
#include "OrderScreen.h"
#include "Ordering.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QToolBar>
#include <QHeaderView>
#include <QSqlQuery>
#include <QTableView>
#include <QToolButton>

namespace kx::test {

// A committed or pad line as the tests compare it.
struct Line {
    QString item;
    double count;
    QString mode;
    double total;
    QString group; // the set menu of a component
    bool operator==(const Line&) const = default;
};

inline void PrintTo(const Line& l, std::ostream* os) {
    *os << '{' << l.item.toStdString() << ", " << l.count << ", " << l.mode.toStdString() << ", " << l.total << ", "
        << l.group.toStdString() << '}';
}

class OrderTest : public FrontDeskTest {
protected:
    void SetUp() override {
        FrontDeskTest::SetUp();
        logIn(user, password);
        prompter.clear();
        screen = work->orderScreen;
        ASSERT_NE(screen, nullptr);
    }

    // The visit opened as the opening leaves it: key from the counter, the table in use, the
    // mode of the table type applied; the table and the visit current as on the work screen.
    qint64 openVisit(const QString& table, int guests = 4) {
        QSqlDatabase d = db();
        const qint64 key = db::scalarInt(d, QStringLiteral("SELECT auto_recn FROM SetupPay"));
        db::exec(d, QStringLiteral("UPDATE SetupPay SET auto_recn = auto_recn + 1"));
        db::exec(d,
                 QStringLiteral("INSERT INTO TableGuestlist (tabl_gues_auto_recn, tabl_code, tabl_type_code, dept_code, "
                                "tabl_gues_coun, tabl_gues_time, tabl_gues_use, tabl_gues_stat, orde_code, cons_mode_code, "
                                "disc_code, disc_perc) SELECT ?, l.tabl_code, l.tabl_type_code, l.dept_code, ?, ?, 1, '2', "
                                "'1', t.cons_mode_code, 'N', 0 FROM TableList l, TableTypeList t "
                                "WHERE t.tabl_type_code = l.tabl_type_code AND l.tabl_code = ?"),
                 {key, guests, Clock::now(), table});
        db::exec(d, QStringLiteral("UPDATE TableList SET tabl_stat_code = '2', tabl_gues_auto_recn = ? WHERE tabl_code = ?"),
                 {key, table});
        showVisit(table, key);
        frontdesk::ChangeConsType(*dm, guests);
        dm->adoqry_TableGues->post();
        return key;
    }

    // "点单 +" of the work screen.
    void openOrderScreen() {
        main->runAction(QStringLiteral("work.order"));
        QApplication::processEvents();
    }

    // A key as the cashier presses it, on the control that has the focus.
    void press(int key, bool keypad = false) {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : main.get();
        QTest::keyClick(target, Qt::Key(key), keypad ? Qt::KeypadModifier : Qt::NoModifier);
        QApplication::processEvents();
    }

    // Types a code into the number search and presses Enter.
    void pickByNumber(const QString& code) {
        screen->EditDict_Number->setFocus();
        screen->EditDict_Number->clear();
        QTest::keyClicks(screen->EditDict_Number, code);
        QTest::keyClick(screen->EditDict_Number, Qt::Key_Return);
        QApplication::processEvents();
    }

    // Replaces the quantity of the current line by typing.
    void typeQuantity(const QString& text) {
        screen->dbe_number->setFocus();
        screen->dbe_number->selectAll();
        QTest::keyClick(screen->dbe_number, Qt::Key_Backspace);
        QTest::keyClicks(screen->dbe_number, text);
        QApplication::processEvents();
    }

    // A double click on the row of an item in an item grid.
    void doubleClickItem(QTableView* grid, const QString& code, Qt::MouseButton button) {
        const auto* model = grid->model();
        int row = -1;
        for (int r = 0; r < model->rowCount() && row < 0; ++r)
            if (model->index(r, 0).data().toString() == code) row = r;
        ASSERT_GE(row, 0) << code.toStdString();
        const QPoint at = grid->visualRect(model->index(row, 1)).center();
        QTest::mouseClick(grid->viewport(), button, Qt::NoModifier, at);
        QTest::mouseDClick(grid->viewport(), button, Qt::NoModifier, at);
        QApplication::processEvents();
    }

    // Commits with "落单 *" (numeric-pad *), answering Yes.
    void commitPad() {
        prompter.answer(true);
        press(Qt::Key_Asterisk, true);
    }

    // Orders and commits lines (item, quantity, mode) on the order screen, as the cashier would.
    void orderAndCommit(const std::vector<std::tuple<QString, QString, int>>& lines) {
        openOrderScreen();
        for (const auto& [item, quantity, mode] : lines) {
            pickByNumber(item);
            if (mode != Qt::Key_F5) press(mode);
            typeQuantity(quantity);
        }
        commitPad();
    }

    std::vector<Line> lines(const QString& table, qint64 key) const {
        std::vector<Line> out;
        QSqlQuery q = db::run(db(),
                              QStringLiteral("SELECT item_code, tabl_cons_coun, menu_type_code, tabl_cons_tota, "
                                             "COALESCE(grou_code, '') FROM %1 WHERE tabl_gues_auto_recn = ? "
                                             "ORDER BY tabl_cons_ID")
                                  .arg(table),
                              {key});
        while (q.next())
            out.push_back({q.value(0).toString(), q.value(1).toDouble(), q.value(2).toString(), q.value(3).toDouble(),
                           q.value(4).toString()});
        return out;
    }
    std::vector<Line> committed(qint64 key) const { return lines(QStringLiteral("TableConsList"), key); }
    std::vector<Line> pad(qint64 key) const { return lines(QStringLiteral("TableConsListTemp"), key); }

    double stock(const QString& item) const {
        return db::scalarNumber(db(), QStringLiteral("SELECT item_coun FROM itemlist WHERE item_code = ?"), {item});
    }
    void setStock(const QString& item, double count, const QString& limit) {
        db::exec(db(), QStringLiteral("UPDATE itemlist SET item_coun = ?, item_limi = ? WHERE item_code = ?"),
                 {count, limit, item});
    }
    QString currentPanel() const { return main->CurrentPanel() ? main->CurrentPanel()->objectName() : QString(); }

    QString user = QStringLiteral("01");
    QString password = QStringLiteral("admin");
    frontdesk::OrderScreen* screen = nullptr;
};

} // namespace kx::test
