#include "ReportDocument.h"

#include "Prompter.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QBuffer>
#include <QPrinterInfo>
#include <cmath>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QScreen>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTextDocument>
#include <QToolBar>

namespace kx {

QFont ReportDocument::defaultFont() {
    QFont f(QStringLiteral("Noto Sans CJK SC"));
    f.setPointSizeF(10);
    f.setStyleHint(QFont::SansSerif);
    return f;
}

ReportDocument::ReportDocument(const QString& title)
    : title_(title), layout_(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(10, 10, 10, 10),
                             QPageLayout::Millimeter) {}

void ReportDocument::setPage(const QPageSize& size, const QMarginsF& marginsMm, QPageLayout::Orientation orientation) {
    layout_ = QPageLayout(size, orientation, marginsMm, QPageLayout::Millimeter);
}

std::unique_ptr<QTextDocument> ReportDocument::build() const {
    auto doc = std::make_unique<QTextDocument>();
    doc->setDocumentMargin(0);
    doc->setDefaultFont(defaultFont());
    doc->setHtml(html_);
    return doc;
}

QString ReportDocument::toPlainText() const { return content_ ? content_->plainText() : build()->toPlainText(); }

void ReportDocument::fitPageToContent() {
    if (content_) return;
    const QMarginsF margins = layout_.margins(QPageLayout::Millimeter);
    const QSizeF page = layout_.pageSize().size(QPageSize::Millimeter);
    const double widthMm = page.width() - margins.left() - margins.right();
    if (widthMm <= 0) return;
    // Laid out as a PDF of the same width lays it out, at its resolution.
    QBuffer sink;
    sink.open(QIODevice::WriteOnly);
    QPdfWriter writer(&sink);
    constexpr int dpi = 1200;
    writer.setResolution(dpi);
    auto doc = std::make_unique<QTextDocument>();
    doc->documentLayout()->setPaintDevice(&writer);
    doc->setDocumentMargin(0);
    doc->setDefaultFont(defaultFont());
    doc->setHtml(html_);
    doc->setTextWidth(widthMm / 25.4 * dpi);
    const double contentMm = doc->size().height() / dpi * 25.4;
    // A little room below, so the last line is never cut by rounding.
    const double heightMm = std::ceil(contentMm + margins.top() + margins.bottom() + 2);
    layout_ = QPageLayout(QPageSize(QSizeF(page.width(), heightMm), QPageSize::Millimeter, layout_.pageSize().name()),
                          layout_.orientation(), margins, QPageLayout::Millimeter);
}

namespace {

// Numbers page `index` of `pages` in the bottom margin below a body of `body` pixels.
void numberPage(QPainter& painter, QPaintDevice* device, const QRect& body, int index, int pages) {
    QFont footFont = ReportDocument::defaultFont();
    footFont.setPointSizeF(8);
    painter.save();
    painter.setFont(footFont);
    const double line = QFontMetricsF(footFont, device).height();
    painter.drawText(QRectF(0, body.height() + line * 0.3, body.width(), line), Qt::AlignHCenter | Qt::AlignTop,
                     QStringLiteral("第%1页 / 共%2页").arg(index + 1).arg(pages));
    painter.restore();
}

} // namespace

int ReportDocument::render(QPagedPaintDevice* device) const {
    const QRect body = device->pageLayout().paintRectPixels(device->logicalDpiX());
    if (body.isEmpty()) return 0;
    if (content_) {
        const std::unique_ptr<PaintedContent::Pages> laid = content_->paginate(device, QSizeF(body.size()));
        QPainter painter(device);
        if (!painter.isActive()) return 0;
        const int pages = laid->count();
        for (int i = 0; i < pages; ++i) {
            if (i > 0) device->newPage();
            painter.save();
            laid->paint(painter, i);
            painter.restore();
            if (pages > 1) numberPage(painter, device, body, i, pages);
        }
        return pages;
    }

    auto doc = std::make_unique<QTextDocument>();
    // Laid out for the device, so that sizes in points come out as points on paper.
    doc->documentLayout()->setPaintDevice(device);
    doc->setDocumentMargin(0);
    doc->setDefaultFont(defaultFont());
    doc->setHtml(html_);
    doc->setPageSize(QSizeF(body.size()));

    QPainter painter(device);
    if (!painter.isActive()) return 0;
    const int pages = doc->pageCount();
    for (int i = 0; i < pages; ++i) {
        if (i > 0) device->newPage();
        const QRectF page(0, double(i) * body.height(), body.width(), body.height());
        painter.save();
        painter.translate(0, -page.top());
        doc->drawContents(&painter, page);
        painter.restore();
        // A document of several pages numbers them in the bottom margin.
        if (pages > 1) numberPage(painter, device, body, i, pages);
    }
    return pages;
}

void ReportDocument::print(QPrinter* printer) const {
    printer->setPageLayout(layout_);
    if (!title_.isEmpty()) printer->setDocName(title_);
    render(printer);
}

bool ReportDocument::savePdf(const QString& path) const {
    QPdfWriter writer(path);
    if (!title_.isEmpty()) writer.setTitle(title_);
    writer.setCreator(QStringLiteral("Kestrix"));
    writer.setPageLayout(layout_);
    return render(&writer) > 0;
}

bool ReportDocument::preview(QWidget* parent) const {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(layout_);
    if (!title_.isEmpty()) printer.setDocName(title_);
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setObjectName(QStringLiteral("ReportPreview"));
    dialog.setWindowTitle(title_.isEmpty() ? QStringLiteral("打印预览") : title_);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [this](QPrinter* p) { render(p); });

    bool saved = false;
    if (auto* bar = dialog.findChild<QToolBar*>()) {
        bar->addSeparator();
        QAction* save = bar->addAction(QStringLiteral("保存PDF"));
        save->setObjectName(QStringLiteral("actionSavePdf"));
        QObject::connect(save, &QAction::triggered, &dialog, [this, &dialog, &saved] {
            const QString name = title_.isEmpty() ? QStringLiteral("document") : title_;
            const QString path = modalHost().saveFileName(&dialog, QStringLiteral("保存PDF"), name + QStringLiteral(".pdf"),
                                                          QStringLiteral("PDF (*.pdf)"));
            if (path.isEmpty()) return;
            if (!savePdf(path)) {
                prompter().information(QStringLiteral("文件[") + path + QStringLiteral("]不能写入！"));
                return;
            }
            saved = true;
            dialog.accept();
        });
    }
    // Wide enough for the whole toolbar, the save button at its end included.
    QSize size(960, 720);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableSize() - QSize(40, 60));
    dialog.resize(size);
    const int result = modalHost().exec(&dialog);
    return saved || result == QDialog::Accepted;
}

QString ReportDocument::escape(const QString& text) { return text.toHtmlEscaped(); }

bool ReportDocument::printToDefaultPrinter() const {
    PrintOutput& out = printOutput();
    if (!out.hasPrinter()) return false;
    return out.print(*this);
}

bool PrintOutput::hasPrinter() { return !QPrinterInfo::defaultPrinter().isNull(); }

bool PrintOutput::print(const ReportDocument& document) {
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull()) return false;
    QPrinter printer(info, QPrinter::HighResolution);
    document.print(&printer);
    return true;
}

namespace {
PrintOutput realOutput;
PrintOutput* installedOutput = nullptr;
} // namespace

PrintOutput& printOutput() { return installedOutput ? *installedOutput : realOutput; }
void installPrintOutput(PrintOutput* o) { installedOutput = o; }

} // namespace kx
