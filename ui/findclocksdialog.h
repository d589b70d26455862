#pragma once

#include "clocksearch.h"

#include <QtCore/QList>
#include <QtWidgets/QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

// "Find clocks on the network…": lists the modules that answer a search, with what each says
// of itself, and hands the one the user picks to the caller.
class FindClocksDialog : public QDialog
{
    Q_OBJECT

public:
    // The entry that opens the dialog in the endpoint boxes' context menu.
    static QString menuText() { return tr("Find clocks on the network…"); }

    explicit FindClocksDialog(ClockSearch &search, QWidget *parent = nullptr);

    // Clears the list and searches with the ID in the box.
    void searchAgain();

signals:
    // The clock the user chose, by "Use" or a double click.
    void clockChosen(const QString &host, quint16 port);

private:
    void addClock(const FoundClock &clock);
    void showSearchEnded(const SearchEnd &end);
    void fitColumns();
    void useSelectedClock();
    void updateUseButton();

    ClockSearch &m_search;
    QList<FoundClock> m_clocks; // in the order of the list's rows
    QTreeWidget *m_clockList = nullptr;
    QLineEdit *m_searchIdEdit = nullptr;
    QLabel *m_searchState = nullptr;
    QPushButton *m_searchAgainButton = nullptr;
    QPushButton *m_useButton = nullptr;
    bool m_fitPending = false;
};
