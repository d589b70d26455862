#pragma once

#include "windowcontrols.h"

#include <QtCore/QHash>
#include <QtCore/QString>
#include <QtCore/QStringList>
#include <QtWidgets/QWidget>

// The window's controls built from the layout table.
class Form
{
public:
    // Builds every control of the table as a child of `window` and sizes the window.
    explicit Form(QWidget *window);

    const WindowControls &controls() const { return m_controls; }

    // The control built from the layout table's row of that name, for tests that walk the
    // table; nullptr for a name the table does not have.
    QWidget *control(const QString &name) const { return m_byName.value(name); }
    QStringList names() const { return m_byName.keys(); }

    // Maps "MS Sans Serif" and "Calibri" onto installed look-alikes where they are missing.
    // The constructor calls it; calling it again does nothing.
    static void installFontSubstitutes();

private:
    void buildGroups(QWidget *window);

    QHash<QString, QWidget *> m_byName;
    WindowControls m_controls;
};
