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

QString csvRecord(const QVariantList& fields) {
    QStringList cells;
    for (const QVariant& f : fields)
        cells << csvField(f);
    return cells.join(QLatin1Char(',')) + QStringLiteral("\r\n");
}

QByteArray csvHead(const QStringList& header) {
    QVariantList captions;
    for (const QString& h : header)
        captions << h;
    return QByteArray("\xEF\xBB\xBF") + csvRecord(captions).toUtf8();
}

QByteArray csvBytes(const QStringList& header, const std::vector<QVariantList>& rows) {
    QString out;
    for (const QVariantList& row : rows)
        out += csvRecord(row);
    return csvHead(header) + out.toUtf8();
}

bool writeCsv(const QString& path, const QStringList& header, const std::vector<QVariantList>& rows) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    file.write(csvBytes(header, rows));
    return file.commit();
}

QList<QStringList> parseCsv(const QString& text) {
    QList<QStringList> records;
    QStringList record;
    QString field;
    bool quoted = false;
    bool any = false; // something of the current record was read
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        any = true;
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < n && text[i + 1] == QLatin1Char('"')) {
                    field += QLatin1Char('"');
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                field += c;
            }
        } else if (c == QLatin1Char('"') && field.isEmpty()) {
            quoted = true;
        } else if (c == QLatin1Char(',')) {
            record << field;
            field.clear();
        } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (c == QLatin1Char('\r') && i + 1 < n && text[i + 1] == QLatin1Char('\n')) ++i;
            record << field;
            field.clear();
            records << record;
            record.clear();
            any = false;
        } else {
            field += c;
        }
    }
    if (any) {
        record << field;
        records << record;
    }
    return records;
}

QString unguarded(const QString& field) {
    if (field.size() > 1 && field.front() == QLatin1Char('\'') && QStringLiteral("=+-@").contains(field[1]))
        return field.mid(1);
    return field;
}

} // namespace kx
