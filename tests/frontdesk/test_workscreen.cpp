// The work screen of an occupied table, reached by a double click on the board: the visit's
// order lines and totals, the sent mark, the information pages.
#include "BoardFixture.h"

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QLabel>

using kx::test::BoardTest;

namespace {

class WorkScreenTest : public BoardTest {
protected:
    QString text(const char* label) const {
        auto* l = workScreen()->pnl_Work->findChild<QLabel*>(QString::fromLatin1(label));
        EXPECT_NE(l, nullptr) << label;
        return l ? l->text() : QString();
    }
};

TEST_F(WorkScreenTest, AnOccupiedTableShowsItsVisitRecomputedOnlyWhileInUse) {
    // Ordered 2 x 38 (stored 76), one returned 22, one given free; the stored receivable is stale.
    struct Case {
        QString state;
        QString receivable;
        bool editable;
    } cases[] = {{"2", "54.00", true}, {"4", "54.00", true}, {"3", "0.00", false}};
    qint64 key = 40;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.state.toStdString());
        ++key;
        addVisit(key, "A01", c.state, "01", "1", 54, 0);
        addLine(key, "1001", "C01", 2, 38, "1", 1, 1, true);
        addLine(key, "1004", "C01", 1, 22, "2", -1, -1, false);
        addLine(key, "2001", "C02", 1, 12, "3", 1, 0, false);
        doubleClickCell("A01");
        ASSERT_EQ(panel(), "pnl_Work");
        EXPECT_TRUE(workScreen()->pnl_roominfo->isVisible());
        EXPECT_EQ(QApplication::focusWidget(), workScreen()->DBGrid3);
        EXPECT_EQ(text("lbl_room_tabl_code"), "A01");
        EXPECT_EQ(text("lbl_room_auto_recn"), QString::number(key));
        EXPECT_EQ(text("lbl_room_deptname"), "大厅");
        EXPECT_EQ(text("lbl_tabl_gues_dish"), "54.00");
        EXPECT_EQ(text("lbl_tabl_gues_shou"), c.receivable);
        EXPECT_EQ(kx::db::scalarNumber(db(), "select tabl_gues_shou from TableGuestlist where tabl_gues_auto_recn=?",
                                       {key}),
                  c.receivable.toDouble());
        EXPECT_EQ(workScreen()->DBEdit5->isEnabled(), c.editable);
        EXPECT_EQ(workScreen()->DBComboBox3->isEnabled(), c.editable);
        EXPECT_FALSE(workScreen()->img_tablstat->pixmap().isNull());

        // The lines in order; the returned one in red, the sent one marked.
        auto* model = workScreen()->linesModel;
        ASSERT_EQ(model->rowCount(), 3);
        EXPECT_EQ(model->index(0, 1).data().toString(), "宫保鸡丁");
        EXPECT_EQ(model->index(0, 0).data().toString(), "√");
        EXPECT_EQ(model->index(1, 0).data().toString(), "");
        EXPECT_EQ(model->index(1, 5).data().toString(), "-22.00");
        EXPECT_EQ(model->index(1, 6).data().toString(), "退单");
        for (int row = 0; row < 3; ++row)
            EXPECT_EQ(model->index(row, 1).data(Qt::ForegroundRole).value<QColor>() == QColor(Qt::red), row == 1)
                << row;

        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QApplication::processEvents();
        EXPECT_NE(panel(), "pnl_Work");
        sql("delete from TableConsList");
        sql("delete from TableGuestlist");
    }
}

TEST_F(WorkScreenTest, DoubleClickOnALineSwitchesItsSentMark) {
    addVisit(7, "A02", "2", "01", "1", 0, 0);
    addLine(7, "1001", "C01", 1, 38, "1", 1, 1, false);
    addLine(7, "1002", "C01", 1, 48, "1", 1, 1, false);
    doubleClickCell("A02");
    ASSERT_EQ(panel(), "pnl_Work");
    QAbstractItemModelTester tester(workScreen()->linesModel, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QTableView* grid = workScreen()->DBGrid3;
    const QPoint second = grid->visualRect(grid->model()->index(1, 1)).center();
    auto sent = [this] {
        return kx::test::joinedRows(db(), "select tabl_cons_tran from TableConsList order by tabl_cons_ID");
    };
    auto doubleClick = [&] {
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, second);
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, second);
    };
    doubleClick();
    EXPECT_EQ(sent(), "0,1");
    EXPECT_EQ(grid->model()->index(1, 0).data().toString(), "√");
    doubleClick();
    EXPECT_EQ(sent(), "0,0");
}

TEST_F(WorkScreenTest, InformationButtonCyclesRoomGuestAccountAndLeavingResetsIt) {
    addVisit(9, "A03", "2", "01", "1", 0, 0);
    doubleClickCell("A03");
    ASSERT_EQ(panel(), "pnl_Work");
    QToolButton* info = workScreen()->toolb_info;
    EXPECT_EQ(info->text(), "房台信息");
    struct Step {
        QString caption;
        QFrame* page;
    } steps[] = {{"客人信息", workScreen()->pnl_guestinfo},
                 {"结帐信息", workScreen()->pnl_accountinfo},
                 {"房台信息", workScreen()->pnl_roominfo},
                 {"客人信息", workScreen()->pnl_guestinfo}};
    for (const Step& s : steps) {
        // The button's own part, not its menu arrow.
        QTest::mouseClick(info, Qt::LeftButton, {}, QPoint(10, info->height() / 2));
        EXPECT_EQ(info->text(), s.caption);
        for (QFrame* p : {workScreen()->pnl_roominfo, workScreen()->pnl_guestinfo, workScreen()->pnl_accountinfo})
            EXPECT_EQ(p->isVisible(), p == s.page) << p->objectName().toStdString();
    }
    EXPECT_EQ(text("lbl_guest_tabl_gues_name"), "Li");
    // A menu entry shows its page and the next click the page after it.
    workScreen()->pm_accountinfo->trigger();
    EXPECT_EQ(info->text(), "结帐信息");
    EXPECT_TRUE(workScreen()->pnl_accountinfo->isVisible());
    EXPECT_EQ(workScreen()->infoPageNumber(), 0);
    // What is chosen on the account page belongs to the visit.
    workScreen()->DBComboBox3->setCurrentIndex(1);
    emit workScreen()->DBComboBox3->activated(1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_EQ(kx::db::scalarText(db(), "select dedu_type from TableGuestlist where tabl_gues_auto_recn=9"), "指  定");
    EXPECT_EQ(info->text(), "房台信息");
    EXPECT_EQ(workScreen()->infoPageNumber(), 1);
}

} // namespace

namespace {

class WorkScreenNamesTest : public kx::test::BoardTest {};

TEST_F(WorkScreenNamesTest, LinesShowTheNamesOfItemsOfEveryClass) {
    addVisit(8, "A02", "2", "01", "1", 0, 0);
    addLine(8, "1001", "C01", 1, 38, "1", 1, 1, false);
    addLine(8, "2001", "C02", 1, 18, "1", 1, 1, false);
    // The order screen last listed one class only.
    dm->adoqry_ConsItem->applyFilter("clas_code='C02'");
    doubleClickCell("A02");
    ASSERT_EQ(panel(), "pnl_Work");
    QAbstractItemModel* lines = workScreen()->DBGrid3->model();
    ASSERT_EQ(lines->rowCount(), 2);
    EXPECT_EQ(lines->index(0, 1).data().toString(), "宫保鸡丁");
    EXPECT_EQ(lines->index(1, 1).data().toString(), "拍黄瓜");
}

} // namespace
