#include "CandidateList.h"

#include "Binder.h"

#include <QItemSelectionModel>
#include <QTableView>

namespace kx::backoffice {

Dataset* TempSource::attach(QSqlDatabase db, const QString& sql, const QVariantList& params) {
    auto* query = new Dataset(db, QStringLiteral("CandidateQuery"), QString(), this);
    query->setSql(sql, params);
    query->open();
    for (const QPointer<QTableView>& grid : grids_) {
        if (!grid) continue;
        QAbstractItemModel* model = grid->model();
        QItemSelectionModel* selection = grid->selectionModel();
        grid->setModel(nullptr);
        delete selection;
        delete model;
    }
    grids_.clear();
    delete query_.data();
    query_ = query;
    return query;
}

void TempSource::show(QTableView* grid, std::vector<db::GridColumn> columns) {
    if (!query_) return;
    QAbstractItemModel* model = grid->model();
    QItemSelectionModel* selection = grid->selectionModel();
    bindGrid(grid, query_, std::move(columns));
    if (model) {
        delete selection;
        delete model;
    }
    grids_.emplace_back(grid);
}

QString quotedForFilter(const QString& text) {
    QString out = text;
    return out.replace(QLatin1Char('\''), QStringLiteral("''"));
}

QString itemCodeOrShortCodeFilter(const QString& text) {
    const QString q = quotedForFilter(text);
    return QStringLiteral("item_code LIKE '") + q + QStringLiteral("%' or item_shor LIKE '") + q + QStringLiteral("%'");
}

} // namespace kx::backoffice
