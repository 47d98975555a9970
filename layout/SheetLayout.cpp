#include "SheetLayout.h"

#include "Failure.h"
#include "OriginGrid.h"
#include "OtherReaderNeeded.h"
#include "PngFile.h"
#include "TileGrid.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <algorithm>
#include <climits>
#include <cmath>
#include <set>

namespace {
using Entry = std::string; // how a message names the part of the file that is wrong

[[noreturn]] void Refuse(const QString& file, const Entry& entry, const std::string& what) {
    throw Failure(file.toStdString() + (entry.empty() ? "" : ": " + entry), what);
}

// A pair of whole numbers, [a, b].
std::optional<QPoint> Pair(const QJsonValue& value) {
    const QJsonArray pair = value.toArray();
    if (!value.isArray() || pair.size() != 2)
        return std::nullopt;
    int numbers[2];
    for (int i = 0; i < 2; ++i) {
        const double v = pair[i].toDouble(-1e300);
        // The range first: converting a double beyond it to int is undefined.
        if (!pair[i].isDouble() || v < INT_MIN || v > INT_MAX || v != std::trunc(v))
            return std::nullopt;
        numbers[i] = static_cast<int>(v);
    }
    return QPoint(numbers[0], numbers[1]);
}

QString FileNamed(const QJsonObject& object, const char* key, const QString& file,
                  const Entry& entry, bool required) {
    const QJsonValue value = object.value(QLatin1String(key));
    if (value.isUndefined() && !required)
        return {};
    if (!value.isString() || value.toString().isEmpty())
        Refuse(file, entry,
               std::string(value.isUndefined() ? "missing " : "not a file name: ") + "\"" + key +
                   "\"");
    return value.toString();
}

ImageData CellPixels(const QByteArray& png, const QString& file, const Entry& entry,
                     const SheetLayout::PngDecoder& otherPng) {
    const auto refuse = [&] { Refuse(file, entry, "\"pixels\" is not a 64 x 64 PNG"); };
    struct OtherSize {};
    ImageData pixels;
    try {
        // The size comes first, so that a picture of another size is never decoded.
        if (LoadPNG(reinterpret_cast<const uint8_t*>(png.constData()), size_t(png.size()), pixels,
                    [](int32_t width, int32_t height) {
                        if (width != TileSize || height != TileSize)
                            throw OtherSize{};
                    }) == PngRead::Read)
            return pixels;
    } catch (const OtherSize&) {
        refuse();
    }
    if (!otherPng)
        throw OtherReaderNeeded{};
    std::optional<ImageData> decoded = otherPng(png);
    if (!decoded)
        refuse();
    return std::move(*decoded);
}

QByteArray Json(const QJsonValue& value) {
    // Qt writes whole documents only: a value goes in an array, whose brackets are taken off.
    const QByteArray array = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
}

QByteArray PairText(QPoint p) {
    return '[' + QByteArray::number(p.x()) + ", " + QByteArray::number(p.y()) + ']';
}
} // namespace

bool SheetLayout::LooksLike(const QByteArray& start) {
    static const QRegularExpression first(QStringLiteral("^\\s*\\{\\s*\"patchery\"\\s*:"));
    const QString text = QString::fromUtf8(start.left(4096));
    return first.match(text).hasMatch() ||
           (text.trimmed().startsWith(u'{') && text.contains(QStringLiteral("\"patchery\"")));
}

