#pragma once
// A maintenance screen declared, not programmed: its panel, its dataset, the grid's columns and
// the bound edits. The toolbar and the dataset's rules do the rest.
#include "Dataset.h"
#include "DatasetModel.h"

#include <QString>
#include <vector>

class QLineEdit;
class QTableView;
class QWidget;

namespace kx::backoffice {

// One edit of the form: its object name, caption and field; upper case or not.
struct EditSpec {
    const char* objectName;
    const char* caption;
    const char* field;
    bool upperCase = false;
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

} // namespace kx::backoffice
