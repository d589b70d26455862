#pragma once

#include "setupdata.h"

#include <QtCore/QByteArray>
#include <QtCore/QByteArrayView>
#include <QtCore/QList>
#include <QtCore/QString>

#include <optional>

// The settings file's bytes: a list of items, one per line when the panel writes them.
namespace Settings {

inline constexpr int ItemCount = 19;

// Longest item kept, in characters. Items the panel writes are far shorter; a longer one
// (a runaway comment) is cut here and reading goes on, so memory stays bounded whatever the
// file holds. A cut item never reads as a number.
inline constexpr int MaxItemChars = 4096;

// Reads the file's items from bytes fed in any split. Reading rules:
// - a UTF-8 byte-order mark at the very start is skipped;
// - commas and line ends (CR LF, LF or a lone CR) separate items;
// - blanks (spaces, tabs) before an item are skipped;
// - a quoted item is the text between its quotes, commas included; what follows the closing
//   quote up to the next comma or line end is skipped. A quote left open runs to the end of
//   its line, so a stray quote never swallows the items on the following lines;
// - an unquoted item runs to the next comma or line end without trailing blanks, and is a
//   number when it reads as one, else a text; if it is empty it is an empty item;
// - after a comma another item always follows, even at the end of the bytes; after a line
//   end one follows only when bytes remain.
// The bytes are decoded as Latin-1, so every byte is one character and any file decodes.
class ItemReader
{
public:
    // Takes the next bytes of the file; bytes after the last item needed are only looked at
    // for text.
    void feed(QByteArrayView bytes);
    // True once ItemCount items are read: the rest of the file does not matter.
    bool isDone() const { return m_items.size() >= ItemCount; }
    // At the end of the file: the first ItemCount items, or nothing when it held fewer.
    std::optional<QList<SettingValue>> finish();
    // How many items were read; after finish(), fewer than ItemCount when the file was short.
    int itemsRead() const { return int(m_items.size()); }
    // Whether the file holds text that no item keeps, so a file written from the items would
    // lose it: anything but blanks and line ends after the last item needed or after a closing
    // quote (a note the user added), or the end of an item cut at MaxItemChars.
    bool dropsText() const { return m_dropsText; }
    // The line, counted from 1, that item `index` stands on (an item never spans two lines);
    // for an item past the last one read, the line the file ended on.
    int lineOf(int index) const { return index < m_itemLines.size() ? m_itemLines[index] : m_line; }

private:
    enum class State { Bom, Start, Quoted, AfterQuote, Unquoted };

    void take(char byte);
    void leaveBom();
    void startItem(char byte);
    void endItem(char separator);
    void append(QChar c);
    void emitItem();

    State m_state = State::Bom;
    int m_bomBytes = 0;
    bool m_afterComma = false;
    bool m_itemBegun = false;       // blanks before the item were seen
    bool m_swallowLineFeed = false; // a CR ended the last item; an LF right after is its pair
    bool m_cut = false;
    bool m_dropsText = false;
    QString m_pendingBlanks; // blanks inside an unquoted item, kept once more text follows
    QString m_text;
    QList<SettingValue> m_items;
    QList<int> m_itemLines;
    int m_line = 1;
};

// The first ItemCount items of a whole file's bytes, or nothing when it holds fewer.
std::optional<QList<SettingValue>> readItems(QByteArrayView bytes);

// The file's bytes for the given items: one line each, ended by CR LF. A text goes between
// double quotes; as the format has no escape, a double quote inside it is written as a single
// quote, a line end as a blank and a character beyond Latin-1 as "?", so that every item
// reads back in its place. A number is written bare with a period, an empty item as nothing.
QByteArray writeItems(const QList<SettingValue> &items);

} // namespace Settings
