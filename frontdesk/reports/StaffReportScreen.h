#pragma once
// What the two staff report screens share ("操作分析报表" pnl_B4, "业绩分析报表" pnl_B5): toggles
// in the toolbar choosing the mode, each mode with its sub-screen (a grid on a dataset of its
// own, so that a permission check or another screen's query never empties it), its heading, and
// the caption and list of the staff drop-down; the printed report and the charts follow the
// mode that is down. Choosing a mode (its toggle, or F5, F6 … while the screen shows) shows its
// sub-screen and runs it; its list replaces the drop-down's and no name is chosen then.
//
// No name chosen reports everybody; a chosen name is bound into the mode's statement. The
// lists are the names the archive holds for the mode, read over years of order lines: a list is
// read when the cashier first opens the drop-down or keys into it after it changed (not at every
// opening and mode change); Enter in it runs the report as "重新查询" does, Delete or Backspace
// takes the name back (everybody again).
#include "ReportScreen.h"

#include "DatasetModel.h"

#include <QComboBox>
#include <QSqlDatabase>

class QButtonGroup;

namespace kx::frontdesk {

// A drop-down of names read by `sql` the first time it is opened or keyed into after its list
// was set or emptied (ReportEmpty). Delete or Backspace chooses none.
class StaffBox : public QComboBox {
    Q_OBJECT
public:
    StaffBox(const QString& name, QSqlDatabase db, QWidget* parent);
    // A new list: the box is emptied, the names are read when next wanted.
    void setList(const QString& sql);
    const QString& list() const { return sql_; }
    // Reads the list now unless it is read already.
    void fill();
    // The name chosen; empty when none.
    QString chosen() const;
    // Chooses `name` from the list (read first); false when it is not in the list.
    bool choose(const QString& name);

signals:
    // Enter with the list closed.
    void entered();

protected:
    void showPopup() override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    QSqlDatabase db_;
    QString sql_;
    bool filled_ = false;
    bool filling_ = false;
};

class StaffReportScreen : public ReportScreen {
    Q_OBJECT
public:
    struct Mode {
        QString button;  // the toggle's objectName ("ToolButton74")
        QString caption; // its text ("点单分析")
        QString panel;   // the sub-screen ("pnl_B41")
        QString heading; // the screen's heading in this mode
        QString staff;   // the staff drop-down's caption
        QString list;    // the names it offers
        std::vector<db::GridColumn> columns;
        bool chart = false;
    };
    struct Layout {
        ReportScreen::Options screen;
        QString rerunButton, printButton; // their objectNames
        QString subScreens;               // the host of the sub-screens ("pnl_B4P")
        QString staffBox;                 // the drop-down's objectName
        std::vector<Mode> modes;
    };

    StaffReportScreen(TFormWMain* main, TFormWork* work, TDMTable* dm, Layout layout);

    QLabel* staffCaption;
    StaffBox* staffBox;
    QStackedWidget* subScreens;
    std::vector<QToolButton*> modeButtons;
    std::vector<QFrame*> subPanels;
    std::vector<QTableView*> modeGrids;
    std::vector<db::Dataset*> modeData;

    // The mode that is down, and the mode and name of the last run.
    int mode() const { return mode_; }
    int shownMode() const { return shownMode_; }
    const QString& shownName() const { return shownName_; }
    // The mode's toggle: puts it down and runs it.
    void chooseMode(int mode);

protected:
    // Puts `mode` down: its toggle, sub-screen, heading, staff caption and list.
    void setMode(int mode);
    // Runs `mode`'s statement for `name` (everybody when empty) into `into`.
    virtual void runMode(int mode, const QString& name, db::Dataset& into) = 0;
    void run(const std::function<void()>& step) override;
    QTableView* csvGrid() const override;
    const db::Dataset& shownData() const { return *modeData[size_t(shownMode_)]; }

    // A printed report of the shown mode: `title`, the subtitle, `columns`, the shown rows'
    // `fields` (date-times printed as their dates), and `summary` after them.
    ReportFrame modeReport(const QString& title, const QString& subtitle, std::vector<ReportColumn> columns,
                           const QStringList& fields, ReportTotals summary) const;
    // The shown rows' `fields` added to `r`, in the dataset's order; `group` is called before each
    // row (to open its groups).
    static void addRows(ReportFrame& r, const db::Dataset& data, const QStringList& fields,
                        const std::function<void(int row)>& group = {});

private:
    std::vector<Mode> modes_;
    QButtonGroup* modeGroup_;
    int mode_ = 0;
    int shownMode_ = 0;
    QString shownName_;
};

} // namespace kx::frontdesk
