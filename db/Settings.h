#pragma once
// The settings record: the one row of SetupPay (or setupprint), read at the moment a value is
// needed from the open dataset, so a change posted elsewhere counts at the next use.
#include "Dataset.h"

namespace kx::db {

class Settings {
public:
    explicit Settings(Dataset* row = nullptr) : ds_(row) {}
    void attach(Dataset* row) { ds_ = row; }
    Dataset* dataset() const { return ds_; }

    QString text(const QString& field) const;
    bool flag(const QString& field) const;
    double number(const QString& field) const;
    qint64 integer(const QString& field) const;
    QDateTime dateTime(const QString& field) const;
    QDate date(const QString& field) const { return dateTime(field).date(); }

    // Writes one value and posts the row at once.
    void set(const QString& field, const QVariant& value);
    // Several values in one post.
    void set(const std::vector<std::pair<QString, QVariant>>& values);

private:
    Field field(const QString& name) const;
    Dataset* ds_;
};

} // namespace kx::db
