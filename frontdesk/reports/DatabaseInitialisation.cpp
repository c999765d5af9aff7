#include "DatabaseInitialisation.h"

#include "Backup.h"
#include "Clock.h"
#include "DataClearing.h"
#include "ErrorGuard.h"
#include "PanelKit.h"
#include "Password.h"
#include "ProgressBar.h"
#include "Prompter.h"
#include "TDMTable.h"
#include "TFormWMain.h"
#include "TFormWork.h"
#include "TableBoard.h"

#include <QDialog>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kx::frontdesk {

namespace {

// Of the status bar's progress: the copy, then the statements of the removal.
constexpr int kCopyShare = 60;

} // namespace

bool systemPasswordGiven(QWidget* parent, QSqlDatabase db) {
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("dlg_SystemPassword"));
    dialog.setWindowTitle(ProductTitle);
    auto* column = new QVBoxLayout(&dialog);
    column->addWidget(new QLabel(QStringLiteral("请输入系统管理密码："), &dialog));
    auto* password = new QLineEdit(&dialog);
    password->setObjectName(QStringLiteral("edt_SystemPassword"));
    password->setEchoMode(QLineEdit::Password);
    password->setMaxLength(16);
    password->setMinimumWidth(220);
    column->addWidget(password);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    QPushButton* ok = makeButton(QStringLiteral("btn_SystemPasswordOk"), QStringLiteral("确定"), &dialog);
    QPushButton* back = makeButton(QStringLiteral("btn_SystemPasswordBack"), QStringLiteral("回退"), &dialog);
    buttons->addWidget(ok);
    buttons->addWidget(back);
    column->addLayout(buttons);
    QObject::connect(password, &QLineEdit::returnPressed, &dialog, &QDialog::accept);
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    QObject::connect(back, &QPushButton::clicked, &dialog, &QDialog::reject);
    if (modalHost().exec(&dialog) != QDialog::Accepted) return false;
    if (!systemPasswordMatches(db, password->text())) {
        prompter().information(QStringLiteral("密码不正确，请重新输入后确认！"));
        return false;
    }
    return true;
}

void initialiseDatabase(TFormWMain& main, TFormWork& work, TDMTable& dm) {
    QSqlDatabase db = main.db();
    if (!systemPasswordGiven(&main, db)) throw SilentAbort();
    if (!prompter().question(QStringLiteral("请确认是否进行清除数据库操作（测试用）,请慎重确认!"))) throw SilentAbort();
    QString copy, copyFailure;
    {
        BusyCursor busy;
        // Nothing is painted until the work is done: the window is drawn now, without the boxes
        // just answered, so that the cashier sees the board and the progress beneath it.
        main.repaint();
        StatusProgress progress(main.StatusBar1, main.statusPanel[0]);
        try {
            copy = db::keepCopyBefore(db, QStringLiteral("init"), Clock::now(),
                                      [&progress](int copied, int total) {
                                          if (total > 0) progress.moveTo(kCopyShare * copied / total);
                                      });
        } catch (const DbError& e) {
            copyFailure = e.message();
        }
        if (copyFailure.isEmpty()) {
            progress.moveTo(kCopyShare);
            int done = 0;
            // A failure rolls the whole removal back and goes on to the program's error handler.
            db::initialiseData(db, [&] {
                ++done;
                progress.moveTo(kCopyShare + (100 - kCopyShare) * done / db::kInitialisationSteps);
            });
            main.LogSet(QStringLiteral("[") + dm.setup.text(QStringLiteral("ordename")) +
                        QStringLiteral("][初始化数据库]"));
            // What the desk holds of the rows that went: the board and the live datasets read again.
            for (Dataset* ds : {dm.adoqry_TableGues, dm.adoqry_TableCons, dm.adoqry_TableConsTemp, dm.adoqry_bookin,
                                dm.adoqry_AllguesPay})
                if (ds->active()) ds->refresh();
            if (work.tableBoard) work.tableBoard->Sort();
        }
    }
    // The boxes after the wait cursor has gone.
    if (!copyFailure.isEmpty()) {
        prompter().information(QStringLiteral("初始化前的数据备份没有成功，数据未作改动！\n") + copyFailure);
        throw SilentAbort();
    }
    prompter().information(QStringLiteral("系统初始化工作已完成，现在可以工作！\n") + QDir::toNativeSeparators(copy));
}

} // namespace kx::frontdesk
