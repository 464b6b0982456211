#pragma once

#include "prompter.h"

namespace vantelso {

// The command-line tool never waits for a person: Retry/Cancel is Cancel, OK/Cancel is
// Cancel unless --yes was given. Every question and message goes to stderr so that the
// answer shows in logs.
class CliPrompter : public Prompter {
public:
    explicit CliPrompter(bool assumeYes) : m_yes(assumeYes) {}

    Answer ask(const QString& text, Buttons buttons, Icon icon) override;
    std::optional<QString> input(const QString& prompt, const QString& initial) override;
    std::optional<QString> openFile(const FileDialog&) override { return std::nullopt; }
    std::optional<QString> saveFile(const FileDialog&) override { return std::nullopt; }

    // True once any question was answered Cancel (or Abort): the command was refused.
    bool cancelled() const { return m_cancelled; }

private:
    bool m_yes;
    bool m_cancelled = false;
};

} // namespace vantelso
