#pragma once
// The front desk logged in, its report screens reached through the board's reports menu: dates
// typed into the pickers as a cashier does, and what the grids show.
#include "FrontDeskFixture.h"

#include <QAction>
#include <QDateEdit>
#include <QMenu>
#include <QTableView>
#include <QToolButton>

namespace kx::test {

class ReportTest : public FrontDeskTest {
  protected:
    // An entry of the reports menu by its object name.
    QAction* entry(const char* name) { return work->toolb_Report->menu()->findChild<QAction*>(name); }

    // Types a date into a picker: from its first section, digits only.
    static void typeDate(QDateEdit* edit, const QString& date) {
        edit->setFocus();
        edit->setSelectedSection(QDateTimeEdit::YearSection);
        QTest::keyClicks(edit, QString(date).remove('-'));
        QTest::keyClick(edit, Qt::Key_Tab);
    }

    // What a grid shows, a row per line, the first `columns` cells (every cell when negative)
    // joined by "|".
    static QStringList rows(QTableView* grid, int columns = -1) {
        QStringList out;
        QAbstractItemModel* m = grid->model();
        for (int r = 0; r < m->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < (columns < 0 ? m->columnCount() : columns); ++c) cells << m->index(r, c).data().toString();
            out << cells.join('|');
        }
        return out;
    }
    static QStringList captions(QTableView* grid) {
        QStringList out;
        for (int c = 0; c < grid->model()->columnCount(); ++c)
            out << grid->model()->headerData(c, Qt::Horizontal).toString();
        return out;
    }
};

} // namespace kx::test
