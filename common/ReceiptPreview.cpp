#include "ReceiptPreview.h"

#include "Prompter.h"

#include <QAction>
#include <QDialog>
#include <QKeySequence>
#include <QPainter>
#include <QScrollArea>
#include <QToolBar>
#include <QVBoxLayout>

#include <cmath>

namespace kx {

namespace {

constexpr double kLineCells = 2.5; // a line's height in columns: a 12 × 24 dot font on 30 dots
constexpr double kMarginMm = 4;    // above and below the lines on the paper
constexpr double kScreenCell = 10; // one column on the screen, in pixels

QFont receiptFont(double cell, const ReceiptStyle& style) {
    QFont f(QStringLiteral("Noto Sans Mono CJK SC"));
    f.setStyleHint(QFont::Monospace);
    // A Chinese character fills two columns, a digit one.
    f.setPixelSize(std::max(1, int(std::lround(cell * (style.large ? 3.7 : 1.85)))));
    f.setBold(style.bold);
    return f;
}

// One page holding the whole receipt.
class ReceiptContent : public PaintedContent {
  public:
    explicit ReceiptContent(Receipt receipt) : receipt_(std::move(receipt)) {}

    class OnePage : public Pages {
      public:
        OnePage(const Receipt& r, double cell) : receipt_(r), cell_(cell) {}
        int count() const override { return 1; }
        void paint(QPainter& painter, int) const override {
            paintReceipt(painter, receipt_, QPointF(0, 0), cell_);
        }

      private:
        const Receipt& receipt_;
        double cell_;
    };

    std::unique_ptr<Pages> paginate(QPaintDevice*, const QSizeF& body) const override {
        return std::make_unique<OnePage>(receipt_, body.width() / receipt_.columns());
    }
    QString plainText() const override { return receipt_.plainText(); }

  private:
    Receipt receipt_;
};

} // namespace

double printableMm(int paperMm) {
    return paperMm <= 58 ? 48.0 : 72.0;
}

void paintReceipt(QPainter& painter, const Receipt& receipt, const QPointF& topLeft, double cell) {
    painter.save();
    painter.setPen(Qt::black);
    double y = topLeft.y();
    for (const ReceiptLine& line : receipt.lines()) {
        const double scale = line.style.large ? 2 : 1;
        const double height = kLineCells * cell * scale;
        painter.setFont(receiptFont(cell, line.style));
        const QFontMetricsF metrics(painter.font());
        // The glyphs sit low in the line, as the printer's do.
        const double baseline = y + (height + metrics.ascent() - metrics.descent()) / 2;
        double x = topLeft.x();
        for (const PrintedChar& c : printedChars(receipt.placed(line))) {
            const double width = c.width * cell * scale;
            if (c.text != QLatin1String(" ")) {
                // Centred in its columns, whatever the font's own advance.
                const double advance = metrics.horizontalAdvance(c.text);
                painter.drawText(QPointF(x + (width - advance) / 2, baseline), c.text);
            }
            x += width;
        }
        y += height;
    }
    painter.restore();
}

double receiptHeight(const Receipt& receipt, double cell) {
    double h = 0;
    for (const ReceiptLine& line : receipt.lines())
        h += kLineCells * cell * (line.style.large ? 2 : 1);
    return h;
}

ReportDocument receiptDocument(const Receipt& receipt, int paperMm) {
    const double body = printableMm(paperMm);
    const double side = (paperMm - body) / 2;
    const double height = receiptHeight(receipt, body / receipt.columns()) + 2 * kMarginMm;
    ReportDocument doc(receipt.title());
    doc.setPage(QPageSize(QSizeF(paperMm, std::max(height, 20.0)), QPageSize::Millimeter, receipt.title()),
                QMarginsF(side, kMarginMm, side, kMarginMm));
    doc.setContent(std::make_shared<ReceiptContent>(receipt));
    return doc;
}

ReceiptView::ReceiptView(const Receipt& receipt, int paperMm, QWidget* parent)
    : QWidget(parent), receipt_(receipt), paperMm_(paperMm) {
    setObjectName(QStringLiteral("ReceiptPaper"));
    setFixedSize(sizeHint());
}

double ReceiptView::cell() const {
    // The screen's columns keep the paper's proportions: the printable part of an 80 mm roll
    // at 48 columns, 10 pixels each.
    return kScreenCell * (printableMm(paperMm_) / 72.0) * 48.0 / receipt_.columns();
}

QSize ReceiptView::sizeHint() const {
    const double paper = cell() * receipt_.columns() * paperMm_ / printableMm(paperMm_);
    const double margin = kMarginMm / printableMm(paperMm_) * receipt_.columns() * cell();
    return QSize(int(std::ceil(paper)), int(std::ceil(receiptHeight(receipt_, cell()) + 2 * margin)));
}

void ReceiptView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    p.setPen(QColor(200, 200, 200));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    const double side = (width() - cell() * receipt_.columns()) / 2;
    const double margin = kMarginMm / printableMm(paperMm_) * receipt_.columns() * cell();
    paintReceipt(p, receipt_, QPointF(side, margin), cell());
}

ReceiptPreviewResult previewReceipt(const Receipt& receipt, int paperMm, const std::function<bool()>& print,
                                    QWidget* parent) {
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("ReceiptPreview"));
    dialog.setWindowTitle(receipt.title().isEmpty() ? QStringLiteral("打印预览") : receipt.title());
    auto* layout = new QVBoxLayout(&dialog);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* bar = new QToolBar(&dialog);
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    layout->addWidget(bar);
    auto* scroll = new QScrollArea(&dialog);
    scroll->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    scroll->setBackgroundRole(QPalette::Dark);
    auto* paper = new ReceiptView(receipt, paperMm);
    scroll->setWidget(paper);
    layout->addWidget(scroll);

    ReceiptPreviewResult result = ReceiptPreviewResult::Closed;
    QAction* printAction = bar->addAction(QStringLiteral("打印"));
    printAction->setObjectName(QStringLiteral("actionPrint"));
    printAction->setShortcut(QKeySequence::Print);
    QObject::connect(printAction, &QAction::triggered, &dialog, [&] {
        if (!print || !print()) return;
        result = ReceiptPreviewResult::Printed;
        dialog.accept();
    });
    QAction* save = bar->addAction(QStringLiteral("保存PDF"));
    save->setObjectName(QStringLiteral("actionSavePdf"));
    QObject::connect(save, &QAction::triggered, &dialog, [&] {
        const QString name = receipt.title().isEmpty() ? QStringLiteral("receipt") : receipt.title();
        const QString path = modalHost().saveFileName(
            &dialog, QStringLiteral("保存PDF"), name + QStringLiteral(".pdf"), QStringLiteral("PDF (*.pdf)"));
        if (path.isEmpty()) return;
        if (!receiptDocument(receipt, paperMm).savePdf(path)) {
            prompter().information(QStringLiteral("文件[") + path + QStringLiteral("]不能写入！"));
            return;
        }
        result = ReceiptPreviewResult::Saved;
        dialog.accept();
    });
    QAction* close = bar->addAction(QStringLiteral("关闭"));
    close->setObjectName(QStringLiteral("actionClose"));
    QObject::connect(close, &QAction::triggered, &dialog, &QDialog::reject);

    dialog.resize(paper->width() + 60, std::min(paper->height() + bar->sizeHint().height() + 40, 720));
    modalHost().exec(&dialog);
    return result;
}

} // namespace kx
