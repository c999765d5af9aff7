#pragma once
// Stands in for the system's default printer while it lives: keeps what is sent to it.
#include "ReportDocument.h"

#include <QPageLayout>
#include <QStringList>
#include <vector>

namespace kx::test {

// Takes what is sent to the default printer instead of a printer.
class CapturedPrints : public kx::PrintOutput {
public:
    CapturedPrints() { kx::installPrintOutput(this); }
    ~CapturedPrints() override { kx::installPrintOutput(nullptr); }
    bool hasPrinter() override { return printer; }
    bool print(const kx::ReportDocument& d) override {
        texts << d.toPlainText();
        html << d.html();
        pages.push_back(d.pageLayout());
        return true;
    }
    bool printer = true;
    QStringList texts;
    QStringList html;
    std::vector<QPageLayout> pages;
};

} // namespace kx::test
