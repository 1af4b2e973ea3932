#pragma once
// The board as the player sees it: the board surface, and over it the keyboard's cursor,
// the marked piece and a hint. The frames are painted over the surface, never into it:
// the surface holds the arrangement, and a frame is no part of any piece.

#include "ui/platform/surface_view.h"

#include <QRegion>

namespace tessaron {

class PuzzleSession;

class BoardView : public SurfaceView {
    Q_OBJECT
public:
    // The session must outlive the view; its puzzle may be replaced at any time.
    BoardView(const PuzzleSession& session, QWidget* parent = nullptr);

    // Repaints where the frames were and where the input now puts them.
    void followInput();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRectF placeRect(std::int16_t column, std::int16_t row) const;
    QRegion frames() const;

    const PuzzleSession& session_;
    QRegion framed_;
};

}  // namespace tessaron
