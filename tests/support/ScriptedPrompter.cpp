#include "ScriptedPrompter.h"

#include <QDialog>

namespace kx::test {

ScriptedPrompter::ScriptedPrompter() : previous_(&prompter()) {
    installPrompter(this);
}

ScriptedPrompter::~ScriptedPrompter() {
    // The message-box prompter is what `prompter()` gives when nothing is installed.
    installPrompter(nullptr);
    if (previous_ != &prompter()) installPrompter(previous_);
}

void ScriptedPrompter::answer(bool yes) {
    answers_.push_back(yes);
}

void ScriptedPrompter::answers(std::initializer_list<bool> yes) {
    answers_.insert(answers_.end(), yes.begin(), yes.end());
}

QStringList ScriptedPrompter::texts() const {
    QStringList out;
    for (const Box& b : boxes_)
        out << b.text;
    return out;
}

QStringList ScriptedPrompter::kinds() const {
    QStringList out;
    for (const Box& b : boxes_)
        out << b.kind;
    return out;
}

void ScriptedPrompter::clear() {
    boxes_.clear();
    answers_.clear();
    unanswered_ = 0;
}

void ScriptedPrompter::record(Box box) {
    boxes_.append(box);
    if (hook_) hook_(box);
}

void ScriptedPrompter::information(const QString& text) {
    record({QStringLiteral("information"), text, ProductTitle});
}

void ScriptedPrompter::informationCaptioned(const QString& caption, const QString& text) {
    record({QStringLiteral("information"), text, caption});
}

void ScriptedPrompter::error(const QString& text) {
    record({QStringLiteral("error"), text, ProductTitle});
}

bool ScriptedPrompter::question(const QString& text) {
    return ask(text, false);
}

bool ScriptedPrompter::questionDefaultYes(const QString& text) {
    return ask(text, true);
}

bool ScriptedPrompter::ask(const QString& text, bool yesIsDefault) {
    record({QStringLiteral("question"), text, ProductTitle, yesIsDefault});
    if (answers_.empty()) {
        if (yesBeyondScript_) return true;
        ++unanswered_;
        return false;
    }
    const bool yes = answers_.front();
    answers_.pop_front();
    return yes;
}

ScriptedModalHost::ScriptedModalHost() : previous_(&modalHost()) {
    installModalHost(this);
}

ScriptedModalHost::~ScriptedModalHost() {
    installModalHost(nullptr);
    if (previous_ != &modalHost()) installModalHost(previous_);
}

void ScriptedModalHost::result(int dialogResult) {
    dialogs_.push_back([dialogResult](QDialog*) { return dialogResult; });
}

void ScriptedModalHost::handle(std::function<int(QDialog*)> handler) {
    dialogs_.push_back(std::move(handler));
}

void ScriptedModalHost::fileName(const QString& path) {
    fileNames_.push_back(path);
}

void ScriptedModalHost::clear() {
    shown_.clear();
    dialogs_.clear();
    fileNames_.clear();
    unanswered_ = 0;
}

int ScriptedModalHost::exec(QDialog* dialog) {
    shown_.append({QStringLiteral("dialog"), dialog->windowTitle(),
                   QString::fromLatin1(dialog->metaObject()->className()), dialog->objectName()});
    if (dialogs_.empty()) {
        ++unanswered_;
        return QDialog::Rejected;
    }
    auto handler = std::move(dialogs_.front());
    dialogs_.pop_front();
    return handler(dialog);
}

QString ScriptedModalHost::nextFileName() {
    if (fileNames_.empty()) {
        ++unanswered_;
        return {};
    }
    const QString path = fileNames_.front();
    fileNames_.pop_front();
    return path;
}

QString ScriptedModalHost::openFileName(QWidget*, const QString& caption, const QString&, const QString&) {
    shown_.append({QStringLiteral("open"), caption, {}, {}});
    return nextFileName();
}

QString ScriptedModalHost::saveFileName(QWidget*, const QString& caption, const QString&, const QString&) {
    shown_.append({QStringLiteral("save"), caption, {}, {}});
    return nextFileName();
}

bool ScriptedModalHost::openDocument(const QString& path) {
    shown_.append({QStringLiteral("document"), path, {}, {}});
    return true;
}

} // namespace kx::test
