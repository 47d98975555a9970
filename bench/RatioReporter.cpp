#include "RatioReporter.h"

#include "Samples.h"

#include <cstdio>
#include <optional>

void RatioReporter::ReportRuns(const std::vector<Run>& runs) {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
        if (run.error_occurred)
            continue;
        const std::string name = run.run_name.str();
        if (run.run_type != Run::RT_Aggregate || run.aggregate_name == "median")
            for (const auto& [counter, value] : run.counters)
                counters_[name + ":" + counter] = value.value;
        const double seconds =
            run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
        if (run.run_type == Run::RT_Aggregate) {
            if (run.aggregate_name == "median") {
                seconds_[name] = seconds;
                medians_.insert(name);
            }
        } else if (!medians_.contains(name)) {
            seconds_[name] = seconds;
        }
    }
}

namespace {

enum class Goal { AtMost, AtLeast, None };

std::string Cell(std::optional<double> value, Goal goal, double bound, const char* unit) {
    if (!value)
        return "n/a";
    char text[64];
    std::snprintf(text, sizeof text, "%.2f%s", *value, unit);
    std::string cell = text;
    if (goal == Goal::AtMost)
        cell += *value <= bound ? " met" : " MISSED";
    else if (goal == Goal::AtLeast)
        cell += *value >= bound ? " met" : " MISSED";
    return cell;
}

} // namespace

