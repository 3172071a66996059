// The hand-made containers: values kept across growth, and keys told apart however they collide.
#include "data/flatcontainers.h"
#include "data/rowscan.h"

#include <QtTest>

using namespace marvono;

class TestFlatContainers : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void growingArrayKeepsItsValuesAsItGrows();
    void collidingKeysStayApart();
};

void TestFlatContainers::growingArrayKeepsItsValuesAsItGrows()
{
    // Values taken from the array itself while it grows: the block they lie in is given up.
    GrowingArray<qint64> array;
    array.push_back(7);
    for (int i = 1; i < 100000; ++i)
        array.push_back(array[0]);
    QCOMPARE(std::count(array.begin(), array.end(), 7), 100000);
    array[1] = 8;
    for (qsizetype size = array.size(); size < 1000000; size *= 2)
        QCOMPARE(array.append(array.data(), size), size);
    QCOMPARE(array.size(), 1600000);
    QCOMPARE(std::count(array.begin(), array.end(), 8), 16);
    QCOMPARE(array[1500001], 8);
}

void TestFlatContainers::collidingKeysStayApart()
{
    // Every key in one chain, from the table's last place on so that the chain wraps around,
    // and keys alike up to their last character.
    std::vector<QString> keys;
    ProbeIndex index;
    const auto numberOf = [&](const QString& key) {
        const quint32 count = quint32(keys.size());
        const quint32 number = index.findOrAdd(
            63, count, [&](quint32 n) { return keys[n] == key; }, [](quint32) { return 63; });
        if (number == count)
            keys.push_back(key);
        return number;
    };
    const QString stem(300, QLatin1Char('x'));
    for (int round = 0; round < 2; ++round)
        for (quint32 i = 0; i < 500; ++i)
            QCOMPARE(numberOf(stem + QString::number(i)), i);

    SharedTexts texts;
    for (int round = 0; round < 2; ++round)
        for (int i = 0; i < 5000; ++i)
            QCOMPARE(texts.text((stem + QString::number(i)).toUtf8()), stem + QString::number(i));

    // Keys a whole table apart share a place: the later one is measured anew, not handed the other's value.
    KeyedPlaces<int> places(64);
    QCOMPARE(places.value(5, [] { return 1; }), 1);
    QCOMPARE(places.value(6, [] { return 2; }), 2);
    QCOMPARE(places.value(5 + 64, [] { return 3; }), 3);
    QCOMPARE(places.value(6, [] { return 4; }), 2);
    QCOMPARE(places.value(5, [] { return 5; }), 5);
}

QTEST_GUILESS_MAIN(TestFlatContainers)
#include "tst_flatcontainers.moc"
