#pragma once
// Every message box and every other modal window of both programs opens through here, so a
// test can install its own answers and never blocks on a window.
#include <QString>

class QDialog;
class QWidget;

namespace kx {

// The caption of every message box.
extern const QString ProductTitle;
// The caption a few catalogue refusals of the back office carry instead.
extern const QString SeriesTitle;

class Prompter {
  public:
    virtual ~Prompter() = default;
    // Information box with an OK button.
    virtual void information(const QString& text) = 0;
    // Yes/No box, No is the default button; true when the answer is Yes.
    virtual bool question(const QString& text) = 0;
    // Error box (the failure codes of transactions).
    virtual void error(const QString& text) = 0;

    // The rarer variants; a prompter that does not care treats them as the plain ones.
    // Yes/No box with Yes as the default button.
    virtual bool questionDefaultYes(const QString& text) { return question(text); }
    // Information box with another caption than ProductTitle.
    virtual void informationCaptioned(const QString& caption, const QString& text) {
        (void)caption;
        information(text);
    }
};

// The installed prompter; the message-box one unless a test installed another.
Prompter& prompter();
// Installs `p` (not owned); nullptr restores the message-box prompter.
void installPrompter(Prompter* p);

inline void inform(const QString& text) {
    prompter().information(text);
}
inline void inform(const QString& caption, const QString& text) {
    prompter().informationCaptioned(caption, text);
}
inline bool ask(const QString& text) {
    return prompter().question(text);
}
inline bool askDefaultYes(const QString& text) {
    return prompter().questionDefaultYes(text);
}
inline void fail(const QString& text) {
    prompter().error(text);
}

// Every other modal window: dialogs (print preview, print, our own), file choosers and
// documents opened with the desktop's default program.
class ModalHost {
  public:
    virtual ~ModalHost() = default;
    // Runs the dialog modally and returns its result (QDialog::Accepted / Rejected or done() code).
    virtual int exec(QDialog* dialog);
    // The chosen file, or an empty text when the user cancelled.
    virtual QString openFileName(QWidget* parent, const QString& caption, const QString& dir = {},
                                 const QString& filter = {});
    virtual QString saveFileName(QWidget* parent, const QString& caption, const QString& dir = {},
                                 const QString& filter = {});
    // Opens a document (the help file) with the desktop's program for it; false when none.
    virtual bool openDocument(const QString& path);
};

ModalHost& modalHost();
// Installs `h` (not owned); nullptr restores the one that opens windows for real.
void installModalHost(ModalHost* h);

} // namespace kx
