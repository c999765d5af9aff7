#pragma once
// The back office's main window: the tree host on the left, the record toolbar above the screen
// host, the status bar and the menu; the login with the automatic day roll, the navigation
// trees' routing, the permission check and the exit.
#include "CandidateList.h"
#include "Connection.h"
#include "Dataset.h"

#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <map>
#include <memory>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QStatusBar;
class QTimer;
class QToolBar;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace kx::backoffice {

using db::Dataset;

class TFormChild;
class TDMManage;

// The product's name as the questions before leaving or clearing name it.
extern const QString kProductTitle;
class TDMSetup;

class TFormSMain : public QMainWindow {
    Q_OBJECT
  public:
    // Opens the connection (a new file gets the schema and the sample venue) and builds the
    // window with its login panel in front.
    explicit TFormSMain(const QString& databaseFile, QWidget* parent = nullptr);
    ~TFormSMain() override;

    void attach(TFormChild* child, TDMManage* manage, TDMSetup* setup);

    QSqlDatabase db() const { return ADOConnection1.db(); }

    // How the window closes: 0 asks the exit question, 1 tells the data was processed, 2 closes.
    int ExitMode = 0;
    // The dataset the record toolbar acts on; none (nullptr) after a refused permission.
    Dataset* CurrentDataset = nullptr;
    // The operator logged in, and the role whose permissions are checked.
    QString OperatorName;
    QString OperatorCode;
    QString RoleCode;
    bool LoggedIn = false;

    // Lends a panel to a host (pnl_Parent for screens, pnl_TreeView for trees).
    void ShowPanel(QWidget* panel, QWidget* host);
    // The permission check; on a refusal the screen host hides, the toolbar is disabled and
    // there is no current dataset.
    bool Limite(const QString& code);
    void logSet(const QString& text);

    // A screen for a tree leaf, registered by the screen's own code: its panel, its dataset (may
    // be none) and the steps it takes after being shown, told the dataset that was current
    // before.
    struct Screen {
        QWidget* panel = nullptr;
        Dataset* dataset = nullptr;
        std::function<void(Dataset* before)> shown;
    };
    void registerScreen(const QString& leafCaption, Screen screen);

    // The record toolbar on CurrentDataset.
    void addRecord();    // "增加"
    void deleteRecord(); // "删除"
    void cancelRecord(); // "取消"
    void saveRecord();   // "保存"
    void backToMaster(); // "回退": the back action a detail screen registered for its dataset
    // A detail screen's way back to its master, run by "回退" while its dataset is current.
    void registerBack(Dataset* detail, std::function<void()> back);
    // Leaves the detail screen on show (if any) as "回退" does: a tree click, a menu command and
    // the closing of the program finish its work the same way.
    void leaveDetail();
    // The commands the stock screens bring: "查询", "执行", "库存调整", and the save of a dataset
    // that "保存" hands over instead of posting it. Until set, their buttons do nothing.
    void setCommand(QToolButton* button, std::function<void()> command);
    void setSaveOf(Dataset* ds, std::function<void()> save);
    // Shows "回退" and hides the given buttons: a detail screen entered from its master.
    void enterDetail(std::initializer_list<QToolButton*> hidden);
    // A toolbar button usable or not (it stays so when it is shown or hidden later).
    void setButtonEnabled(QToolButton* button, bool on);
    // Which toolbar buttons show, by name of the button.
    void showButtons(std::initializer_list<QToolButton*> visible, std::initializer_list<QToolButton*> hidden);
    // Shows a screen in the host with the dataset the toolbar acts on (none: the record
    // commands are disabled).
    void makeCurrent(QWidget* panel, Dataset* dataset);

    // The four menu commands.
    void openSetupTree();
    void openManageTree();
    void openStoreTree();
    void openSystemTree();
    // A click on a node of one of the trees.
    void treeClicked(QTreeWidget* tree, QTreeWidgetItem* node);
    // "确定" of the login panel.
    void logIn();
    // Runs the day roll when it is due (work_auto on, the day not ended today); true if rolled.
    bool rollDayIfDue();

    db::Connection ADOConnection1;
    Dataset* ScratchQuery = nullptr;
    // The candidates of the detail screen on show.
    TempSource* ds_Temp = nullptr;

    QWidget* pnl_TreeView;
    QWidget* Panel2;
    QToolBar* ToolBar1;
    QToolButton* toolb_Add;
    QToolButton* toolb_Del;
    QToolButton* toolb_Cancel;
    QToolButton* toolb_Save;
    QToolButton* toolb_run;
    QToolButton* toolb_store;
    QToolButton* toolb_Back;
    QToolButton* toolb_Search;
    QToolButton* toolb_Help;
    QWidget* pnl_Parent;
    QLabel* lbl_Build;
    QWidget* pnl_login;
    QLineEdit* editoper;
    QLineEdit* editpass;
    QPushButton* SpeedButton9;
    QPushButton* SpeedButton10;
    QStatusBar* StatusBar1;
    QLabel* statusPanel[4];
    QTimer* Timer1;
    QMenu* N1;
    QAction* N3;
    QAction* N4;
    QMenu* N7;
    QAction* N8;
    QMenu* N9;
    QAction* N10;
    QMenu* N2;
    QAction* N5;
    QAction* N6;

  protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

  private:
    void buildToolbar();
    void buildMenu();
    void buildLogin();
    void buildStatus();
    void firstShow();
    void setRecordCommandsEnabled(bool on);
    // The screen host shown and the toolbar usable, as a granted permission leaves them.
    void showScreenHost();
    void routeLeaf(QTreeWidget* tree, const QString& caption);
    // The toolbar change a leaf makes once its permission is granted.
    void leafToolbar(const QString& caption);
    // The post of the current screen's half-edited row before another screen shows; a refused
    // post is cancelled after its message.
    void settleCurrentRow();
    void closeSilently();

    TFormChild* child_ = nullptr;
    TDMManage* manage_ = nullptr;
    TDMSetup* setup_ = nullptr;
    std::map<QString, Screen> screens_;
    std::map<Dataset*, std::function<void()>> backs_;
    std::map<Dataset*, std::function<void()>> saves_;
    std::map<QToolButton*, std::function<void()>> commands_;
    bool shown_ = false;
    bool closed_ = false;
};

} // namespace kx::backoffice
