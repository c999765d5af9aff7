#include "TFormChild.h"

#include "Binder.h"
#include "Dataset.h"
#include "ErrorGuard.h"
#include "Password.h"
#include "Prompter.h"
#include "TDMSetup.h"
#include "TFormSMain.h"
#include "TextEntry.h"

#include <QFrame>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace kx::backoffice {

namespace {

// The trees' pictures: a folder for a heading, a page for a leaf, a marked page when chosen.
QIcon treePicture(int which) {
    QPixmap p(16, 16);
    p.fill(Qt::transparent);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    if (which == 0) {
        g.setPen(QColor(0x8a, 0x6d, 0x1e));
        g.setBrush(QColor(0xf2, 0xc9, 0x4c));
        g.drawRect(1, 4, 14, 10);
        g.drawRect(1, 2, 6, 3);
    } else {
        g.setPen(QColor(0x3a, 0x55, 0x80));
        g.setBrush(which == 1 ? QColor(0x6b, 0x8e, 0x3d) : QColor(Qt::white));
        g.drawRect(3, 1, 10, 14);
        g.setPen(QColor(0x9a, 0xa8, 0xbd));
        for (int y = 5; y <= 11; y += 3)
            g.drawLine(5, y, 11, y);
    }
    return QIcon(p);
}

QWidget* panel(const QString& name, QWidget* parent) {
    auto* w = new QFrame(parent);
    w->setObjectName(name);
    w->setProperty("isPanel", true);
    w->setAutoFillBackground(true);
    w->hide();
    return w;
}

} // namespace

TFormChild::TFormChild(TFormSMain* main) : QWidget(nullptr), main_(main) {
    setObjectName(QStringLiteral("TFormChild"));
    PanelQuery = new db::Dataset(main->db(), QStringLiteral("PanelQuery"), QString(), this);
    pnl_SysSetup =
        treePanel(QStringLiteral("pnl_SysSetup"), QStringLiteral("tv_Setup"), &tv_Setup,
                  {{QStringLiteral("消费设置"), {"大类", "分类", "项目", "出品", "折扣"}},
                   {QStringLiteral("房台设置"), {"部门", "类型", "房台", "消费方式"}},
                   {QStringLiteral("其它设置"), {"班次", "付款方式", "其它收入", "项目说明", "单位名称"}}});
    pnl_SysManage = treePanel(QStringLiteral("pnl_SysManage"), QStringLiteral("tv_SysManage"), &tv_SysManage,
                              {{QStringLiteral("员工管理"), {"操作员工", "权限设置", "员工级别"}},
                               {QStringLiteral("业绩管理"), {"提成员工", "员工分组", "员工分区"}},
                               {QStringLiteral("会员管理"), {"会员类别", "会员信息"}},
                               {QStringLiteral("挂帐管理"), {"挂帐客人"}}});
    pnl_store =
        treePanel(QStringLiteral("pnl_store"), QStringLiteral("tv_Store"), &tv_Store,
                  {{QStringLiteral("库存管理"),
                    {"库存调整", "物流管理", "往来管理", "库存帐务", "帐务查询", "库存盘点", "配料使用"}},
                   {QStringLiteral("管理设置"), {"单位类型", "往来单位"}}});
    pnl_user = treePanel(QStringLiteral("pnl_user"), QStringLiteral("tv_user"), &tv_user,
                         {{QStringLiteral("用户注册"), {"注册用户"}},
                          {QStringLiteral("日志管理"), {"日志查询"}},
                          {QStringLiteral("数据管理"), {"数据备份", "数据恢复", "数据清理", "系统初始"}}});
    buildRegister();
}

TFormChild::~TFormChild() = default;

