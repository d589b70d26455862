#include "findclocksdialog.h"

#include <QtTest/QtTest>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QScrollBar>
#include <QtWidgets/QTreeWidget>

// The clock search dialog against a search that the test answers itself.
class tst_FindClocksDialog : public QObject
{
    Q_OBJECT

private slots:
    void listsAndHandsOverTheChosenClock();
};

namespace {

struct RecordingSearch : ClockSearch
{
    void start(const QString &searchId) override { searchIds.append(searchId); }
    QStringList searchIds;
};

QPushButton *button(const QDialog &dialog, const QString &text)
{
    for (QPushButton *candidate : dialog.findChildren<QPushButton *>()) {
        if (candidate->text().remove(u'&') == text)
            return candidate;
    }
    return nullptr;
}

} // namespace

void tst_FindClocksDialog::listsAndHandsOverTheChosenClock()
{
    RecordingSearch search;
    FindClocksDialog dialog(search);
    QSignalSpy chosen(&dialog, &FindClocksDialog::clockChosen);
    auto *list = dialog.findChild<QTreeWidget *>("clockList");
    QPushButton *use = button(dialog, "Use");
    QVERIFY(list && use && button(dialog, "Search again"));
    dialog.findChild<QLineEdit *>("searchIdEdit")->setText("bell7");
    dialog.searchAgain();
    QCOMPARE(search.searchIds, QStringList{"bell7"});

    // A busy clock first: it is listed with its reason, and the free one is chosen for "Use".
    emit search.clockFound({"02:00:00:00:00:01", "192.0.2.7", "192.0.2.7", 5000, "WIZ750SR",
                            "a client is connected", "TCP server", "1.2",
                            "busy: another client is connected"});
    QVERIFY(!use->isEnabled());
    emit search.clockFound({"02:00:00:00:00:02", "192.0.2.8", "0.0.0.0", 5001, "WIZ750SR",
                            "waiting for a client", "TCP server", "1.2", ""});
    emit search.finished({});
    QCOMPARE(list->topLevelItemCount(), 2);
    QCOMPARE(list->topLevelItem(0)->text(3), "busy: another client is connected");
    QCOMPARE(list->topLevelItem(1)->text(1), "192.0.2.8:5001 (gives 0.0.0.0)");
    // Every column shows whole.
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QTRY_COMPARE(list->horizontalScrollBar()->maximum(), 0);
    QVERIFY(use->isEnabled());
    use->click();
    QCOMPARE(chosen.size(), 1);
    QCOMPARE(chosen.first(), QVariantList({"192.0.2.8", quint16(5001)}));

    // A double click uses that clock; "Search again" starts afresh.
    emit list->itemDoubleClicked(list->topLevelItem(0), 0);
    QCOMPARE(chosen.last(), QVariantList({"192.0.2.7", quint16(5000)}));
    button(dialog, "Search again")->click();
    QCOMPARE(list->topLevelItemCount(), 0);
    QCOMPARE(search.searchIds.size(), 2);
    // A search that could not be sent says so, not that no clock answered.
    emit search.finished({"Network is unreachable", false});
    QCOMPARE(dialog.findChild<QLabel *>("searchState")->text(),
             "The search could not be sent: Network is unreachable");
}

QTEST_MAIN(tst_FindClocksDialog)
#include "tst_findclocksdialog.moc"
