#include "CropCommand.h"

#include <QFile>
#include <QtEndian>

#include "AtomicFile.h"
#include "CliCommand.h"
#include "cropbitmap.h"

namespace {

constexpr int kNotABitmap = 2;
constexpr int kTooMuchBlackArea = 3;

QString sizeText(const QByteArray& bitmap) {
  const auto* bytes = reinterpret_cast<const uchar*>(bitmap.constData());
  return QStringLiteral("%1 × %2")
      .arg(qFromLittleEndian<qint32>(bytes + 18))
      .arg(qFromLittleEndian<qint32>(bytes + 22));
}

}  // namespace

int runCropCommand(const QStringList& arguments) {
  if (arguments.size() != 2) {
    Cli::error(QStringLiteral("usage: quillory-cli crop IN.bmp OUT.bmp"));
    return Cli::kUsage;
  }
  QFile in(arguments[0]);
  if (!in.open(QIODevice::ReadOnly)) {
    Cli::error(QStringLiteral("%1: %2").arg(arguments[0], in.errorString()));
    return Cli::kFailure;
  }
  QByteArray bitmap = in.readAll();
  const QByteArray original = bitmap;
  size_t length = size_t(bitmap.size());
  switch (cropbitmap(reinterpret_cast<unsigned char*>(bitmap.data()), &length)) {
    case 1:
      Cli::out(QStringLiteral("%1: too much black area for a card; not cropped.").arg(arguments[0]));
      return kTooMuchBlackArea;
    case 0:
      break;
    default:
      Cli::error(QStringLiteral("%1: not an uncompressed bottom-up 8-bit bitmap.").arg(arguments[0]));
      return kNotABitmap;
  }
  bitmap.truncate(qsizetype(length));
  if (const std::optional<QString> failure = writeFileAtomically(arguments[1], bitmap)) {
    Cli::error(*failure);
    return Cli::kFailure;
  }
  if (bitmap == original)
    Cli::out(
        QStringLiteral("%1: the card fills the scan (%2); written unchanged.").arg(arguments[0], sizeText(bitmap)));
  else
    Cli::out(QStringLiteral("%1: cropped from %2 to %3.").arg(arguments[0], sizeText(original), sizeText(bitmap)));
  return Cli::kSuccess;
}
