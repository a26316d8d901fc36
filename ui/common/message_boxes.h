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
    // A question of that kind whose two buttons say what they do ("&Hide",
    // "Cancel") in place of Yes and No; the answer is still Yes or No.
    // Where a seam shows no captions of its own, the plain question stands in.
    virtual Message_Answer Ask(QWidget* parent, Message_Kind kind, const QString& caption,
                               const QString& text, const QString& yes_caption,
                               const QString& no_caption) {
        static_cast<void>(yes_caption);
        static_cast<void>(no_caption);
        return Show(parent, kind, caption, text);
    }
};

// Real modal message boxes.
class Qt_Message_Boxes final : public Message_Boxes {
public:
    Message_Answer Show(QWidget* parent, Message_Kind kind, const QString& caption,
                        const QString& text) override;
    Message_Answer Ask(QWidget* parent, Message_Kind kind, const QString& caption,
                       const QString& text, const QString& yes_caption,
                       const QString& no_caption) override;
};

// Message texts hold CR LF pairs; Qt wants LF.
QString Message_Text(const std::string& text);

}  // namespace tessaly
