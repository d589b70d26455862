#include "findclocksmenu.h"

#include "findclocksdialog.h"
#include "networkclocksearch.h"

#include <QtWidgets/QLineEdit>
#include <QtWidgets/QMenu>

FindClocksMenu::FindClocksMenu(const QList<QLineEdit *> &boxes, QWidget *dialogParent)
    : QObject(dialogParent)
    , m_dialogParent(dialogParent)
{
    for (QLineEdit *box : boxes) {
        box->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(box, &QWidget::customContextMenuRequested, this,
                [this, box](const QPoint &position) { showMenu(box, position); });
    }
}

void FindClocksMenu::showMenu(QLineEdit *box, const QPoint &position)
{
    QMenu *menu = box->createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addSeparator();
    connect(menu->addAction(FindClocksDialog::menuText()), &QAction::triggered, this,
            &FindClocksMenu::openFindClocks);
    menu->popup(box->mapToGlobal(position));
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
