#pragma once
// What the two programs' main windows do alike: lending a screen panel to a host, placing the
// window on the screen, the too-small screen, and the help page.
class QLabel;
class QLineEdit;
class QMainWindow;
class QObject;
class QStatusBar;
class QTimer;
class QString;
class QWidget;

namespace kx {

// Lends `panel` to `host`: the host becomes its parent, it moves to the host's top left (and
// takes the host's size where the host has no layout), shows in front, and every other panel of
// the host (a widget with the property "isPanel") hides.
void showPanel(QWidget* panel, QWidget* host);

// A main window's frame: title, system menu and minimise button only, not resizable.
void fixMainWindowFrame(QMainWindow* window);

// The status bar of a main window with four sunken panels of the given widths (0: the panel
// takes the rest of the bar, reaching its edge); the first panel's text aligned `firstAlignment`,
// the others centred. The panels are put into `panels`.
QStatusBar* addStatusPanels(QMainWindow* window, const int (&widths)[4], int firstAlignment, QLabel* (&panels)[4]);

// The status bar's clock: `panel` shows the date and time from the program clock now and every
// second after. The timer ("Timer1") belongs to `owner`.
QTimer* startStatusClock(QLabel* panel, QObject* owner);

// Centres a main window on the screen; on an 800-pixel-wide screen it goes to the top left.
void placeMainWindow(QWidget* window);

// A 640-pixel-wide screen, on which neither program runs.
bool screenTooSmall();

// Opens the help page beside the program (kxhelp.html) through the modal host.
void showHelp();

// An edit of a login panel: it takes no "%" and no "*"; a password edit shows "#" for every
// character.
QLineEdit* loginEdit(const QString& name, QWidget* parent, bool password);

} // namespace kx
