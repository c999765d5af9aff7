#pragma once
// The pictures of the six table states, drawn by our own code at 32 x 32: picture n-1 shows
// state n ("1" free … "6" disabled). The board, the legend and the work screen share them.
#include <QList>
#include <QPixmap>
#include <QString>

namespace kx::frontdesk {

inline constexpr int kStateIconSize = 32;

// The six pictures in state order (the board's image list).
const QList<QPixmap>& stateIcons();
// The picture of a state code "1" to "6"; a null pixmap for any other text (no state).
QPixmap stateIcon(const QString& stateCode);
// Draws picture `index` (0 to 5) at `size` x `size` pixels; the icons above are these at 32.
QImage drawStateIcon(int index, int size = kStateIconSize);

} // namespace kx::frontdesk