void RatioReporter::Finalize() {
    const auto time = [&](const std::string& name) -> std::optional<double> {
        const auto it = seconds_.find(name);
        if (it == seconds_.end())
            return std::nullopt;
        return it->second;
    };
    const auto ratio = [&](const std::string& a, const std::string& b) -> std::optional<double> {
        const auto x = time(a);
        const auto y = time(b);
        if (!x || !y || *y <= 0)
            return std::nullopt;
        return *x / *y;
    };

    struct Row {
        const char* label;
        const char* numerator;
        const char* denominator;
        Goal goal;
        double bound;
    };
    const Row rows[] = {
        {"LoadTGA top-left / read()", "LoadTGA/top-left", "limit/read", Goal::AtMost, 1.5},
        {"LoadTGA top-left / read() new buffer", "LoadTGA/top-left", "limit/read new buffer",
         Goal::AtMost, 1.5},
        {"LoadTGA bottom-left / read()", "LoadTGA/bottom-left", "limit/read", Goal::AtMost, 1.5},
        {"stbi_load / LoadTGA, top-left", "stbi_load/top-left", "LoadTGA/top-left", Goal::AtLeast,
         1.5},
        {"stbi_load / LoadTGA, bottom-left", "stbi_load/bottom-left", "LoadTGA/bottom-left",
         Goal::AtLeast, 1.5},
        {"SaveTGA new file / write()", "SaveTGA/new", "limit/write", Goal::AtMost, 3},
        {"SaveTGA new file / write() new file", "SaveTGA/new", "limit/write new file", Goal::AtMost,
         3},
        {"SaveTGA replacing / write()", "SaveTGA/replace", "limit/write", Goal::AtMost, 3},
        {"stbi_write_tga / SaveTGA, new file", "stbi_write_tga/new", "SaveTGA/new", Goal::AtLeast,
         3},
        {"LoadBMP / read()", "LoadBMP", "limit/read", Goal::AtMost, 3},
        {"LoadBMP / read() new buffer", "LoadBMP", "limit/read new buffer", Goal::AtMost, 3},
        {"DrawImage / memcpy", "DrawImage", "limit/memcpy", Goal::None, 0},
        {"SaveBMP / write() new file", "SaveBMP/new", "limit/write new file", Goal::None, 0},
    };

    std::FILE* out = stdout;
    std::fprintf(out, "\nRatios (ours against the limit, stb against ours), %s\n",
                 medians_.empty() ? "single runs" : "medians of the repetitions");
    std::fprintf(out, "%-38s", "");
    for (const SheetSize size : Sizes)
        std::fprintf(out, "%-18s", size.Name().c_str());
    std::fprintf(out, "goal\n");
    for (const Row& row : rows) {
        std::fprintf(out, "%-38s", row.label);
        for (const SheetSize size : Sizes) {
            const std::string at = size.Suffix();
            std::fprintf(
                out, "%-18s",
                Cell(ratio(row.numerator + at, row.denominator + at), row.goal, row.bound, "x")
                    .c_str());
        }
        if (row.goal == Goal::None)
            std::fprintf(out, "-\n");
        else
            std::fprintf(out, "%s %.1fx\n", row.goal == Goal::AtMost ? "<=" : ">=", row.bound);
    }

    const auto micro = [&](const std::string& name) -> std::optional<double> {
        const auto t = time(name);
        return t ? std::optional<double>(*t * 1e6) : std::nullopt;
    };
    const auto milli = [&](const std::string& name) -> std::optional<double> {
        const auto t = time(name);
        return t ? std::optional<double>(*t * 1e3) : std::nullopt;
    };
    const std::string sheet = Sizes[0].Name();
    std::fprintf(out, "\nThrough the window (offscreen)\n");
    std::fprintf(out, "%-38s%-18s%s\n", "stamp (the press handler)",
                 Cell(micro("window/stamp"), Goal::AtMost, 50, " us").c_str(), "< 50 us");
    std::fprintf(out, "%-38s%-18s%s\n", "stamp, press event and repaint",
                 Cell(micro("window/stamp+paint"), Goal::AtMost, 50, " us").c_str(), "< 50 us");
    std::fprintf(out, "%-38s%-18s%s\n", "pointer across a cell border",
                 Cell(micro("window/outline"), Goal::AtMost, 300, " us").c_str(), "< 300 us");
    std::fprintf(out, "%-38s%-18s%s\n", "pointer across a cell border, 400 %",
                 Cell(micro("window/outline/400%"), Goal::AtMost, 300, " us").c_str(), "< 300 us");
    for (const char* zoom : {"800%", "25%"})
        std::fprintf(
            out, "%-38s%-18s%s\n", ("repaint of a whole view, " + sheet + ", " + zoom).c_str(),
            Cell(milli(std::string("window/repaint view/") + zoom), Goal::AtMost, 2, " ms").c_str(),
            "< 2 ms");
    const auto counter = [&](const std::string& name) -> std::optional<double> {
        const auto it = counters_.find(name);
        return it == counters_.end() ? std::nullopt : std::optional<double>(it->second);
    };
    const auto perCell = counter("window/stroke 32 cells+paint:per_cell");
    std::fprintf(out, "%-38s%-18s%s\n", "stamp a 4x4-cell block and repaint",
                 Cell(micro("window/stamp block 4x4+paint"), Goal::AtMost, 100, " us").c_str(),
                 "< 100 us");
    std::fprintf(
        out, "%-38s%-18s%s\n", "drag stroke over 32 cells, a cell",
        Cell(perCell ? std::optional(*perCell * 1e6) : std::nullopt, Goal::AtMost, 50, " us")
            .c_str(),
        "< 50 us");
    std::fprintf(out, "%-38s%-18s%s\n", "undo of that stroke",
                 Cell(milli("window/undo/stroke 32 cells"), Goal::AtMost, 1, " ms").c_str(),
                 "< 1 ms");
    std::fprintf(
        out, "%-38s%-18s%s\n", ("recovery hand-over " + sheet).c_str(),
        Cell(milli("window/recovery/hand-over/" + sheet), Goal::AtMost, 0.5, " ms").c_str(),
        "< 0.5 ms");
    std::fprintf(out, "%-38s%-18s%s\n", ("recovery, change to disk " + sheet).c_str(),
                 Cell(milli("window/recovery/on disk/" + sheet), Goal::AtMost, 1000, " ms").c_str(),
                 "< 1000 ms");
    for (const char* kind : {"", " stamping"})
        std::fprintf(out, "%-38s%-18s%s\n",
                     (std::string("recovery 8192x8192, loop blocked") + kind).c_str(),
                     Cell(counter(std::string("window/recovery/block/8192x8192") + kind +
                                  "/iterations:3:longest_block_ms"),
                          Goal::AtMost, 50, " ms")
                         .c_str(),
                     "< 50 ms");
    for (const SheetSize size : Sizes)
        std::fprintf(
            out, "%-38s%-18s-\n", ("open target " + size.Name()).c_str(),
            Cell(milli("window/open target/" + size.Name()), Goal::None, 0, " ms").c_str());
    std::fprintf(out, "%-38s%-18s-\n", ("open target " + sheet + " PNG").c_str(),
                 Cell(milli("window/open target/png/" + sheet), Goal::None, 0, " ms").c_str());
    // As the program saves, waiting for the disk, then without the waits, against the goal.
    for (const char* kind : {"new", "replace"}) {
        const std::string what =
            "save target " + sheet + (kind[0] == 'n' ? ", new" : ", replacing");
        const std::string name = std::string("window/save target/") + kind;
        std::fprintf(out, "%-38s%-18s-\n", what.c_str(),
                     Cell(milli(name + "/" + sheet), Goal::None, 0, " ms").c_str());
        std::fprintf(out, "%-38s%-18s%s\n", (what + ", no sync").c_str(),
                     Cell(milli(name + " without sync/" + sheet), Goal::AtMost, 3, " ms").c_str(),
                     "< 3 ms");
    }
    std::fprintf(out, "%-38s%-18s%s\n", "switch of two 512x512 sources",
                 Cell(milli("window/switch sources 512x512+paint"), Goal::AtMost, 2, " ms").c_str(),
                 "< 2 ms");
    std::fprintf(out, "%-38s%-18s%s\n", "memory of an open source / its pixels",
                 Cell(counter("window/sources held/2 x 4096x4096/iterations:1:per_pixels"),
                      Goal::AtMost, 1.1, "x")
                     .c_str(),
                 "<= 1.1x");
    const std::string live = "window/live source change/128 cells/iterations:6/manual_time";
    std::fprintf(out, "%-38s%-18s%s\n", "source change to 128 cells repainted",
                 Cell(milli(live), Goal::AtMost, 2000, " ms").c_str(), "< 2000 ms");
    std::fprintf(out, "%-38s%-18s%s\n", "  of it, the window's thread at once",
                 Cell(counter(live + ":window_thread_ms"), Goal::AtMost, 20, " ms").c_str(),
                 "< 20 ms");
    std::fprintf(out, "%-38s%-18s%s\n", "undo of a stamp",
                 Cell(micro("window/undo/stamp"), Goal::AtMost, 50, " us").c_str(), "< 50 us");
    std::fprintf(out, "%-38s%-18s%s\n", "undo of a size change",
                 Cell(milli("window/undo/size change"), Goal::AtMost, 5, " ms").c_str(), "< 5 ms");
    const auto kept = [&](const std::string& name) { return counter(name + ":kept_MB"); };
    std::fprintf(out, "%-38s%-18s%s\n", "undo history after 1,000 stamps",
                 Cell(kept("window/undo/stamp"), Goal::AtMost, 256, " MB").c_str(), "<= 256 MB");
    std::fprintf(out, "%-38s%-18s%s\n", "undo history after 100 size changes",
                 Cell(kept("window/undo/size change"), Goal::AtMost, 256, " MB").c_str(),
                 "<= 256 MB");
    // The limits of opens: the peak of a PNG's open against the pixels held (4 bytes a pixel),
    // and the time until a bomb's question shows.
    for (const SheetSize size : Sizes) {
        for (const char* where : {"source", "target"}) {
            const std::string name = std::string("window/open PNG/") + where + "/" + size.Name();
            std::fprintf(out, "%-38s%-18s%-18s%s\n",
                         ("open PNG " + size.Name() + " as " + where).c_str(),
                         Cell(milli(name), Goal::None, 0, " ms").c_str(),
                         Cell(counter(name + ":peak_MB"), Goal::None, 0, " MB peak").c_str(),
                         Cell(counter(name + ":peak_x"), Goal::AtMost, 2.5, "x pixels").c_str());
        }
    }
    std::fprintf(
        out, "%-38s%-18s%s\n", "question of a 32767x32767 XBM",
        Cell(milli("window/question of a 32767x32767 XBM/manual_time"), Goal::AtMost, 100, " ms")
            .c_str(),
        "< 100 ms");
    std::fprintf(out, "\nWithout a window: a 256x2048 sheet of 128 cells from four 512x512 PNGs\n");
    std::fprintf(out, "%-38s%-18s-\n", "patchery --build, the whole process",
                 Cell(milli("build/patchery --build/real_time"), Goal::None, 0, " ms").c_str());
    std::fprintf(out, "%-38s%-18s-\n", "convert, one command",
                 Cell(milli("build/convert/real_time"), Goal::None, 0, " ms").c_str());
    std::fprintf(out, "%-38s%-18s-\n", "decoding the sources and SaveTGA",
                 Cell(milli("build/decode and SaveTGA/real_time"), Goal::None, 0, " ms").c_str());
    std::fprintf(out, "%-38s%-18s%s\n", "convert / --build",
                 Cell(ratio("build/convert/real_time", "build/patchery --build/real_time"),
                      Goal::AtLeast, 3, "x")
                     .c_str(),
                 ">= 3.0x");
    std::fprintf(
        out, "%-38s%-18s%s\n", "--build / decoding and SaveTGA",
        Cell(ratio("build/patchery --build/real_time", "build/decode and SaveTGA/real_time"),
             Goal::AtMost, 1.5, "x")
            .c_str(),
        "<= 1.5x");
    std::fprintf(out, "%-38s%-18s%s\n", "stamp with its origin (document)",
                 Cell(micro("document/stamp with origin"), Goal::AtMost, 50, " us").c_str(),
                 "< 50 us");
    std::fflush(out);
    ConsoleReporter::Finalize();
}
