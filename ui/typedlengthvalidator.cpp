#include "typedlengthvalidator.h"

#include <QtWidgets/QLineEdit>

#include <algorithm>

TypedLengthValidator::TypedLengthValidator(int maxTyped, QLineEdit *edit)
    : QValidator(edit)
    , m_maxTyped(maxTyped)
    , m_edit(edit)
    , m_previousText(edit->text())
{
    // textChanged comes after validation, so during validate() this still holds the text the
    // edit is being changed from.
    connect(edit, &QLineEdit::textChanged, this,
            [this](const QString &text) { m_previousText = text; });
}

QValidator::State TypedLengthValidator::validate(QString &input, int &pos) const
{
    if (input.size() <= m_maxTyped)
        return Acceptable;
    // setText() clears the undo history, so a change with no history behind it came from code.
    // Accepting it also keeps QLineEdit willing to undo the next over-long typed change.
    if (!m_edit->isUndoAvailable())
        return Intermediate;

    // The user inserted text that ends at the cursor; what follows the cursor is what
    // followed it before. Keep as much of the start of the insertion as fits, so that a paste
    // of "987654" over the whole text leaves "98".
    const QString &before = m_previousText;
    const qsizetype tail = input.size() - pos;
    const State shrinking = input.size() < before.size() ? Intermediate : Invalid;
    if (pos < 0 || tail < 0 || tail > before.size())
        return shrinking;
    const qsizetype startLimit = std::min<qsizetype>(pos, before.size() - tail);
    qsizetype start = 0;
    while (start < startLimit && input.at(start) == before.at(start))
        ++start;
    const qsizetype room = std::max<qsizetype>(0, m_maxTyped - (start + tail));
    const qsizetype inserted = pos - start;
    if (inserted <= room)
        return shrinking; // a deletion from a text that code made longer than the limit

    const QString cut = input.left(start + room) + input.right(tail);
    if (cut == before)
        return Invalid; // nothing of the insertion fits
    input = cut;
    pos = int(start + room);
    return input.size() <= m_maxTyped ? Acceptable : Intermediate;
}
