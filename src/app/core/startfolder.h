#pragma once

#include <QString>

namespace vantelso::app {

// Where the file dialogs start: the folder of the file last chosen in one of them, else the
// user's documents folder (else the home folder), never the folder the program runs in.
class StartFolder {
public:
    QString folder() const;
    // A file chosen in a dialog; its folder is where the next dialog starts.
    void remember(const QString& chosenFile);

private:
    QString m_last;
};

} // namespace vantelso::app
