#pragma once
// A maintenance screen declared, not programmed: its panel, its dataset, the grid's columns and
// the bound edits. The toolbar and the dataset's rules do the rest.
#include "CandidateList.h"
#include "Dataset.h"
#include "DatasetModel.h"

#include <QString>
#include <functional>
#include <optional>
#include <vector>

class QDateEdit;
class QLabel;
class QLineEdit;
class QTableView;
class QWidget;

namespace kx::backoffice {

// What an edit takes: any text, text in upper case, whole numbers or amounts (digits and one
// point) within a range, or a signed amount (one leading "-", a refund or a deduction).
enum class EntryKind { Text, Upper, Integer, Amount, SignedAmount };

// One edit of the form: its object name, caption and field, and what it takes.
struct FormEdit {
    const char* objectName;
    const char* caption;
    const char* field;
    EntryKind kind = EntryKind::Text;
    double max = 0;    // the largest number a numeric edit takes
    int maxLength = 0; // characters at most (0: as the field or range allows)
    const char* format = nullptr; // how the value shows ("hh:mm:ss", …)
};

// A box choosing the field's value among the rows of another dataset, by their names.
struct FormLookup {
    const char* objectName;
    const char* caption;
    const char* field;
    db::Dataset* source;
    const char* sourceKey;
    const char* sourceResult;
};

// A yes/no field.
struct FormCheck {
    const char* objectName;
    const char* caption;
    const char* field;
};

// A list beside the form whose current row is the parent of the screen's rows.
struct SideList {
    const char* gridName = nullptr;
    db::Dataset* dataset = nullptr;
    std::vector<db::GridColumn> columns;
};

// A line of the form that shows the current row, not edited: its caption and its text.
struct FormText {
    const char* objectName;
    const char* caption;
    std::function<QString(db::Dataset&)> text;
};

struct RecordScreen {
    const char* panelName;
    const char* gridName;
    db::Dataset* dataset;
    std::vector<db::GridColumn> columns;
    std::vector<FormEdit> edits;
    std::vector<FormLookup> lookups = {};
    std::vector<FormCheck> checks = {};
    std::vector<SideList> sideLists = {}; // top to bottom, on the right
    const char* headingName = nullptr;    // a heading above the grid (its text set by the screen)
    std::vector<FormText> texts = {};     // above the edits
    std::optional<CandidateList> candidates = std::nullopt; // on the right
    int formColumns = 1;                       // caption-and-control pairs side by side
    std::vector<const char*> formOrder = {};   // the controls' order by object name (default:
                                               // texts, edits, lookups)
    std::vector<const char*> newRowFocus = {}; // a new row: the first of these edits that is
                                               // enabled takes the focus
};

// Builds the screen on `holder`: the grid of the dataset's rows (read-only, whole rows, the
// main grids' colours) above the form of bound edits. The panel is returned; its controls are
// found by their object names.
QWidget* buildRecordScreen(QWidget* holder, const RecordScreen& screen);

// Digits, one leading "-" and one point with two places (nine digits before it).
void signedAmountEntry(QLineEdit* edit);

// The edit of a password kept as a hash in `field`: not bound to the column, it starts empty;
// typing in it edits the row, and what is typed becomes the new password (hashed) when the row
// is saved. Left empty it keeps the stored password, unless `requiredMessage` is given and the
// row is new or has none: then the save is refused with it. The edit empties again when the row
// is saved, cancelled or left. The caller places it on the form.
QLineEdit* newPasswordEdit(QWidget* screen, db::Dataset* ds, const char* objectName, const QString& field,
                           const QString& requiredMessage, bool upperCase);

// An empty screen panel on `holder`, hidden until the navigation shows it.
QWidget* screenPanel(const char* objectName, QWidget* holder);
// A date box of the screens: the day as "yyyy-MM-dd" with its calendar.
QDateEdit* dayPicker(const char* objectName, QWidget* parent);

// The caption label of a form control built by buildRecordScreen.
QLabel* captionOf(QWidget* control);
// Puts `extra` on the right of a form control, in its row.
void placeBeside(QWidget* control, QWidget* extra);

// The main grids' look: odd rows white, even rows pale yellow, the current row white on blue-grey.
void paintAsMainGrid(QTableView* grid);
// A side list beside a form (parent rows, candidates): the style's own cells on the button face,
// read-only, whole rows, the selection kept visible.
void paintAsSideList(QTableView* grid);

// The code edit of a row that may not take another code (it has children): at the first
// keystroke `refusal` names why (an empty text lets the typing go on); the message shows with
// the caption "Kestrix餐饮管理系列" and the row's edit is cancelled.
void guardCodeEdit(QLineEdit* edit, db::Dataset* ds, std::function<QString(db::Dataset&)> refusal);

} // namespace kx::backoffice
