// The window with a large folder, offscreen: how long the list takes to fill, the longest pause
// of the event loop meanwhile (the window repaints only between pauses), the peak memory once
// listed, and how long a click on a column header takes to sort and repaint the list.
// Usage: bench_window [COUNT | FOLDER] (default: 100,000 generated documents)
#include "BenchCorpus.h"
#include "app/Form1.h"
#include "app/PreviewDlg.h"
#include "app/RegisterPrintDlg.h"
#include "app/StatementLines.h"
#include "presentation/DocumentSort.h"
#include "settings/INIStorage.h"
#include "shell/AppStartup.h"
#include "text/TextCoder.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {
double PeakMb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

// The CPU time the calling thread has used.
double ThreadCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// What the process holds now, once glibc has given back what it keeps of freed memory.
double HeldMb() {
    malloc_trim(0);
    long pages = 0, resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(statm);
    }
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// The heap in use and the memory free inside glibc's heaps, as "in use + free" in MB.
QByteArray HeapMb() {
    const struct mallinfo2 info = mallinfo2();
    return QByteArray::number(double(info.uordblks + info.hblkhd) / 1048576.0, 'f', 0) + " + " +
           QByteArray::number(double(info.fordblks) / 1048576.0, 'f', 0);
}
// With BENCH_DIAG set: where the resident memory is (the main thread's heap, the other threads'
// heaps, other anonymous memory, mapped files) and each heap's size and what is in use in it.
// Resident beyond in use, once trimmed, is pages that some live block keeps.
void PrintWhereHeld(const char* when) {
    if (qEnvironmentVariableIsEmpty("BENCH_DIAG")) return;
    double resident[4] = {}; // [heap], 64 MiB-aligned anonymous (the threads' heaps), anon, file
    if (FILE* smaps = std::fopen("/proc/self/smaps", "r")) {
        char line[512], name[256];
        int kind = 0;
        unsigned long from = 0, to = 0, kb = 0;
        while (std::fgets(line, sizeof line, smaps)) {
            name[0] = 0;
            if (std::sscanf(line, "%lx-%lx %*s %*s %*s %*s %255s", &from, &to, name) >= 2 &&
                std::strchr(line, '-') < std::strchr(line, ' ')) {
                kind = std::strcmp(name, "[heap]") == 0                  ? 0
                       : name[0] == 0 && from % (64ul << 20) == 0        ? 1
                       : name[0] == 0 || name[0] == '['                  ? 2
                                                                         : 3;
            } else if (std::sscanf(line, "Rss: %lu kB", &kb) == 1) {
                resident[kind] += double(kb) / 1024.0;
            }
        }
        std::fclose(smaps);
    }
    std::printf("  %s, resident MB: main heap %.0f, threads' heaps %.0f, other anonymous %.0f, "
                "files %.0f\n",
                when, resident[0], resident[1], resident[2], resident[3]);
    char* text = nullptr;
    size_t size = 0;
    FILE* info = open_memstream(&text, &size);
    if (!info) return;
    malloc_info(0, info);
    std::fclose(info);
    // The free end of a heap (its top) is in no bin: what the bins hold is told by size, the top
    // is the rest. malloc_trim gives back the main heap's top only.
    int heap = -1;
    unsigned long bytes = 0, fast = 0, rest = 0, binned = 0, chunks = 0;
    for (const char* at = std::strchr(text, '<'); at; at = std::strchr(at + 1, '<')) {
        if (std::sscanf(at, "<heap nr=\"%d\">", &heap) == 1) fast = rest = binned = 0;
        if (std::sscanf(at, "<size from=\"%*u\" to=\"%*u\" total=\"%lu\"", &chunks) == 1 ||
            std::sscanf(at, "<unsorted from=\"%*u\" to=\"%*u\" total=\"%lu\"", &chunks) == 1)
            binned += chunks;
        std::sscanf(at, "<total type=\"fast\" count=\"%*u\" size=\"%lu\"", &fast);
        std::sscanf(at, "<total type=\"rest\" count=\"%*u\" size=\"%lu\"", &rest);
        if (heap >= 0 && std::sscanf(at, "<system type=\"current\" size=\"%lu\"", &bytes) == 1) {
            std::printf("  heap %d: %.0f MB, %.0f MB of it in use, its free end %.1f MB\n", heap,
                        double(bytes) / 1048576.0, double(bytes - fast - rest) / 1048576.0,
                        double(rest + fast - binned) / 1048576.0);
            heap = -1;
        }
    }
    std::free(text);
}
} // namespace

