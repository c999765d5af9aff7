#pragma once
// Lets GoogleTest print Qt values readably in failure messages.
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QStringList& l, std::ostream* os) {
    *os << '{';
    for (int i = 0; i < l.size(); ++i) *os << (i ? ", \"" : "\"") << l[i].toStdString() << '"';
    *os << '}';
}
inline void PrintTo(const QDateTime& d, std::ostream* os) {
    *os << (d.isValid() ? d.toString(Qt::ISODateWithMs).toStdString() : std::string("(invalid)"));
}
inline void PrintTo(const QVariant& v, std::ostream* os) { *os << v.toString().toStdString(); }
