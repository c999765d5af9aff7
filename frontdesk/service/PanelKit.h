#pragma once
// Small pieces the table-service screens share: colours given as the venue's colour numbers,
// edits that let the numeric-pad short cuts through, a text box bound to a field, grid styling.
#include "TextEntry.h"
#include "Dataset.h"

#include <QColor>
#include <QString>

class QAction;
class QComboBox;
class QPushButton;
class QToolBar;
class QToolButton;
class QLabel;
class QLineEdit;
class QTableView;
class QWidget;

namespace kx::frontdesk {

// A colour number of the screens' layouts: blue * 65536 + green * 256 + red.
QColor layoutColour(int bgr);
inline constexpr int kGreyColour = 8421504;       // side grids' selected row
inline constexpr int kSelectedRowColour = 12615808; // list and order grids' selected row
inline constexpr int kSelectedCellColour = 10281669; // the picture board's selected cell

// The keys "+" and "-" are ignored in `w`, so the numeric-pad short cuts never type into it.
void ignorePlusMinus(QWidget* w);

// A drop-down of fixed texts bound to a text field: choosing one puts the dataset into edit
// and stores the text; moving to another row shows that row's text.
void bindTextCombo(QComboBox* box, db::Dataset* ds, const QString& field);

// Keeps every panel inside `host` (a host of ShowPanel that lives in a layout) as large as the
// host when the host is resized.
void fillHost(QWidget* host);

// A text button of a screen's toolbar (a checkable one for the pick modes); short-cut keys,
// not the Tab key, reach it. Placed before `before` when given, else at the end.
QToolButton* addToolButton(QToolBar* bar, const QString& name, const QString& text, bool checkable = false,
                           QAction* before = nullptr);
// The same button put before the toolbar's action `before` (at the end when it is null).
QToolButton* insertToolButton(QToolBar* bar, QAction* before, const QString& name, const QString& text,
                              bool checkable = false);
// What is typed into the edit shows in upper case (codes are stored upper case).
using kx::upperCaseEntry;
// Shows or hides a button of a toolbar (through its action, as a toolbar requires).
void showToolButton(QToolButton* button, bool shown);

// The wait cursor for the length of a scope.
struct BusyCursor {
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

// Selected rows drawn in white on `bgr`, whole rows selected.
void styleGrid(QTableView* view, int bgr);

// A push button of a panel; the Tab key reaches it.
// A push button that Enter presses as Space does (when it has the focus).
QPushButton* makeButton(const QString& name, const QString& text, QWidget* parent);

// A caption label ("名称") and a value label bound to a field, for the screens' forms.
QLabel* captionLabel(const QString& text, QWidget* parent);
QLabel* valueLabel(const QString& name, QWidget* parent);

} // namespace kx::frontdesk
