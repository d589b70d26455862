#pragma once

#include <QtCore/QDate>
#include <QtCore/QLocale>
#include <QtCore/QString>
#include <QtCore/QTime>

// Captions of the date and time labels; the caller passes the clock reading and the locale so
// that the captions can be checked for any instant and any regional setting.

// Full standalone weekday name, a comma and two blanks, then "MMM dd, yyyy" in the locale's
// language: en_US 2018-01-01 gives "Monday,  Jan 01, 2018".
QString dateCaption(const QDate &date, const QLocale &locale);

// The locale's long time format without its time zone: en_US 21:05:07 gives "9:05:07 PM".
QString timeCaption(const QTime &time, const QLocale &locale);

// `format` (a QLocale time format) with its time-zone fields, the blanks next to them and any
// brackets left empty removed; quoted text is kept as it stands.
QString timeFormatWithoutZone(const QString &format);
