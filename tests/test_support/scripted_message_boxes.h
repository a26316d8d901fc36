#pragma once

#include <QString>
#include <QWidget>

#include <deque>
#include <vector>

#include "ui/common/message_boxes.h"

namespace tessaly::test {

// Records every message and answers from a queue; with the queue empty it
// answers as a user who presses OK or No.
class Scripted_Message_Boxes final : public Message_Boxes {
public:
    struct Shown {
        Message_Kind Kind;
        QString Caption;
        QString Text;
        // The parent's focus when the box appeared: a dialog moves it to the
        // field at fault first.
        QWidget* Focus;
    };

    Message_Answer Show(QWidget* parent, Message_Kind kind, const QString& caption,
                        const QString& text) override {
        shown.push_back({kind, caption, text, parent != nullptr ? parent->focusWidget() : nullptr});
        if (!answers.empty()) {
            const Message_Answer answer = answers.front();
            answers.pop_front();
            return answer;
        }
        return kind == Message_Kind::Error || kind == Message_Kind::Information
                   ? Message_Answer::Ok
                   : Message_Answer::No;
    }

    std::vector<Shown> shown;
    std::deque<Message_Answer> answers;
};

}  // namespace tessaly::test
