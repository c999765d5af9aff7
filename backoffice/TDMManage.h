#pragma once
// The back office's data module of people, accounts, stock paperwork and the log: every
// dataset opens when the module is made; the archives and the log open empty and their screens
// point them at what they show.
#include "Dataset.h"

#include <QObject>
#include <vector>

namespace kx::backoffice {

using db::Dataset;

class TDMManage : public QObject {
    Q_OBJECT
  public:
    explicit TDMManage(QSqlDatabase db, QObject* parent = nullptr);

    Dataset* adoqry_ManagerType;
    Dataset* adoqry_Operator;
    Dataset* adoqry_Limited;
    Dataset* adoqry_Area;
    Dataset* adoqry_group;
    Dataset* adoqry_deduOperator;
    Dataset* adoqry_MembType;
    Dataset* adoqry_Member;
    Dataset* adoqry_MembManage;
    Dataset* adoqry_HangGues;
    Dataset* adoqry_HangGuesIn;
    Dataset* adoqry_StoreWorkType;
    Dataset* adoqry_Work;
    Dataset* adoqry_StoreBill;
    Dataset* adoqry_StoreDetail;
    Dataset* adoqry_AllStoreBill;
    Dataset* adoqry_AllStoreDetail;
    Dataset* adoqry_WorkDetail;
    Dataset* adoqry_Log;

    const std::vector<Dataset*>& all() const { return all_; }

    // The member cards, which grow with the venue, open at login: the login panel needs none.
    void openWorkingData();

  private:
    Dataset* make(const char* name, const QString& sql);
    QSqlDatabase db_;
    std::vector<Dataset*> all_;
};

} // namespace kx::backoffice
