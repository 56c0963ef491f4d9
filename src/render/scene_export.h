#pragma once
// The plot picture as a file (PNG, SVG or PDF): the scene of composeScene in a
// plot area, with the axis values drawn in a margin left of and below it.
// Export draws the finished scene only (SVG has no raster operations).

#include "render/scene.h"

#include <QByteArray>
#include <QRect>
#include <QSize>
#include <QString>

#include <optional>

class QPainter;

namespace zov {

enum class ExportFormat { Png, Svg, Pdf };

// The format named by the file's extension (case-insensitive), if known.
std::optional<ExportFormat> exportFormatFor(const QString& path);

// Margins around the plot that hold the axis values, in device pixels.
struct ExportMargins {
    int left = 56;
    int top = 12;
    int right = 24;
    int bottom = 28;
};

// The plot rectangle inside `area` once the margins are taken off.
QRect exportPlotRect(const QRect& area, const ExportMargins& margins = {});

// Paints the scene into `area` of an open painter: white area, the plot in
// exportPlotRect, the axis values in the margins. Returns what the scene
// computed; nothing is written anywhere else.
SceneOutput paintExportScene(QPainter& painter, const QRect& area, const SceneInputs& inputs,
                             const ExportMargins& margins = {});

// The scene as the bytes of a file of `format`, `size` device pixels large;
// nothing when it could not be drawn.
std::optional<QByteArray> renderScene(ExportFormat format, const QSize& size, const SceneInputs& inputs);

// Writes the scene to `path` in the format of its extension, `size` device
// pixels large (PDF and SVG at 96 dots per inch, so pen widths keep their
// screen look). False with a message in *error when the extension is unknown
// or the file cannot be written. The file is replaced whole: a failed write
// leaves what was there before, never a cut-short picture.
bool exportScene(const QString& path, const QSize& size, const SceneInputs& inputs, QString* error);

}  // namespace zov
