#pragma once
// The splash window both programs show while they open the database: borderless, sized to its
// picture, with the product lines drawn over the picture.
#include <QImage>
#include <QStringList>
#include <QWidget>

#include <memory>

namespace kx {

class SplashWindow : public QWidget {
    Q_OBJECT
  public:
    static constexpr int DefaultWidth = 400;
    static constexpr int DefaultHeight = 219;

    // `lines`: the first is the product name (bold KaiTi, 21 pixels), the others follow smaller.
    SplashWindow(const QImage& picture, const QStringList& lines, bool stayOnTop = true,
                 QWidget* parent = nullptr);

    // The splashes of the two programs.
    static QStringList frontDeskLines();
    static QStringList backOfficeLines();

    QStringList lines() const { return lines_; }
    QString message() const { return message_; }
    // A line at the foot of the window telling what start-up is doing; painted at once.
    void setMessage(const QString& text);
    // Shows the window centred on the desktop and paints it at once.
    void showNow();

  protected:
    void paintEvent(QPaintEvent*) override;

  private:
    QImage picture_;
    QStringList lines_;
    QString message_;
};

// The splash with the programs' own picture and `lines`, shown and painted at once; it goes
// when the returned window is freed.
std::unique_ptr<SplashWindow> showSplash(const QStringList& lines);

} // namespace kx
