#pragma once

namespace kx::frontdesk {

// The front desk's program entry: refuses to start beside a running front desk or back office,
// shows the splash, creates the main window, the work form and the data module, and runs.
int runFrontDesk(int argc, char** argv);
// The entry check: true (after its message) when a front desk or the back office already runs.
bool refuseEntry();

} // namespace kx::frontdesk
