#pragma once

#include "windowcontrols.h"

#include <QtWidgets/QWidget>

// The window's controls built from the layout table.
class Form
{
public:
    // Builds every control of the table as a child of `window` and sizes the window.
    explicit Form(QWidget *window);

    const WindowControls &controls() const { return m_controls; }

    // Maps "MS Sans Serif" and "Calibri" onto installed look-alikes where they are missing.
    // The constructor calls it; calling it again does nothing.
    static void installFontSubstitutes();

private:
    void buildGroups(QWidget *window);

    WindowControls m_controls;
};
