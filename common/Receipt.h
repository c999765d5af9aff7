#pragma once
// A receipt as a thermal receipt printer prints it: lines of a set number of columns, in the
// printer's Chinese font, and the ESC/POS stream that prints them.
//
// Text goes to the printer in GB18030. A character GB18030 writes in one byte takes one column,
// one written in two bytes takes two; a character that needs four bytes is outside the
// printer's font and prints as "?" (one column). Control characters print as spaces. A line
// never holds more columns than the paper: long texts wrap at a character boundary (between
// words where a word of letters and digits would be cut), and a line in double size counts
// each character twice.
//
//   kx::Receipt r(32, QStringLiteral("帐单"));
//   r.text(QStringLiteral("金桂园"), kx::ReceiptAlign::Centre, {.bold = true, .large = true});
//   r.pair(QStringLiteral("合计"), QStringLiteral("105.00"));
//   r.rule();
//   const QByteArray bytes = kx::escPos(r, /*cut=*/true);
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

namespace kx {

// One character as the printer prints it: its text ("?" for one outside the font) and columns.
struct PrintedChar {
    QString text;
    int width = 1;
};

// The characters of a text as the printer prints them.
std::vector<PrintedChar> printedChars(const QString& text);
// The columns a text takes on the printer.
int printedWidth(const QString& text);
// The text in GB18030 as the printer takes it; "?" for every character needing four bytes.
QByteArray receiptBytes(const QString& text);

enum class ReceiptAlign { Left, Centre, Right };

struct ReceiptStyle {
    bool bold = false;
    bool large = false; // double width and height: each character takes twice its columns
    bool operator==(const ReceiptStyle&) const = default;
};

// One printed line: its text as it prints (already fitted: at most the line's columns), where
// it sits on the paper and its style.
struct ReceiptLine {
    QString text;
    ReceiptAlign align = ReceiptAlign::Left;
    ReceiptStyle style;
};

// One cell of a row: its text, its width in columns (0: what the other cells leave) and its
// alignment inside that width.
struct ReceiptCell {
    QString text;
    int width = 0;
    ReceiptAlign align = ReceiptAlign::Left;
};

class Receipt {
  public:
    explicit Receipt(int columns, const QString& title = QString());

    int columns() const { return columns_; }
    QString title() const { return title_; }

    // A text on lines of its own, wrapped to the width.
    void text(const QString& text, ReceiptAlign align = ReceiptAlign::Left, ReceiptStyle style = {});
    // A text on the left and one ending on the last column (an amount), on one line when both
    // fit; otherwise the left text wraps and the right one ends its last line or a line of its own.
    void pair(const QString& left, const QString& right, ReceiptStyle style = {});
    // A row of cells one space apart, each wrapped inside its width; the row takes as many lines
    // as its tallest cell. Cells that cannot share the width are printed one under the other.
    void row(const std::vector<ReceiptCell>& cells, ReceiptStyle style = {});
    // A line of `fill` across the paper.
    void rule(QChar fill = QLatin1Char('-'));
    void blank();

    const std::vector<ReceiptLine>& lines() const { return lines_; }
    // The columns a line of this style holds.
    int columnsFor(ReceiptStyle style) const { return style.large ? columns_ / 2 : columns_; }
    // The line as it lies on the paper: centred and right text led by the spaces before it.
    QString placed(const ReceiptLine& line) const;
    // The columns a placed line takes on the paper (a line in double size counts double).
    int widthOnPaper(const ReceiptLine& line) const;
    // Every line placed, one a line.
    QString plainText() const;

  private:
    void add(const QString& text, ReceiptAlign align, ReceiptStyle style);

    int columns_;
    QString title_;
    std::vector<ReceiptLine> lines_;
};

// Wraps a text into pieces of at most `columns` columns, never cutting a character.
QStringList wrapPrinted(const QString& text, int columns);

// The ESC/POS stream of a receipt: ESC @ (initialise), FS & (Chinese characters), then per line
// ESC a (alignment), ESC E (bold) and GS ! (double size) where they change, the text in GB18030
// and LF; at the end ESC d (feed `feedLines`) and, with a cutter, GS V (partial cut).
QByteArray escPos(const Receipt& receipt, bool cut, int feedLines = 4);

} // namespace kx
