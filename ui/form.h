#pragma once

#include <QtCore/QHash>
#include <QtCore/QString>
#include <QtCore/QStringList>
#include <QtWidgets/QWidget>

class QButtonGroup;

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

    // The exclusive group of Option1(1) to Option1(16); button ids are the indexes.
    QButtonGroup *option1Group() const { return m_option1Group; }

    // Maps "MS Sans Serif" and "Calibri" onto installed look-alikes where they are missing.
    // The constructor calls it; calling it again does nothing.
    static void installFontSubstitutes();

private:
    QHash<QString, QWidget *> m_controls;
    QButtonGroup *m_option1Group = nullptr;
};
