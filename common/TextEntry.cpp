#include "TextEntry.h"

#include <QLineEdit>

namespace kx {

void upperCaseEntry(QLineEdit* edit) {
    QObject::connect(edit, &QLineEdit::textEdited, edit, [edit](const QString& text) {
        const QString upper = text.toUpper();
        if (upper == text) return;
        const int at = edit->cursorPosition();
        edit->setText(upper);
        edit->setCursorPosition(at);
    });
}

} // namespace kx
