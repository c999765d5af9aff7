#pragma once
// The front desk logged in on the sample venue, with the helpers a cashier's hands need on the
// table board: clicking a table's cell, the state of a table, a visit set up in the database.
#include "FrontDeskFixture.h"
#include "RegisterScreen.h"
#include "TableBoard.h"
#include "WorkScreen.h"

#include <QAction>
#include <QMenu>
#include <QTableView>
#include <QToolButton>

namespace kx::test {

// The codes of the tables the board shows, in its order.
inline QStringList boardCodes(const db::Dataset* tables) {
    QStringList codes;
    const int f = tables->fieldIndex(QStringLiteral("tabl_code"));
    for (int r = 0; r < tables->recordCount(); ++r) codes << tables->valueAt(r, f).toString();
    return codes;
}

// The middle of a table's picture cell (the table must be on the board).
inline QPoint cellOf(const frontdesk::TableBoard* board, const db::Dataset* tables, const QString& code) {
    const int record = int(boardCodes(tables).indexOf(code));
    EXPECT_GE(record, 0) << code.toStdString();
    return board->DBCtrlGrid1->visualRect(board->cells->indexOfRecord(record)).center();
}

// The entries a menu shows now.
inline QStringList visibleEntries(const QMenu* menu) {
    QStringList out;
    for (QAction* a : menu->actions())
        if (a->isVisible()) out << a->text();
    return out;
}

class BoardTest : public FrontDeskTest {
protected:
    void SetUp() override {
        FrontDeskTest::SetUp();
        logIn();
        QApplication::processEvents();
        prompter.clear();
    }

    frontdesk::TableBoard* board() const { return work->tableBoard; }
    frontdesk::RegisterScreen* opening() const { return work->registerScreen; }
    frontdesk::WorkScreen* workScreen() const { return work->workScreen; }
    db::Dataset* tables() const { return dm->adoqry_table; }

    void sql(const QString& statement, const QVariantList& params = {}) { db::exec(db(), statement, params); }
    // Writes a table's state as another program would, then lets the board read it again.
    void setState(const QString& code, const QString& state) {
        sql(QStringLiteral("update tablelist set tabl_stat_code=? where tabl_code=?"), {state, code});
        board()->Sort();
    }
    QString storedState(const QString& code) const {
        return db::scalarText(db(), QStringLiteral("select tabl_stat_code from tablelist where tabl_code=?"), {code});
    }
    QString currentCode() const {
        return tables()->isEmpty() ? QString() : tables()->field(QStringLiteral("tabl_code")).asString();
    }
    QStringList boardCodes() const { return kx::test::boardCodes(tables()); }
    QString panel() const { return main->CurrentPanel() ? main->CurrentPanel()->objectName() : QString(); }

    // The middle of a table's picture cell (the table must be on the board).
    QPoint cellOf(const QString& code) const { return kx::test::cellOf(board(), tables(), code); }
    void clickCell(const QString& code, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseClick(board()->DBCtrlGrid1->viewport(), button, {}, cellOf(code));
        QApplication::processEvents();
    }
    // A double click: its first press, then the double click Qt makes of the second one.
    void doubleClickCell(const QString& code) {
        const QPoint at = cellOf(code);
        QTest::mouseClick(board()->DBCtrlGrid1->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(board()->DBCtrlGrid1->viewport(), Qt::LeftButton, {}, at);
        QApplication::processEvents();
    }
    void keypad(QWidget* target, int key) {
        if (target) target->setFocus();
        QTest::keyClick(target ? target : QApplication::focusWidget(), Qt::Key(key), Qt::KeypadModifier);
        QApplication::processEvents();
    }
    void key(int key) {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : main.get();
        QTest::keyClick(target, Qt::Key(key));
        QApplication::processEvents();
    }
    // The entries the context menu shows now.
    QStringList menuEntries() const { return visibleEntries(board()->PopupMenu_TableState); }
    void closeMenu() {
        board()->PopupMenu_TableState->hide();
        QApplication::processEvents();
    }

    // A visit in use on a table, the table carrying it as the front desk would.
    void addVisit(qint64 key, const QString& table, const QString& state, const QString& mode, const QString& type,
                  double dish, double shou) {
        sql(QStringLiteral("insert into TableGuestlist (tabl_gues_auto_recn, tabl_code, tabl_type_code, dept_code, "
                           "tabl_gues_time, tabl_gues_use, tabl_gues_stat, cons_mode_code, cons_type_code, "
                           "tabl_gues_dish, tabl_gues_shou, disc_code, disc_perc, tabl_gues_coun, tabl_gues_name) "
                           "select ?, tabl_code, tabl_type_code, dept_code, ?, 1, ?, ?, ?, ?, ?, 'N', 0, 2, 'Li' "
                           "from tablelist where tabl_code=?"),
            {key, toDbDateTime(startTime().addSecs(-3600)), state == QLatin1String("3") ? QStringLiteral("3") : QStringLiteral("2"), mode, type, dish,
             shou, table});
        sql(QStringLiteral("update tablelist set tabl_stat_code=?, tabl_gues_auto_recn=? where tabl_code=?"),
            {state, key, table});
        keyGivenOut(key);
        dm->adoqry_TableGues->refresh();
        board()->Sort();
    }
    void addLine(qint64 visit, const QString& item, const QString& clas, double count, double price,
                 const QString& menu, int stockSign, int priceSign, bool sent) {
        sql(QStringLiteral("insert into TableConsList (tabl_gues_auto_recn, tabl_code, clas_code, item_code, "
                           "item_unit_pric, tabl_cons_coun, tabl_cons_tota, menu_type_code, item_coun_flag, "
                           "item_type_flag, tabl_cons_tran, serv_perc, disc_clas_perc) "
                           "values (?, 'A01', ?, ?, ?, ?, ?, ?, ?, ?, ?, 100, 100)"),
            {visit, clas, item, price, count, count * price * priceSign, menu, stockSign, priceSign, sent});
    }
};

} // namespace kx::test
