#pragma once
// A maintenance screen declared, not programmed: its panel, its dataset, the grid's columns and
// the bound edits. The toolbar and the dataset's rules do the rest.
#include "Dataset.h"
#include "DatasetModel.h"

#include <QString>
#include <functional>
#include <vector>

class QLineEdit;
class QTableView;
class QWidget;

namespace kx::backoffice {

// What an edit takes: any text, text in upper case, whole numbers or amounts (digits and one
// point) within a range.
enum class EntryKind { Text, Upper, Integer, Amount };

// One edit of the form: its object name, caption and field, and what it takes.
struct EditSpec {
    const char* objectName;
    const char* caption;
    const char* field;
    EntryKind kind = EntryKind::Text;
    double max = 0;    // the largest number a numeric edit takes
    int maxLength = 0; // characters at most (0: as the field or range allows)
};

struct RecordScreenSpec {
    const char* panelName;
    const char* gridName;
    db::Dataset* dataset;
    std::vector<db::GridColumn> columns;
    std::vector<EditSpec> edits;
};

// Builds the screen on `holder`: the grid of the dataset's rows (read-only, whole rows, the
// main grids' colours) above the form of bound edits. The panel is returned; its controls are
// found by their object names.
QWidget* buildRecordScreen(QWidget* holder, const RecordScreenSpec& spec);

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
