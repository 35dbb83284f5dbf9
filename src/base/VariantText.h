#pragma once

#include <QJsonValue>
#include <QString>
#include <QVariant>

// The text form of any value, as "%@" shows it: strings as they are, numbers in decimal, dates in
// ISO 8601, lists and maps with their elements, and types that register a conversion to QString
// (errors, caught exceptions) through that conversion.
QString textOf(const QVariant& value);

// The shortest decimal text that reads back as the same double.
QString shortestText(double value);

// A property-list value as JSON: dates as ISO 8601 with milliseconds in UTC, data as Base64.
QJsonValue jsonFromVariant(const QVariant& value);

// ISO 8601 with milliseconds in UTC, for example "2026-12-11T10:22:16.123Z".
QString isoDateText(const QDateTime& date);
