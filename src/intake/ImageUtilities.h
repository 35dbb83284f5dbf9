#pragma once

#include <QByteArray>
#include <optional>

#include "Record.h"

class PreferenceStore;
class RecordStore;

// The image steps shared by the card intake and the record commands.
namespace ImageUtilities {

// Decodes an image (any format the image codecs read; the scanner gives 8-bit BMP) and encodes
// it as JPEG. compression is the quality factor: 1.0 least compression, 0.0 most. None when the
// bytes cannot be decoded.
std::optional<QByteArray> jpegDataFromBitmap(const QByteArray& image, float compression);

enum TrimOutcome { kTrimUnchanged = 0, kTrimCropped = 1, kTrimTooMuchBlackArea = 4 };

// Crops a scanned bitmap to the card when the "cropBitmap" setting is on.
TrimOutcome trimBitmapData(QByteArray& bitmap, const PreferenceStore& preferences);

// Turns the record's image by angle degrees (the file itself is never rotated; viewers and
// exporters apply the rotation) and saves the list.
void rotateImage(const RecordRef& record, qint32 angle, const RecordList& allRecords, RecordStore& store);

}  // namespace ImageUtilities
