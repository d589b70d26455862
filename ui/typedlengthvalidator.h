#pragma once

#include <QtGui/QValidator>

class QLineEdit;

// Limits what the user types or pastes into a line edit to a number of characters without
// limiting setText(): the settings loader may put a longer text in, and the user must still be
// able to shorten it. An insertion that does not fit is cut to the room left.
class TypedLengthValidator : public QValidator
{
    Q_OBJECT
public:
    TypedLengthValidator(int maxTyped, QLineEdit *edit);

    State validate(QString &input, int &pos) const override;

private:
    int m_maxTyped;
    QLineEdit *m_edit;
    QString m_previousText;
};
