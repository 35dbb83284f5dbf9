#pragma once

#include <QDateTime>
#include <QVariantMap>

// Settings of every property-list type, written by the tests and checked by a second program.
inline QVariantMap sampleSettings() {
  return {
      {QStringLiteral("flag"), true},
      {QStringLiteral("count"), qlonglong(-12)},
      {QStringLiteral("ratio"), 0.75},
      {QStringLiteral("name"), QStringLiteral("名刺 & <cards>")},
      {QStringLiteral("when"), QDateTime(QDate(2026, 12, 11), QTime(10, 22, 16), Qt::UTC)},
      {QStringLiteral("ts860_calibrationData"), QByteArray(6152, '\x7f')},
      {QStringLiteral("ClassificationTags"),
       QVariantList{QVariantMap{{QStringLiteral("uuid"), QStringLiteral("A-1")},
                                {QStringLiteral("name"), QStringLiteral("顧客")}}}},
      {QStringLiteral("accounts"),
       QVariantMap{{QStringLiteral("a@example.com"), QVariantMap{{QStringLiteral("aid"), QStringLiteral("7")},
                                                                 {QStringLiteral("last"), QVariantList{1.5, false}}}}}},
  };
}
