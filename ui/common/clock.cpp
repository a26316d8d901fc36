#include "ui/common/clock.h"

namespace tessaly {

Day_Number To_Day_Number(const QDate& date) {
    return Day_Number_Of(date.year(), date.month(), date.day());
}

QDate To_QDate(Day_Number date) {
    const Civil_Date civil = Decode_Date(date);
    return {civil.Year, civil.Month, civil.Day};
}

Day_Number Clock::Today() const {
    return To_Day_Number(Now().date());
}

}  // namespace tessaly
