#include "Csv.h"

#include <QDate>
#include <QDateTime>
#include <QRegularExpression>
#include <QSaveFile>

namespace kx {

namespace {

QString plain(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return QString::number(value.toLongLong());
    case QMetaType::Double:
    case QMetaType::Float:
        return QString::number(value.toDouble(), 'f', 6).remove(QRegularExpression(QStringLiteral("\\.?0+$")));
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    case QMetaType::QDateTime:
        return value.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    case QMetaType::QDate:
        return value.toDate().toString(QStringLiteral("yyyy-MM-dd"));
    default:
        break;
    }
    QString text = value.toString();
    if (!text.isEmpty() && QStringLiteral("=+-@").contains(text.front())) text.prepend(QLatin1Char('\''));
    return text;
}

} // namespace

QString csvField(const QVariant& value) {
    if (!value.isValid() || value.isNull()) return QString();
    QString text = plain(value);
    if (text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('"')) || text.contains(QLatin1Char('\n')) ||
        text.contains(QLatin1Char('\r'))) {
        text.replace(QLatin1Char('"'), QStringLiteral("\"\""));
        text = QLatin1Char('"') + text + QLatin1Char('"');
    }
    return text;
}

QByteArray csvBytes(const QStringList& header, const std::vector<QVariantList>& rows) {
    QString out;
    auto line = [&out](const QVariantList& fields) {
        QStringList cells;
        for (const QVariant& f : fields)
            cells << csvField(f);
        out += cells.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    };
    QVariantList captions;
    for (const QString& h : header)
        captions << h;
    line(captions);
    for (const QVariantList& row : rows)
        line(row);
    return QByteArray("\xEF\xBB\xBF") + out.toUtf8();
}

bool writeCsv(const QString& path, const QStringList& header, const std::vector<QVariantList>& rows) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    file.write(csvBytes(header, rows));
    return file.commit();
}

} // namespace kx
