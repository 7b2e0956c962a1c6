#pragma once
// A message service that shows nothing: it records every message and answers questions from a queue.
// Tests, the screenshot tool and the benchmarks use it so that nothing ever waits for a click.

#include "model/MessageService.h"

#include <QString>
#include <deque>
#include <functional>
#include <vector>

namespace korva {

class RecordingMessageService : public MessageService {
public:
    struct Message {
        MessageIcon Icon = MessageIcon::Warning;
        QString Text;
        QString Title;
    };

    void Show(MessageIcon icon, const QString& text, const QString& title = QString()) override {
        messages_.push_back({icon, text, title});
        if (whileShown_) {
            whileShown_(Message{icon, text, title});
        }
    }
    // Answers with the next queued answer, or `defaultAnswer` when none is queued.
    bool Ask(const QString& text, const QString& title = QString()) override {
        questions_.push_back({MessageIcon::Warning, text, title});
        if (answers_.empty()) {
            return defaultAnswer_;
        }
        const bool answer = answers_.front();
        answers_.pop_front();
        return answer;
    }
    void Beep() override { ++beeps_; }

    void QueueAnswer(bool answer) { answers_.push_back(answer); }
    void SetDefaultAnswer(bool answer) { defaultAnswer_ = answer; }
    // Runs while a message is on screen, before Show returns: a test can keep it open (run events) there.
    void SetWhileShown(std::function<void(const Message&)> whileShown) {
        whileShown_ = std::move(whileShown);
    }

    const std::vector<Message>& Messages() const { return messages_; }
    const std::vector<Message>& Questions() const { return questions_; }
    int Beeps() const { return beeps_; }
    void Clear() {
        messages_.clear();
        questions_.clear();
        beeps_ = 0;
    }

private:
    std::vector<Message> messages_;
    std::vector<Message> questions_;
    std::deque<bool> answers_;
    bool defaultAnswer_ = false;
    std::function<void(const Message&)> whileShown_;
    int beeps_ = 0;
};

} // namespace korva
