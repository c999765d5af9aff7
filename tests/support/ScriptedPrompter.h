#pragma once
// Test stand-ins for the message boxes and modal windows: they record what the program showed
// and answer from a script, so no test ever blocks on a window.
#include "Prompter.h"
#include "QtPrinters.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <initializer_list>

namespace kx::test {

// Installs itself for its lifetime (and puts back what was installed before).
class ScriptedPrompter : public Prompter {
  public:
    struct Box {
        QString kind; // "information", "question" or "error"
        QString text;
        QString caption;
        bool yesIsDefault = false; // questions only
        bool operator==(const Box&) const = default;
    };

    ScriptedPrompter();
    ~ScriptedPrompter() override;
    ScriptedPrompter(const ScriptedPrompter&) = delete;
    ScriptedPrompter& operator=(const ScriptedPrompter&) = delete;

    // Queues the answers of the next questions (true = Yes).
    void answer(bool yes);
    void answers(std::initializer_list<bool> yes);
    // Questions beyond the queued answers are answered Yes (for tests of what follows them).
    void answerYesBeyondScript(bool on) { yesBeyondScript_ = on; }
    // Questions asked with no answer queued (they were answered No).
    int unanswered() const { return unanswered_; }
    int pendingAnswers() const { return int(answers_.size()); }
    // Runs for every box as it is shown (e.g. to look at the screen behind a question).
    void onBox(std::function<void(const Box&)> hook) { hook_ = std::move(hook); }

    const QList<Box>& boxes() const { return boxes_; }
    QStringList texts() const;
    QStringList kinds() const;
    // The last box; an empty one when none was shown.
    Box last() const { return boxes_.isEmpty() ? Box{} : boxes_.last(); }
    void clear();

    void information(const QString& text) override;
    bool question(const QString& text) override;
    void error(const QString& text) override;
    bool questionDefaultYes(const QString& text) override;
    void informationCaptioned(const QString& caption, const QString& text) override;

  private:
    bool ask(const QString& text, bool yesIsDefault);
    void record(Box box);

    Prompter* previous_;
    QList<Box> boxes_;
    std::deque<bool> answers_;
    int unanswered_ = 0;
    bool yesBeyondScript_ = false;
    std::function<void(const Box&)> hook_;
};

// Installs itself for its lifetime. Dialogs are recorded and answered from the queue of results
// (or handlers, which can look at or fill the dialog); file choosers and documents likewise.
// With nothing queued a dialog is rejected and a file chooser cancelled.
class ScriptedModalHost : public ModalHost {
  public:
    struct Shown {
        QString kind;       // "dialog", "open", "save" or "document"
        QString title;      // window title or chooser caption; the path for a document
        QString className;  // of a dialog
        QString objectName; // of a dialog
    };

    ScriptedModalHost();
    ~ScriptedModalHost() override;
    ScriptedModalHost(const ScriptedModalHost&) = delete;
    ScriptedModalHost& operator=(const ScriptedModalHost&) = delete;

    void result(int dialogResult);
    void handle(std::function<int(QDialog*)> handler);
    void fileName(const QString& path);

    const QList<Shown>& shown() const { return shown_; }
    int unanswered() const { return unanswered_; }
    void clear();

    int exec(QDialog* dialog) override;
    QString openFileName(QWidget* parent, const QString& caption, const QString& dir,
                         const QString& filter) override;
    QString saveFileName(QWidget* parent, const QString& caption, const QString& dir,
                         const QString& filter) override;
    bool openDocument(const QString& path) override;

  private:
    QString nextFileName();

    ModalHost* previous_;
    QList<Shown> shown_;
    std::deque<std::function<int(QDialog*)>> dialogs_;
    std::deque<QString> fileNames_;
    int unanswered_ = 0;
    bool yesBeyondScript_ = false;
};

} // namespace kx::test
