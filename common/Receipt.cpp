#include "Receipt.h"

#include <QHash>
#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <iconv.h>

namespace kx {

namespace {

// glibc's converter from UTF-32LE to GB18030, opened once per thread.
class Gb18030Converter {
  public:
    Gb18030Converter() : cd_(iconv_open("GB18030", "UTF-32LE")) {}
    ~Gb18030Converter() {
        if (ok()) iconv_close(cd_);
    }
    bool ok() const { return cd_ != iconv_t(-1); }

    // The GB18030 bytes of one code point; empty when it has none.
    QByteArray encode(char32_t cp) {
        if (!ok()) return cp < 0x80 ? QByteArray(1, char(cp)) : QByteArray();
        const quint32 le = qToLittleEndian(quint32(cp));
        char in[4];
        std::memcpy(in, &le, 4);
        char out[8];
        char* inPtr = in;
        char* outPtr = out;
        size_t inLeft = 4, outLeft = sizeof out;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        if (iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft) == size_t(-1)) return QByteArray();
        return QByteArray(out, int(outPtr - out));
    }

  private:
    iconv_t cd_;
};

Gb18030Converter& converter() {
    thread_local Gb18030Converter c;
    return c;
}

// How many GB18030 bytes a character takes: 1, 2 or 4 (4 also for one without a code).
int bytesOf(char32_t cp, QByteArray* bytes) {
    if (cp < 0x80) {
        if (bytes) *bytes = QByteArray(1, char(cp));
        return 1;
    }
    // Most characters of a bill are of the same few hundred: remember them.
    thread_local QHash<char32_t, QByteArray> known;
    auto it = known.constFind(cp);
    if (it == known.constEnd()) it = known.insert(cp, converter().encode(cp));
    if (bytes) *bytes = *it;
    return it->size() == 1 || it->size() == 2 ? int(it->size()) : 4;
}

bool isControl(char32_t cp) {
    return cp < 0x20 || cp == 0x7F;
}

bool isWordChar(const QString& s) {
    if (s.size() != 1) return false;
    const QChar c = s.front();
    return c.unicode() < 0x80 && (c.isLetterOrNumber() || c == QLatin1Char('.') || c == QLatin1Char('-'));
}

QString spaces(int n) {
    return n > 0 ? QString(n, QLatin1Char(' ')) : QString();
}

QString trimRight(QString s) {
    while (!s.isEmpty() && s.back() == QLatin1Char(' '))
        s.chop(1);
    return s;
}

// A piece of text padded to `width` columns as `align` places it.
QString padded(const QString& text, int width, ReceiptAlign align) {
    const int free = std::max(0, width - printedWidth(text));
    switch (align) {
    case ReceiptAlign::Left:
        return text + spaces(free);
    case ReceiptAlign::Right:
        return spaces(free) + text;
    case ReceiptAlign::Centre:
        return spaces(free / 2) + text + spaces(free - free / 2);
    }
    return text;
}

} // namespace

std::vector<PrintedChar> printedChars(const QString& text) {
    std::vector<PrintedChar> out;
    out.reserve(text.size());
    for (const char32_t cp : text.toUcs4()) {
        if (isControl(cp)) {
            out.push_back({QStringLiteral(" "), 1});
            continue;
        }
        const int n = bytesOf(cp, nullptr);
        if (n == 4)
            out.push_back({QStringLiteral("?"), 1});
        else
            out.push_back({QString::fromUcs4(&cp, 1), n});
    }
    return out;
}

int printedWidth(const QString& text) {
    int width = 0;
    for (const char32_t cp : text.toUcs4()) {
        const int n = isControl(cp) ? 1 : bytesOf(cp, nullptr);
        width += n == 2 ? 2 : 1;
    }
    return width;
}

QByteArray receiptBytes(const QString& text) {
    QByteArray out;
    out.reserve(text.size() * 2);
    QByteArray one;
    for (const char32_t cp : text.toUcs4()) {
        if (isControl(cp)) {
            out += ' ';
            continue;
        }
        const int n = bytesOf(cp, &one);
        out += n == 4 ? QByteArray(1, '?') : one;
    }
    return out;
}

QStringList wrapPrinted(const QString& text, int columns) {
    columns = std::max(columns, 2);
    const std::vector<PrintedChar> chars = printedChars(text);
    QStringList lines;
    size_t start = 0;
    while (start < chars.size()) {
        // A continued line does not start with the space it was broken at.
        if (!lines.isEmpty())
            while (start < chars.size() && chars[start].text == QLatin1String(" "))
                ++start;
        if (start >= chars.size()) break;
        size_t end = start;
        int width = 0;
        while (end < chars.size() && width + chars[end].width <= columns)
            width += chars[end++].width;
        // A word of letters and digits ("105.00", "Osmanthus") moves whole to the next line
        // when there is a space before it on this one.
        if (end < chars.size() && isWordChar(chars[end].text) && isWordChar(chars[end - 1].text)) {
            size_t space = end;
            while (space > start + 1 && chars[space - 1].text != QLatin1String(" "))
                --space;
            if (space > start + 1) end = space;
        }
        QString line;
        for (size_t i = start; i < end; ++i)
            line += chars[i].text;
        lines << trimRight(line);
        start = end;
    }
    if (lines.isEmpty()) lines << QString();
    return lines;
}

Receipt::Receipt(int columns, const QString& title) : columns_(std::max(columns, 8)), title_(title) {}

