#include "Maintenance.h"

#include "Backup.h"
#include "Binder.h"
#include "Clock.h"
#include "Csv.h"
#include "DataClearing.h"
#include "ErrorGuard.h"
#include "Sql.h"
#include "TDMManage.h"
#include "TDMSetup.h"
#include "Transaction.h"
#include "Values.h"
#include "Password.h"
#include "Prompter.h"
#include "RecordScreen.h"
#include "TFormChild.h"
#include "TFormSMain.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QTableView>
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

// A maintenance password box, its characters shown as "#".
QLineEdit* passwordEdit(const char* name, QWidget* parent) {
    auto* password = new QLineEdit(parent);
    password->setObjectName(QString::fromLatin1(name));
    password->setEchoMode(QLineEdit::Password);
    password->setStyleSheet(QStringLiteral("lineedit-password-character: 35;"));
    password->setMaxLength(16);
    return password;
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
    QLineEdit* password = passwordEdit(editName, panel);
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
            db::backupForMaintenance(main.db());
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
            db::restoreDatabase(main.db(), db::maintenanceBackupFile(db::venueFileOf(main.db())), Clock::now());
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
            case db::RestoreRefused::OnServer:
                prompter().information(QStringLiteral("数据库在 PostgreSQL 服务器上，不能在这里恢复，数据库未作改动！\n"
                                                      "请用 PostgreSQL 自己的工具 pg_restore 恢复备份。"));
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

// ---------------------------------------------------------------- clearing

class Clearing {
  public:
    Clearing(TFormSMain& main, TFormChild& child) : main_(main) {
        panel_ = screenPanel("pnl_clear", &child);
        auto* column = new QVBoxLayout(panel_);
        column->addStretch(1);
        auto* grid = new QGridLayout;
        column->addLayout(grid);
        column->setAlignment(grid, Qt::AlignHCenter);
        auto check = [this](const char* name, const QString& caption) {
            auto* box = new QCheckBox(caption, panel_);
            box->setObjectName(QString::fromLatin1(name));
            boxes_.push_back(box);
            return box;
        };
        grid->addWidget(check("CheckBox1", QStringLiteral("清除消费项目库存")), 0, 0, 1, 4);
        grid->addWidget(check("CheckBox2", QStringLiteral("清除基本信息（如酒菜库、房台库）")), 1, 0, 1, 4);
        grid->addWidget(check("CheckBox3", QStringLiteral("清除所有历史数据")), 2, 0, 1, 4);
        auto range = [&](int row, QCheckBox* box, const char* from, const char* to) {
            grid->addWidget(box, row, 0);
            auto* first = dayPicker(from, panel_);
            auto* last = dayPicker(to, panel_);
            grid->addWidget(first, row, 1);
            grid->addWidget(new QLabel(QStringLiteral("到"), panel_), row, 2);
            grid->addWidget(last, row, 3);
            pickers_.push_back(first);
            pickers_.push_back(last);
        };
        range(3, check("CheckBox4", QStringLiteral("清除部分历史数据")), "DateTimePicker4", "DateTimePicker5");
        range(4, check("CheckBox5", QStringLiteral("清除部分日志数据")), "DateTimePicker8", "DateTimePicker9");
        grid->setRowMinimumHeight(5, 16);
        grid->addWidget(new QLabel(QStringLiteral("请输入清除管理密码："), panel_), 6, 0);
        password_ = passwordEdit("Edit3", panel_);
        grid->addWidget(password_, 6, 1, 1, 3);
        button_ = new QPushButton(QStringLiteral("开始清除 "), panel_);
        button_->setObjectName(QStringLiteral("Button3"));
        button_->setAutoDefault(true);
        button_->setMinimumSize(160, 40);
        grid->addWidget(button_, 7, 1, 1, 3, Qt::AlignLeft);
        column->addStretch(2);
        QObject::connect(button_, &QPushButton::clicked, button_, [this] { guarded([this] { clear(); }); });
        main.registerScreen(QStringLiteral("数据清理"), {panel_, nullptr, [this](db::Dataset*) { shown(); }});
    }

  private:
    void shown() {
        for (QDateEdit* p : pickers_)
            p->setDate(Clock::today());
        password_->clear();
        boxes_.front()->setFocus();
    }

    void clear() {
        QSqlDatabase db = main_.db();
        if (!maintenancePasswordPasses(db, password_->text())) {
            for (QCheckBox* b : boxes_)
                b->setChecked(false);
            return;
        }
        db::ClearChoice c;
        c.stock = boxes_[0]->isChecked();
        c.baseData = boxes_[1]->isChecked();
        c.allHistory = boxes_[2]->isChecked();
        c.someHistory = boxes_[3]->isChecked();
        c.historyFrom = pickers_[0]->date();
        c.historyTo = pickers_[1]->date();
        c.someLog = boxes_[4]->isChecked();
        c.logFrom = pickers_[2]->date();
        c.logTo = pickers_[3]->date();
        if (!c.any()) {
            prompter().information(QStringLiteral("请选择要清除的项目！"));
            return;
        }
        if (!prompter().question(QStringLiteral("请确定是否进行数据清除操作，操作后数据将不能进行恢复，请慎重！") +
                                 kProductTitle + QStringLiteral("!")))
            return;
        {
            Working working(button_);
            try {
                db::keepCopyBefore(db, QStringLiteral("clear"), Clock::now());
            } catch (const DbError& e) {
                prompter().information(withReason(QStringLiteral("清除前的数据备份没有成功，数据未作清除！"), e.message()));
                return;
            }
            try {
                db::clearData(db, c);
            } catch (const db::BaseDataInUse& e) {
                prompter().information(e.message());
                return;
            }
            main_.logSet(QStringLiteral("[数据清除（后台）]"));
        }
        prompter().information(QStringLiteral("本地数据库清除完成！"));
        main_.ExitMode = 1;
        main_.close();
    }

    TFormSMain& main_;
    QWidget* panel_;
    std::vector<QCheckBox*> boxes_;
    std::vector<QDateEdit*> pickers_;
    QLineEdit* password_;
    QPushButton* button_;
};

// ---------------------------------------------------------------- initialisation

void initialise(TFormSMain& main, TDMManage& m, TDMSetup& s, const PasswordScreen& screen) {
    QSqlDatabase db = main.db();
    if (!maintenancePasswordPasses(db, screen.password->text())) return;
    if (!prompter().question(QStringLiteral("请确认是否进行清除数据库操作（测试用）,请慎重确认!"))) return;
    {
        Working working(screen.button);
        try {
            db::keepCopyBefore(db, QStringLiteral("init"), Clock::now());
        } catch (const DbError& e) {
            prompter().information(withReason(QStringLiteral("初始化前的数据备份没有成功，数据未作改动！"), e.message()));
            return;
        }
        db::inTransaction(db, QStringLiteral("A100008"), [&] { db::initialiseData(db); });
        // What the screens hold of the rows that went.
        for (db::Dataset* ds : {s.adoqry_Table, m.adoqry_StoreBill, m.adoqry_StoreDetail, m.adoqry_MembManage})
            if (ds->active()) ds->reload();
        main.logSet(QStringLiteral("[系统初始化（后台）]"));
    }
    prompter().information(QStringLiteral("系统初始化工作已完成，现在可以工作！"));
    screen.password->clear();
}

// ---------------------------------------------------------------- the log

class LogViewer {
  public:
    LogViewer(TFormSMain& main, TFormChild& child, TDMManage& m) : main_(main), log_(m.adoqry_Log) {
        panel_ = screenPanel("pnl_log", &child);
        auto* column = new QVBoxLayout(panel_);
        auto* row = new QHBoxLayout;
        column->addLayout(row);
        row->addWidget(new QLabel(QStringLiteral("开始时间："), panel_));
        from_ = dayPicker("DateTimePicker6", panel_);
        from_->setMinimumWidth(110);
        row->addWidget(from_);
        row->addWidget(new QLabel(QStringLiteral("结束时间："), panel_));
        until_ = dayPicker("DateTimePicker7", panel_);
        until_->setMinimumWidth(110);
        row->addWidget(until_);
        row->addWidget(new QLabel(QStringLiteral("操作员："), panel_));
        operator_ = new QComboBox(panel_);
        operator_->setObjectName(QStringLiteral("cmb_LogOper"));
        operator_->setEditable(true);
        operator_->setMinimumWidth(110);
        row->addWidget(operator_);
        row->addStretch(1);
        // The text and the buttons on a line of their own.
        row = new QHBoxLayout;
        column->addLayout(row);
        row->addWidget(new QLabel(QStringLiteral("操作内容："), panel_));
        text_ = new QLineEdit(panel_);
        text_->setObjectName(QStringLiteral("edt_LogText"));
        row->addWidget(text_, 1);
        auto* query = new QPushButton(QStringLiteral("查询"), panel_);
        query->setObjectName(QStringLiteral("btn_LogQuery"));
        query->setAutoDefault(true);
        row->addWidget(query);
        auto* exporting = new QPushButton(QStringLiteral("导出"), panel_);
        exporting->setObjectName(QStringLiteral("btn_LogExport"));
        exporting->setAutoDefault(true);
        row->addWidget(exporting);
        grid_ = new QTableView(panel_);
        grid_->setObjectName(QStringLiteral("DBGrid55"));
        paintAsMainGrid(grid_);
        bindGrid(grid_, log_,
                 {db::GridColumn{QStringLiteral("log_oper_name"), QStringLiteral("操作员"), {}, 90},
                  db::GridColumn{QStringLiteral("log_time"), QStringLiteral("操作时间"), QStringLiteral("yyyy-mm-dd hh:nn:ss"), 150},
                  db::GridColumn{QStringLiteral("log_oper"), QStringLiteral("操作过程"), {}, 360}});
        column->addWidget(grid_, 1);
        QObject::connect(query, &QPushButton::clicked, query, [this] { guarded([this] { run(); }); });
        QObject::connect(text_, &QLineEdit::returnPressed, text_, [this] { guarded([this] { run(); }); });
        QObject::connect(exporting, &QPushButton::clicked, exporting, [this] { guarded([this] { exportRows(); }); });
        main.registerScreen(QStringLiteral("日志查询"), {panel_, nullptr, [this](db::Dataset*) { shown(); }});
    }

  private:
    void shown() {
        from_->setDate(Clock::today());
        until_->setDate(Clock::today());
        // The operators' names as they are now; what was typed stays.
        const QString typed = operator_->currentText();
        operator_->clear();
        operator_->addItem(QString());
        QSqlQuery q = db::run(main_.db(), QStringLiteral("SELECT oper_name FROM operatorlist ORDER BY oper_code"));
        while (q.next())
            operator_->addItem(q.value(0).toString());
        operator_->setEditText(typed);
        run();
    }

    // The log of the chosen days, in the order it was written, the newest at hand.
    void run() {
        QString sql = QStringLiteral("SELECT * FROM systemlog WHERE log_time >= ? AND log_time < ?");
        QVariantList params = wholeDays(from_->date(), until_->date());
        const QString who = operator_->currentText().trimmed();
        if (!who.isEmpty()) {
            sql += QStringLiteral(" AND log_oper_name = ?");
            params << who;
        }
        QString text = text_->text().trimmed();
        if (!text.isEmpty()) {
            text.replace(QLatin1Char('\\'), QStringLiteral("\\\\"))
                .replace(QLatin1Char('%'), QStringLiteral("\\%"))
                .replace(QLatin1Char('_'), QStringLiteral("\\_"));
            sql += QStringLiteral(" AND log_oper LIKE ? ESCAPE '\\'");
            params << QLatin1Char('%') + text + QLatin1Char('%');
        }
        sql += QStringLiteral(" ORDER BY log_time, rec_ID");
        log_->setSql(sql, params);
        log_->open();
        log_->last();
        grid_->scrollToBottom();
    }

    void exportRows() {
        const QString path = modalHost().saveFileName(panel_, QStringLiteral("导出"), QString(),
                                                      QStringLiteral("CSV (*.csv)"));
        if (path.isEmpty()) return;
        std::vector<QVariantList> rows;
        rows.reserve(size_t(log_->recordCount()));
        const int name = log_->fieldIndex(QStringLiteral("log_oper_name"));
        const int time = log_->fieldIndex(QStringLiteral("log_time"));
        const int what = log_->fieldIndex(QStringLiteral("log_oper"));
        for (int r = 0; r < log_->recordCount(); ++r)
            rows.push_back({log_->valueAt(r, name), log_->valueAt(r, time), log_->valueAt(r, what)});
        if (!writeCsv(path, {QStringLiteral("操作员"), QStringLiteral("操作时间"), QStringLiteral("操作过程")}, rows))
            prompter().information(QStringLiteral("无法写入文件：") + path);
    }

    TFormSMain& main_;
    db::Dataset* log_;
    QWidget* panel_;
    QDateEdit* from_;
    QDateEdit* until_;
    QComboBox* operator_;
    QLineEdit* text_;
    QTableView* grid_;
};

} // namespace

