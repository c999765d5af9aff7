#pragma once
// The front desk's data module: every named dataset of the front desk, opened at start-up in
// this order and kept open for the life of the program.
#include "Dataset.h"
#include "Settings.h"

#include <QObject>
#include <vector>

namespace kx::frontdesk {

using db::Dataset;

class TDMTable : public QObject {
    Q_OBJECT
public:
    // Creates the datasets on the connection and opens them (all but adoqry_tabletypetemp).
    explicit TDMTable(QSqlDatabase db, QObject* parent = nullptr);
    QSqlDatabase database() const { return db_; }
    // This front desk while it runs: the order pad's lines it writes carry it, so two desks
    // ordering for one visit at once never take or lose each other's lines.
    const QString deskId;
    // The booking the visit being opened was taken from (0: none); the opening's transaction
    // deletes it (Bookings.h).
    qint64 takenBooking = 0;

    Dataset* adoqry_TableDept;
    Dataset* adoqry_TableType;
    Dataset* adoqry_tabletypetemp;
    Dataset* adoqry_TableState;
    Dataset* adoqry_TableCons;
    Dataset* adoqry_ConsItem;
    Dataset* adoqry_ConsNarr;
    Dataset* adoqry_ConsItemGroup;
    Dataset* adoqry_MenuType;
    Dataset* adoqry_TableConsTemp;
    Dataset* adoqry_ConsClass;
    Dataset* adoqry_ConsMode;
    Dataset* adoqry_ConsType;
    Dataset* adoqry_ConsTimeMode;
    Dataset* adoqry_PayType;
    Dataset* adoqry_DiscItem;
    Dataset* adoqry_Member;
    Dataset* adoqry_MembType;
    Dataset* adoqry_SetupPay;
    Dataset* adoqry_DeduOper;
    Dataset* adoqry_Disc;
    Dataset* adoqry_TableGues;
    Dataset* adoqry_bookin;
    Dataset* adoqry_Operator;
    Dataset* adoqry_order;
    Dataset* adoqry_otherincome;
    Dataset* adoqry_PayTemp;
    Dataset* adoqry_paytypetemp;
    Dataset* adoqry_ConsKind;
    Dataset* adoqry_Group;
    Dataset* adoqry_AllguesPay;
    Dataset* adoqry_hanggues;
    Dataset* adoqry_SetupPrint;
    Dataset* adoqry_table;

    // Data sources that report and query screens point at a query at run time.
    Dataset* ds_temp = nullptr;
    Dataset* ds_temp1 = nullptr;
    Dataset* ds_temp2 = nullptr;
    Dataset* ds_tempm = nullptr;

    // The settings record (SetupPay) and the print settings (setupprint), read at use.
    db::Settings setup;
    db::Settings setupPrint;

    // Every dataset in the order of creation.
    const std::vector<Dataset*>& all() const { return all_; }

    // The catalogue's items and the day's visits, the two datasets that grow with the venue,
    // are opened once someone logs in: the login panel needs neither. Opening them again does
    // nothing.
    void openWorkingData();

private:
    Dataset* make(const char* name, const QString& sql);
    void defineLookups();

    QSqlDatabase db_;
    std::vector<Dataset*> all_;
};

} // namespace kx::frontdesk
