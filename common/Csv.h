#pragma once
// Lists written for a spreadsheet: CSV in UTF-8 with a byte-order mark (so a spreadsheet reads
// the Chinese right), a header line, RFC 4180 quoting (a field holding a comma, a quote or a line
// break is quoted, its quotes doubled), CRLF between records. Numbers are written plain with
// their decimals, date-times as "yyyy-MM-dd HH:mm:ss", dates as "yyyy-MM-dd". A text beginning
// with "=", "+", "-" or "@" gets a leading "'", so a spreadsheet never runs it as a formula.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <vector>

namespace kx {

// One field as it stands in the file, quoted where it must be.
QString csvField(const QVariant& value);
// The whole file.
QByteArray csvBytes(const QStringList& header, const std::vector<QVariantList>& rows);
// Writes the file; false when it cannot be written (nothing half written is left in its place).
bool writeCsv(const QString& path, const QStringList& header, const std::vector<QVariantList>& rows);

} // namespace kx
