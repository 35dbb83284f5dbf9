#include "ImageLocalFilePathTransformer.h"

#include <QFileInfo>

QString ImageLocalFilePathTransformer::transformedValue(const QString& stored) const {
  if (stored.startsWith(root_)) return stored;
  const QString name = stored.startsWith(u'/') ? QFileInfo(stored).fileName() : stored;
  return root_ + u'/' + name;
}