void Receipt::add(const QString& text, ReceiptAlign align, ReceiptStyle style) {
    lines_.push_back({trimRight(text), align, style});
}

void Receipt::text(const QString& text, ReceiptAlign align, ReceiptStyle style) {
    for (const QString& piece : wrapPrinted(text, columnsFor(style)))
        add(piece, align, style);
}

void Receipt::pair(const QString& left, const QString& right, ReceiptStyle style) {
    const int width = columnsFor(style);
    const int rightWidth = printedWidth(right);
    if (rightWidth > width) {
        text(left, ReceiptAlign::Left, style);
        text(right, ReceiptAlign::Right, style);
        return;
    }
    QStringList pieces = wrapPrinted(left, width);
    const int lastWidth = printedWidth(pieces.last());
    if (lastWidth + 1 + rightWidth <= width || (left.isEmpty() && rightWidth <= width)) {
        pieces.last() = pieces.last() + spaces(width - lastWidth - rightWidth) + right;
    } else {
        pieces << spaces(width - rightWidth) + right;
    }
    for (const QString& p : pieces)
        add(p, ReceiptAlign::Left, style);
}

void Receipt::row(const std::vector<ReceiptCell>& cells, ReceiptStyle style) {
    if (cells.empty()) return;
    const int width = columnsFor(style);
    std::vector<int> widths;
    int fixed = int(cells.size()) - 1; // the spaces between the cells
    int open = 0;
    for (const ReceiptCell& c : cells) {
        fixed += c.width;
        if (c.width <= 0) ++open;
    }
    const int rest = open ? (width - fixed) / open : 0;
    if (fixed > width || (open && rest < 2)) {
        // The cells do not share the width: one under the other, each across the paper.
        for (const ReceiptCell& c : cells)
            if (!c.text.isEmpty()) text(c.text, c.align, style);
        return;
    }
    std::vector<QStringList> pieces;
    size_t height = 1;
    for (const ReceiptCell& c : cells) {
        widths.push_back(c.width > 0 ? c.width : rest);
        pieces.push_back(wrapPrinted(c.text, widths.back()));
        height = std::max(height, size_t(pieces.back().size()));
    }
    // A row of right-aligned amounts ends on the last column: the open cell takes what is left over.
    if (open) {
        int used = int(cells.size()) - 1;
        for (const int w : widths)
            used += w;
        for (size_t i = 0; i < cells.size(); ++i)
            if (cells[i].width <= 0) {
                widths[i] += width - used;
                break;
            }
    }
    for (size_t line = 0; line < height; ++line) {
        QString out;
        for (size_t i = 0; i < cells.size(); ++i) {
            if (i) out += QLatin1Char(' ');
            const QString piece = line < size_t(pieces[i].size()) ? pieces[i][int(line)] : QString();
            out += padded(piece, widths[i], cells[i].align);
        }
        add(out, ReceiptAlign::Left, style);
    }
}

void Receipt::rule(QChar fill) {
    add(QString(columns_, fill), ReceiptAlign::Left, {});
}

void Receipt::blank() {
    add(QString(), ReceiptAlign::Left, {});
}

QString Receipt::placed(const ReceiptLine& line) const {
    const int free = std::max(0, columnsFor(line.style) - printedWidth(line.text));
    switch (line.align) {
    case ReceiptAlign::Left:
        return line.text;
    case ReceiptAlign::Centre:
        return spaces(free / 2) + line.text;
    case ReceiptAlign::Right:
        return spaces(free) + line.text;
    }
    return line.text;
}

int Receipt::widthOnPaper(const ReceiptLine& line) const {
    return printedWidth(placed(line)) * (line.style.large ? 2 : 1);
}

QString Receipt::plainText() const {
    QStringList out;
    out.reserve(int(lines_.size()));
    for (const ReceiptLine& l : lines_)
        out << placed(l);
    return out.join(QLatin1Char('\n'));
}

QByteArray escPos(const Receipt& receipt, bool cut, int feedLines) {
    const char ESC = 0x1B, FS = 0x1C, GS = 0x1D;
    QByteArray out;
    out.reserve(int(receipt.lines().size()) * (receipt.columns() + 8) + 16);
    out.append(ESC).append('@');
    out.append(FS).append('&');
    // What the printer is set to after ESC @.
    ReceiptAlign align = ReceiptAlign::Left;
    ReceiptStyle style;
    for (const ReceiptLine& line : receipt.lines()) {
        if (line.align != align) {
            align = line.align;
            out.append(ESC).append('a').append(char(align == ReceiptAlign::Left     ? 0
                                                    : align == ReceiptAlign::Centre ? 1
                                                                                    : 2));
        }
        if (line.style.bold != style.bold) out.append(ESC).append('E').append(char(line.style.bold ? 1 : 0));
        if (line.style.large != style.large)
            out.append(GS).append('!').append(char(line.style.large ? 0x11 : 0x00));
        style = line.style;
        out += receiptBytes(line.text);
        out += '\n';
    }
    if (style.bold) out.append(ESC).append('E').append(char(0));
    if (style.large) out.append(GS).append('!').append(char(0));
    if (align != ReceiptAlign::Left) out.append(ESC).append('a').append(char(0));
    out.append(ESC).append('d').append(char(std::clamp(feedLines, 0, 255)));
    if (cut) out.append(GS).append('V').append(char(1));
    return out;
}

} // namespace kx
