#include "Prompter.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QUrl>

namespace kx {

const QString ProductTitle = QStringLiteral("Kestrix餐饮娱乐管理系统 9.0版");
const QString SeriesTitle = QStringLiteral("Kestrix餐饮管理系列");

namespace {

class MessageBoxPrompter final : public Prompter {
  public:
    void information(const QString& text) override { informationCaptioned(ProductTitle, text); }
    void informationCaptioned(const QString& caption, const QString& text) override {
        show(QMessageBox::Information, caption, text, QMessageBox::Ok, QMessageBox::Ok);
    }
    bool question(const QString& text) override { return ask(text, QMessageBox::No); }
    bool questionDefaultYes(const QString& text) override { return ask(text, QMessageBox::Yes); }
    void error(const QString& text) override {
        show(QMessageBox::Critical, ProductTitle, text, QMessageBox::Ok, QMessageBox::Ok);
    }

  private:
    // The box centres on, and blocks, the window the user works in; its buttons speak Chinese
    // ("是(Y)", "否(N)", "确定"), with Y and N as their keys.
    static int show(QMessageBox::Icon icon, const QString& caption, const QString& text,
                    QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton) {
        QMessageBox box(icon, caption, text, buttons, QApplication::activeWindow());
        if (QAbstractButton* b = box.button(QMessageBox::Yes)) b->setText(QStringLiteral("是(&Y)"));
        if (QAbstractButton* b = box.button(QMessageBox::No)) b->setText(QStringLiteral("否(&N)"));
        if (QAbstractButton* b = box.button(QMessageBox::Ok)) b->setText(QStringLiteral("确定"));
        box.setDefaultButton(defaultButton);
        return box.exec();
    }
    static bool ask(const QString& text, QMessageBox::StandardButton defaultButton) {
        return show(QMessageBox::Question, ProductTitle, text, QMessageBox::Yes | QMessageBox::No, defaultButton) ==
               QMessageBox::Yes;
    }
};

MessageBoxPrompter& defaultPrompter() {
    static MessageBoxPrompter p;
    return p;
}
Prompter* installedPrompter = nullptr;

ModalHost& defaultModalHost() {
    static ModalHost h;
    return h;
}
ModalHost* installedHost = nullptr;

} // namespace

Prompter& prompter() {
    return installedPrompter ? *installedPrompter : defaultPrompter();
}
void installPrompter(Prompter* p) {
    installedPrompter = p;
}

int ModalHost::exec(QDialog* dialog) {
    return dialog->exec();
}

QString ModalHost::openFileName(QWidget* parent, const QString& caption, const QString& dir,
                                const QString& filter) {
    return QFileDialog::getOpenFileName(parent, caption, dir, filter);
}

QString ModalHost::saveFileName(QWidget* parent, const QString& caption, const QString& dir,
                                const QString& filter) {
    return QFileDialog::getSaveFileName(parent, caption, dir, filter);
}

bool ModalHost::openDocument(const QString& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

ModalHost& modalHost() {
    return installedHost ? *installedHost : defaultModalHost();
}
void installModalHost(ModalHost* h) {
    installedHost = h;
}

} // namespace kx
