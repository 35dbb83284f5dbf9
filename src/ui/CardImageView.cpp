#include "CardImageView.h"

#include <QPainter>

#include "Localization.h"

CardImageView::CardImageView(QWidget* parent) : QWidget(parent) {
  setMinimumSize(240, 160);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  setAutoFillBackground(true);
}

void CardImageView::setImage(const QImage& image) {
  image_ = image;
  update();
}

void CardImageView::rotateBy(int degrees) {
  rotation_ = (rotation_ - degrees) % 360;
  update();
}

void CardImageView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  if (image_.isNull()) {
    painter.setPen(palette().color(QPalette::PlaceholderText));
    painter.drawText(rect(), Qt::AlignCenter, localized(QStringLiteral("No card selected")));
    return;
  }
  const bool sideways = (rotation_ % 180) != 0;
  const QSizeF shown = sideways ? QSizeF(image_.height(), image_.width()) : QSizeF(image_.size());
  const double scale = std::min(width() / shown.width(), height() / shown.height());
  painter.translate(width() / 2.0, height() / 2.0);
  painter.rotate(rotation_);
  painter.scale(scale, scale);
  const QRectF frame(-image_.width() / 2.0, -image_.height() / 2.0, image_.width(), image_.height());
  painter.drawImage(frame.topLeft(), image_);
  // A hairline edge, so a white card stays visible on a light window.
  painter.setPen(QPen(palette().color(QPalette::Mid), 0));
  painter.drawRect(frame);
}
