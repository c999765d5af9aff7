#include "Settings.h"

namespace kx::db {

Field Settings::field(const QString& name) const {
    if (!ds_ || !ds_->active()) throw DbError(QStringLiteral("settings record is not open"));
    // The record has one row; whoever filtered or moved the dataset, read the first.
    if (ds_->recNo() != 1 && ds_->state() == Dataset::Browse) ds_->first();
    return ds_->field(name);
}

QString Settings::text(const QString& f) const { return field(f).asString(); }
bool Settings::flag(const QString& f) const { return field(f).asBool(); }
double Settings::number(const QString& f) const { return field(f).asFloat(); }
qint64 Settings::integer(const QString& f) const { return field(f).asInt(); }
QDateTime Settings::dateTime(const QString& f) const { return field(f).asDateTime(); }

void Settings::set(const QString& f, const QVariant& value) { set({{f, value}}); }

void Settings::set(const std::vector<std::pair<QString, QVariant>>& values) {
    if (!ds_ || !ds_->active()) throw DbError(QStringLiteral("settings record is not open"));
    if (ds_->state() == Dataset::Browse && ds_->recNo() != 1) ds_->first();
    if (ds_->isEmpty()) throw DbError(QStringLiteral("the settings record is missing"));
    ds_->edit();
    try {
        for (const auto& [name, value] : values) ds_->field(name).setValue(value);
        ds_->post();
    } catch (...) {
        if (ds_->state() != Dataset::Browse) ds_->cancel();
        throw;
    }
}

} // namespace kx::db
