#pragma once
// A receipt shown as it will print: the paper's width, every character in its columns (two for
// a Chinese character), in a monospace CJK font; the same drawing goes into a PDF.
#include "Receipt.h"
#include "ReportDocument.h"

#include <QWidget>

#include <functional>

class QPainter;

namespace kx {

// The width a receipt printer prints on a roll (58 mm paper: 48 mm, 80 mm paper: 72 mm).
double printableMm(int paperMm);

// Paints the receipt with its top left at `topLeft`, one column `cell` wide; a line is 2.5
// columns high, a line in double size twice that.
void paintReceipt(QPainter& painter, const Receipt& receipt, const QPointF& topLeft, double cell);
// The height the lines take at that column width.
double receiptHeight(const Receipt& receipt, double cell);

// The receipt as a document of one page, the paper's width and as long as its lines (for PDF).
ReportDocument receiptDocument(const Receipt& receipt, int paperMm);

// The paper of the preview.
class ReceiptView : public QWidget {
  public:
    ReceiptView(const Receipt& receipt, int paperMm, QWidget* parent = nullptr);
    QSize sizeHint() const override;
    double cell() const;

  protected:
    void paintEvent(QPaintEvent*) override;

  private:
    const Receipt& receipt_;
    int paperMm_;
};

enum class ReceiptPreviewResult { Closed, Printed, Saved };

// Shows the preview "ReceiptPreview" through the modal host, titled with the receipt's title:
// the paper, and the actions "打印" (runs `print`; the preview closes when it returns true),
// "保存PDF" (asks for a file and saves there) and "关闭".
ReceiptPreviewResult previewReceipt(const Receipt& receipt, int paperMm, const std::function<bool()>& print,
                                    QWidget* parent = nullptr);

} // namespace kx
