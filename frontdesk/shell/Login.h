#pragma once
// Login with a shift, the password change and logging out ("重新登录").
#include <QObject>

namespace kx::frontdesk {

class TDMTable;
class TFormWMain;
class TFormWork;

class Login : public QObject {
    Q_OBJECT
public:
    Login(TFormWMain* main, TFormWork* work, TDMTable* dm);

    // "确定" on the login panel (or Enter in the password edit).
    void logIn();
    // The small button beside the operator edit: opens the password panel.
    void openPasswordPanel();
    // "确定" on the password panel.
    void changePassword();
    // "重新登录": back to the login panel.
    void logOut();

private:
    // Finds the operator by code and password; leaves adoqry_Operator on that row.
    bool findOperator(const QString& code, const QString& password);

    TFormWMain* main_;
    TFormWork* work_;
    TDMTable* dm_;
};

} // namespace kx::frontdesk
