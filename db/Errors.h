#pragma once
// The exceptions the data layer and the screens raise, and that the error guard handles.
#include <QString>
#include <stdexcept>

namespace kx {

// The silent stop of an action: shows nothing, leaves posted changes as they are.
struct SilentAbort {};

// A statement or post the database refused.
class DbError : public std::runtime_error {
public:
    explicit DbError(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromStdString(what()); }
};

// A multi-step write that failed and was rolled back; `code` names the operation (B1000nn / A1000nn).
class TransactionFailed : public std::runtime_error {
public:
    TransactionFailed(const QString& code, const QString& cause)
        : std::runtime_error(cause.toStdString()), code_(code) {}
    QString code() const { return code_; }

private:
    QString code_;
};

// A typed value that does not convert to a number or a date-time. Its message carries the
// wording the program-wide handler recognises.
class ConversionError : public std::runtime_error {
public:
    enum Kind { Number, DateTime };
    ConversionError(Kind kind, const QString& text)
        : std::runtime_error(
              (QStringLiteral("'") + text +
               (kind == Number ? QStringLiteral("' is not a valid floating point value")
                               : QStringLiteral("' is not a valid date and time")))
                  .toStdString()),
          kind_(kind) {}
    Kind kind() const { return kind_; }

private:
    Kind kind_;
};

} // namespace kx
