#pragma once
// The back office's entry: the refusals beside a running program, the splash, the main window,
// the panel holder and the two data modules, then the main window until it closes.
namespace kx::backoffice {

// True (after its notice) when a front desk or another back office runs.
bool refuseEntry();
int runBackOffice(int argc, char** argv);

} // namespace kx::backoffice
