#pragma once

#include <QtCore/QObject>
#include <QtCore/QPoint>

class FindClocksDialog;
class NetworkClockSearch;
class QLineEdit;
class QWidget;

// Offers the search for clocks in the endpoint boxes' context menus, and passes on the clock
// the user picks. The dialog is made the first time it is asked for.
class FindClocksMenu : public QObject
{
    Q_OBJECT

public:
    // `dialogParent` is the window the dialog belongs to.
    FindClocksMenu(const QList<QLineEdit *> &boxes, QWidget *dialogParent);

signals:
    void clockChosen(const QString &host, quint16 port);

private:
    void showMenu(QLineEdit *box, const QPoint &position);
    void openFindClocks();

    QWidget *m_dialogParent = nullptr;
    NetworkClockSearch *m_clockSearch = nullptr;
    FindClocksDialog *m_findClocks = nullptr;
};
