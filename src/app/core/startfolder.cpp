#include "startfolder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace vantelso::app {

QString StartFolder::folder() const {
    if (!m_last.isEmpty() && QFileInfo(m_last).isDir())
        return m_last;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QFileInfo(documents).isDir())
        return documents;
    return QDir::homePath();
}

void StartFolder::remember(const QString& chosenFile) {
    if (!chosenFile.isEmpty())
        m_last = QFileInfo(chosenFile).absolutePath();
}

} // namespace vantelso::app
