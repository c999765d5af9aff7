#pragma once
// A printed document of the programs (kitchen ticket, bill, reports): written as HTML, laid
// out on the pages of whatever it goes to, shown in a print preview, printed, or saved as PDF.
//
//   kx::ReportDocument doc(QStringLiteral("小票-后厨"));
//   doc.setPage(QPageSize(QSizeF(80, 200), QPageSize::Millimeter), QMarginsF(4, 4, 4, 4));
//   doc.setHtml(html);
//   if (doc.preview()) markAsPrinted();
#include <QFont>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QString>

#include <memory>

class QPagedPaintDevice;
class QPaintDevice;
class QPainter;
class QPrinter;
class QTextDocument;
class QWidget;

namespace kx {

// Content that lays itself out and paints its own pages instead of HTML (the report frame): a
// list of thousands of lines lays out in a fraction of the time an HTML table takes.
class PaintedContent {
  public:
    virtual ~PaintedContent() = default;
    // The content laid out on pages of one size.
    class Pages {
      public:
        virtual ~Pages() = default;
        virtual int count() const = 0;
        // Paints page `index`, the painter's origin at the top left of the page's body.
        virtual void paint(QPainter& painter, int index) const = 0;
    };
    // Lays the content out for `device` on pages whose body is `body` device pixels.
    virtual std::unique_ptr<Pages> paginate(QPaintDevice* device, const QSizeF& body) const = 0;
    // What a reader of the pages sees, line by line.
    virtual QString plainText() const = 0;
};

class ReportDocument {
  public:
    // The font every document starts with: a CJK font, so Chinese text prints everywhere.
    static QFont defaultFont();

    explicit ReportDocument(const QString& title = QString());

    QString title() const { return title_; }
    void setTitle(const QString& title) { title_ = title; }

    // The content: an HTML page for QTextDocument (tables, <hr>, font sizes in pt).
    void setHtml(const QString& html) { html_ = html; }
    QString html() const { return html_; }
    // Or content that paints its own pages; it takes the place of the HTML.
    void setContent(std::shared_ptr<const PaintedContent> content) { content_ = std::move(content); }

    // Page size and margins in millimetres; A4 portrait with 10 mm margins until set.
    void setPage(const QPageSize& size, const QMarginsF& marginsMm = QMarginsF(10, 10, 10, 10),
                 QPageLayout::Orientation orientation = QPageLayout::Portrait);
    QPageLayout pageLayout() const { return layout_; }

    // Makes the page as long as the HTML content laid out at the page's width (a receipt roll):
    // the document then prints on one page.
    void fitPageToContent();

    // The document's text as it is laid out: what a reader of the page sees, line by line.
    QString toPlainText() const;

    // Lays the document out on the pages of `device` (as the device's page layout is) and
    // paints them, numbered in the bottom margin when there are several; returns the number of
    // pages.
    int render(QPagedPaintDevice* device) const;
    // Prints on a printer the caller has set up.
    void print(QPrinter* printer) const;
    // Writes a PDF file; false when the file cannot be written.
    bool savePdf(const QString& path) const;

    // Shows the print preview through the modal host. Its print button prints through the
    // system's print dialog; its "保存PDF" button asks for a file name and saves there. True
    // when the document was printed or saved; false when the preview was closed without it.
    bool preview(QWidget* parent = nullptr) const;

    // Prints on the system's default printer without a dialog, through the installed print
    // output. False when no printer is installed (nothing printed).
    bool printToDefaultPrinter() const;

    // Escapes a value for the HTML of a document.
    static QString escape(const QString& text);

  private:
    std::unique_ptr<QTextDocument> build() const;

    QString title_;
    QString html_;
    std::shared_ptr<const PaintedContent> content_;
    QPageLayout layout_;
};

// Where documents printed without a dialog go: the system's default printer. Tests install
// their own to capture the document.
class PrintOutput {
  public:
    virtual ~PrintOutput() = default;
    virtual bool hasPrinter();
    // Prints the document on the default printer; false when it could not.
    virtual bool print(const ReportDocument& document);
};

PrintOutput& printOutput();
// Installs `o` (not owned); nullptr restores the one that prints for real.
void installPrintOutput(PrintOutput* o);

} // namespace kx
