#pragma once

#include <QtCore/QHash>
#include <QtCore/QString>

class QWidget;

// The window's controls built from the layout table, reachable by their names:
// "CMDSET_TIME", "Text5(0)", "Option1(7)", "Shape1", ...
class Form
{
public:
    // Builds every control of the table as a child of `window` and sizes the window.
    explicit Form(QWidget *window);

    QWidget *control(const QString &name) const { return m_controls.value(name); }
    template<class T>
    T *find(const QString &name) const
    {
        return qobject_cast<T *>(control(name));
    }
    QStringList names() const { return m_controls.keys(); }

private:
    QHash<QString, QWidget *> m_controls;
};
