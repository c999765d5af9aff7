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
// The file in pieces, for a list too long to hold at once: its start (the byte-order mark and
// the header line), then each record as one line with its line end.
QByteArray csvHead(const QStringList& header);
QString csvRecord(const QVariantList& fields);
// Writes the file; false when it cannot be written (nothing half written is left in its place).
bool writeCsv(const QString& path, const QStringList& header, const std::vector<QVariantList>& rows);

// The records of a CSV text as RFC 4180 reads them (quoted fields may hold commas, doubled
// quotes and line breaks; CRLF or LF between records; a last record without a line end counts).
// Empty lines are records of one empty field.
QList<QStringList> parseCsv(const QString& text);
// A text field as it was before the formula guard: "'=1+1" reads back as "=1+1".
QString unguarded(const QString& field);

} // namespace kx
