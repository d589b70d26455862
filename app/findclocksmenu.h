#pragma once

#include <QtCore/QObject>
#include <QtCore/QPoint>

class FindClocksDialog;
class NetworkClockSearch;
class QLineEdit;
class QMenu;
class QWidget;

// Offers the search for clocks in the endpoint boxes' context menus and in a menu of the
// lamp's own, where a user looks when the clock is not reached, and passes on the clock the
// user picks. The boxes' tooltips point to it. The dialog is made the first time it is asked
// for.
class FindClocksMenu : public QObject
{
    Q_OBJECT

public:
    // `dialogParent` is the window the dialog belongs to.
    FindClocksMenu(QLineEdit *hostBox, QLineEdit *portBox, QWidget *lamp, QWidget *dialogParent);

signals:
    void clockChosen(const QString &host, quint16 port);

private:
    void popUp(QMenu *menu, QWidget *control, const QPoint &position);
    void openFindClocks();

    QWidget *m_dialogParent = nullptr;
    NetworkClockSearch *m_clockSearch = nullptr;
    FindClocksDialog *m_findClocks = nullptr;
};
