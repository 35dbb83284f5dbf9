#include "ImageUtilities.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>

#include "PelluxClientPreference.h"
#include "PelluxFileObject.h"
#include "PreferenceStore.h"
#include "RecordStore.h"
#include "SystemLog.h"
#include "cropbitmap.h"

namespace ImageUtilities {

std::optional<QByteArray> jpegDataFromBitmap(const QByteArray& image, float compression) {
  const QImage decoded = QImage::fromData(image);
  if (decoded.isNull()) return std::nullopt;
  QByteArray jpeg;
  QBuffer buffer(&jpeg);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, "jpeg");
  writer.setQuality(qBound(0, qRound(compression * 100.0f), 100));
  if (!writer.write(decoded)) return std::nullopt;
  return jpeg;
}

TrimOutcome trimBitmapData(QByteArray& bitmap, const PreferenceStore& preferences) {
  if (!preferences.boolValue(QLatin1String(kPelluxClientPreference_key_cropBitmap))) return kTrimUnchanged;
  const qsizetype before = bitmap.size();
  size_t length = size_t(before);
  const int result = cropbitmap(reinterpret_cast<unsigned char*>(bitmap.data()), &length);
  if (result == 1) return kTrimTooMuchBlackArea;
  if (result == -1) systemLog(QStringLiteral("cropbitmap failed."));
  if (result == 0) bitmap.truncate(qsizetype(length));
  return bitmap.size() != before ? kTrimCropped : kTrimUnchanged;
}

void rotateImage(const RecordRef& record, qint32 angle, const RecordList& allRecords, RecordStore& store) {
  const QString key = PelluxFileObject::key_localImageRotation();
  // The remainder keeps the sign of the sum, so a quarter turn back from 0 stays -90.
  record->setValue(key, qlonglong((record->value(key).toLongLong() + angle) % 360));
  store.saveRecords(allRecords);
}

}  // namespace ImageUtilities
