#pragma once

#include <QSize>
#include <QTimer>
#include <QWidget>

namespace tessaly {

// The About box's pictures. Each is drawn in its own design size and
// stretched to whatever area it is given, at the device's pixel ratio, so it
// stays sharp on any screen.
enum class About_Picture { Banner, Calendar_Logo, Origin_Emblem, Donate_Button };

QSize About_Picture_Size(About_Picture picture);

// Frames of the calendar logo's turning corner, one full turn and rest.
inline constexpr int Calendar_Logo_Frame_Count = 48;
inline constexpr int Calendar_Logo_Frame_Interval = 50;

// The frame only matters for the calendar logo.
void Paint_About_Picture(QPainter& painter, About_Picture picture, const QRectF& area,
                         int frame = 0);

// A widget showing one picture stretched over its whole area.
class Drawn_Picture : public QWidget {
    Q_OBJECT

public:
    explicit Drawn_Picture(About_Picture picture, QWidget* parent = nullptr);

    About_Picture Picture() const { return picture_; }
    int Frame() const { return frame_; }
    void Set_Frame(int frame);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    About_Picture picture_;
    int frame_ = 0;
};

// The calendar logo, whose page corner turns while it runs.
class Animated_Logo final : public Drawn_Picture {
    Q_OBJECT

public:
    explicit Animated_Logo(QWidget* parent = nullptr);

    // Starting begins again from the page at rest.
    void Start_Animation();
    void Stop_Animation();
    bool Is_Animating() const { return timer_.isActive(); }

private:
    QTimer timer_;
};

}  // namespace tessaly
