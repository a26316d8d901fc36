#pragma once

#include <QString>

class QWidget;

namespace tessaly {

// The four kinds of message the program shows.
enum class Message_Kind {
    Error,         // OK
    Information,   // OK
    Warning,       // Yes and No
    Confirmation,  // Yes and No; only Yes goes on
};

enum class Message_Answer { Ok, Yes, No };

// Every message box goes through this, so that tests can answer them.
class Message_Boxes {
public:
    virtual ~Message_Boxes() = default;
    virtual Message_Answer Show(QWidget* parent, Message_Kind kind, const QString& caption,
                                const QString& text) = 0;
};

// Real modal message boxes.
class Qt_Message_Boxes final : public Message_Boxes {
public:
    Message_Answer Show(QWidget* parent, Message_Kind kind, const QString& caption,
                        const QString& text) override;
};

// Message texts hold CR LF pairs; Qt wants LF.
QString Message_Text(const std::string& text);

}  // namespace tessaly
