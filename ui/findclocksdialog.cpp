#include "findclocksdialog.h"

#include "modulefacts.h"

#include <QtGui/QRegularExpressionValidator>
#include <QtWidgets/QDialogButtonBox>
#include <QtWidgets/QFormLayout>
#include <QtWidgets/QHeaderView>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QScrollBar>
#include <QtWidgets/QTreeWidget>
#include <QtWidgets/QVBoxLayout>

namespace {

enum Column { NameColumn, AddressColumn, MacColumn, StatusColumn, ModeColumn, FirmwareColumn };

// Whether the panel can use the clock: it serves on a port it named, and nothing keeps it from
// taking the panel.
bool isUsable(const FoundClock &clock)
{
    return clock.port > 0 && clock.obstacle.isEmpty();
}

} // namespace

FindClocksDialog::FindClocksDialog(ClockSearch &search, QWidget *parent)
    : QDialog(parent)
    , m_search(search)
    , m_clockList(new QTreeWidget(this))
    , m_searchIdEdit(new QLineEdit(this))
    , m_searchState(new QLabel(this))
    , m_searchAgainButton(new QPushButton(tr("&Search again"), this))
    , m_useButton(new QPushButton(tr("Use"), this))
{
    setWindowTitle(tr("Find clocks on the network"));
    m_clockList->setObjectName(QStringLiteral("clockList"));
    m_clockList->setHeaderLabels(
            {tr("Name"), tr("Address"), tr("MAC"), tr("Status"), tr("Mode"), tr("Firmware")});
    m_clockList->setRootIsDecorated(false);
    m_clockList->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_clockList->header()->setStretchLastSection(false); // each column as wide as it needs
    m_searchIdEdit->setObjectName(QStringLiteral("searchIdEdit"));
    m_searchState->setObjectName(QStringLiteral("searchState"));
    // What a module can hold as its search ID: printable ASCII without blanks.
    m_searchIdEdit->setValidator(new QRegularExpressionValidator(
            QRegularExpression(QStringLiteral("[!-~]{0,%1}").arg(Module::MaxSearchIdLength)),
            m_searchIdEdit));
    m_searchIdEdit->setPlaceholderText(tr("none"));
    m_searchIdEdit->setAccessibleName(tr("Search ID"));

    auto *searchIdRow = new QFormLayout;
    searchIdRow->addRow(tr("Search ID:"), m_searchIdEdit);
    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(m_searchAgainButton, QDialogButtonBox::ActionRole);
    buttons->addButton(m_useButton, QDialogButtonBox::AcceptRole);
    // Return takes the chosen clock, as "Use" does.
    m_useButton->setDefault(true);
    buttons->addButton(QDialogButtonBox::Cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_clockList);
    layout->addWidget(m_searchState);
    layout->addLayout(searchIdRow);
    layout->addWidget(buttons);

    connect(&m_search, &ClockSearch::clockFound, this, &FindClocksDialog::addClock);
    connect(&m_search, &ClockSearch::finished, this, &FindClocksDialog::showSearchEnded);
    connect(m_searchAgainButton, &QPushButton::clicked, this, &FindClocksDialog::searchAgain);
    connect(m_useButton, &QPushButton::clicked, this, &FindClocksDialog::useSelectedClock);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_clockList, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem *row) {
        m_clockList->setCurrentItem(row);
        useSelectedClock();
    });
    connect(m_clockList, &QTreeWidget::currentItemChanged, this,
            &FindClocksDialog::updateUseButton);
    updateUseButton();
    fitColumns();
}

void FindClocksDialog::searchAgain()
{
    m_clocks.clear();
    m_clockList->clear();
    m_searchState->setText(tr("Searching…"));
    m_searchAgainButton->setEnabled(false);
    updateUseButton();
    m_search.start(m_searchIdEdit->text());
}

void FindClocksDialog::addClock(const FoundClock &clock)
{
    QString address = clock.port > 0 ? QStringLiteral("%1:%2").arg(clock.host).arg(clock.port)
                                     : clock.host;
    // An address the module gives itself that is not where it answered from is shown, not
    // used: it may be a slip in its settings, or another machine's.
    if (!clock.reportedHost.isEmpty() && clock.reportedHost != clock.host)
        address = tr("%1 (gives %2)").arg(address, clock.reportedHost);
    // A clock that cannot serve the panel says why in place of its status.
    const QString status = clock.obstacle.isEmpty() ? clock.status : clock.obstacle;
    auto *row = new QTreeWidgetItem(
            m_clockList, {clock.name, address, clock.mac, status, clock.mode, clock.firmware});
    row->setToolTip(StatusColumn, clock.status);
    m_clocks.append(clock);
    if (!m_clockList->currentItem() && isUsable(clock))
        m_clockList->setCurrentItem(row);
    // Once for the answers that came in one turn: measuring every row for each one would make
    // a flood of answers slow the window down.
    if (!m_fitPending) {
        m_fitPending = true;
        QMetaObject::invokeMethod(this, &FindClocksDialog::fitColumns, Qt::QueuedConnection);
    }
}

void FindClocksDialog::showSearchEnded(const SearchEnd &end)
{
    m_searchAgainButton->setEnabled(true);
    if (!end.error.isEmpty())
        m_searchState->setText(tr("The search could not be sent: %1").arg(end.error));
    else if (m_clocks.isEmpty())
        m_searchState->setText(tr("No clock answered."));
    else if (end.listFull)
        m_searchState->setText(
                tr("%1 clocks found; more answered than the list holds.").arg(m_clocks.size()));
    else if (m_clocks.size() == 1)
        m_searchState->setText(tr("1 clock found."));
    else
        m_searchState->setText(tr("%1 clocks found.").arg(m_clocks.size()));
}

// The list is made as wide as its columns, so that the dialog shows every column whole.
void FindClocksDialog::fitColumns()
{
    m_fitPending = false;
    QHeaderView *header = m_clockList->header();
    header->resizeSections(QHeaderView::ResizeToContents);
    const int width = header->length() + 2 * m_clockList->frameWidth()
            + m_clockList->verticalScrollBar()->sizeHint().width();
    if (width > m_clockList->minimumWidth())
        m_clockList->setMinimumWidth(width);
}

void FindClocksDialog::useSelectedClock()
{
    const int row = m_clockList->indexOfTopLevelItem(m_clockList->currentItem());
    if (row < 0 || m_clocks.at(row).port == 0)
        return;
    emit clockChosen(m_clocks.at(row).host, m_clocks.at(row).port);
    accept();
}

void FindClocksDialog::updateUseButton()
{
    const int row = m_clockList->indexOfTopLevelItem(m_clockList->currentItem());
    m_useButton->setEnabled(row >= 0 && m_clocks.at(row).port > 0);
}
