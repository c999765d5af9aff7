// The printed documents: their text, their pages in a PDF, and the preview's two ways out.
#include "ReportDocument.h"
#include "ScriptedPrompter.h"

#include <QAction>
#include <QDialog>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QString rows(int n) {
    QString html = "<table>";
    for (int i = 1; i <= n; ++i) html += QString("<tr><td>第%1行</td><td>菜品</td></tr>").arg(i);
    return html + "</table>";
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The pages of a PDF file and the size of the first, in points.
struct PdfPages {
    int count = 0;
    QSizeF size;
};
PdfPages pagesOf(const QByteArray& pdf) {
    PdfPages p;
    p.count = int(pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r") + pdf.count("/Type /Page/") +
                  pdf.count("/Type /Page "));
    const QRegularExpression box(R"(/MediaBox \[\s*0 0 ([0-9.]+) ([0-9.]+)\s*\])");
    const auto m = box.match(QString::fromLatin1(pdf));
    if (m.hasMatch()) p.size = QSizeF(m.captured(1).toDouble(), m.captured(2).toDouble());
    return p;
}

TEST(ReportDocument, TextIsWhatThePageShowsWithValuesEscaped) {
    kx::ReportDocument doc("单据");
    doc.setHtml("<p>桌号：" + kx::ReportDocument::escape("A<1> & \"B\"") + "</p>" + rows(2));
    const QString text = doc.toPlainText();
    EXPECT_TRUE(text.contains("桌号：A<1> & \"B\"")) << text.toStdString();
    EXPECT_TRUE(text.contains("第1行")) << text.toStdString();
    EXPECT_TRUE(text.contains("第2行")) << text.toStdString();
}

TEST(ReportDocument, PdfTakesThePageSizeAndAsManyPagesAsTheTextNeeds) {
    QTemporaryDir dir;
    struct Case {
        QSizeF mm;
        int rows;
        bool several;
    } cases[] = {
        {{80, 100}, 3, false},
        {{80, 100}, 120, true},
        {{210, 297}, 3, false},
    };
    for (const Case& c : cases) {
        kx::ReportDocument doc("单据");
        doc.setPage(QPageSize(c.mm, QPageSize::Millimeter), QMarginsF(4, 4, 4, 4));
        doc.setHtml(rows(c.rows));
        const QString path = dir.filePath(QString("doc%1.pdf").arg(c.rows));
        ASSERT_TRUE(doc.savePdf(path));
        const PdfPages pages = pagesOf(readAll(path));
        EXPECT_EQ(pages.count > 1, c.several) << c.rows << " rows: " << pages.count << " pages";
        EXPECT_GE(pages.count, 1);
        EXPECT_NEAR(pages.size.width(), c.mm.width() * 72 / 25.4, 1.0);
        EXPECT_NEAR(pages.size.height(), c.mm.height() * 72 / 25.4, 1.0);
    }
}

TEST(ReportDocument, APdfThatCannotBeWrittenIsReported) {
    kx::ReportDocument doc;
    doc.setHtml("<p>x</p>");
    EXPECT_FALSE(doc.savePdf("/nonexistent-folder/x.pdf"));
}

TEST(ReportDocument, ThePreviewTellsWhetherTheDocumentWentOut) {
    QTemporaryDir dir;
    kx::test::ScriptedPrompter prompter;
    kx::test::ScriptedModalHost host;
    kx::ReportDocument doc("小票");
    doc.setHtml("<p>内容</p>");
    const QString pdf = dir.filePath("saved.pdf");
    auto saveFromPreview = [](QDialog* preview) {
        QAction* save = preview->findChild<QAction*>("actionSavePdf");
        if (!save) return int(QDialog::Rejected);
        save->trigger();
        return preview->result() == QDialog::Accepted ? int(QDialog::Accepted) : int(QDialog::Rejected);
    };
    struct Case {
        std::function<int(QDialog*)> answer;
        QString fileName; // for the save button
        bool out;
        bool fileWritten;
    } cases[] = {
        {[](QDialog*) { return int(QDialog::Rejected); }, {}, false, false}, // closed
        {[](QDialog*) { return int(QDialog::Accepted); }, {}, true, false},  // printed
        {saveFromPreview, "", false, false},                                 // the file chooser cancelled
        {saveFromPreview, pdf, true, true},
    };
    for (const Case& c : cases) {
        host.clear();
        host.handle(c.answer);
        host.fileName(c.fileName);
        EXPECT_EQ(doc.preview(), c.out) << c.fileName.toStdString();
        EXPECT_EQ(host.shown().front().title, "小票");
        EXPECT_EQ(QFile::exists(pdf), c.fileWritten);
    }
    EXPECT_TRUE(prompter.texts().isEmpty());
}

} // namespace
