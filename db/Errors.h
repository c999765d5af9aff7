#pragma once
// The exceptions the data layer and the screens raise, and that the error guard handles.
#include <QString>
#include <functional>
#include <stdexcept>

namespace kx {

// The silent stop of an action: shows nothing, leaves posted changes as they are.
struct SilentAbort {};

// A write refused because what it decided on no longer holds: another desk changed or removed
// the row, or took the table, first. Nothing was stored (the transaction rolls back as for any
// silent abort). The error guard shows `message` and then runs `refresh`, which reads again
// what was stale.
struct StaleData : SilentAbort {
    static inline const QString Text = QStringLiteral("数据已被其它站点修改，请刷新后重新操作！");
    explicit StaleData(QString text = Text, std::function<void()> afterwards = {})
        : message(std::move(text)), refresh(std::move(afterwards)) {}
    QString message;
    std::function<void()> refresh;
};

// A statement or post the database refused.
class DbError : public std::runtime_error {
public:
    explicit DbError(const QString& message, QString nativeCode = QString())
        : std::runtime_error(message.toStdString()), nativeCode_(std::move(nativeCode)) {}
    QString message() const { return QString::fromStdString(what()); }
    // The engine's own code for a refused statement, when there is one (the server's SQLSTATE,
    // "23505" for a duplicate key; SQLite's result code).
    QString nativeCode() const { return nativeCode_; }

private:
    QString nativeCode_;
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
