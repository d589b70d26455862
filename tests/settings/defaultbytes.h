#pragma once

#include <QtCore/QByteArray>

// The default settings file, written out by hand rather than through the saver.
inline const QByteArray DefaultBytes
        = "\"Starting on line 2, every other line is a comment.  comments must be in quotes.\"\r\n"
          "\"Alarm Hour\"\r\n\"6\"\r\n"
          "\"Alarm Minute\"\r\n\"30\"\r\n"
          "\"Alarm AMPM\"\r\n\"AM\"\r\n"
          "\"Alarm Track\"\r\n151\r\n"
          "\"BackGrounds\"\r\n\"1\"\r\n"
          "\"Wake Up Screens\"\r\n\"1\"\r\n"
          "\"Announce Hourly\"\r\n\"0\"\r\n"
          "\"Remote Host\"\r\n\"127.0.0.1\"\r\n"
          "\"Remote Port\"\r\n\"5000\"\r\n";
