#pragma once

#include <QApplication>
#include <QCursor>

namespace tessaly {

// The wait pointer while a long task (reading and splitting a large file)
// runs, put back however the task ends.
class Wait_Cursor {
public:
    Wait_Cursor() { QApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
    ~Wait_Cursor() { QApplication::restoreOverrideCursor(); }
    Wait_Cursor(const Wait_Cursor&) = delete;
    Wait_Cursor& operator=(const Wait_Cursor&) = delete;
};

}  // namespace tessaly
