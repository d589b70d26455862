#include "ui/typedlengthvalidator.h"

#include <QtWidgets/QLineEdit>

TypedLengthValidator::TypedLengthValidator(int maxTyped, QLineEdit *edit)
    : QValidator(edit)
    , m_maxTyped(maxTyped)
    , m_edit(edit)
    , m_previousLength(int(edit->text().size()))
{
    // textChanged comes after validation, so during validate() this still holds the length the
    // edit is being changed from.
    connect(edit, &QLineEdit::textChanged, this,
            [this](const QString &text) { m_previousLength = int(text.size()); });
}

QValidator::State TypedLengthValidator::validate(QString &input, int &) const
{
    if (input.size() <= m_maxTyped)
        return Acceptable;
    // setText() clears the undo history, so a change with no history behind it came from code.
    // Accepting it also keeps QLineEdit willing to undo the next over-long typed change.
    if (!m_edit->isUndoAvailable())
        return Intermediate;
    // Over the limit already: the user may delete, not add.
    return input.size() < m_previousLength ? Intermediate : Invalid;
}
