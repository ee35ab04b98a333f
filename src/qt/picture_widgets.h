#pragma once
// The window's picture controls and the link label: what each does with the mouse.
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPoint>
#include <QWidget>

namespace scourvane::qt {

// A picture box that keeps what was drawn on it as its lasting image, over its background
// colour, so that the drawing survives repaints.
class PicturePanel : public QWidget {
    Q_OBJECT
  public:
    PicturePanel(QWidget* parent, QColor background);
    // Draws `tile` at each origin onto the kept image (the panel's size), clipped to it.
    void tile(const QImage& tile, const std::vector<QPoint>& origins);
    const QImage& image() const { return image_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    QImage image_;
};

// The title strip: reports the presses, moves and releases of every button over it, with the
// cursor in screen pixels; the presenter decides what drags. Moves are reported with no button
// down too.
class TitleStrip : public QLabel {
    Q_OBJECT
  public:
    explicit TitleStrip(QWidget* parent);

  signals:
    void pressed(Qt::MouseButton button, QPoint cursor);
    void moved(QPoint cursor);
    void released();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};

// The exit image: reports a press and a release of any button over it, and shows the picture
// it is told to: at rest or pressed.
class ExitImage : public QLabel {
    Q_OBJECT
  public:
    ExitImage(QWidget* parent, QPixmap rest, QPixmap pressed);
    void showPressed(bool pressed);

  signals:
    void pressed();
    void released();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    QPixmap rest_;
    QPixmap pressed_;
};

// The menu image: reports a press of the left button over it.
class MenuImage : public QLabel {
    Q_OBJECT
  public:
    explicit MenuImage(QWidget* parent);

  signals:
    void pressed();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
};

// A label that reports a click: left button pressed and released over it.
class LinkLabel : public QLabel {
    Q_OBJECT
  public:
    explicit LinkLabel(QWidget* parent);

  signals:
    void clicked();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    bool pressed_ = false;
};

}  // namespace scourvane::qt
