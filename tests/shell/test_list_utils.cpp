#include "ListUtils.h"
#include "TestEnv.h"

#include <QtTest>
#include <QtWidgets>

class Test_List_Utils : public QObject {
    Q_OBJECT

    static std::unique_ptr<QStandardItemModel> model(int rows) {
        auto m = std::make_unique<QStandardItemModel>(rows, 3);
        m->setHorizontalHeaderLabels({QStringLiteral("Name"),
                                      QStringLiteral("A very long column header"),
                                      QStringLiteral("C")});
        for (int r = 0; r < rows; ++r) {
            m->setItem(r, 0, new QStandardItem(QString(r == 5 ? 60 : 3, QLatin1Char('x'))));
            m->setItem(r, 1, new QStandardItem(QStringLiteral("y")));
            m->setItem(r, 2, new QStandardItem(QStringLiteral("z")));
        }
        return m;
    }

private Q_SLOTS:
    void autosize_fits_contents_and_header() {
        auto m = model(10);
        QTreeView v;
        v.setModel(m.get());
        v.header()->resizeSection(0, 5);
        v.header()->resizeSection(1, 5);
        Autosize_Column(&v, 1, Fit_Contents);
        QVERIFY(v.header()->sectionSize(0) >=
                v.fontMetrics().horizontalAdvance(QString(60, QLatin1Char('x'))));
        Autosize_Column(&v, 2, Fit_Contents);
        const int contents_only = v.header()->sectionSize(1);
        Autosize_Column(&v, 2, Fit_Contents_And_Header);
        QVERIFY(v.header()->sectionSize(1) > contents_only);
        QVERIFY(v.header()->sectionSize(1) >=
                v.fontMetrics().horizontalAdvance(QStringLiteral("A very long column header")));
    }

    void autosize_outside_its_range_changes_nothing() {
        auto m = model(3);
        QTreeView v;
        v.setModel(m.get());
        for (int c = 0; c < 3; ++c)
            v.header()->resizeSection(c, 40);
        Autosize_Column(&v, 0, Fit_Contents_And_Header);
        Autosize_Column(&v, 4, Fit_Contents_And_Header);
        Autosize_Column(&v, 1, 5);
        for (int c = 0; c < 3; ++c)
            QCOMPARE(v.header()->sectionSize(c), 40);
        QListView icons;
        icons.setViewMode(QListView::IconMode);
        icons.setModel(m.get());
        Autosize_Columns(&icons,
                         Fit_Contents_And_Header); // no report view: nothing to do, no crash
        Autosize_Columns(nullptr, Fit_Contents_And_Header);
    }

    void autosize_of_a_long_list_is_quick() {
        auto m = model(100000);
        QTreeView v;
        v.setModel(m.get());
        QElapsedTimer t;
        t.start();
        Autosize_Columns(&v, Fit_Contents_And_Header);
        QVERIFY2(t.elapsed() < 1000, qPrintable(QString::number(t.elapsed())));
    }

    void list_selection() {
        QComboBox combo;
        combo.addItems({QStringLiteral("a"), QStringLiteral("b")});
        QSignalSpy activated(&combo, &QComboBox::activated);
        QListWidget list;
        list.addItems({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
        QSignalSpy clicked(&list, &QListWidget::itemClicked);
        QLineEdit other;
        // Each call and the index it gives back; out of range gives -1, another widget 0.
        const std::tuple<QWidget*, int, int> calls[] = {{&combo, 2, -1},  {&combo, 0, 0},
                                                        {&combo, -1, -1}, {&combo, 1, 1},
                                                        {&list, 2, 2},    {&other, 1, 0}};
        for (auto [widget, index, result] : calls)
            QCOMPARE(Set_List_Selection(widget, index), result);
        QCOMPARE(combo.currentText(), QStringLiteral("b"));
        QVERIFY(list.item(2)->isSelected());
        QCOMPARE(Set_List_Selection(&list, 7), -1);
        QVERIFY(list.selectedItems().isEmpty());
        QCOMPARE(activated.count() + clicked.count(), 0); // as if set by the program
    }
};

SCROLLKIN_UI_TEST_MAIN(Test_List_Utils)
#include "test_list_utils.moc"
