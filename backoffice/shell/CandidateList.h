#pragma once
// The list of what a detail screen may add, beside its form: a query of candidates held by the
// data source ds_Temp, and a search edit under (or above) the list that narrows it as it is typed. Enter in
// the search edit or a double click adds the current candidate and puts the focus on the value
// edit (a quantity, a rate); Enter there clears the search and goes back to it for the next one.
#include "Dataset.h"
#include "DatasetModel.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <vector>

class QTableView;

namespace kx::backoffice {

using db::Dataset;

// ds_Temp: a data source with no dataset of its own. Each detail screen attaches a new query
// of its candidates; the grids that showed the query before are emptied and it is deleted.
class TempSource : public QObject {
  public:
    using QObject::QObject;
    // A new CandidateQuery on `db`, opened and attached.
    Dataset* attach(QSqlDatabase db, const QString& sql, const QVariantList& params = {});
    Dataset* dataset() const { return query_; }
    // Shows the attached query in `grid` until another query is attached.
    void show(QTableView* grid, std::vector<db::GridColumn> columns);

  private:
    QPointer<Dataset> query_;
    std::vector<QPointer<QTableView>> grids_;
};

struct CandidateList {
    TempSource* source = nullptr;
    const char* gridName = nullptr;
    const char* searchName = nullptr;
    std::vector<db::GridColumn> columns;
    // The filter of a search text (trimmed, not empty); an empty text shows every candidate.
    std::function<QString(const QString& text)> filterOf;
    // Adds the query's current row to the screen's rows.
    std::function<void(Dataset& candidate)> add;
    // The edit that takes the focus after a candidate is added.
    const char* valueEditName = nullptr;
    // The search edit above the list instead of under it.
    bool searchAbove = false;
};

// A search text inside a filter's quoted value.
QString quotedForFilter(const QString& text);
// The filter of items whose code or short code begins with the text.
QString itemCodeOrShortCodeFilter(const QString& text);

} // namespace kx::backoffice
