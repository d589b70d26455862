#include "settingsformat.h"

#include <algorithm>

namespace Settings {

namespace {

constexpr char Bom[] = "\xEF\xBB\xBF";

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

bool isLineEnd(QChar c)
{
    return c == u'\r' || c == u'\n';
}

bool isText(char byte)
{
    return !isBlank(QLatin1Char(byte)) && !isLineEnd(QLatin1Char(byte));
}

bool isSeparator(char byte)
{
    return byte == ',' || byte == '\r' || byte == '\n';
}

// How a text goes between the quotes. The format has no escape, so a double quote inside a
// text would end the item early and shift every later one; it becomes a single quote. A
// line end would do the same and becomes a blank. The file is 8-bit text, so a character
// beyond Latin-1 becomes "?" (one per character, not per UTF-16 unit).
QByteArray quotedText(const QString &text)
{
    QByteArray out;
    out.reserve(text.size() + 2);
    out.append('"');
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'"') {
            out.append('\'');
        } else if (isLineEnd(c)) {
            out.append(' ');
        } else if (c.unicode() <= 0xff) {
            out.append(static_cast<char>(c.unicode()));
        } else {
            if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
                ++i;
            out.append('?');
        }
    }
    out.append('"');
    return out;
}

} // namespace

void ItemReader::feed(QByteArrayView bytes)
{
    qsizetype i = 0;
    for (; i < bytes.size() && !isDone(); ++i)
        take(bytes[i]);
    if (!m_dropsText)
        m_dropsText = std::any_of(bytes.begin() + i, bytes.end(), isText);
}

void ItemReader::take(char byte)
{
    if (m_swallowLineFeed) {
        m_swallowLineFeed = false;
        if (byte == '\n')
            return;
    }
    switch (m_state) {
    case State::Bom:
        // Editors on Windows start UTF-8 files with a byte-order mark; it is no item's text.
        if (byte == Bom[m_bomBytes]) {
            if (++m_bomBytes == 3)
                m_state = State::Start;
            return;
        }
        leaveBom();
        take(byte);
        return;
    case State::Start:
        startItem(byte);
        return;
    case State::Quoted:
        if (byte == '"')
            m_state = State::AfterQuote;
        else if (isLineEnd(QLatin1Char(byte)))
            endItem(byte);
        else
            append(QLatin1Char(byte));
        return;
    case State::AfterQuote:
        if (isSeparator(byte))
            endItem(byte);
        else if (isText(byte))
            m_dropsText = true;
        return;
    case State::Unquoted:
        if (isSeparator(byte)) {
            endItem(byte);
        } else if (isBlank(QLatin1Char(byte))) {
            // Trailing blanks are no part of the item; inner ones are, once more follows.
            if (m_pendingBlanks.size() <= MaxItemChars)
                m_pendingBlanks.append(QLatin1Char(byte));
        } else {
            for (const QChar blank : std::as_const(m_pendingBlanks))
                append(blank);
            m_pendingBlanks.clear();
            append(QLatin1Char(byte));
        }
        return;
    }
}

void ItemReader::leaveBom()
{
    // The bytes matched so far were the start of the first item after all.
    m_state = State::Start;
    for (int i = 0; i < m_bomBytes; ++i)
        take(Bom[i]);
}

void ItemReader::startItem(char byte)
{
    if (isBlank(QLatin1Char(byte))) {
        m_itemBegun = true;
    } else if (byte == '"') {
        m_state = State::Quoted;
    } else if (isSeparator(byte)) {
        m_state = State::Unquoted;
        endItem(byte);
    } else {
        m_state = State::Unquoted;
        append(QLatin1Char(byte));
    }
}

void ItemReader::append(QChar c)
{
    if (m_text.size() < MaxItemChars) {
        m_text.append(c);
    } else {
        m_cut = true;
        m_dropsText = true;
    }
}

void ItemReader::endItem(char separator)
{
    emitItem();
    if (separator != ',')
        ++m_line; // a CR's LF, if one follows, is swallowed with it
    m_afterComma = separator == ',';
    m_swallowLineFeed = separator == '\r';
}

void ItemReader::emitItem()
{
    SettingValue item;
    if (m_state == State::Quoted || m_state == State::AfterQuote) {
        item = SettingValue::fromText(m_text);
    } else if (!m_text.isEmpty()) {
        const std::optional<double> number = m_cut ? std::nullopt : readNumber(m_text);
        item = number ? SettingValue::fromNumber(*number) : SettingValue::fromText(m_text);
    }
    m_items.append(item);
    m_itemLines.append(m_line);
    m_state = State::Start;
    m_text.clear();
    m_cut = false;
    m_itemBegun = false;
    m_pendingBlanks.clear();
}

std::optional<QList<SettingValue>> ItemReader::finish()
{
    if (m_state == State::Bom)
        leaveBom();
    // The last item runs into the end of the file; after a line end nothing more follows.
    if (!isDone() && (m_state != State::Start || m_afterComma || m_itemBegun))
        emitItem();
    if (m_items.size() < ItemCount)
        return std::nullopt;
    return m_items.mid(0, ItemCount);
}

std::optional<QList<SettingValue>> readItems(QByteArrayView bytes)
{
    ItemReader reader;
    reader.feed(bytes);
    return reader.finish();
}

QByteArray writeItems(const QList<SettingValue> &items)
{
    QByteArray out;
    for (const SettingValue &item : items) {
        switch (item.kind()) {
        case SettingValue::Kind::Empty:
            break;
        case SettingValue::Kind::Text:
            out.append(quotedText(item.toText()));
            break;
        case SettingValue::Kind::Number:
            out.append(item.toText().toLatin1());
            break;
        }
        out.append("\r\n");
    }
    return out;
}

} // namespace Settings
