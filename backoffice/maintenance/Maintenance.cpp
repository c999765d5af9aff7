#include "Maintenance.h"

#include "Backup.h"
#include "Clock.h"
#include "ErrorGuard.h"
#include "Password.h"
#include "Prompter.h"
#include "RecordScreen.h"
#include "TFormChild.h"
#include "TFormSMain.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kx::backoffice {

bool maintenancePasswordPasses(QSqlDatabase db, const QString& typed) {
    if (typed.trimmed().isEmpty()) {
        prompter().information(QStringLiteral("请输入管理密码！"));
        return false;
    }
    if (!systemPasswordMatches(db, typed)) {
        prompter().information(QStringLiteral("输入的管理密码错误，请修改！"));
        return false;
    }
    return true;
}

namespace {

// The button unusable and the wait cursor shown while the work runs.
class Working {
  public:
    explicit Working(QPushButton* button) : button_(button) {
        button_->setEnabled(false);
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~Working() {
        QApplication::restoreOverrideCursor();
        button_->setEnabled(true);
    }
    Working(const Working&) = delete;
    Working& operator=(const Working&) = delete;

  private:
    QPushButton* button_;
};

// A reason the database or the file system gave, on a line of its own.
QString withReason(const QString& text, const QString& reason) {
    return reason.isEmpty() ? text : text + QLatin1Char('\n') + reason;
}

struct PasswordScreen {
    QWidget* panel;
    QLineEdit* password;
    QPushButton* button;
};

// A panel with its caption, the password box (shown as "#") and the button under it.
PasswordScreen passwordScreen(TFormChild& child, const char* panelName, const QString& caption,
                              const char* editName, const char* buttonName, const QString& buttonText) {
    QWidget* panel = screenPanel(panelName, &child);
    auto* column = new QVBoxLayout(panel);
    column->addStretch(1);
    auto* label = new QLabel(caption, panel);
    column->addWidget(label, 0, Qt::AlignHCenter);
    auto* password = new QLineEdit(panel);
    password->setObjectName(QString::fromLatin1(editName));
    password->setEchoMode(QLineEdit::Password);
    password->setStyleSheet(QStringLiteral("lineedit-password-character: 35;"));
    password->setMaxLength(16);
    password->setFixedWidth(220);
    column->addWidget(password, 0, Qt::AlignHCenter);
    column->addSpacing(16);
    auto* button = new QPushButton(buttonText, panel);
    button->setObjectName(QString::fromLatin1(buttonName));
    button->setMinimumSize(220, 56);
    // Enter on the focused button presses it, as Space does.
    button->setAutoDefault(true);
    button->setStyleSheet(QStringLiteral("QPushButton { color: #c00000; font-size: 20pt; font-weight: bold; }"));
    column->addWidget(button, 0, Qt::AlignHCenter);
    column->addStretch(2);
    return {panel, password, button};
}

void backUp(TFormSMain& main, const PasswordScreen& s) {
    if (!maintenancePasswordPasses(main.db(), s.password->text())) return;
    {
        Working working(s.button);
        try {
            db::backupForMaintenance(main.db().databaseName());
        } catch (const DbError& e) {
            prompter().information(withReason(QStringLiteral("数据备份失败，原备份文件未作改动！"), e.message()));
            return;
        }
        main.logSet(QStringLiteral("[数据备份（后台）]"));
    }
    prompter().information(QStringLiteral("本地数据库压缩备份完成！"));
    main.ExitMode = 1;
    main.close();
}

void restore(TFormSMain& main, const PasswordScreen& s) {
    if (!maintenancePasswordPasses(main.db(), s.password->text())) return;
    {
        Working working(s.button);
        try {
            db::restoreDatabase(main.db(), db::maintenanceBackupFile(main.db().databaseName()), Clock::now());
        } catch (const db::RestoreRefused& e) {
            switch (e.problem()) {
            case db::RestoreRefused::Missing:
                prompter().information(QStringLiteral("没有找到备份文件，数据库未作改动！"));
                break;
            case db::RestoreRefused::Foreign:
                prompter().information(
                    withReason(QStringLiteral("备份文件已损坏或不是本系统的数据，数据库未作改动！"), e.reason()));
                break;
            case db::RestoreRefused::Newer:
                prompter().information(QStringLiteral("备份文件的版本高于本系统，数据库未作改动！"));
                break;
            case db::RestoreRefused::Failed:
                prompter().information(withReason(QStringLiteral("数据恢复失败，数据库未作改动！"), e.reason()));
                break;
            }
            return;
        }
        // Written into the restored database.
        main.logSet(QStringLiteral("[数据恢复（后台）]"));
    }
    prompter().information(QStringLiteral("本地数据库恢复完成！"));
    main.ExitMode = 1;
    main.close();
}

} // namespace

void buildMaintenanceScreens(TFormSMain& main, TFormChild& child) {
    const PasswordScreen backup = passwordScreen(child, "pnl_Back", QStringLiteral("请输入[数据备份]管理密码："), "Edit5",
                                                 "Button2", QStringLiteral("开始备份"));
    QObject::connect(backup.button, &QPushButton::clicked, backup.button,
                     [&main, backup] { guarded([&] { backUp(main, backup); }); });
    const PasswordScreen restoring = passwordScreen(child, "pnl_restore", QStringLiteral("请输入[数据恢复]管理密码："),
                                                    "Edit4", "Button1", QStringLiteral("数据恢复"));
    QObject::connect(restoring.button, &QPushButton::clicked, restoring.button,
                     [&main, restoring] { guarded([&] { restore(main, restoring); }); });
    for (const auto& [leaf, screen] : {std::pair{QStringLiteral("数据备份"), backup},
                                       std::pair{QStringLiteral("数据恢复"), restoring}}) {
        QLineEdit* password = screen.password;
        main.registerScreen(leaf, {screen.panel, nullptr, [password](db::Dataset*) {
                                       password->clear();
                                       password->setFocus();
                                   }});
    }
}

} // namespace kx::backoffice
