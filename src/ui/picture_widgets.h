#pragma once
// The window's picture controls and the link label: what each does with the mouse.
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPoint>
#include <QWidget>

namespace scourvane::ui {

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

// The title strip: dragging it with the left button moves the window, pixel for pixel,
// keeping the grabbed point under the cursor. Other buttons start nothing; a release of any
// button ends a drag; a move drags whatever the buttons are doing while a drag is on.
class TitleStrip : public QLabel {
    Q_OBJECT
  public:
    explicit TitleStrip(QWidget* parent);
    bool dragging() const { return dragging_; }

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    bool dragging_ = false;
    QPoint grabOffset_;  // cursor minus window position at the press, in screen pixels
};

// The exit image: shows the pressed picture while any button is down on it; a release of any
// button shows the rest picture again, draws it, and reports `released`.
class ExitImage : public QLabel {
    Q_OBJECT
  public:
    ExitImage(QWidget* parent, QPixmap rest, QPixmap pressed);

  signals:
    void released();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    QPixmap rest_;
    QPixmap pressed_;
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

}  // namespace scourvane::ui