QWidget* TFormChild::treePanel(const QString& panelName, const QString& treeName, QTreeWidget** tree,
                               const std::vector<std::pair<QString, QStringList>>& nodes) {
    QWidget* p = panel(panelName, this);
    p->setStyleSheet(QStringLiteral("background: white;"));
    auto* layout = new QVBoxLayout(p);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* t = new QTreeWidget(p);
    t->setObjectName(treeName);
    t->setHeaderHidden(true);
    t->setRootIsDecorated(false);
    t->setItemsExpandable(false);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->setIndentation(12);
    t->setFrameShape(QFrame::NoFrame);
    for (const auto& [heading, leaves] : nodes) {
        auto* h = new QTreeWidgetItem(t, {heading});
        h->setIcon(0, treePicture(0));
        for (const QString& caption : leaves) {
            auto* l = new QTreeWidgetItem(h, {caption});
            l->setIcon(0, treePicture(2));
        }
    }
    t->expandAll();
    // The chosen leaf shows the marked page.
    connect(t, &QTreeWidget::currentItemChanged, t, [](QTreeWidgetItem* now, QTreeWidgetItem* before) {
        if (before && before->parent()) before->setIcon(0, treePicture(2));
        if (now && now->parent()) now->setIcon(0, treePicture(1));
    });
    layout->addWidget(t);
    *tree = t;
    return p;
}

QTreeWidgetItem* TFormChild::leaf(QTreeWidget* tree, const QString& caption) {
    for (int h = 0; h < tree->topLevelItemCount(); ++h) {
        QTreeWidgetItem* heading = tree->topLevelItem(h);
        for (int i = 0; i < heading->childCount(); ++i)
            if (heading->child(i)->text(0) == caption) return heading->child(i);
    }
    return nullptr;
}

void TFormChild::buildRegister() {
    pnl_register = panel(QStringLiteral("pnl_register"), this);
    auto* outer = new QVBoxLayout(pnl_register);
    outer->setContentsMargins(40, 30, 40, 30);
    auto* title = new QLabel(QStringLiteral("注册用户"), pnl_register);
    title->setStyleSheet(QStringLiteral("font-size: 16px; font-weight: bold;"));
    outer->addWidget(title);
    auto* grid = new QGridLayout();
    grid->setVerticalSpacing(10);
    auto edit = [this](const char* name) {
        auto* e = new QLineEdit(pnl_register);
        e->setObjectName(QString::fromLatin1(name));
        return e;
    };
    DBEdit_UserName = edit("DBEdit_UserName");
    DBEdit_UserNameE = edit("DBEdit_UserNameE");
    DBEdit_UserNameS = edit("DBEdit_UserNameS");
    DBEdit_UserTele = edit("DBEdit_UserTele");
    const std::pair<const char*, QLineEdit*> rows[] = {{"用户名称", DBEdit_UserName},
                                                       {"英文名称", DBEdit_UserNameE},
                                                       {"用户简称", DBEdit_UserNameS},
                                                       {"营业电话", DBEdit_UserTele}};
    int r = 0;
    for (const auto& [caption, e] : rows) {
        grid->addWidget(new QLabel(QString::fromUtf8(caption), pnl_register), r, 0);
        grid->addWidget(e, r++, 1);
    }
    outer->addLayout(grid);
    auto* rule = new QFrame(pnl_register);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    outer->addWidget(rule);
    auto* passRow = new QHBoxLayout();
    passRow->addWidget(new QLabel(QStringLiteral("系统管理密码："), pnl_register));
    Edit10 = edit("Edit10");
    passRow->addWidget(Edit10, 1);
    Button7 = new QPushButton(QStringLiteral("确定"), pnl_register);
    Button7->setObjectName(QStringLiteral("Button7"));
    passRow->addWidget(Button7);
    outer->addLayout(passRow);
    outer->addStretch(1);
    connect(Button7, &QPushButton::clicked, this, guard([this] { setPassword(); }));
}

void TFormChild::attach(TDMSetup* setup) {
    Dataset* row = setup->adoqry_setuppay;
    bindLineEdit(DBEdit_UserName, row, QStringLiteral("user_name"));
    bindLineEdit(DBEdit_UserNameE, row, QStringLiteral("user_name_e"));
    bindLineEdit(DBEdit_UserNameS, row, QStringLiteral("user_name_s"));
    bindLineEdit(DBEdit_UserTele, row, QStringLiteral("user_tele"));
    // The venue's name and telephone are typed in upper case.
    for (QLineEdit* e : {DBEdit_UserName, DBEdit_UserTele})
        upperCaseEntry(e);
}

void TFormChild::setPassword() {
    if (!setSystemPassword(main_->db(), Edit10->text())) {
        prompter().information(QStringLiteral("系统管理密码不能为空！"));
        throw SilentAbort();
    }
    prompter().information(QStringLiteral("系统密码已更改完毕!"));
}

} // namespace kx::backoffice