void buildMaintenanceScreens(TFormSMain& main, TFormChild& child, TDMManage& manage, TDMSetup& setup) {
    const PasswordScreen backup = passwordScreen(child, "pnl_Back", QStringLiteral("请输入[数据备份]管理密码："), "Edit5",
                                                 "Button2", QStringLiteral("开始备份"));
    QObject::connect(backup.button, &QPushButton::clicked, backup.button,
                     [&main, backup] { guarded([&] { backUp(main, backup); }); });
    const PasswordScreen restoring = passwordScreen(child, "pnl_restore", QStringLiteral("请输入[数据恢复]管理密码："),
                                                    "Edit4", "Button1", QStringLiteral("数据恢复"));
    QObject::connect(restoring.button, &QPushButton::clicked, restoring.button,
                     [&main, restoring] { guarded([&] { restore(main, restoring); }); });
    const PasswordScreen initialising = passwordScreen(child, "pnl_initialization",
                                                       QStringLiteral("请输入[系统初始化]管理密码："), "Edit6", "Button4",
                                                       QStringLiteral("系统初始化"));
    QObject::connect(initialising.button, &QPushButton::clicked, initialising.button,
                     [&main, &manage, &setup, initialising] {
                         guarded([&] { initialise(main, manage, setup, initialising); });
                     });
    for (const auto& [leaf, screen] : {std::pair{QStringLiteral("数据备份"), backup},
                                       std::pair{QStringLiteral("数据恢复"), restoring},
                                       std::pair{QStringLiteral("系统初始"), initialising}}) {
        QLineEdit* password = screen.password;
        main.registerScreen(leaf, {screen.panel, nullptr, [password](db::Dataset*) {
                                       password->clear();
                                       password->setFocus();
                                   }});
    }
    // Owned by the screen host, which lives as long as the window.
    auto* clearing = new Clearing(main, child);
    auto* log = new LogViewer(main, child, manage);
    QObject::connect(&child, &QObject::destroyed, [clearing, log] {
        delete clearing;
        delete log;
    });
}

} // namespace kx::backoffice
