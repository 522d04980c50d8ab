#include "core/Outcome.h"

#include "core/Errors.h"

namespace orv {

void Outcome::Fail(std::string text, MessageIcon icon) {
    m_bOk = false;
    Tell(std::move(text), icon);
}

void Outcome::Fail(const FileError& error) {
    Fail(error.Message(), MessageIcon::Exclamation);
}

void Outcome::Tell(std::string text, MessageIcon icon) {
    m_messages.push_back({std::move(text), icon});
}

void Outcome::Add(const Outcome& later) {
    m_bOk = m_bOk && later.m_bOk;
    m_messages.insert(m_messages.end(), later.m_messages.begin(), later.m_messages.end());
}

std::vector<std::string> Outcome::Texts() const {
    std::vector<std::string> texts;
    texts.reserve(m_messages.size());
    for (const UserMessage& message : m_messages) {
        texts.push_back(message.text);
    }
    return texts;
}

}  // namespace orv
