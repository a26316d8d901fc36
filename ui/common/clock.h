#pragma once

#include <QDateTime>

#include "core/dates.h"

namespace tessaly {

// Between Qt's dates and the program's day numbers (the time of day is
// dropped).
Day_Number To_Day_Number(const QDate& date);
QDate To_QDate(Day_Number date);

// The local date and time. The window reads "today" only through this, so
// tests can move it across midnight.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime Now() const = 0;

    // Today as a whole day number.
    Day_Number Today() const;
};

class System_Clock final : public Clock {
public:
    QDateTime Now() const override { return QDateTime::currentDateTime(); }
};

class Fake_Clock final : public Clock {
public:
    explicit Fake_Clock(QDateTime now) : now_(std::move(now)) {}
    QDateTime Now() const override { return now_; }
    void Set(QDateTime now) { now_ = std::move(now); }
    void Advance_Seconds(qint64 seconds) { now_ = now_.addSecs(seconds); }

private:
    QDateTime now_;
};

}  // namespace tessaly
