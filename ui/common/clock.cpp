#include "ui/common/clock.h"

namespace tessaly {

Day_Number Clock::Today() const {
    const QDate date = Now().date();
    return Day_Number_Of(date.year(), date.month(), date.day());
}

}  // namespace tessaly
