#pragma once
// The metafile canvas drawn with QPainter: antialiased, onto an opaque white picture.

#include "metafile/metafile.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>

#include <memory>

namespace tessaron {

class MetafilePainter : public metafile::MetafileCanvas {
public:
    MetafilePainter() = default;
    ~MetafilePainter() override;

    void begin(std::int32_t width, std::int32_t height) override;
    void drawPath(const metafile::Path& path, const metafile::DrawState& state, bool fill, bool stroke) override;
    void drawText(const metafile::TextRun& run, const metafile::DrawState& state) override;
    void drawBitmap(const metafile::Bitmap& bitmap, const metafile::RectF& source,
        const metafile::RectF& dest, std::uint32_t rop, const metafile::DrawState& state) override;
    void fillRect(const metafile::RectF& dest, std::uint32_t rop, const metafile::DrawState& state) override;

    // Ends the drawing and hands over the picture (Format_RGB32).
    QImage finish();

private:
    // Sets transform, clip and raster operation; false when nothing would show.
    bool prepare(const metafile::DrawState& state);
    void applyClip(const metafile::Clip& clip);
    QRegion regionOf(const metafile::ClipStep& step) const;
    QPen pen(const metafile::DrawState& state) const;
    QBrush brush(const metafile::DrawState& state) const;
    QFont font(const metafile::DrawState& state, double pixelHeight) const;

    QImage image_;
    std::unique_ptr<QPainter> painter_;
    metafile::Clip clip_;  // kept alive so the cache key cannot be reused
    bool clipEmpty_ = false;
};

}  // namespace tessaron