int main(int argc, char** argv) {
    ShareAllocationArenas();
    ReturnFreedMemory(); // as the window's main() does
    // BENCH_ARENAS=1 puts every thread's blocks in the one heap (the window keeps two).
    if (const int arenas = qEnvironmentVariableIntValue("BENCH_ARENAS")) mallopt(M_ARENA_MAX, arenas);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // A folder of documents already made, or a count of documents to make.
    const QString given = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    QTemporaryDir dir;
    QString folder = dir.filePath(QStringLiteral("docs"));
    int count = 100000;
    if (QFileInfo(given).isDir()) {
        folder = given;
        count = int(QDir(folder).entryList({QStringLiteral("*.xml")}, QDir::Files).size());
    } else {
        if (!given.isEmpty()) count = given.toInt();
        if (WriteBenchCorpus(folder, count).size() != count) return 2;
    }
    // BENCH_STOP leaves the heap as it is for a profile, but not the half a gigabyte of documents
    // on disk: std::exit skips the folder's destructor.
    const auto stopWithoutFreeing = [&dir] {
        dir.remove();
        std::exit(0);
    };
    // A CONFIG of its own, so that nothing the window stores lands beside the benchmark.
    const QString configDir = dir.filePath(QStringLiteral("CONFIG")) + QLatin1Char('/');
    QDir().mkpath(configDir);
    const QDir shipped(QCoreApplication::applicationDirPath() + QStringLiteral("/CONFIG"));
    for (const QString& name :
         shipped.entryList({QStringLiteral("TAG.INI"), QStringLiteral("*.tpl")}, QDir::Files))
        QFile::copy(shipped.filePath(name), configDir + name);

    TextCoder coder(QLocale(QLocale::Russian, QLocale::Russia));
    INIStorage settings(configDir);
    Form1 form(coder, settings, configDir);
    form.resize(1200, 800);
    form.show();
    auto* list = form.findChild<QTableView*>(QStringLiteral("List"));
    auto* box = form.findChild<QLineEdit*>(QStringLiteral("TxtFileIn"));
    if (!list || !box) return 2;

    // A heartbeat every 10 ms: the longest gap between beats is the longest the window froze.
    QElapsedTimer clock;
    clock.start();
    // On two shared cores the thread may also wait for a core: the most CPU it spent between two
    // beats tells the window's own work from that.
    qint64 lastBeat = 0, longestPause = 0;
    double lastCpu = ThreadCpuMs(), longestWork = 0;
    QTimer beat;
    QObject::connect(&beat, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        const double cpu = ThreadCpuMs();
        longestPause = std::max(longestPause, now - lastBeat);
        longestWork = std::max(longestWork, cpu - lastCpu);
        lastBeat = now;
        lastCpu = cpu;
    });
    beat.start(10);

    // Reads a source until its rows are listed and checked: when the first rows were shown, and
    // when all.
    const auto readAll = [&](const std::function<void()>& start) {
        QElapsedTimer timer;
        timer.start();
        double firstRows = 0;
        start();
        QEventLoop wait;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (firstRows == 0 && list->model()->rowCount() > 0) {
                list->viewport()->repaint();
                firstRows = timer.nsecsElapsed() / 1e9;
            }
            if (!form.IsReading() &&
                !form.findChild<QTimer*>(QStringLiteral("ReadTimer"))->isActive() &&
                form.Table().Rows.size() == size_t(count))
                wait.quit();
        });
        poll.start(5);
        wait.exec();
        list->viewport()->repaint();
        return firstRows;
    };
    const double firstRows = readAll([&] { box->setText(folder); });
    const double listed = clock.elapsed() / 1000.0;
    // A moment idle, as before any user's first click: the columns are fitted and the filter
    // learns the values then (both counted in the pauses).
    {
        QEventLoop idle;
        QTimer::singleShot(300, &idle, &QEventLoop::quit);
        idle.exec();
    }
    beat.stop();

    std::printf("| window, %d documents | value | goal |\n|---|---|---|\n", count);
    std::printf("| first rows shown | %.2f s | |\n", firstRows);
    std::printf("| listed (from setting the path to the rows checked) | %.2f s | |\n", listed);
    std::printf("| longest pause of the window while reading, the end included | %lld ms (%.0f ms "
                "working) | < 100 ms |\n",
                longestPause, longestWork);
    std::printf("| peak memory once listed | %.0f MB | < 200 MB |\n", PeakMb());
    if (qgetenv("BENCH_STOP") == "listed") stopWithoutFreeing();

    QHeaderView* header = list->horizontalHeader();
    const std::vector<std::pair<int, const char*>> sorts = {
        {2, "amount"}, {1, "date"}, {3, "payer (text)"}, {22, "purpose (text)"}, {0, "number"}};
    for (const auto& [column, what] : sorts) {
        QElapsedTimer timer;
        timer.start();
        emit header->sectionClicked(column);
        list->viewport()->repaint();
        const double click = timer.nsecsElapsed() / 1e9;
        std::vector<DocumentRow> rows = form.Table().Rows;
        timer.restart();
        const bool amount = form.Table().Columns[size_t(column)].IsAmount();
        const SortKind kind =
            SortKindFor(rows.front().Cells[size_t(column)], amount, coder.Locale());
        SortDocumentRows(rows, column, kind, amount, coder.Locale());
        std::printf("| header click sorts by %s | %.3f s (%.3f s of it sorting) | < 1 s |\n", what,
                    click, timer.nsecsElapsed() / 1e9);
    }

    // Typing into the filter box, one key at a time, each keystroke filtering every row again
    // and repainting; "счету № 4711" narrows to a handful of the 100,000 different purposes.
    // The first keystroke makes the index follow the sorted rows, or makes it if the window
    // has not while idle, and is told apart.
    auto* filter = form.findChild<QLineEdit*>(QStringLiteral("FilterEdit"));
    if (!filter) return 2;
    const QString typed = QStringLiteral("счету № 4711");
    double first = 0, longest = 0, all = 0;
    for (qsizetype i = 0; i < typed.size(); ++i) {
        QElapsedTimer timer;
        timer.start();
        filter->setText(typed.left(i + 1));
        list->viewport()->repaint();
        const double key = timer.nsecsElapsed() / 1e9;
        if (i == 0)
            first = key;
        else
            longest = std::max(longest, key), all += key;
    }
    const int shown = list->model()->rowCount();
    QElapsedTimer timer;
    timer.start();
    filter->clear();
    list->viewport()->repaint();
    const double cleared = timer.nsecsElapsed() / 1e9;
    std::printf("| filter, first keystroke after a sort (finds the distinct values) | %.0f ms | < "
                "100 ms |\n",
                first * 1000);
    std::printf("| filter, each further keystroke (mean, longest; %d rows left) | %.0f ms, %.0f ms "
                "| < 100 ms |\n",
                shown, all * 1000 / double(typed.size() - 1), longest * 1000);
    std::printf("| filter cleared (Esc) | %.0f ms | < 100 ms |\n", cleared * 1000);

    // The commands after a reading, each timed with the heartbeat on: how long it takes and the
    // longest the window froze meanwhile.
    const double firstHeld = HeldMb();
    std::printf("| memory held once listed (after malloc_trim) | %.0f MB (heap %s MB) | |\n", firstHeld, HeapMb().constData());
    PrintWhereHeld("listed");
    const auto timed = [&](const char* what, const std::function<void()>& run) {
        QElapsedTimer timer;
        timer.start();
        lastBeat = clock.elapsed();
        lastCpu = ThreadCpuMs();
        longestPause = 0;
        longestWork = 0;
        beat.start(10);
        run();
        beat.stop();
        const double seconds = timer.nsecsElapsed() / 1e9;
        const double held = HeldMb();
        std::printf("| %s | %.2f s, longest pause %lld ms (%.0f ms working), %.0f MB held after "
                    "(heap %s MB) | pause < 100 ms |\n",
                    what, seconds, longestPause, longestWork, held, HeapMb().constData());
    };
    const QString out = dir.filePath(QStringLiteral("out"));
    timed("save, the first template", [&] { form.SaveTo(out + QStringLiteral(".txt"), 0); });
    const int templates = int(QDir(configDir).entryList({QStringLiteral("*.tpl")}).size());
    timed("register, xlsx", [&] { form.SaveTo(out + QStringLiteral(".xlsx"), templates); });
    timed("register, PDF", [&] { form.SaveTo(out + QStringLiteral(".pdf"), templates + 1); });

    // The preview: its first page on screen, then the whole statement made, then closed.
    double firstPage = 0, previewMb = 0;
    timed("preview, the whole statement made", [&] {
        QElapsedTimer timer;
        timer.start();
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            auto* preview = qobject_cast<PreviewDlg*>(QApplication::activeModalWidget());
            if (!preview) return;
            auto* view = preview->findChild<QWidget*>(QStringLiteral("PreviewText"));
            if (firstPage == 0 && preview->findChild<StatementLines*>()->rowCount() > 40) {
                view->repaint();
                firstPage = timer.nsecsElapsed() / 1e9;
            }
            if (!preview->IsBuilding()) {
                beat.stop(); // trimming the heap is the benchmark's own pause
                previewMb = HeldMb();
                preview->reject();
            }
        });
        watch.start(5);
        form.ShowPreview();
    });
    std::printf("| preview, first page shown | %.2f s | < 1 s |\n", firstPage);
    std::printf(
        "| memory held with the preview open, closed | %.0f MB, %.0f MB | closed within 10 %% "
        "of listed |\n",
        previewMb, HeldMb());

    timed("print preview (the register's pages), until shown", [&] {
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (auto* print = qobject_cast<RegisterPrintDlg*>(QApplication::activeModalWidget()))
                if (print->PageCount() > 0) print->reject();
        });
        watch.start(5);
        form.findChild<QAction*>(QStringLiteral("mnuPrintRegister"))->trigger();
    });
    std::printf("| memory held after the print preview | %.0f MB | within 10 %% of listed |\n",
                HeldMb());
    PrintWhereHeld("after the print preview");

    // Again, sorted by the number (the last header clicked): the sort comes after the reading.
    timed("re-reading the same folder, sorted", [&] { readAll([&] { form.OpenSource(folder); }); });
    std::printf("| memory held after re-reading | %.0f MB (heap %s MB) | within 10 %% of listed |\n", HeldMb(), HeapMb().constData());
    PrintWhereHeld("after re-reading");
    // BENCH_STOP ends here (or once listed, =listed) without freeing: a heap profile
    // (heaptrack) then shows what the window holds as what was never freed.
    if (qEnvironmentVariableIsSet("BENCH_STOP")) stopWithoutFreeing();
    // An archive whose entries are not in name order: its rows are put in name order, then
    // sorted, once read.
    QStringList names;
    for (int i = count; i >= 1; --i)
        names << BenchDocumentName(i);
    const QString zip = dir.filePath(QStringLiteral("docs.zip"));
    if (!QFileInfo(given).isDir() && MakeBenchZip(zip, folder, names))
        timed("reading a .zip (entries in reverse name order), sorted",
              [&] { readAll([&] { form.OpenSource(zip); }); });
    std::printf("| peak memory | %.0f MB | < 200 MB |\n", PeakMb());
    return 0;
}
