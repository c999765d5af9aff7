#pragma once
// The front desk's main window: the fixed-size frame with the host panel for the current
// screen and the status bar. It owns the connection, the scratch query, the screen switching,
// the short-cut keys of every screen, the exit question and the program-wide error handling.
#include "Connection.h"
#include "Dataset.h"

#include <QHash>
#include <QLabel>
#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <memory>

class QLocalServer;
class QTimer;

namespace kx::frontdesk {

class TDMTable;
class TFormWork;

// A key of the short-cut table: the screen it belongs to, the key, and whether it is a key of
// the numeric pad.
struct ShortcutKey {
    QString panel;
    int key;
    bool keypad;
};

class TFormWMain : public QMainWindow {
    Q_OBJECT
public:
    // Opens the database file `databaseFile` (created with the sample venue when missing).
    explicit TFormWMain(const QString& databaseFile, QWidget* parent = nullptr);
    ~TFormWMain() override;

    // Joins the work form and the data module created after the window.
    void attach(TFormWork* work, TDMTable* dm);

    QSqlDatabase db() const { return ADOConnection1.db(); }
    // Which database the program works on, in words (the file, or the server's URL).
    QString databaseDescription() const { return ADOConnection1.describe(); }
    db::Dataset* ScratchQuery = nullptr;
    TFormWork* work() const { return work_; }
    TDMTable* dm() const { return dm_; }

    QWidget* pnl_Parent = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QLabel* statusPanel[4] = {nullptr, nullptr, nullptr, nullptr};
    QTimer* Timer1 = nullptr;

    // Places `panel` into `host` as a screen and hides the other panels of the host; with
    // flag 1 the panel becomes the current panel the short-cut keys follow.
    void ShowPanel(QWidget* panel, QWidget* host, int flag);
    QWidget* CurrentPanel() const { return currentPanel_; }

    bool SilentExit = false;
    // After the first successful login.
    bool LoggedIn = false;

    // The permission check of the current role; shows the refusal when not granted.
    bool Limite(const QString& code);
    // Appends a log line under the operator of the settings record.
    void LogSet(const QString& text);

    // The short-cut table names an action for each (screen, key); screens register what the
    // action does. An action nobody registered does nothing.
    void registerAction(const QString& action, std::function<void()> handler);
    bool runAction(const QString& action);
    // Whether somebody registered the action: a control whose action nobody does is not shown.
    bool hasAction(const QString& action) const;
    // Asked when an action runs that nobody registered yet: builds the screen that registers it
    // (screens are built on first use). True when it built one.
    void setActionResolver(std::function<bool(const QString&)> resolver) { resolver_ = std::move(resolver); }
    // The action of a key on the current panel, empty when the key does nothing there.
    QString actionFor(int key, Qt::KeyboardModifiers modifiers) const;
    static const std::vector<std::pair<ShortcutKey, QString>>& shortcutTable();

    // The automatic day roll at login runs these (day end, then day start, without questions).
    std::function<void()> autoDayEnd;
    std::function<void()> autoDayStart;

    // Captions of the report headings that printing reads (qrl_usersend, qrl_usernames …).
    QHash<QString, QString> reportCaptions;

    // Runs the first-showing steps (also run by the first showEvent).
    void firstShow();
    // Closes without the exit question (fatal errors).
    void closeSilently();
    // Opens the help page beside the program.
    void showHelp();

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:

    db::Connection ADOConnection1;
    TFormWork* work_ = nullptr;
    TDMTable* dm_ = nullptr;
    QPointer<QWidget> currentPanel_;
    QHash<QString, std::function<void()>> actions_;
    std::function<bool(const QString&)> resolver_;
    bool shown_ = false;
    bool closed_ = false;
    QLocalServer* instance_ = nullptr;
};

} // namespace kx::frontdesk
