#include "Recognizer.h"

#include <QCryptographicHash>
#include <QFile>

#include "PropertyList.h"

QMap<int, QString> FixtureRecognizer::fields(const QByteArray& image) {
  const QString name = QString::fromLatin1(QCryptographicHash::hash(image, QCryptographicHash::Sha256).toHex());
  QFile file(folder_ + u'/' + name + QStringLiteral(".plist"));
  QMap<int, QString> fields;
  if (!file.open(QIODevice::ReadOnly)) return fields;
  const QVariantMap fixture = PropertyList::read(file.readAll()).value.toMap();
  for (auto it = fixture.cbegin(); it != fixture.cend(); ++it) {
    bool ok = false;
    const int type = it.key().toInt(&ok);
    if (ok && type >= 1 && type <= 15) fields.insert(type, it.value().toString());
  }
  return fields;
}
