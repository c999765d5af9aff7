#pragma once
// The back office's entry: the refusals beside a running program, the splash, the main window,
// the panel holder and the two data modules, then the main window until it closes.
#include <QString>
#include <memory>

namespace kx::backoffice {

class TDMManage;
class TDMSetup;
class TFormChild;
class TFormSMain;

// The program's four long-lived objects, made in the entry's order (the main window opens the
// connection) and freed in the order the connection needs.
struct BackOfficeParts {
    explicit BackOfficeParts(const QString& databaseFile);
    ~BackOfficeParts();
    BackOfficeParts(const BackOfficeParts&) = delete;
    BackOfficeParts& operator=(const BackOfficeParts&) = delete;

    std::unique_ptr<TFormSMain> main;
    std::unique_ptr<TFormChild> child;
    std::unique_ptr<TDMManage> manage;
    std::unique_ptr<TDMSetup> setup;
};

// True (after its notice) when a front desk or another back office runs.
bool refuseEntry();
int runBackOffice(int argc, char** argv);

} // namespace kx::backoffice