SheetLayout SheetLayout::Parse(const QByteArray& text, const QString& file,
                               const PngDecoder& otherPng) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(text, &error);
    if (error.error != QJsonParseError::NoError)
        Refuse(file, {},
               "not a layout: " + error.errorString().toStdString() + " at byte " +
                   std::to_string(error.offset));
    if (!document.isObject())
        Refuse(file, {}, "not a layout: not a JSON object");
    const QJsonObject root = document.object();

    const QJsonValue version = root.value(QLatin1String("patchery"));
    if (version.isUndefined())
        Refuse(file, {}, "not a layout: missing \"patchery\"");
    if (!version.isDouble() || version.toDouble() != version.toInt() || version.toInt() < 1)
        Refuse(file, "\"patchery\"", "not a version number");
    if (version.toInt() > Version)
        Refuse(file, "\"patchery\"",
               "version " + std::to_string(version.toInt()) +
                   " is newer than this program reads (" + std::to_string(Version) + ")");

    SheetLayout layout;
    const std::optional<QPoint> size = Pair(root.value(QLatin1String("size")));
    if (!size)
        Refuse(file, "\"size\"",
               root.contains(QLatin1String("size")) ? "not [width, height]" : "missing");
    layout.Size = QSize(size->x(), size->y());
    if (layout.Size.width() < 1 || layout.Size.height() < 1 || layout.Size.width() > 32767 ||
        layout.Size.height() > 32767 ||
        3 * qint64(layout.Size.width()) * layout.Size.height() > INT_MAX)
        Refuse(file, "\"size\"",
               std::to_string(size->x()) + " x " + std::to_string(size->y()) +
                   " is no size a sheet can be saved at");
    layout.Sheet = FileNamed(root, "sheet", file, {}, true);
    layout.Background = FileNamed(root, "background", file, {}, false);

    const QJsonValue sources = root.value(QLatin1String("sources"));
    if (!sources.isUndefined() && !sources.isObject())
        Refuse(file, "\"sources\"", "not an object of names and files");
    const QJsonObject named = sources.toObject();
    for (auto it = named.begin(); it != named.end(); ++it) {
        if (!it.value().isString() || it.value().toString().isEmpty())
            Refuse(file, "source \"" + it.key().toStdString() + "\"", "not a file name");
        layout.Sources[it.key()] = it.value().toString();
    }

    const QJsonValue cells = root.value(QLatin1String("cells"));
    if (!cells.isArray())
        Refuse(file, "\"cells\"", cells.isUndefined() ? "missing" : "not a list");
    const QSize sheetCells = OriginGrid::CellsOf(layout.Size);
    std::set<std::pair<int, int>> seen;
    const QJsonArray list = cells.toArray();
    for (qsizetype i = 0; i < list.size(); ++i) {
        Entry entry = "cells[" + std::to_string(i) + "]";
        const QJsonObject object = list[i].toObject();
        if (!list[i].isObject())
            Refuse(file, entry, "not an object");
        Cell cell;
        const std::optional<QPoint> at = Pair(object.value(QLatin1String("at")));
        if (!at)
            Refuse(file, entry,
                   object.contains(QLatin1String("at")) ? "\"at\" is not [column, row]"
                                                        : "missing \"at\"");
        cell.At = *at;
        entry = "cell " + std::to_string(at->x()) + "," + std::to_string(at->y());
        if (!QRect(QPoint(0, 0), sheetCells).contains(*at))
            Refuse(file, entry,
                   "outside the sheet's " + std::to_string(sheetCells.width()) + " x " +
                       std::to_string(sheetCells.height()) + " cells");
        if (!seen.insert({at->x(), at->y()}).second)
            Refuse(file, entry, "named twice");

        const int kinds = int(object.contains(QLatin1String("from"))) +
                          int(object.contains(QLatin1String("blank"))) +
                          int(object.contains(QLatin1String("pixels")));
        if (kinds != 1)
            Refuse(file, entry, "needs exactly one of \"from\", \"blank\" and \"pixels\"");
        if (object.contains(QLatin1String("blank"))) {
            if (object.value(QLatin1String("blank")) != QJsonValue(true))
                Refuse(file, entry, "\"blank\" is not true");
            cell.Type = Cell::Kind::Blank;
        } else if (object.contains(QLatin1String("pixels"))) {
            cell.Type = Cell::Kind::Pixels;
            cell.Png =
                QByteArray::fromBase64(object.value(QLatin1String("pixels")).toString().toLatin1());
            cell.Pixels = CellPixels(cell.Png, file, entry, otherPng);
        } else {
            cell.Type = Cell::Kind::Source;
            cell.From = object.value(QLatin1String("from")).toString();
            if (!layout.Sources.count(cell.From))
                Refuse(file, entry,
                       "\"from\" names no source: \"" + cell.From.toStdString() + "\"");
            const std::optional<QPoint> from = Pair(object.value(QLatin1String("cell")));
            if (!from || from->x() < 0 || from->y() < 0)
                Refuse(file, entry,
                       object.contains(QLatin1String("cell")) ? "\"cell\" is not [column, row]"
                                                              : "missing \"cell\"");
            cell.SourceCell = *from;
            const QJsonValue orient = object.value(QLatin1String("orient"));
            if (!orient.isUndefined()) {
                const std::optional<Orientation> named = Orientation::Named(orient.toString());
                if (!orient.isString() || !named)
                    Refuse(file, entry, "unknown \"orient\": " + Json(orient).toStdString());
                cell.Orient = *named;
            }
        }
        layout.Cells.push_back(std::move(cell));
    }
    std::sort(layout.Cells.begin(), layout.Cells.end(), [](const Cell& a, const Cell& b) {
        return std::pair(a.At.y(), a.At.x()) < std::pair(b.At.y(), b.At.x());
    });
    return layout;
}

QByteArray SheetLayout::Text() const {
    QByteArray text = "{\n";
    text += "  \"patchery\": " + QByteArray::number(Version) + ",\n";
    text += "  \"size\": " + PairText(QPoint(Size.width(), Size.height())) + ",\n";
    text += "  \"sheet\": " + Json(Sheet) + ",\n";
    if (!Background.isEmpty())
        text += "  \"background\": " + Json(Background) + ",\n";
    text += "  \"sources\": {";
    bool first = true;
    for (const auto& [name, path] : Sources) { // a std::map: in the order of their names
        text += (first ? " " : ", ") + Json(name) + ": " + Json(path);
        first = false;
    }
    text += Sources.empty() ? "},\n" : " },\n";
    text += "  \"cells\": [";
    std::vector<const Cell*> ordered;
    for (const Cell& cell : Cells)
        ordered.push_back(&cell);
    std::sort(ordered.begin(), ordered.end(), [](const Cell* a, const Cell* b) {
        return std::pair(a->At.y(), a->At.x()) < std::pair(b->At.y(), b->At.x());
    });
    for (size_t i = 0; i < ordered.size(); ++i) {
        const Cell& cell = *ordered[i];
        text += i ? ",\n    " : "\n    ";
        text += "{ \"at\": " + PairText(cell.At);
        if (cell.Type == Cell::Kind::Blank) {
            text += ", \"blank\": true";
        } else if (cell.Type == Cell::Kind::Pixels) {
            text += ", \"pixels\": \"" + cell.Png.toBase64() + '"';
        } else {
            text += ", \"from\": " + Json(cell.From) + ", \"cell\": " + PairText(cell.SourceCell);
            if (!(cell.Orient == Orientation{}))
                text += ", \"orient\": " + Json(cell.Orient.Name());
        }
        text += " }";
    }
    text += ordered.empty() ? "]\n}\n" : "\n  ]\n}\n";
    return text;
}
