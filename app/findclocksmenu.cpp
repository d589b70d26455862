#include "findclocksmenu.h"

#include "findclocksdialog.h"
#include "networkclocksearch.h"

#include <QtWidgets/QLineEdit>
#include <QtWidgets/QMenu>

FindClocksMenu::FindClocksMenu(QLineEdit *hostBox, QLineEdit *portBox, QWidget *lamp,
                               QWidget *dialogParent)
    : QObject(dialogParent)
    , m_dialogParent(dialogParent)
{
    for (QLineEdit *box : {hostBox, portBox}) {
        box->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(box, &QWidget::customContextMenuRequested, this,
                [this, box](const QPoint &position) {
                    QMenu *menu = box->createStandardContextMenu();
                    menu->addSeparator();
                    popUp(menu, box, position);
                });
    }
    hostBox->setToolTip(
            tr("The clock module's host name or address; right-click to find clocks on the "
               "network"));
    portBox->setToolTip(
            tr("The clock module's data port; right-click to find clocks on the network"));
    lamp->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(lamp, &QWidget::customContextMenuRequested, this, [this, lamp](const QPoint &position) {
        popUp(new QMenu(m_dialogParent), lamp, position);
    });
}

void FindClocksMenu::popUp(QMenu *menu, QWidget *control, const QPoint &position)
{
    menu->setAttribute(Qt::WA_DeleteOnClose);
    connect(menu->addAction(FindClocksDialog::menuText()), &QAction::triggered, this,
            &FindClocksMenu::openFindClocks);
    menu->popup(control->mapToGlobal(position));
}

void FindClocksMenu::openFindClocks()
{
    if (!m_findClocks) {
        m_clockSearch = new NetworkClockSearch(this);
        m_findClocks = new FindClocksDialog(*m_clockSearch, m_dialogParent);
        connect(m_findClocks, &FindClocksDialog::clockChosen, this, &FindClocksMenu::clockChosen);
    }
    m_findClocks->open();
    m_findClocks->searchAgain();
}
