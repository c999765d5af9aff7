#pragma once
// The holder of every back-office screen: a form never shown, whose panels the main window
// lends to its hosts — the four navigation trees and the screens.
#include <QWidget>

class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace kx::db {
class Dataset;
}

namespace kx::backoffice {

class TFormSMain;
class TDMSetup;

class TFormChild : public QWidget {
    Q_OBJECT
  public:
    explicit TFormChild(TFormSMain* main);
    ~TFormChild() override;

    // The venue identity screen's bindings and its password button; called once the data
    // modules exist.
    void attach(TDMSetup* setup);

    // The second transient query of the connection (the stock account screens use it).
    db::Dataset* PanelQuery = nullptr;

    // The four trees and their panels.
    QWidget* pnl_SysSetup;
    QTreeWidget* tv_Setup;
    QWidget* pnl_SysManage;
    QTreeWidget* tv_SysManage;
    QWidget* pnl_store;
    QTreeWidget* tv_Store;
    QWidget* pnl_user;
    QTreeWidget* tv_user;

    // The venue identity screen.
    QWidget* pnl_register;
    QLineEdit* DBEdit_UserName;  // 用户名称 (user_name)
    QLineEdit* DBEdit_UserNameE; // 英文名称 (user_name_e)
    QLineEdit* DBEdit_UserNameS; // 用户简称 (user_name_s)
    QLineEdit* DBEdit_UserTele;  // 营业电话 (user_tele)
    QLineEdit* Edit10;           // 系统管理密码
    QPushButton* Button7;        // 确定

    // The leaf of a tree with this caption.
    static QTreeWidgetItem* leaf(QTreeWidget* tree, const QString& caption);

  private:
    QWidget* treePanel(const QString& panelName, const QString& treeName, QTreeWidget** tree,
                       const std::vector<std::pair<QString, QStringList>>& nodes);
    void buildRegister();
    void setPassword();

    TFormSMain* main_;
};

} // namespace kx::backoffice
