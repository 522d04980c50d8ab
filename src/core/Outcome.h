// What Qt-free work hands back to the dialog or command that asked for it:
// whether it succeeded and the messages for the user, in the order they arose.
// The work never shows them itself; its caller does, when the work returns.
#pragma once

#include <string>
#include <vector>

namespace orv {

class FileError;

enum class MessageIcon { None, Information, Exclamation, Error, Question };

struct UserMessage {
    std::string text;
    MessageIcon icon = MessageIcon::None;
};

// Discarding one would drop the user's messages unseen.
class [[nodiscard]] Outcome {
public:
    // Success with nothing to say.
    Outcome() = default;

    bool Ok() const { return m_bOk; }

    // Adds a message and marks the work as failed.
    void Fail(std::string text, MessageIcon icon);
    // The standard file-error text of the error, as a warning.
    void Fail(const FileError& error);
    // Adds a message and leaves success as it is.
    void Tell(std::string text, MessageIcon icon);
    // Marks the work as failed with nothing to add: the failure has already
    // been reported as an internal error.
    void MarkFailed() { m_bOk = false; }
    // Adds the messages of a later step after these; its failure fails this.
    void Add(const Outcome& later);

    const std::vector<UserMessage>& Messages() const { return m_messages; }
    // The texts alone, in order.
    std::vector<std::string> Texts() const;

private:
    bool m_bOk = true;
    std::vector<UserMessage> m_messages;
};

}  // namespace orv
