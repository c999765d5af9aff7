#pragma once
// The back office's data module of the venue's set-up: catalogue, venue, modes, pay types,
// shifts, other income, units and the settings row. Every dataset opens when the module is made,
// in the order below; the screens' rules live in hooks their screens install.
#include "Dataset.h"
#include "Settings.h"

#include <QObject>
#include <vector>

namespace kx::backoffice {

using db::Dataset;

class TDMSetup : public QObject {
    Q_OBJECT
  public:
    explicit TDMSetup(QSqlDatabase db, QObject* parent = nullptr);

    Dataset* adoqry_ConsKind;
    Dataset* adoqry_Manu;
    Dataset* adoqry_ConsClass;
    Dataset* adoqry_ConsItem;
    Dataset* adoqry_ItemType;
    Dataset* adoqry_ConsItemGroup;
    Dataset* adoqry_ConsDiscount;
    Dataset* adoqry_ConsDiscItem;
    Dataset* adoqry_TableDept;
    Dataset* adoqry_TableType;
    Dataset* adoqry_Table;
    Dataset* adoqry_ConsMode;
    Dataset* adoqry_PayType;
    Dataset* adoqry_ConsNarr;
    Dataset* adoqry_Order;
    Dataset* adoqry_OtherIncome;
    Dataset* adoqry_ConsType;
    Dataset* adoqry_ConsTimeMode;
    Dataset* adoqry_ConsTimeModeTemp;
    Dataset* adoqry_consModeTemp;
    Dataset* adoqry_ConsItemTemp;
    Dataset* adoqry_setuppay;
    Dataset* adoqry_Operator;
    Dataset* adoqry_Unit;

    // The settings row, read at use.
    db::Settings setup;

    const std::vector<Dataset*>& all() const { return all_; }

    // The items, which grow with the catalogue, open at login: the login panel needs none.
    void openWorkingData();

  private:
    Dataset* make(const char* name, const QString& sql);
    void defineLookups();
    QSqlDatabase db_;
    std::vector<Dataset*> all_;
};

} // namespace kx::backoffice
