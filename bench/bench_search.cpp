// Typing into the product search on a large catalogue, beside a plain scan of the same names.
//   bench_search [--benchmark_filter=...]
// Each iteration types "4", "42", "421" and then clears the box: four keystrokes, the first and
// the last of them testing every product. "per_keystroke" is the time of one keystroke; with the
// view, "paints" counts the list's repaints per iteration, one for each keystroke.
#include "app/appcontext.h"
#include "benchmain.h"
#include "catalogue/ui/productlistmodel.h"
#include "controls/ui/columnfit.h"
#include "controls/ui/textsizedelegate.h"
#include "data/database.h"
#include "data/recordset.h"
#include "data/schema.h"

#include <QApplication>
#include <QEvent>
#include <QHeaderView>
#include <QTemporaryDir>
#include <QTreeView>
#include <benchmark/benchmark.h>
#include <memory>

using namespace marvono;

namespace {

const QStringList& keystrokes()
{
    static const QStringList texts = {QStringLiteral("4"), QStringLiteral("42"), QStringLiteral("421"), QString()};
    return texts;
}

// One catalogue of n products, made once per run: 40 categories, every seventh product low on stock.
void useCatalogue(int n)
{
    static std::unique_ptr<QTemporaryDir> folder;
    if (folder)
        return;
    folder = std::make_unique<QTemporaryDir>();
    setAppFolder(folder->path());
    QString error;
    if (!createDeliveredDatabase(folder->filePath(QStringLiteral("system32.dll")), &error))
        qFatal("%s", qPrintable(error));
    Transaction transaction;
    for (int i = 0; i < n; ++i)
        ExecSQL(QStringLiteral("insert into product_info (cName, cInPrice, cAllQty, cOutPrice, cLeastQty, cSpare, "
                               "cType, cPic, cComment, cAlert) values (?, '1.25', '50', '2.5', ?, '', ?, ?, '', '5')"),
                {QStringLiteral("Product %1").arg(i), QString::number(i % 7 == 0 ? 2 : 20 + i % 31),
                 QStringLiteral("Category %1").arg((i * 7919) % 40), i});
    transaction.commit();
}

void perKeystroke(benchmark::State& state)
{
    state.counters["per_keystroke"] = benchmark::Counter(
        double(keystrokes().size()), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// The baseline: every name and category tested for the typed text, nothing kept.
void BM_Search_Raw(benchmark::State& state)
{
    useCatalogue(int(state.range(0)));
    QStringList names, categories;
    for (int i = 0; i < state.range(0); ++i) {
        names.append(QStringLiteral("Product %1").arg(i));
        categories.append(QStringLiteral("Category %1").arg((i * 7919) % 40));
    }
    for (auto _ : state) {
        for (const QString& text : keystrokes()) {
            int matches = 0;
            for (qsizetype i = 0; i < names.size(); ++i)
                matches +=
                    names[i].contains(text, Qt::CaseInsensitive) || categories[i].contains(text, Qt::CaseInsensitive);
            benchmark::DoNotOptimize(matches);
        }
    }
    perKeystroke(state);
}

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
  public:
    int paints = 0;

  protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        paints += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

void typeIntoSearch(benchmark::State& state, bool withView)
{
    useCatalogue(int(state.range(0)));
    ProductListModel model;
    model.fill();
    model.sortByCategory();
    if (model.rowCount() != state.range(0))
        state.SkipWithError("short fill");
    PaintCounter counter;
    std::unique_ptr<QTreeView> view;
    if (withView) {
        // The main window's list, set up as it is there and keeping its columns fitted: shown,
        // with a selected row the filter has to carry along.
        view = std::make_unique<QTreeView>();
        view->setModel(&model);
        view->setRootIsDecorated(false);
        view->setItemsExpandable(false);
        view->setUniformRowHeights(true);
        view->setItemDelegate(new TextSizeDelegate(view.get()));
        view->setAllColumnsShowFocus(true);
        view->setSelectionBehavior(QAbstractItemView::SelectRows);
        view->setSelectionMode(QAbstractItemView::ExtendedSelection);
        view->header()->setSectionsClickable(false);
        view->header()->setStretchLastSection(false);
        keepColumnsFitted(view.get());
        view->resize(600, 570);
        view->show();
        view->setCurrentIndex(model.index(4210, 0));
        QApplication::processEvents();
        view->viewport()->installEventFilter(&counter);
    }
    for (auto _ : state) {
        for (const QString& text : keystrokes()) {
            const int paints = counter.paints;
            model.setFilter(text, false);
            if (!withView)
                continue;
            QApplication::processEvents(); // the list lays itself out, fits its columns and paints
            if (counter.paints == paints)
                state.SkipWithError("a keystroke left the list unpainted");
        }
    }
    if (model.rowCount() != state.range(0))
        state.SkipWithError("filter not cleared");
    if (withView)
        state.counters["paints"] = benchmark::Counter(double(counter.paints), benchmark::Counter::kAvgIterations);
    perKeystroke(state);
}

void BM_Search(benchmark::State& state)
{
    typeIntoSearch(state, false);
}

void BM_SearchWithView(benchmark::State& state)
{
    typeIntoSearch(state, true);
}

} // namespace

BENCHMARK(BM_Search_Raw)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Search)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchWithView)->Arg(100000)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    return marvono::bench::runWidgetBenchmarks(argc, argv);
}
