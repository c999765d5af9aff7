#pragma once
// The front desk logged in, its report screens reached through the board's reports menu: dates
// typed into the pickers as a cashier does, and what the grids show.
#include "FrontDeskFixture.h"
#include "ReportScreen.h"

#include <QAction>
#include <QCheckBox>
#include <QDateEdit>
#include <QFile>
#include <QLineEdit>
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

    // Types the period and sets the screen's filter: the box checked, the choice and the value
    // chosen; the box unchecked when `choice` is empty.
    static void choosePeriodAndFilter(frontdesk::ReportScreen* s, const QString& start, const QString& end,
                                      const QString& choice = {}, const QString& value = {}) {
        typeDate(s->startDate, start);
        typeDate(s->endDate, end);
        if (!s->filterBox) return;
        if (s->filterBox->isChecked() != !choice.isEmpty()) QTest::mouseClick(s->filterBox, Qt::LeftButton);
        if (choice.isEmpty()) return;
        s->choiceBox->setCurrentIndex(s->choiceBox->findText(choice));
        s->valueBox->setCurrentIndex(s->valueBox->findText(value));
    }

    // A report screen reached from the menu: the current panel, named `panel`, on today.
    void expectOpenedOnToday(frontdesk::ReportScreen* s, const QString& panel) {
        EXPECT_EQ(main->CurrentPanel(), s->panel);
        EXPECT_EQ(s->panel->objectName(), panel);
        EXPECT_EQ(s->startDate->date(), startTime().date());
        EXPECT_EQ(s->endDate->date(), startTime().date());
    }
    // "预览/打印" pressed: the title of the preview shown, empty when none.
    QString previewTitle(frontdesk::ReportScreen* s) {
        const auto before = dialogs.shown().size();
        QTest::mouseClick(s->printButton, Qt::LeftButton);
        return dialogs.shown().size() > before ? dialogs.shown().last().title : QString();
    }
    // "导出CSV" pressed on `grid`, the file named by the cashier: its text after the byte-order mark.
    QString exportedCsv(frontdesk::ReportScreen* s, QTableView* grid) {
        QTemporaryDir out;
        const QString path = out.filePath(QStringLiteral("export.csv"));
        dialogs.fileName(path);
        grid->setFocus();
        QTest::mouseClick(s->csvButton, Qt::LeftButton);
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll().mid(3)) : QString();
    }

    // Each piece stands in a printed report's text.
    static void expectPieces(const QString& text, const QStringList& pieces) {
        for (const QString& piece : pieces)
            EXPECT_TRUE(text.contains(piece)) << piece.toStdString() << "\n" << text.toStdString();
    }

    // Types `text` over what an edit holds, as a cashier does.
    static void retype(QLineEdit* edit, const QString& text) {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
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
