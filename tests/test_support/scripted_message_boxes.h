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
        // A question's own button captions, where it has them.
        QString Yes_Caption = {};
        QString No_Caption = {};
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

    Message_Answer Ask(QWidget* parent, Message_Kind kind, const QString& caption,
                       const QString& text, const QString& yes_caption,
                       const QString& no_caption) override {
        const Message_Answer answer = Show(parent, kind, caption, text);
        shown.back().Yes_Caption = yes_caption;
        shown.back().No_Caption = no_caption;
        return answer;
    }

    std::vector<Shown> shown;
    std::deque<Message_Answer> answers;
};

}  // namespace tessaly::test
