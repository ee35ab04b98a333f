#include "qt/picture_widgets.h"

#include <QMouseEvent>
#include <QPainter>

namespace scourvane::qt {

PicturePanel::PicturePanel(QWidget* parent, QColor background) : QWidget(parent) {
    QPalette pal = palette();
    pal.setColor(QPalette::Window, background);
    setPalette(pal);
    setAutoFillBackground(true);
}

void PicturePanel::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (image_.size() == size()) return;
    // Keep what was drawn; new area shows the background colour.
    QImage grown(size(), QImage::Format_ARGB32_Premultiplied);
    grown.fill(Qt::transparent);
    QPainter p(&grown);
    p.drawImage(0, 0, image_);
    image_ = std::move(grown);
}

void PicturePanel::tile(const QImage& tile, const std::vector<QPoint>& origins) {
    if (image_.size() != size()) {
        image_ = QImage(size(), QImage::Format_ARGB32_Premultiplied);
        image_.fill(Qt::transparent);
    }
    QPainter p(&image_);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    for (const QPoint& at : origins) p.drawImage(at, tile);
    update();
}

void PicturePanel::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    p.drawImage(event->rect(), image_, event->rect());
}

TitleStrip::TitleStrip(QWidget* parent) : QLabel(parent) {
    // Moves are wanted with no button down too: a drag goes on whatever the buttons do.
    setMouseTracking(true);
}

void TitleStrip::mousePressEvent(QMouseEvent* event) {
    event->accept();
    emit pressed(event->button(), event->globalPosition().toPoint());
}

void TitleStrip::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    emit moved(event->globalPosition().toPoint());
}

void TitleStrip::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    emit released();
}

ExitImage::ExitImage(QWidget* parent, QPixmap rest, QPixmap pressed)
    : QLabel(parent), rest_(std::move(rest)), pressed_(std::move(pressed)) {
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setPixmap(rest_);
}

void ExitImage::showPressed(bool pressed) {
    setPixmap(pressed ? pressed_ : rest_);
}

void ExitImage::mousePressEvent(QMouseEvent* event) {
    event->accept();
    emit pressed();
}

void ExitImage::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    emit released();
}

MenuImage::MenuImage(QWidget* parent) : QLabel(parent) {
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void MenuImage::mousePressEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() == Qt::LeftButton) emit pressed();
}

LinkLabel::LinkLabel(QWidget* parent) : QLabel(parent) {}

void LinkLabel::mousePressEvent(QMouseEvent* event) {
    event->accept();
    pressed_ = event->button() == Qt::LeftButton;
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    const bool click = pressed_ && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    pressed_ = false;
    if (click) emit clicked();
}

}  // namespace scourvane::qt
