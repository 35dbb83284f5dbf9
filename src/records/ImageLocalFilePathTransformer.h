#pragma once

#include <QString>

// Maps a record's stored image path to the image file's full path under the data folder. Current
// records store only the file name; older ones may hold a full path, of this folder or another.
class ImageLocalFilePathTransformer {
 public:
  explicit ImageLocalFilePathTransformer(QString root) : root_(std::move(root)) {}

  QString transformedValue(const QString& stored) const;

 private:
  QString root_;
};
