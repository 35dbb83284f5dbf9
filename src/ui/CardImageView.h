#pragma once

#include <QImage>
#include <QWidget>

// Shows a card image scaled to fit, turned by the view's rotation (images on disk are never
// turned; the view applies the record's rotation).
class CardImageView : public QWidget {
  Q_OBJECT
 public:
  explicit CardImageView(QWidget* parent = nullptr);

  void setImage(const QImage& image);
  const QImage& image() const { return image_; }
  // Turns the view by the given degrees, counter-clockwise positive.
  void rotateBy(int degrees);
  // The clockwise rotation the image is shown at.
  int rotation() const { return rotation_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage image_;
  int rotation_ = 0;
};
